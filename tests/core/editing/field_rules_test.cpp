#include "core/editing/field_rules.h"

#include <gtest/gtest.h>

#include "core/editing/entry_checks.h"

namespace dtu {
namespace {

struct LengthCase {
  const char* name;
  std::string text;
  std::optional<std::size_t> max;
  bool hex;
  std::string result;
  bool cut;
};

class CheckFieldTextTest : public testing::TestWithParam<LengthCase> {};

TEST_P(CheckFieldTextTest, KeepsTheFieldWithinItsLimit) {
  const LengthCase& c = GetParam();
  const FieldCheck check = CheckFieldText(c.text, c.max, c.hex);
  EXPECT_EQ(check.text, c.result);
  EXPECT_EQ(check.cut, c.cut);
  EXPECT_EQ(check.rewrite, c.cut);
  EXPECT_FALSE(check.refused);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CheckFieldTextTest,
    testing::Values(
        LengthCase{"within", "CMNET", 16, false, "CMNET", false},
        LengthCase{"exactly", "abcdefghijklmnop", 16, false, "abcdefghijklmnop", false},
        LengthCase{"one over", "abcdefghijklmnopq", 16, false, "abcdefghijklmnop", true},
        LengthCase{"chinese counts two", "中国移动通信网络", 16, false, "中国移动通信网络", false},
        LengthCase{"chinese never split", "中国移动通信网A络", 16, false, "中国移动通信网A", true},
        LengthCase{"no limit", std::string(300, 'x'), std::nullopt, false, std::string(300, 'x'),
                   false},
        LengthCase{"hex within keeps spaces", "01 02 03 04 05 06 07 08 ", 8, true,
                   "01 02 03 04 05 06 07 08 ", false},
        LengthCase{"hex over is cut without spaces", "01 02 03 04 05 06 07 08 09", 8, true,
                   "0102030405060708", true},
        LengthCase{"hex odd digit over", "23 24 25 26 27 28 29 2A 2B", 8, true, "232425262728292A",
                   true},
        LengthCase{"hex spaces only", std::string(40, ' '), 8, true, std::string(40, ' '), false}),
    [](const testing::TestParamInfo<LengthCase>& info) {
      std::string name = info.param.name;
      for (char& ch : name)
        if (!std::isalnum(static_cast<unsigned char>(ch))) ch = '_';
      return name;
    });

TEST(CheckFieldText, RemovesCharactersGbkCannotHold) {
  const FieldCheck check = CheckFieldText("CM\xF0\x9F\x98\x80NET\xF0\x9F\x98\x81", 16, false);
  EXPECT_EQ(check.text, "CMNET");
  EXPECT_TRUE(check.rewrite);
  EXPECT_FALSE(check.cut);
  ASSERT_TRUE(check.refused);
  EXPECT_EQ(*check.refused, U'\U0001F600');  // the first one is named
}

TEST(CheckFieldText, RemovesThenCuts) {
  const FieldCheck check = CheckFieldText("abcdefgh\xF0\x9F\x98\x80ij", 8, false);
  EXPECT_EQ(check.text, "abcdefgh");
  EXPECT_TRUE(check.cut);
  EXPECT_TRUE(check.refused);
}

TEST(FieldMessages, NameTheMaximumAndTheCharacter) {
  EXPECT_EQ(MaxLengthMessage(16), "最大长度16个字节！");
  EXPECT_EQ(UnencodableCharacterMessage(U'\U0001F600'),
            "不能输入字符 \"\xF0\x9F\x98\x80\" (U+1F600)：该字符无法用GBK编码保存。");
}

struct ToggleCase {
  std::string text;
  bool checked;
  std::optional<std::string> result;
};

class HexToggledTextTest : public testing::TestWithParam<ToggleCase> {};

TEST_P(HexToggledTextTest, ConvertsBetweenTextAndDump) {
  EXPECT_EQ(HexToggledText(GetParam().text, GetParam().checked), GetParam().result);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, HexToggledTextTest,
    testing::Values(ToggleCase{"AB", true, "41 42 "}, ToggleCase{"41 42 ", false, "AB"},
                    ToggleCase{"41 00 42 ", false, "A"}, ToggleCase{"0D 0A ", false, "\r\n"},
                    ToggleCase{"GPRSOK\r\n", true, "47 50 52 53 4F 4B 0D 0A "},
                    ToggleCase{"中", true, "D6 D0 "}, ToggleCase{"D6D0", false, "中"},
                    ToggleCase{"4", false, std::nullopt}, ToggleCase{"", false, std::nullopt},
                    ToggleCase{"", true, std::nullopt}, ToggleCase{"A", true, "41 "},
                    ToggleCase{"4G41", false, ""}, ToggleCase{"zz", false, ""}),
    [](const testing::TestParamInfo<ToggleCase>& info) {
      return "case" + std::to_string(info.index);
    });

TEST(HexToggledText, KeepsBytesThatAreNoCharacter) {
  const auto text = HexToggledText("80 41 ", false);
  ASSERT_TRUE(text);
  EXPECT_EQ(HexToggledText(*text, true), "80 41 ");
}

TEST(CommandByteLength, CountsBytes) {
  EXPECT_EQ(CommandByteLength("Read", false), 4u);
  EXPECT_EQ(CommandByteLength("读取", false), 4u);
  EXPECT_EQ(CommandByteLength("52 65 61 64 ", true), 4u);
  EXPECT_EQ(CommandByteLength("52 65 61", true), 3u);
  EXPECT_EQ(CommandByteLength("52 65 6", true), 2u);
  EXPECT_EQ(CommandByteLength("", true), 0u);
}

TEST(FieldCapacities, FollowTheBlockLayout) {
  EXPECT_EQ(TextCapacity(field::apn), 16u);
  EXPECT_EQ(TextCapacity(field::sms_number1), 13u);
  EXPECT_EQ(CountedCapacity(field::gprs_notice), 10u);
  EXPECT_EQ(CountedCapacity(field::frame_head), 8u);
}

TEST(EntryChecks, UnsignedEntries) {
  EXPECT_EQ(ParseUnsignedEntry("0"), 0u);
  EXPECT_EQ(ParseUnsignedEntry(" 5001 "), 5001u);
  EXPECT_EQ(ParseUnsignedEntry("+7"), 7u);
  EXPECT_EQ(ParseUnsignedEntry("4294967295"), 4294967295u);
  EXPECT_FALSE(ParseUnsignedEntry("4294967296"));
  EXPECT_FALSE(ParseUnsignedEntry(""));
  EXPECT_FALSE(ParseUnsignedEntry("  "));
  EXPECT_FALSE(ParseUnsignedEntry("-1"));
  EXPECT_FALSE(ParseUnsignedEntry("12a"));
  EXPECT_FALSE(ParseUnsignedEntry("1 2"));
}

TEST(EntryChecks, ByteEntries) {
  EXPECT_EQ(ParseByteEntry("255"), 255u);
  EXPECT_FALSE(ParseByteEntry("256"));
  EXPECT_FALSE(ParseByteEntry("x"));
  EXPECT_EQ(EnterRangeMessage(1, 32), "“请填入一个在1和32之间的整数。”");
}

// An address field takes four numbers from 0 to 255, or nothing (0.0.0.0); every other text
// is refused instead of being read as some other address.
TEST(AddressEntries, OnlyFourNumbersUpTo255) {
  using Address = std::array<std::uint8_t, 4>;
  const struct {
    const char* text;
    std::optional<Address> address;
  } cases[] = {
      {"192.168.1.10", Address{192, 168, 1, 10}},
      {" 10.0.0.255 ", Address{10, 0, 0, 255}},
      {"", Address{}},
      {"300.1.1.1", std::nullopt},
      {"1.2.3", std::nullopt},
      {"abc.1.1.999", std::nullopt},
      {"1.2.3.4.5", std::nullopt},
      {"1..3.4", std::nullopt},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ReadAddressEntry(c.text), c.address) << c.text;
    EXPECT_EQ(IsAddressEntry(c.text), c.address.has_value()) << c.text;
  }
}

TEST(HexDumpEntries, WholeBytesOfHexDigitsOnly) {
  const struct {
    const char* text;
    bool characters;
    bool complete;
  } cases[] = {{"41 42 ", true, true},   {"4142", true, true},    {"", true, true},
               {"41 42 4", true, false}, {"zz 4g", false, false}, {"41\t42", false, false}};
  for (const auto& c : cases) {
    EXPECT_EQ(IsHexDumpCharacters(c.text), c.characters) << c.text;
    EXPECT_EQ(!HexDumpProblem(c.text).has_value(), c.complete) << c.text;
  }
}

TEST(DeviceNumberForms, ConvertOrRefuse) {
  EXPECT_EQ(DeviceNumberInOtherForm("1A2B", false), "6699");
  EXPECT_EQ(DeviceNumberInOtherForm("6699", true), "1A2B");
  EXPECT_EQ(DeviceNumberInOtherForm("FFFF", false), "65535");
  EXPECT_EQ(DeviceNumberInOtherForm("10000", false), std::nullopt);  // 65536
  EXPECT_EQ(DeviceNumberInOtherForm("", false), "");
  EXPECT_EQ(UnitOwnValueEntry(14400), "14400（设备当前值）");
}

}  // namespace
}  // namespace dtu
