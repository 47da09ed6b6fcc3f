#include "core/system_error_text.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <string>

namespace dtu {
namespace {

TEST(SystemErrorText, ChineseForTheCommonFailuresTheSystemsWordsForTheRest) {
  EXPECT_EQ(SystemErrorText(ENOENT), "没有那个文件或目录");
  EXPECT_EQ(SystemErrorText(EACCES), "没有权限");
  EXPECT_EQ(SystemErrorText(EISDIR), "是一个目录");
  const std::string rare = SystemErrorText(EPROTO);
  EXPECT_EQ(rare.rfind("系统错误 " + std::to_string(EPROTO) + "：", 0), 0u) << rare;
  EXPECT_GT(rare.size(), std::string("系统错误 71：").size()) << rare;
}

}  // namespace
}  // namespace dtu
