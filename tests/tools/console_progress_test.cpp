// What `dtuctl provision` shows while it runs: plain lines into a pipe, one line per port that
// is rewritten in place on a terminal, and lines that never wrap there.
#include "console_progress.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>

namespace dtuctl {
namespace {

TEST(ConsoleProgress, PrintsEveryStepAsALineIntoAPipe) {
  std::string out;
  ConsoleProgress progress([&](const std::string& text) { out += text; }, {"/dev/a", "/dev/b"},
                           false, 0);
  progress.Update(1, "读取参数");
  progress.Update(0, "等待单元");
  progress.UnitEnded(1, {});
  EXPECT_EQ(out, "/dev/b: 读取参数\n/dev/a: 等待单元\n");
}

TEST(ConsoleProgress, RewritesThePortsLinesOnATerminalAndKeepsFinishedUnitsAbove) {
  std::string out;
  ConsoleProgress progress([&](const std::string& text) { out = text; }, {"/dev/a", "/dev/b"}, true,
                           80);
  progress.Update(0, "读取参数");
  EXPECT_EQ(out, "\r\x1b[2K/dev/a: 读取参数\n\r\x1b[2K/dev/b: \n");
  progress.Update(1, "86001 第 2 行：ok");
  progress.UnitEnded(1, {});
  // Back to the first port's line, the finished unit there, both ports' lines below it.
  EXPECT_EQ(out,
            "\x1b[2F\r\x1b[2K/dev/b: 86001 第 2 行：ok\n"
            "\r\x1b[2K/dev/a: 读取参数\n\r\x1b[2K/dev/b: 86001 第 2 行：ok\n");
  progress.Finish();
  EXPECT_EQ(out, "\x1b[2F\x1b[J");
}

TEST(ConsoleProgress, FitsATerminalsWidthCountingChineseTwice) {
  EXPECT_EQ(FitColumns("abcdef", 4), "abcd");
  EXPECT_EQ(FitColumns("写入参数", 5), "写入");
  EXPECT_EQ(FitColumns("ab写入", 5), "ab写");
  EXPECT_EQ(FitColumns("one\ntwo", 80), "one");
  EXPECT_EQ(FitColumns("short", 80), "short");
}

}  // namespace
}  // namespace dtuctl
