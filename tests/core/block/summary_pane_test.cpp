#include "core/block/summary_pane.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "core/block/parameter_summary.h"

namespace dtu {
namespace {

std::string Repeat(std::string_view piece, std::size_t times) {
  std::string text;
  for (std::size_t i = 0; i < times; ++i) text += piece;
  return text;
}

std::string Joined(const std::vector<std::string>& lines, std::size_t from = 0) {
  std::string text;
  for (std::size_t i = from; i < lines.size(); ++i) text += lines[i] + "\r\n";
  return text;
}

ParameterBlock GprsBlock() {
  ParameterBlock block;
  block.set_protocol(1);
  block.set_apn("CMNET");
  block.set_baud_rate(9600);
  block.set_data_bits(8);
  block.set_stop_bits(1);
  return block;
}

TEST(SummaryPane, MustEmptyOnlyPastTheLimit) {
  EXPECT_FALSE(SummaryPane::MustEmptyBefore(0));
  EXPECT_FALSE(SummaryPane::MustEmptyBefore(10240));
  EXPECT_TRUE(SummaryPane::MustEmptyBefore(10241));
}

TEST(SummaryPane, CountsBytesAsGbkDoes) {
  struct Case {
    std::string_view text;
    std::size_t bytes;
  };
  for (const Case& c : {
           Case{"", 0}, Case{"abc", 3}, Case{"\r\n", 2}, Case{"中文", 4}, Case{"●协议------>", 13},
           Case{"a😀", 3},  // GBK has no emoji: counted as two
           Case{"😀中😀", 6},
           Case{"\xFF"
                "a",
                3},                  // a byte that is no UTF-8 counts two
           Case{"\xE4\xB8", 4},      // a cut-off character: each byte counts two
           Case{"\xED\xA0\x80", 6},  // a surrogate is no character: each byte counts two
           Case{"\xEF\x9E\x80", 1},  // U+F780 stands for the raw GBK byte 0x80
       }) {
    EXPECT_EQ(SummaryPane::CountGbkBytes(c.text), c.bytes) << c.text;
  }
}

TEST(SummaryPane, AppendsLinesWithLineEnds) {
  SummaryPane pane;
  pane.AppendSummaryLine(" ");
  pane.AppendSummaryLine("●短信中心-->空");
  pane.AppendSummaryLine("");
  EXPECT_EQ(pane.text(), " \r\n●短信中心-->空\r\n\r\n");
  EXPECT_EQ(pane.gbk_bytes(), 3u + 17u + 2u);
  pane.Clear();
  EXPECT_EQ(pane.text(), "");
  EXPECT_EQ(pane.gbk_bytes(), 0u);
}

TEST(SummaryPane, KeepsTextOfExactlyTheLimit) {
  SummaryPane pane;
  pane.AppendSummaryLine(std::string(10238, 'a'));  // 10238 + "\r\n" = 10240
  ASSERT_EQ(pane.gbk_bytes(), 10240u);
  pane.AppendSummaryLine("next");
  EXPECT_EQ(pane.text(), std::string(10238, 'a') + "\r\nnext\r\n");
}

TEST(SummaryPane, EmptiesTextPastTheLimitBeforeTheNextLine) {
  SummaryPane pane;
  EXPECT_FALSE(pane.AppendSummaryLine(std::string(10239, 'a')));  // 10241
  EXPECT_EQ(pane.text().size(), 10241u);  // not emptied after the line, only before
  EXPECT_TRUE(pane.AppendSummaryLine("next"));
  EXPECT_EQ(pane.text(), "next\r\n");
  EXPECT_EQ(pane.gbk_bytes(), 6u);
}

TEST(SummaryPane, ChineseCountsTwoBytes) {
  // 5119 Chinese characters and a line end: 10240 GBK bytes but 15359 bytes of UTF-8.
  SummaryPane pane;
  pane.AppendSummaryLine(Repeat("中", 5119));
  pane.AppendSummaryLine("x");
  EXPECT_EQ(pane.text(), Repeat("中", 5119) + "\r\nx\r\n");

  // One more character goes past the limit.
  pane.SetText(Repeat("中", 5120) + "a");
  ASSERT_EQ(pane.gbk_bytes(), 10241u);
  pane.AppendSummaryLine("x");
  EXPECT_EQ(pane.text(), "x\r\n");
}

TEST(SummaryPane, TypedCharactersGbkCannotHoldStillCount) {
  SummaryPane pane;
  pane.SetText(Repeat("😀", 5120));  // 10240 when each counts two
  pane.AppendSummaryLine("x");
  EXPECT_EQ(pane.text(), Repeat("😀", 5120) + "x\r\n");

  pane.SetText(Repeat("😀", 5120) + "a");
  pane.AppendSummaryLine("x");
  EXPECT_EQ(pane.text(), "x\r\n");
}

TEST(SummaryPane, SummaryGoesIntoTheBoxLineByLine) {
  SummaryPane pane;
  pane.SetText("typed\r\n");
  pane.AppendSummary(GprsBlock());
  EXPECT_EQ(pane.text(), "typed\r\n" + Joined(PrintSummary(GprsBlock())));
}

TEST(SummaryPane, SummaryStartsAfreshPartWayThrough) {
  const std::vector<std::string> lines = PrintSummary(GprsBlock());
  ASSERT_EQ(lines[1], "-----------基本设置-----------");
  ASSERT_EQ(lines[3], "●传输模式-->GPRS 传输模式(短信可设置参数)");

  // 10202 bytes, then " " (3), the 30-byte head (32) and " " (3) make exactly 10240: the
  // fourth line still joins them, and only the fifth starts in an empty box.
  SummaryPane pane;
  pane.AppendSummaryLine(std::string(10200, 'a'));
  pane.AppendSummary(GprsBlock());
  EXPECT_EQ(pane.text(), Joined(lines, 4));
}

TEST(SummaryPane, RepeatedSummariesNeverGrowPastTheLimitAndALine) {
  SummaryPane pane;
  std::size_t emptied = 0;
  for (int i = 0; i < 100; ++i) {
    const std::size_t before = pane.text().size();
    pane.AppendSummary(GprsBlock());
    if (pane.text().size() < before) ++emptied;
    EXPECT_LE(pane.gbk_bytes(), SummaryPane::kMaxGbkBytes + 200);
    EXPECT_EQ(pane.gbk_bytes(), SummaryPane::CountGbkBytes(pane.text()));
  }
  EXPECT_GT(emptied, 0u);
}

}  // namespace
}  // namespace dtu
