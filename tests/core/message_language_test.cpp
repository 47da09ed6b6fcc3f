#include "core/message_language.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <string>

#include "core/system_error_text.h"

namespace dtu {
namespace {

using enum MessageLanguage;

struct LocaleCase {
  const char* lc_all;
  const char* lc_messages;
  const char* lang;
  MessageLanguage expected;
};

TEST(MessageLanguage, LcAllWinsOverLcMessagesWhichWinsOverLang) {
  const LocaleCase cases[] = {
      {nullptr, nullptr, "zh_CN.UTF-8", kChinese},
      {nullptr, nullptr, "zh_TW", kChinese},
      {nullptr, nullptr, "zh", kChinese},
      {nullptr, nullptr, "zh.GBK", kChinese},
      {nullptr, nullptr, "C", kEnglish},
      {nullptr, nullptr, "en_US.UTF-8", kEnglish},
      {nullptr, nullptr, "zhx_YY", kEnglish},
      {nullptr, nullptr, nullptr, kEnglish},
      {nullptr, "C", "zh_CN.UTF-8", kEnglish},
      {nullptr, "zh_CN.UTF-8", "C", kChinese},
      {"C", "zh_CN.UTF-8", "zh_CN.UTF-8", kEnglish},
      {"zh_CN.UTF-8", "C", "C", kChinese},
      {"", "", "zh_CN.UTF-8", kChinese},  // an empty variable counts as not set
      {"", "C", "zh_CN.UTF-8", kEnglish},
  };
  for (const LocaleCase& c : cases) {
    EXPECT_EQ(LanguageOfLocale(c.lc_all, c.lc_messages, c.lang), c.expected)
        << (c.lc_all ? c.lc_all : "-") << " " << (c.lc_messages ? c.lc_messages : "-") << " "
        << (c.lang ? c.lang : "-");
  }
}

class LanguageScope {
 public:
  explicit LanguageScope(MessageLanguage language) { SetMessageLanguage(language); }
  ~LanguageScope() { SetMessageLanguage(kChinese); }
};

TEST(MessageLanguage, ChineseUntilAProgramChoosesAndSayFollowsTheChoice) {
  EXPECT_EQ(CurrentMessageLanguage(), kChinese);
  EXPECT_EQ(Say("中文", "English"), "中文");
  const LanguageScope english(kEnglish);
  EXPECT_EQ(Say("中文", "English"), "English");
}

TEST(MessageLanguage, SystemReasonsInTheRunsLanguage) {
  const LanguageScope english(kEnglish);
  EXPECT_EQ(SystemErrorText(ENOENT), "No such file or directory");
  EXPECT_EQ(SystemErrorText(EACCES), "Permission denied");
  const std::string rare = SystemErrorText(EPROTO);
  EXPECT_EQ(rare.rfind("system error " + std::to_string(EPROTO) + ": ", 0), 0u) << rare;
}

}  // namespace
}  // namespace dtu
