#include "core/block/parameter_text.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "core/text/gbk_codec.h"
#include "core/text/hex_text.h"
#include "support/sample_blocks.h"
#include "support/temp_dir.h"

namespace dtu {
namespace {

using ::testing::HasSubstr;
using ::testing::Not;

ParameterBlock Sealed(ParameterBlock block) {
  SealBlock(block);
  return block;
}

// The block a unit sent in the recorded reply: the 1320 digits after "DTUPARA".
ParameterBlock RecordedReplyBlock() {
  const auto bytes =
      test::ReadAllBytes(std::filesystem::path(__FILE__).parent_path().parent_path() /
                         "../data/replies/gprs_reply.bin");
  const std::string reply(bytes.begin(), bytes.end());
  const std::string digits = reply.substr(reply.find("DTUPARA") + 7, 2 * kBlockSize);
  const std::vector<std::uint8_t> decoded = DecodeHexText(digits);
  BlockBytes block{};
  std::copy(decoded.begin(), decoded.end(), block.begin());
  return ParameterBlock(block);
}

ParameterBlock Protocol9Block() {
  ParameterBlock block = test::BaseBlock();
  block.set_protocol(9);
  block.set_device_id(0x0A1B2C3D);
  return Sealed(block);
}

ParameterBlock WithLength(ParameterBlock block, std::uint16_t length) {
  block.set_length(length);  // outside the checksum
  return block;
}

ParameterBlock RoundTrip(const ParameterBlock& block) {
  const TextImport imported = ImportBlockText(ExportBlockText(block), std::nullopt);
  EXPECT_TRUE(imported.ok()) << imported.error;
  EXPECT_THAT(imported.warnings, ::testing::IsEmpty());
  return imported.block.value_or(ParameterBlock());
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  for (std::size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1)
    lines.push_back(text.substr(start, end - start));
  return lines;
}

// ---------------------------------------------------------------------------------------------
// Nothing lost

TEST(ParameterText, GivesBackEveryByteOfTheTestsBlocks) {
  const ParameterBlock reply = RecordedReplyBlock();
  ASSERT_TRUE(VerifyBlock(reply));
  const std::vector<std::pair<const char*, ParameterBlock>> blocks = {
      {"gprs", test::GprsBlock()},
      {"sms", test::SmsBlock()},
      {"editor base", Sealed(test::BaseBlock())},
      {"protocol 9", Protocol9Block()},
      {"pattern 7", test::PatternBlock(7, 3)},
      {"pattern 13", test::PatternBlock(13, 5)},
      {"recorded reply", reply},
      {"zeros", Sealed(ParameterBlock())},
      {"length word 1234", WithLength(test::GprsBlock(), 1234)},
      {"length word 0", WithLength(test::SmsBlock(), 0)},
  };
  for (const auto& [name, block] : blocks) {
    SCOPED_TRACE(name);
    EXPECT_EQ(RoundTrip(block).bytes(), block.bytes());
  }
}

// Random bytes reach every corner: undecodable and half characters, bytes after a text's 0x00,
// counts past their areas, values no list holds, protocol 9 and its identifier.
TEST(ParameterText, GivesBackEveryByteOfRandomSealedBlocks) {
  std::mt19937 random(20240611);
  std::uniform_int_distribution<int> byte(0, 255);
  for (int round = 0; round < 500; ++round) {
    ParameterBlock block;
    for (std::uint8_t& b : block.bytes()) b = static_cast<std::uint8_t>(byte(random));
    if (round % 4 == 0) block.set_protocol(9);
    if (round % 3 == 0) block.set_apn(Utf8ToGbk("中文\\x41").bytes);
    SealBlock(block);
    if (round % 5 == 0) block.set_length(static_cast<std::uint16_t>(byte(random) * 257));
    const std::string text = ExportBlockText(block);
    const ParameterBlock back = RoundTrip(block);
    ASSERT_EQ(back.bytes(), block.bytes()) << text;
    ASSERT_EQ(ExportBlockText(back), text);
  }
}

// ---------------------------------------------------------------------------------------------
// The form

TEST(ParameterText, WritesOneMemberALineInBlockOrderAfterTheTag) {
  const std::vector<std::string> lines = Lines(ExportBlockText(Sealed(test::BaseBlock())));
  ASSERT_GE(lines.size(), 6u);
  EXPECT_EQ(lines[0], "{");
  EXPECT_EQ(lines[1], "  \"format\": \"dtuconfig-parameters\",");
  EXPECT_EQ(lines[2], "  \"version\": 1,");
  EXPECT_EQ(lines[3], "  \"work_mode\": 0,");
  EXPECT_EQ(lines[4], "  \"protocol\": 1,");
  EXPECT_EQ(lines.back(), "}");
  const std::set<std::string> expected = {
      "  \"reserved7\": \"5A\",",
      "  \"baud_rate\": 19200,",
      "  \"centre_ip1\": \"192.168.1.10\",",
      "  \"device_number\": 1234,",
      "  \"apn\": \"CMNET\",",
      "  \"domain1\": \"数据中心.example.com\",",
      "  \"heartbeat_data\": {\"hex\":\"AA 00 55\",\"text\":\"\\\\xAA\\\\x00U\"},",
      "  \"gprs_notice\": {\"hex\":\"47 50 52 53 4F 4B 0D 0A\",\"text\":\"GPRSOK\\r\\n\"},",
      "  \"project_number\": 300,",
  };
  for (const std::string& line : expected) EXPECT_THAT(lines, ::testing::Contains(line));
  for (const std::string& line : lines) {
    EXPECT_THAT(line, Not(HasSubstr("\"length\""))) << "a length word of 660 goes unsaid";
    EXPECT_THAT(line, Not(HasSubstr("_len\""))) << "counts are written with their areas";
  }
}

TEST(ParameterText, WritesWhatTheFieldsHoldBeyondTheirText) {
  ParameterBlock block = test::BaseBlock();
  const std::string apn("net\0old\\\x81", 9);  // bytes after the 0x00, half a character
  std::copy(apn.begin(), apn.end(), block.Area(field::apn).begin());
  block.set_frame_tail_len(200);            // more than the area holds
  block.Area(field::frame_head)[5] = 0x33;  // past the two bytes used
  const std::string text = ExportBlockText(Sealed(block));
  EXPECT_THAT(text, HasSubstr(R"("apn": "net\\x00old\\\\\\x81",)"));
  EXPECT_THAT(text, HasSubstr("\"frame_tail\": {\"hex\":\"0D 0A 00 00 00 00 00 00\","));
  EXPECT_THAT(text, HasSubstr("\"length\":200}"));
  EXPECT_THAT(text, HasSubstr("\"frame_head\": {\"hex\":\"7E 01\",\"text\":\"~\\u0001\","
                              "\"after\":\"00 00 00 33\"}"));
}

TEST(ParameterText, WritesTheProtocol9IdentifierInsteadOfTheNumbers) {
  const std::string text = ExportBlockText(Protocol9Block());
  EXPECT_THAT(text, HasSubstr("\"device_id\": \"A1B2C3D\",\n"));
  EXPECT_THAT(text, Not(HasSubstr("device_number")));
  EXPECT_THAT(text, Not(HasSubstr("centre_number")));
}

// ---------------------------------------------------------------------------------------------
// Importing

TEST(ParameterText, MembersGivenReplaceTheBaseFieldsAndTheBlockIsSealed) {
  const ParameterBlock base = Sealed(test::BaseBlock());
  const TextImport imported = ImportBlockText(
      R"({"apn": "中国移动", "port1": 6001, "frame_head": "0102 03", "device_id": "FF"})", base);
  ASSERT_TRUE(imported.ok()) << imported.error;
  ParameterBlock expected = base;
  expected.set_apn(Utf8ToGbk("中国移动").bytes);
  expected.set_port1(6001);
  expected.set_frame_head(std::vector<std::uint8_t>{1, 2, 3});
  expected.set_device_id(0xFF);
  SealBlock(expected);
  EXPECT_EQ(imported.block->bytes(), expected.bytes());
  EXPECT_EQ(imported.rows, (std::vector<std::string>{"frame_head", "port1", "device_number",
                                                     "centre_number", "apn"}));
}

struct Refused {
  const char* kind;
  std::string text;
  bool with_base;
  std::string message;
};

// One row per kind of check. A refused text gives no block.
TEST(ParameterText, RefusesWhatAFieldCannotHold) {
  const ParameterBlock base = Sealed(test::BaseBlock());
  const auto without = [&](const std::string& line) {
    std::string text = ExportBlockText(base);
    return text.erase(text.find(line), line.size());
  };
  const std::vector<Refused> rows = {
      {"width", R"({"port1": 70000})", true, "成员 port1 的值 70000 无效：应为 0 到 65535 的整数"},
      {"whole number", R"({"work_mode": 1.5})", true, "成员 work_mode 的值 1.5 无效"},
      {"sign", R"({"baud_rate": -9600})", true, "应为 0 到 4294967295 的整数"},
      {"address form", R"({"centre_ip1": "300.1.1.1"})", true,
       "成员 centre_ip1 的值 \"300.1.1.1\" 无效：应为以点分隔的四个 0 到 255 的数"},
      {"GBK", R"({"apn": "net😀"})", true, "字符 \"😀\" (U+1F600) 无法用GBK编码保存"},
      {"text capacity", R"({"ppp_user": "一二三四五"})", true,
       "GBK 编码后有 10 字节，字段只有 9 字节"},
      {"escape", R"({"apn": "a\\qb"})", true, "转义 \"\\qb\" 无效"},
      {"hex digits", R"({"heartbeat_data": "4G"})", true, "成员 heartbeat_data 的值 \"4G\" 无效"},
      {"hex pair split", R"({"poll_command": "4 14"})", true, "十六进制数字"},
      {"counted capacity", R"({"frame_head": "010203040506070809"})", true, "最多 8 字节"},
      {"count", R"({"frame_head": {"hex": "01", "length": 3}})", true, "frame_head 中 length"},
      {"counted part", R"({"frame_head": {"hex": "01", "colour": 1}})", true, "\"colour\" 未知"},
      {"reserved", R"({"reserved7": "00 00"})", true, "最多 1 字节"},
      {"identifier", R"({"device_id": "123456789"})", true, "应为 1 到 8 位十六进制数字"},
      {"bytes given twice", R"({"device_id": "1", "centre_number": 2})", true, "只能给出其一"},
      {"unknown member", R"({"colour": "blue"})", true, "未知成员 \"colour\""},
      {"sealed word", R"({"checksum": 0})", true, "校验和由导入计算"},
      {"length word", R"({"length": 70000})", true, "成员 length 的值 70000 无效"},
      {"repeated member", R"({"port1": 1, "port1": 2})", true, "成员 port1 出现了不止一次"},
      {"repeated part", R"({"heartbeat_data": {"hex": "41", "hex": "42"}})", true,
       "成员 heartbeat_data 中 \"hex\" 出现了不止一次"},
      {"deep nesting", "{\"port1\": " + std::string(80000, '[') + std::string(80000, ']') + "}",
       true, "成员 port1 的值嵌套太深"},
      {"huge number", R"({"apn": 1e400})", true, "成员 apn 的值 1e400 无效：数太大"},
      {"long broken string", "{\"apn\": \"" + std::string(5000, 'x') + "\n\"}", true,
       "不是有效的 JSON 文本"},
      {"long repeated name",
       "{\"" + std::string(5000, 'k') + "\": 1, \"" + std::string(5000, 'k') + "\": 2}", true,
       "出现了不止一次"},
      {"huge integer", "{\"port1\": " + std::string(401, '9') + "}", true,
       "成员 port1 的值 99999999"},
      {"format", R"({"format": "other"})", true, "format 应为 \"dtuconfig-parameters\""},
      {"version", R"({"version": 2})", true, "version 2 不受支持"},
      {"syntax", R"({"port1": })", true, "不是有效的 JSON 文本"},
      {"not an object", "[1, 2]", true, "文本应是一个 JSON 对象"},
      {"a parameter file", std::string(reinterpret_cast<const char*>(base.bytes().data()), 660),
       true, "这是参数文件，不是参数块的文本形式"},
      {"a table", "gsn,apn\n8601,cmiot\n", true, "这是表格文件（CSV），不是参数块的文本形式"},
      {"missing member", without("  \"apn\": \"CMNET\",\n"), false, "缺少成员 apn"},
      {"missing number", without("  \"centre_number\": 4321,\n"), false, "缺少成员 centre_number"},
  };
  for (const Refused& row : rows) {
    SCOPED_TRACE(row.kind);
    const TextImport imported =
        ImportBlockText(row.text, row.with_base ? std::optional(base) : std::nullopt);
    EXPECT_FALSE(imported.ok());
    EXPECT_THAT(imported.error, HasSubstr(row.message));
    EXPECT_LT(imported.error.size(), 300u) << "a long value is cut";
  }
}

// The "text" beside "hex" is the reader's: only "hex" is read, and a "text" that says otherwise
// is warned about.
TEST(ParameterText, WarnsOfACountedTextThatDisagreesWithItsHex) {
  const ParameterBlock base = Sealed(test::BaseBlock());
  const std::vector<std::pair<std::string, std::vector<std::string>>> rows = {
      {R"({"heartbeat_data": {"hex": "41 42", "text": "AB"}})", {}},
      {R"({"heartbeat_data": {"hex": "41"}})", {}},
      {R"({"heartbeat_data": {"hex": "41 42", "text": "XY"}})",
       {"heartbeat_data 的 text \"XY\" 与 hex 不符（hex 的字节读作 \"AB\"）：只按 hex 读入"}},
      {R"({"gprs_notice": {"hex": "", "text": 7}})",
       {"gprs_notice 的 text 7 与 hex 不符（hex 的字节读作 \"\"）：只按 hex 读入"}},
  };
  for (const auto& [text, warnings] : rows) {
    SCOPED_TRACE(text);
    const TextImport imported = ImportBlockText(text, base);
    ASSERT_TRUE(imported.ok()) << imported.error;
    EXPECT_EQ(imported.warnings, warnings);
  }
}

// ---------------------------------------------------------------------------------------------
// Assignments

TEST(ParameterText, AssignmentsChangeExactlyTheirFields) {
  const ParameterBlock base = Sealed(test::BaseBlock());
  const std::vector<std::string> assignments = {"apn=123", "port1=6001", "register_data=7E 02",
                                                "dns_primary=1.2.3.4"};
  const TextImport set = SetBlockFields(base, assignments);
  ASSERT_TRUE(set.ok()) << set.error;
  ParameterBlock expected = base;
  std::ranges::fill(expected.Area(field::apn),
                    std::uint8_t{0});  // the member gives the whole field
  expected.set_apn("123");
  expected.set_port1(6001);
  expected.set_register_data(std::vector<std::uint8_t>{0x7E, 0x02});
  expected.Area(field::register_data)[2] = 0;  // the member gives the whole area
  expected.set_dns_primary({1, 2, 3, 4});
  SealBlock(expected);
  EXPECT_EQ(set.block->bytes(), expected.bytes());

  const std::vector<MemberDifference> differences = DiffBlockTexts(base, *set.block);
  ASSERT_EQ(differences.size(), 4u);
  EXPECT_EQ(differences[0].name, "port1");
  EXPECT_EQ(differences[0].first, "5001");
  EXPECT_EQ(differences[0].second, "6001");
  EXPECT_EQ(differences[1].name, "apn");
  EXPECT_EQ(differences[2].name, "dns_primary");
  EXPECT_EQ(differences[3].name, "register_data");
}

TEST(ParameterText, RefusedAssignmentsNameTheProblem) {
  const ParameterBlock base = Sealed(test::BaseBlock());
  const std::vector<std::pair<std::string, std::string>> rows = {
      {"centre_ip1=300.1.1.1", "成员 centre_ip1 的值 \"300.1.1.1\" 无效"},
      {"port1=lots", "成员 port1 的值 \"lots\" 无效"},
      {"apn", "应写作 NAME=VALUE"},
      {"colour=blue", "未知成员 \"colour\""},
      {"frame_head={\"hex\":", "不是有效的 JSON 对象"},
      {"frame_head={\"hex\":\"41\",\"hex\":\"42\"}", "成员 frame_head 中 \"hex\" 出现了不止一次"},
      {"frame_head={\"hex\":" + std::string(50000, '[') + "}", "成员 frame_head 的值嵌套太深"},
      {"port1=" + std::string(50000, '['), "成员 port1 的值 \"[[[[[["},
      {"port1=1e400", "成员 port1 的值 \"1e400\" 无效"},
  };
  for (const auto& [assignment, message] : rows) {
    SCOPED_TRACE(assignment);
    const TextImport set = SetBlockFields(base, std::vector<std::string>{assignment});
    EXPECT_FALSE(set.ok());
    EXPECT_THAT(set.error, HasSubstr(message));
  }
}

// A length word other than 660 is a member of its own, first after the version; a text without
// it, as every text written before it was kept, gives 660.
TEST(ParameterText, KeepsALengthWordOtherThan660) {
  const ParameterBlock odd = WithLength(test::GprsBlock(), 1234);
  const std::vector<std::string> lines = Lines(ExportBlockText(odd));
  ASSERT_GE(lines.size(), 4u);
  EXPECT_EQ(lines[3], "  \"length\": 1234,");
  const TextImport over_base = ImportBlockText(R"({"apn": "x"})", odd);
  ASSERT_TRUE(over_base.ok()) << over_base.error;
  EXPECT_EQ(over_base.block->length(), 660) << "the text does not say it: sealed";

  const std::vector<MemberDifference> differences = DiffBlockTexts(test::GprsBlock(), odd);
  ASSERT_EQ(differences.size(), 1u);
  EXPECT_EQ(differences[0].name, "length");
  EXPECT_EQ(differences[0].first, "660");
  EXPECT_EQ(differences[0].second, "1234");
}

TEST(ParameterText, DiffNamesAMemberOnlyOneSideWrites) {
  const ParameterBlock base = Sealed(test::BaseBlock());
  const std::vector<MemberDifference> differences = DiffBlockTexts(base, Protocol9Block());
  ASSERT_EQ(differences.size(), 4u);
  EXPECT_EQ(differences[0].name, "protocol");
  EXPECT_EQ(differences[1].name, "device_id");
  EXPECT_EQ(differences[1].first, "-");
  EXPECT_EQ(differences[1].second, "\"A1B2C3D\"");
  EXPECT_EQ(differences[2].name, "device_number");
  EXPECT_EQ(differences[2].second, "-");
  EXPECT_TRUE(DiffBlockTexts(base, base).empty());
}

}  // namespace
}  // namespace dtu
