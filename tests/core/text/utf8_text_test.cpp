#include "core/text/utf8_text.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>

namespace dtu {
namespace {

struct DecodeCase {
  std::string_view text;
  char32_t code;
  std::size_t length;
};

TEST(Utf8Text, DecodesWellFormedCharactersAndRefusesTheRestByteByByte) {
  for (const DecodeCase& c : {
           DecodeCase{"A", U'A', 1},
           DecodeCase{"\xC3\xA9", 0xE9, 2},                   // é
           DecodeCase{"\xE4\xB8\xAD", 0x4E2D, 3},             // 中
           DecodeCase{"\xF0\x9F\x98\x80", 0x1F600, 4},        // an emoji
           DecodeCase{"\xEF\xBF\xBD", 0xFFFD, 3},             // U+FFFD itself, well formed
           DecodeCase{"\x80", kReplacementCharacter, 1},      // a stray continuation byte
           DecodeCase{"\xE4\xB8", kReplacementCharacter, 1},  // cut off
           DecodeCase{"\xE4"
                      "A",
                      kReplacementCharacter, 1},                      // broken by an ASCII byte
           DecodeCase{"\xC0\x80", kReplacementCharacter, 1},          // overlong
           DecodeCase{"\xED\xA0\x80", kReplacementCharacter, 1},      // a surrogate
           DecodeCase{"\xF4\x90\x80\x80", kReplacementCharacter, 1},  // past U+10FFFF
           DecodeCase{"\xFF", kReplacementCharacter, 1},
       }) {
    const Utf8Char decoded = DecodeUtf8At(c.text, 0);
    EXPECT_EQ(decoded.code, c.code) << testing::PrintToString(std::string(c.text));
    EXPECT_EQ(decoded.length, c.length) << testing::PrintToString(std::string(c.text));
  }
}

TEST(Utf8Text, AppendWritesWhatDecodeReads) {
  for (char32_t c : {char32_t{0}, U'A', char32_t{0x7FF}, char32_t{0x800}, char32_t{0xF780},
                     char32_t{0xFFFF}, char32_t{0x10000}, char32_t{0x10FFFF}}) {
    std::string text = "x";
    AppendUtf8(text, c);
    const Utf8Char decoded = DecodeUtf8At(text, 1);
    EXPECT_EQ(decoded.code, c);
    EXPECT_EQ(decoded.length, text.size() - 1);
  }
}

TEST(Utf8Text, PrefixNeverEndsInsideACharacter) {
  const std::string text = "ab\xE4\xB8\xAD";  // "ab中"
  EXPECT_EQ(Utf8Prefix(text, 5), text);
  EXPECT_EQ(Utf8Prefix(text, 9), text);
  EXPECT_EQ(Utf8Prefix(text, 4), "ab");
  EXPECT_EQ(Utf8Prefix(text, 3), "ab");
  EXPECT_EQ(Utf8Prefix(text, 2), "ab");
  EXPECT_EQ(Utf8Prefix(text, 0), "");
}

// Two columns for a CJK character or full-width sign, one for the rest; a broken byte is one
// replacement character.
TEST(Utf8Text, TerminalColumnsCountWideCharactersTwice) {
  const std::pair<std::string_view, std::size_t> cases[] = {
      {"", 0},         {"station", 7}, {"工位", 4},     {"台/小时", 7},
      {"（2026）", 8}, {"é", 1},       {"\xE5\xB7", 2}, {"ab工位-1", 8},
  };
  for (const auto& [text, columns] : cases) EXPECT_EQ(TerminalColumns(text), columns) << text;
}

}  // namespace
}  // namespace dtu
