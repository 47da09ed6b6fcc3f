#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace dtu {

// The tool speaks GBK (the Simplified-Chinese code page) to the unit and in parameter files; the
// program itself holds UTF-8. These functions are the one place where the two meet.
//
// GBK bytes that do not form a character (a stray lead byte, bytes of another code page left in
// a unit's field) are carried through UTF-8 as private-use characters U+F700 + byte, so that a
// field read from a unit and written back keeps its exact bytes.

// The result of turning UTF-8 text into GBK.
struct GbkText {
  std::string bytes;                    // the GBK bytes of the convertible text
  std::optional<char32_t> unencodable;  // the first character GBK cannot hold, if any

  bool ok() const { return !unencodable.has_value(); }
};

// UTF-8 to GBK. Text GBK cannot hold is reported in `unencodable`, never replaced silently;
// `bytes` then holds the conversion of the text before that character. Invalid UTF-8 is reported
// as U+FFFD.
GbkText Utf8ToGbk(std::string_view utf8);

// GBK to UTF-8; never fails (see the private-use rule above).
std::string GbkToUtf8(std::string_view gbk);

// The byte a private-use character stands for under the rule above (U+F780 to U+F7FF), or
// nothing for any other character.
std::optional<std::uint8_t> CarriedGbkByte(char32_t c);

// The number of GBK bytes of a UTF-8 text (a Chinese character counts two), or nothing when the
// text holds a character GBK cannot hold.
std::optional<std::size_t> GbkLength(std::string_view utf8);

// The largest n <= max such that the first n bytes of `gbk` end on a character boundary.
std::size_t GbkCutPoint(std::string_view gbk, std::size_t max);

// The first GbkCutPoint(gbk, max) bytes of `gbk`.
std::string CutGbk(std::string_view gbk, std::size_t max);

// Cuts UTF-8 text so that its GBK form has at most `max` bytes, at a character boundary.
// Characters GBK cannot hold count as the end of the text.
std::string CutUtf8ToGbkLength(std::string_view utf8, std::size_t max);

// The name of a character for messages: the character itself and its code point, e.g. "😀"
// (U+1F600).
std::string DescribeCharacter(char32_t c);

}  // namespace dtu
