#include "core/text/hex_text.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>
#include <vector>

namespace dtu {
namespace {

using ::testing::ElementsAre;

using Bytes = std::vector<std::uint8_t>;

std::string Show(std::string_view text) {
  std::string shown;
  for (char c : text) {
    if (c >= 0x20 && c < 0x7F) {
      shown += c;
    } else {
      shown += "\\x" + EncodeHexText(Bytes{static_cast<std::uint8_t>(c)});
    }
  }
  return "'" + shown + "'";
}

// ---------------------------------------------------------------------------------------------
// Hex dump (the field display form)

struct DumpCase {
  Bytes bytes;
  std::string text;
};

TEST(FormatHexDump, ThreeCharactersPerByteWithATrailingSpace) {
  const std::vector<DumpCase> cases{
      {{}, ""},
      {{0x00}, "00 "},
      {{0x41, 0x0D}, "41 0D "},
      {{0xAB, 0xCD, 0xEF, 0x10}, "AB CD EF 10 "},
      {{0xFF}, "FF "},
  };
  for (const DumpCase& c : cases) EXPECT_EQ(FormatHexDump(c.bytes), c.text);
}

TEST(FormatHexDump, LongestFieldGives162Characters) {
  EXPECT_EQ(FormatHexDump(Bytes(54, 0x7E)).size(), 162u);
}

struct ParseCase {
  std::string text;
  Bytes bytes;
};

TEST(ParseHexDump, SpacesAreIgnoredAndEveryOtherCharacterIsADigitPosition) {
  const std::vector<ParseCase> cases{
      {"", {}},
      {"a", {}},                  // one character: no pair
      {"4 1 4 2", {0x41, 0x42}},  // spaces anywhere
      {"41 42 ", {0x41, 0x42}},
      {"41 42 4", {0x41, 0x42}},  // odd last character dropped
      {"4G41", {0x00, 0x41}},     // an invalid pair is 0x00, the next is read
      {"0d0a", {0x0D, 0x0A}},     // lower case accepted
      {"0D 0A ", {0x0D, 0x0A}},
      {"1G", {0x00}},
      {"41\t42", {0x41, 0x00}},  // the tab pairs with '4', the '2' is dropped
      {std::string{'4', '1', '\0', '4', '2'}, {0x41, 0x00}},  // a zero character is no digit
      {"41\r\n42", {0x41, 0x00, 0x42}},                       // line breaks are not separators
      {"zz", {0x00}},                                         // upper-casing makes no digit of z
      {"     ", {}},
      {"fF", {0xFF}},
  };
  for (const ParseCase& c : cases) EXPECT_EQ(ParseHexDump(c.text), c.bytes) << Show(c.text);
}

TEST(ParseHexDump, RoundTripsEveryByteThroughTheDumpForm) {
  Bytes all;
  for (int b = 0; b < 256; ++b) all.push_back(static_cast<std::uint8_t>(b));
  EXPECT_EQ(ParseHexDump(FormatHexDump(all)), all);
}

TEST(ParseHexDump, ReadsOnlyTheFirst4999CharactersOfItsInput) {
  // 10,000 characters of "41": the first 4,999 are read, an odd count, so 2,499 bytes.
  std::string long_text;
  for (int i = 0; i < 5000; ++i) long_text += "41";
  ASSERT_EQ(long_text.size(), 10000u);
  EXPECT_EQ(ParseHexDump(long_text), Bytes(2499, 0x41));

  // The limit counts the input as given, spaces included: 4,998 characters of "12" and then
  // "34" puts the '3' at position 4,999 and the '4' beyond the limit.
  std::string edge;
  for (int i = 0; i < 2499; ++i) edge += "12";
  edge += "34";
  EXPECT_EQ(ParseHexDump(edge), Bytes(2499, 0x12));

  std::string spaced;
  for (int i = 0; i < 3000; ++i) spaced += "AB ";
  EXPECT_EQ(ParseHexDump(spaced).size(), 1666u);  // 4,999 / 3 = 1,666 whole "AB " groups
  EXPECT_EQ(ParseHexDump(std::string(4999, '1')).size(), 2499u);
}

TEST(HexPairToByte, BothCharactersMustBeHexDigits) {
  struct Case {
    char high, low;
    std::uint8_t byte;
  };
  const std::vector<Case> cases{
      {'4', '1', 0x41},  {'f', 'F', 0xFF},    {'0', '0', 0x00},  {'A', '9', 0xA9},
      {'9', 'a', 0x9A},  {'1', 'G', 0x00},    {'G', '1', 0x00},  {'1', ' ', 0x00},
      {'\t', '4', 0x00}, {'\0', '1', 0x00},   {'1', '\0', 0x00}, {'\0', '\0', 0x00},
      {'-', '1', 0x00},  {'1', '\xB0', 0x00},
  };
  for (const Case& c : cases)
    EXPECT_EQ(HexPairToByte(c.high, c.low), c.byte) << Show(std::string{c.high, c.low});
}

// ---------------------------------------------------------------------------------------------
// Transport hex text

TEST(EncodeHexText, TwoUpperCaseDigitsPerByteNoSeparators) {
  EXPECT_EQ(EncodeHexText(Bytes{}), "");
  EXPECT_EQ(EncodeHexText(Bytes{0x94, 0x02, 0x00, 0x00}), "94020000");
  EXPECT_EQ(EncodeHexText(Bytes{0xab, 0x0f}), "AB0F");
  EXPECT_EQ(EncodeHexText(Bytes(660, 0)).size(), 1320u);
}

TEST(DecodeHexText, EachCharacterIsValuedOnItsOwn) {
  const std::vector<ParseCase> cases{
      {"", {}},
      {"1G", {0x10}},  // G counts 0 for its half only
      {"G1", {0x01}},
      {"GG", {0x00}},
      {"ab", {0xAB}},  // either case
      {"aBcD", {0xAB, 0xCD}},
      {"123", {0x12}},         // odd last character ignored
      {"4 1 ", {0x40, 0x10}},  // spaces are characters here
      {"\xFF\xFF", {0x00}},
  };
  for (const ParseCase& c : cases) EXPECT_EQ(DecodeHexText(c.text), c.bytes) << Show(c.text);
}

TEST(DecodeHexText, InvertsEncodeHexText) {
  Bytes all;
  for (int b = 0; b < 256; ++b) all.push_back(static_cast<std::uint8_t>(b));
  EXPECT_EQ(DecodeHexText(EncodeHexText(all)), all);
}

// ---------------------------------------------------------------------------------------------
// Decimal

TEST(ParseDecimal, ValueOfTheTrailingRunOfDigits) {
  struct Case {
    std::string text;
    std::uint32_t value;
  };
  const std::vector<Case> cases{
      {"5001", 5001},
      {"0080", 80},
      {" 80", 80},
      {"80 ", 0},
      {"12a34", 34},
      {"-5", 5},
      {"", 0},
      {"0", 0},
      {"abc", 0},
      {"4294967295", 4294967295u},
      {"4294967296", 0},  // wraps at 32 bits
      {"4294967297", 1},
      {"10000000000", 1410065408},  // 10^10 mod 2^32
      {"00000000000000000000007", 7},
  };
  for (const Case& c : cases) EXPECT_EQ(ParseDecimal(c.text), c.value) << Show(c.text);
}

TEST(FormatDecimal, PlainDigits) {
  EXPECT_EQ(FormatDecimal(0), "0");
  EXPECT_EQ(FormatDecimal(7), "7");
  EXPECT_EQ(FormatDecimal(5001), "5001");
  EXPECT_EQ(FormatDecimal(65535), "65535");
  EXPECT_EQ(FormatDecimal(4294967295u), "4294967295");
}

// ---------------------------------------------------------------------------------------------
// Dotted addresses

TEST(ParseDottedIPv4, FourPassesOverTheText) {
  struct Case {
    std::string text;
    std::array<std::uint8_t, 4> address;
  };
  const std::vector<Case> cases{
      {"192.168.1.10", {0xC0, 0xA8, 0x01, 0x0A}},
      {"10.0.0", {0x0A, 0x00, 0x00, 0x00}},  // the last component repeats
      {"1.2", {0x01, 0x02, 0x02, 0x02}},
      {"7", {7, 7, 7, 7}},
      {"", {0, 0, 0, 0}},
      {"300.1.1.1", {0x2C, 0x01, 0x01, 0x01}},  // low eight bits
      {"1.2.3.4.5", {0x01, 0x02, 0x03, 0x04}},  // text after the fourth component unread
      {"1..3.4", {1, 0, 3, 4}},
      {"1.2.3.", {1, 2, 3, 0}},
      {" 1. +2.-1.4x", {1, 2, 0xFF, 4}},  // blanks, signs, trailing garbage
      {"a.b.c.d", {0, 0, 0, 0}},
      {"255.255.255.255", {255, 255, 255, 255}},
      {"256.257.-256.65536", {0, 1, 0, 0}},
  };
  for (const Case& c : cases) EXPECT_EQ(ParseDottedIPv4(c.text), c.address) << Show(c.text);
}

TEST(ParseDottedIPv4, OnlyTheFirstElevenCharactersOfAComponentAreRead) {
  // "000000000001" has twelve characters: the '1' is beyond the limit.
  EXPECT_EQ(ParseDottedIPv4("000000000001.2.3.4"), (std::array<std::uint8_t, 4>{0, 2, 3, 4}));
  EXPECT_EQ(ParseDottedIPv4("00000000001.2.3.4"), (std::array<std::uint8_t, 4>{1, 2, 3, 4}));
  EXPECT_EQ(ParseDottedIPv4("1.2.3.           9"), (std::array<std::uint8_t, 4>{1, 2, 3, 0}));
  EXPECT_EQ(ParseDottedIPv4("1.2.3.          9"), (std::array<std::uint8_t, 4>{1, 2, 3, 9}));
  // A huge component saturates like the C library instead of overflowing.
  const auto huge = ParseDottedIPv4(std::string(10000, '9'));
  EXPECT_EQ(huge, (std::array<std::uint8_t, 4>{0xFF, 0xFF, 0xFF, 0xFF}));
}

TEST(FormatDottedIPv4, DecimalBytesJoinedByDots) {
  EXPECT_EQ(FormatDottedIPv4({0xC0, 0xA8, 0x01, 0x0A}), "192.168.1.10");
  EXPECT_EQ(FormatDottedIPv4({0, 0, 0, 0}), "0.0.0.0");
  EXPECT_EQ(FormatDottedIPv4({255, 255, 255, 255}), "255.255.255.255");
  EXPECT_EQ(ParseDottedIPv4(FormatDottedIPv4({1, 20, 30, 0})),
            (std::array<std::uint8_t, 4>{1, 20, 30, 0}));
}

// ---------------------------------------------------------------------------------------------
// Keyword matcher

// The 0-based positions in `stream` at which MatchStep reports the keyword complete.
std::vector<std::size_t> Completions(std::string_view keyword, std::string_view stream) {
  std::vector<std::size_t> at;
  int progress = 0;
  for (std::size_t i = 0; i < stream.size(); ++i)
    if (MatchStep(keyword, stream[i], progress)) at.push_back(i);
  return at;
}

TEST(MatchStep, StreamingSearchWithoutBacktracking) {
  struct Case {
    std::string keyword;
    std::string stream;
    std::vector<std::size_t> completions;
  };
  const std::vector<Case> cases{
      {"aab", "aab", {2}},
      {"aab", "aaab", {}},             // the third 'a' restarts at one character
      {"DTUPARA", "DTUDTUPARA", {9}},  // completes at the final 'A'
      {"$$$SETOK", "$$$$SETOK", {}},   // a fourth '$' spoils the match
      {"$$$SETOK", "x$$$SETOK", {8}},
      {"$$$SETOK", "$$$SETOK$$$SETOK", {7, 15}},  // progress resets after a match
      {"DTUPARA", "DTUPARADTUPARA", {6, 13}},
      {"VER:", "xxVER:yyVER:", {5, 11}},
      {"$$$ChkErr\r", "$$$ChkErr\n$$$ChkErr\r", {19}},
      {"a", "aaa", {0, 1, 2}},
      {"ab", "", {}},
  };
  for (const Case& c : cases)
    EXPECT_EQ(Completions(c.keyword, c.stream), c.completions)
        << Show(c.keyword) << " over " << Show(c.stream);
}

TEST(MatchStep, ProgressCountsMatchedCharacters) {
  int progress = 0;
  EXPECT_FALSE(MatchStep("DTUPARA", 'D', progress));
  EXPECT_EQ(progress, 1);
  EXPECT_FALSE(MatchStep("DTUPARA", 'T', progress));
  EXPECT_EQ(progress, 2);
  EXPECT_FALSE(MatchStep("DTUPARA", 'x', progress));
  EXPECT_EQ(progress, 0);
  EXPECT_FALSE(MatchStep("DTUPARA", 'D', progress));
  EXPECT_EQ(progress, 1);
}

TEST(MatchStep, NeverReadsOutsideTheKeyword) {
  int out_of_range = 99;
  EXPECT_FALSE(MatchStep("ab", 'x', out_of_range));
  EXPECT_EQ(out_of_range, 0);
  int negative = -3;
  EXPECT_FALSE(MatchStep("ab", 'a', negative));
  EXPECT_EQ(negative, 1);
  int progress = 0;
  EXPECT_FALSE(MatchStep("", 'a', progress));
  EXPECT_EQ(progress, 0);
}

// ---------------------------------------------------------------------------------------------
// C library style number reading and "%X" writing

TEST(ParseCDecimal, ReadsLikeTheCLibrary) {
  struct Case {
    std::string text;
    std::int32_t value;
  };
  constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
  constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();
  const std::vector<Case> cases{
      {"123", 123},
      {"  \t\n42", 42},
      {"+7", 7},
      {"-7", -7},
      {"12ab", 12},
      {"", 0},
      {"abc", 0},
      {"-", 0},
      {"- 5", 0},
      {"+-5", 0},
      {"007", 7},
      {"2147483647", kMax},
      {"2147483648", kMax},  // saturates
      {"-2147483648", kMin},
      {"-2147483649", kMin},
      {std::string(50, '9'), kMax},
  };
  for (const Case& c : cases) EXPECT_EQ(ParseCDecimal(c.text), c.value) << Show(c.text);
}

TEST(ParseCHexadecimal, ReadsLikeTheCLibrary) {
  struct Case {
    std::string text;
    std::uint32_t value;
  };
  const std::vector<Case> cases{
      {"1F40", 0x1F40},
      {"1f40", 0x1F40},
      {"0x1F40", 0x1F40},
      {"0X1f40", 0x1F40},
      {"  12345678", 0x12345678},
      {"+ff", 0xFF},
      {"-1", 0xFFFFFFFF},  // negated modulo 2^32
      {"-0x10", 0xFFFFFFF0},
      {"12G4", 0x12},
      {"0x", 0},  // the prefix needs a digit after it: reads the 0
      {"0xG", 0},
      {"", 0},
      {"xyz", 0},
      {"FFFFFFFF", 0xFFFFFFFF},
      {"100000000", 0xFFFFFFFF},  // saturates
      {"-100000000", 0xFFFFFFFF},
      {std::string(40, 'F'), 0xFFFFFFFF},
      {"0001A2B3C4D", 0x1A2B3C4D},
  };
  for (const Case& c : cases) EXPECT_EQ(ParseCHexadecimal(c.text), c.value) << Show(c.text);
}

TEST(FormatUpperHex, UpperCaseWithoutLeadingZeros) {
  EXPECT_EQ(FormatUpperHex(0), "0");
  EXPECT_EQ(FormatUpperHex(0x1F40), "1F40");
  EXPECT_EQ(FormatUpperHex(0x12345678), "12345678");
  EXPECT_EQ(FormatUpperHex(0x0000ABCD), "ABCD");
  EXPECT_EQ(FormatUpperHex(0xFFFFFFFF), "FFFFFFFF");
  EXPECT_EQ(ParseCHexadecimal(FormatUpperHex(0x1A2B3C4D)), 0x1A2B3C4Du);
}

// The written form keeps what no integer could: the sign and every significant digit.
TEST(WrittenNumber, ReadingsKeepSignAndSignificantDigits) {
  struct Case {
    std::string text;
    int base;  // 0: the trailing digits
    bool negative;
    std::string digits;
  };
  const std::vector<Case> cases{
      {"12a0034", 0, false, "34"},
      {"80 ", 0, false, ""},
      {"007", 0, false, "7"},
      {" \t-0012xyz", 10, true, "12"},
      {"+0", 10, false, ""},
      {"-0", 10, false, ""},
      {"-", 10, false, ""},
      {"123456789012345678901234567890", 10, false, "123456789012345678901234567890"},
      {" 0xdeadBEEF", 16, false, "DEADBEEF"},
      {"-0x0", 16, false, ""},
      {"0x", 16, false, ""},
      {"-1fz", 16, true, "1F"},
  };
  for (const Case& c : cases) {
    const WrittenNumber n = c.base == 0 ? ReadTrailingNumber(c.text) : ReadCNumber(c.text, c.base);
    EXPECT_EQ(n.negative, c.negative) << Show(c.text);
    EXPECT_EQ(n.digits, c.digits) << Show(c.text);
    EXPECT_EQ(n.base, c.base == 16 ? 16 : 10) << Show(c.text);
  }
}

TEST(TrimCBlanks, RemovesTheCLibrarysBlanksAtBothEnds) {
  EXPECT_EQ(TrimCBlanks(" \t\n\v\f\rcm net\r\n "), "cm net");
  EXPECT_EQ(TrimCBlanks("\x01a\x01"), "\x01a\x01");
  EXPECT_EQ(TrimCBlanks("  "), "");
}

}  // namespace
}  // namespace dtu
