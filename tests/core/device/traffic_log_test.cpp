#include "core/device/traffic_log.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace dtu {
namespace {

std::vector<std::string> Shown(const TrafficLog& log, bool hex = false) {
  std::vector<std::string> shown;
  for (const TrafficLine& line : log.lines())
    shown.push_back(FormatTrafficLine(line, hex).substr(14));  // without the clock
  return shown;
}

TEST(TrafficLog, ControlBytesAreVisible) {
  const std::pair<std::string, std::string> cases[] = {
      {"$$$SETOK", "$$$SETOK"},
      {"$$$ChkErr\r", "$$$ChkErr<CR>"},
      {"VER:1.0\r\n", "VER:1.0<CR><LF>"},
      {std::string("a\0\t\x1b\x7f\xb5", 6), "a<NUL><TAB><ESC><7F><B5>"},
  };
  for (const auto& [bytes, visible] : cases) EXPECT_EQ(VisibleBytes(bytes), visible);
}

TEST(TrafficLog, LinesInOrderWithNotesAfterTheirBytes) {
  TrafficLog log;
  log.AddSent(0, "$$$AT+GETPARA?");
  for (const char c : std::string("VER:1")) log.AddReceived(1, static_cast<std::uint8_t>(c));
  log.AddNote(2, "软件版本：1");  // made before the line feed: shown after the line
  log.AddReceived(3, '\r');
  log.AddReceived(3, '\n');
  for (const char c : std::string("A\rD")) log.AddReceived(4, static_cast<std::uint8_t>(c));
  log.AddSent(5, "X\r");  // ends the open line
  EXPECT_EQ(Shown(log), (std::vector<std::string>{"发送  $$$AT+GETPARA?", "接收  VER:1<CR><LF>",
                                                  "识别  软件版本：1", "接收  A<CR>", "接收  D",
                                                  "发送  X<CR>"}));
  EXPECT_EQ(Shown(log, true)[5], "发送  58 0D");
  EXPECT_EQ(log.ended_count(), 6u);
}

TEST(TrafficLog, KeepsTheLastLinesAndLongLinesAreCut) {
  TrafficLog log(3);
  for (int i = 0; i < 5; ++i) log.AddNote(i, std::to_string(i));
  EXPECT_EQ(Shown(log), (std::vector<std::string>{"识别  2", "识别  3", "识别  4"}));
  EXPECT_EQ(log.ended_count(), 5u);
  log.Clear();
  for (std::size_t i = 0; i < TrafficLog::kMaxLineBytes + 1; ++i) log.AddReceived(0, '7');
  log.CloseReceived();
  ASSERT_EQ(log.lines().size(), 2u);
  EXPECT_EQ(log.lines()[0].bytes.size(), TrafficLog::kMaxLineBytes);
}

}  // namespace
}  // namespace dtu
