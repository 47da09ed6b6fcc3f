#include "core/message_language.h"

#include <atomic>
#include <cstdlib>
#include <string_view>
#include <utility>

namespace dtu {
namespace {

std::atomic<MessageLanguage> g_language{MessageLanguage::kChinese};

bool IsSet(const char* value) {
  return value != nullptr && *value != '\0';
}

// "zh" alone or followed by a territory, a code set or a modifier ("zh_CN", "zh.GBK", "zh@x").
bool IsChineseLocale(std::string_view locale) {
  if (!locale.starts_with("zh")) return false;
  return locale.size() == 2 || locale[2] == '_' || locale[2] == '.' || locale[2] == '@';
}

}  // namespace

MessageLanguage LanguageOfLocale(const char* lc_all, const char* lc_messages, const char* lang) {
  for (const char* value : {lc_all, lc_messages, lang}) {
    if (IsSet(value))
      return IsChineseLocale(value) ? MessageLanguage::kChinese : MessageLanguage::kEnglish;
  }
  return MessageLanguage::kEnglish;
}

MessageLanguage LanguageFromEnvironment() {
  return LanguageOfLocale(std::getenv("LC_ALL"), std::getenv("LC_MESSAGES"), std::getenv("LANG"));
}

MessageLanguage CurrentMessageLanguage() {
  return g_language.load(std::memory_order_relaxed);
}

void SetMessageLanguage(MessageLanguage language) {
  g_language.store(language, std::memory_order_relaxed);
}

std::string Say(std::string chinese, std::string english) {
  return CurrentMessageLanguage() == MessageLanguage::kChinese ? std::move(chinese)
                                                               : std::move(english);
}

}  // namespace dtu
