#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace dtu {

// The one reader and writer of UTF-8 for the program's texts.

inline constexpr char32_t kReplacementCharacter = 0xFFFD;

// One character of a UTF-8 text: its code point and how many bytes it takes.
struct Utf8Char {
  char32_t code = 0;
  std::size_t length = 0;
};

// The character that starts at `pos` (which must lie inside `text`). A byte that starts no
// well-formed character (a stray continuation byte, a cut-off sequence, an overlong form, a
// surrogate, a value past U+10FFFF) gives U+FFFD over that one byte, so that the next character
// is looked for at the next byte.
Utf8Char DecodeUtf8At(std::string_view text, std::size_t pos);

// Appends the UTF-8 bytes of a code point (at most U+10FFFF).
void AppendUtf8(std::string& out, char32_t c);

// The columns a character takes on a terminal: two for the wide scripts (CJK and its
// punctuation, full-width forms), one otherwise.
std::size_t TerminalColumns(char32_t c);

// The columns a text takes on a terminal, so that tables and indents line up under Chinese.
std::size_t TerminalColumns(std::string_view text);

// The longest start of `text` of at most `limit` bytes that does not end inside a character.
std::string_view Utf8Prefix(std::string_view text, std::size_t limit);

}  // namespace dtu
