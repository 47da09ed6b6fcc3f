#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "core/block/block_layout.h"

namespace dtu {

// The rules the editor's text fields follow while the user types, free of any widget: byte
// limits counted in GBK, the refusal of characters GBK cannot hold, the "16进制" display and
// the byte count of the timed command. Texts are UTF-8 as the fields hold them.

// How many bytes a field of the block can take from the editor: a text field keeps one byte
// for its terminating 0x00, a counted field is used whole.
constexpr std::size_t TextCapacity(const FieldRow& text_field) {
  return text_field.size - 1u;
}
constexpr std::size_t CountedCapacity(const FieldRow& counted_area) {
  return counted_area.size;
}

// "最大长度%d个字节！" with the maximum in bytes.
std::string MaxLengthMessage(std::size_t max_bytes);

// Names a character the unit cannot store, e.g. an emoji typed into a field.
std::string UnencodableCharacterMessage(char32_t c);

// The outcome of one field check.
struct FieldCheck {
  std::string text;                 // what the field holds after the check
  bool rewrite = false;             // the field must be given `text`
  std::optional<char32_t> refused;  // the first character removed because GBK cannot hold it
  bool cut = false;                 // the text was over its limit and has been cut
};

// Checks a field's text after a change. Characters GBK cannot hold are removed. Then, with a
// limit: as plain text the GBK bytes may not exceed `max_bytes` (a Chinese character counts two
// and is never split); in hex mode the text without spaces may not exceed 2 × `max_bytes`
// digits, and a text over that goes back cut and without spaces. A text within its limit stays
// exactly as typed.
FieldCheck CheckFieldText(std::string_view text, std::optional<std::size_t> max_bytes, bool hex);

// The field's new text when its "16进制" box changes, or nothing when it stays as it is.
// Checked: the GBK bytes of the text as a hex dump ("AB" gives "41 42 "). Cleared, with at least
// two characters: the dump read as bytes, up to the first 0x00, as GBK text ("41 00 42 " gives
// "A"). An empty text, and a one-character text being cleared, stay unchanged.
std::optional<std::string> HexToggledText(std::string_view text, bool checked);

// The byte count of a command as the "长度" box shows it: in hex mode half the digits (spaces
// not counted, rounded down), otherwise the GBK length.
std::size_t CommandByteLength(std::string_view text, bool hex);

}  // namespace dtu
