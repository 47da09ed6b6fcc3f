#pragma once

#include <string>
#include <string_view>

namespace dtu {

// The language of the messages a run of a program prints. The window always speaks Chinese; the
// command-line tools pick one language per run from the user's locale.
enum class MessageLanguage { kChinese, kEnglish };

// The language from the locale's variables as POSIX orders them: LC_ALL, when set and not empty,
// wins over LC_MESSAGES, which wins over LANG. A Chinese locale ("zh", "zh_CN.UTF-8", "zh_TW")
// gives Chinese, any other (C, POSIX, en_US.UTF-8) English, and so does none set at all (the C
// locale). A null pointer is a variable that is not set.
MessageLanguage LanguageOfLocale(const char* lc_all, const char* lc_messages, const char* lang);

// LanguageOfLocale over this process's environment.
MessageLanguage LanguageFromEnvironment();

// The language of this process's messages: Chinese until a program sets another, once, before it
// starts any thread.
MessageLanguage CurrentMessageLanguage();
void SetMessageLanguage(MessageLanguage language);

// One message in the process's language: `chinese` or `english`.
std::string Say(std::string chinese, std::string english);

}  // namespace dtu
