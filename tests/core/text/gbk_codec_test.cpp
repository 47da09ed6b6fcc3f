#include "core/text/gbk_codec.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace dtu {
namespace {

std::string Hex(std::string_view bytes) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  std::string out;
  for (char c : bytes) {
    const auto b = static_cast<unsigned char>(c);
    out += kDigits[b >> 4];
    out += kDigits[b & 0x0F];
    out += ' ';
  }
  return out;
}

struct Pair {
  std::string utf8;
  std::string gbk;
};

TEST(GbkCodec, ConvertsBothWays) {
  const std::vector<Pair> pairs{
      {"", ""},
      {"cmnet", "cmnet"},
      {"接入点", "\xBD\xD3\xC8\xEB\xB5\xE3"},
      {"中文", "\xD6\xD0\xCE\xC4"},
      {"APN接入", "APN\xBD\xD3\xC8\xEB"},
      {"最大长度%d个字节！", "\xD7\xEE\xB4\xF3\xB3\xA4\xB6\xC8%d\xB8\xF6\xD7\xD6\xBD\xDA\xA3\xA1"},
      {std::string("a\0b", 3), std::string("a\0b", 3)},
      {"\r\n\t", "\r\n\t"},
  };
  for (const Pair& p : pairs) {
    SCOPED_TRACE(p.utf8);
    const GbkText gbk = Utf8ToGbk(p.utf8);
    EXPECT_TRUE(gbk.ok());
    EXPECT_EQ(Hex(gbk.bytes), Hex(p.gbk));
    EXPECT_EQ(GbkToUtf8(p.gbk), p.utf8);
  }
}

TEST(GbkCodec, LengthCountsAChineseCharacterAsTwoBytes) {
  EXPECT_EQ(GbkLength(""), 0u);
  EXPECT_EQ(GbkLength("cmnet"), 5u);
  EXPECT_EQ(GbkLength("接入点"), 6u);
  EXPECT_EQ(GbkLength("ab接c"), 5u);
  EXPECT_FALSE(GbkLength("ab😀").has_value());
}

TEST(GbkCodec, UnencodableCharacterIsReportedNeverReplaced) {
  struct Case {
    std::string utf8;
    char32_t character;
    std::string converted_before;
  };
  const std::vector<Case> cases{
      {"ab😀cd", U'😀', "ab"},
      {"😀", U'😀', ""},
      {"接入点😀x", U'😀', "\xBD\xD3\xC8\xEB\xB5\xE3"},
      {"x\xE0\xB8\x81", U'\u0E01', "x"},  // a Thai letter
      {"a\xFF", U'\uFFFD', "a"},          // invalid UTF-8
      {"a\xE6\x8E", U'\uFFFD', "a"},      // a character cut short
      {"\xC0\xAF", U'\uFFFD', ""},        // an overlong form of '/'
      {"\xED\xA0\x80", U'\uFFFD', ""},    // a surrogate
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(Hex(c.utf8));
    const GbkText gbk = Utf8ToGbk(c.utf8);
    ASSERT_FALSE(gbk.ok());
    EXPECT_EQ(*gbk.unencodable, c.character);
    EXPECT_EQ(Hex(gbk.bytes), Hex(c.converted_before));
    EXPECT_EQ(gbk.bytes.find('?'), std::string::npos);
  }
}

TEST(GbkCodec, BytesThatAreNoCharacterRoundTripUnchanged) {
  const std::vector<std::string> samples{
      "\x81",  // a lone lead byte at the end
      "abc\x81",
      "\xFF",      // never a GBK byte
      "\x81\x20",  // a lead byte before a byte that cannot trail
      "\x81\x7F",
      "\xAA\xA1",  // a pair in a range without characters
      "\xFE\xFE",
      "\xAA\xA1\xB0\xA1\xA1",  // such a pair followed by characters
      "\xBD\xD3\xFF\xC8\xEB",
      "\x80",
      std::string("\x81\0", 2),
  };
  for (const std::string& gbk : samples) {
    SCOPED_TRACE(Hex(gbk));
    const std::string utf8 = GbkToUtf8(gbk);
    const GbkText back = Utf8ToGbk(utf8);
    ASSERT_TRUE(back.ok());
    EXPECT_EQ(Hex(back.bytes), Hex(gbk));
    EXPECT_EQ(utf8.find('?'), std::string::npos);
  }
}

TEST(GbkCodec, EveryOneAndTwoByteSequenceRoundTrips) {
  int failures = 0;
  for (int first = 0; first < 256; ++first) {
    for (int second = -1; second < 256; ++second) {
      std::string gbk(1, static_cast<char>(first));
      if (second >= 0) gbk += static_cast<char>(second);
      const GbkText back = Utf8ToGbk(GbkToUtf8(gbk));
      if ((!back.ok() || back.bytes != gbk) && ++failures <= 5) ADD_FAILURE() << Hex(gbk);
    }
  }
  EXPECT_EQ(failures, 0);
}

TEST(GbkCodec, RandomByteStringsRoundTrip) {
  std::mt19937 random(20240601);
  for (int n = 0; n < 20000; ++n) {
    std::string gbk(random() % 16, '\0');
    for (char& c : gbk)
      c = static_cast<char>(random() % 2 ? 0x80 + random() % 128 : random() % 128);
    const GbkText back = Utf8ToGbk(GbkToUtf8(gbk));
    ASSERT_TRUE(back.ok()) << Hex(gbk);
    ASSERT_EQ(Hex(back.bytes), Hex(gbk));
  }
}

TEST(GbkCodec, ConversionOutputIsValidUtf8) {
  // Whatever the GBK side holds, the UTF-8 side reads back without a replacement character.
  for (const std::string gbk : {"\xFF\x80\x81", "\xBD\xD3\xAA\xA1", "\x81\x30"}) {
    const std::string utf8 = GbkToUtf8(gbk);
    EXPECT_TRUE(Utf8ToGbk(utf8).ok()) << Hex(gbk);
  }
}

struct CutCase {
  std::string gbk;
  std::size_t max;
  std::size_t cut;
};

TEST(GbkCut, NeverSplitsATwoByteCharacter) {
  const std::string jie_ru = "\xBD\xD3\xC8\xEB";  // 接入
  const std::vector<CutCase> cases{
      {jie_ru, 0, 0},       {jie_ru, 1, 0},                          // inside the first character
      {jie_ru, 2, 2},                                                // at a boundary
      {jie_ru, 3, 2},       {jie_ru, 4, 4},       {jie_ru, 100, 4},  // larger than the text
      {"a" + jie_ru, 2, 1}, {"a" + jie_ru, 3, 3}, {"abc", 2, 2},
      {"", 5, 0},           {"ab\x81", 3, 3},  // a stray lead byte is one byte
      {"\x81\x20x", 1, 1},  {"\xFF\xFF", 1, 1},
  };
  for (const CutCase& c : cases) {
    SCOPED_TRACE(Hex(c.gbk) + "max " + std::to_string(c.max));
    EXPECT_EQ(GbkCutPoint(c.gbk, c.max), c.cut);
    EXPECT_EQ(Hex(CutGbk(c.gbk, c.max)), Hex(c.gbk.substr(0, c.cut)));
  }
}

TEST(GbkCut, Utf8TextCutToAGbkByteCount) {
  struct Case {
    std::string utf8;
    std::size_t max;
    std::string kept;
  };
  const std::vector<Case> cases{
      {"接入点", 6, "接入点"},
      {"接入点", 5, "接入"},
      {"接入点", 1, ""},
      {"a接入点", 4, "a接"},
      {"cmnet", 3, "cmn"},
      {"cmnet", 0, ""},
      {"ab😀cd", 10, "ab"},  // an unencodable character ends the text
      {"", 3, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.utf8 + " max " + std::to_string(c.max));
    EXPECT_EQ(CutUtf8ToGbkLength(c.utf8, c.max), c.kept);
  }
}

TEST(GbkCodec, DescribeCharacterNamesItAndItsCodePoint) {
  EXPECT_EQ(DescribeCharacter(U'😀'), "\"😀\" (U+1F600)");
  EXPECT_EQ(DescribeCharacter(U'\u0E01'), "\"\u0E01\" (U+0E01)");
  EXPECT_EQ(DescribeCharacter(U'A'), "\"A\" (U+0041)");
  // Something that is no character at all is shown as the replacement character.
  EXPECT_EQ(DescribeCharacter(static_cast<char32_t>(0x110000)), "\"\uFFFD\" (U+110000)");
  EXPECT_EQ(DescribeCharacter(static_cast<char32_t>(0xD800)), "\"\uFFFD\" (U+D800)");
}

TEST(GbkCodec, CarriedBytesAreTheHighPrivateUseCharacters) {
  EXPECT_FALSE(CarriedGbkByte(0xF77F).has_value());
  EXPECT_EQ(CarriedGbkByte(0xF780), std::optional<std::uint8_t>(0x80));
  EXPECT_EQ(CarriedGbkByte(0xF7FF), std::optional<std::uint8_t>(0xFF));
  EXPECT_FALSE(CarriedGbkByte(0xF800).has_value());
  EXPECT_FALSE(CarriedGbkByte(U'A').has_value());
}

}  // namespace
}  // namespace dtu
