#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
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

// An address field's text: four decimal numbers from 0 to 255 joined by dots ("192.168.1.10"),
// blanks around it ignored; an empty field is no address and stands for 0.0.0.0. Nothing for any
// other text: "300.1.1.1", "1.2.3" and "abc.1.1.999" are not addresses.
std::optional<std::array<std::uint8_t, 4>> ReadAddressEntry(std::string_view text);

// Whether a field's text is one ReadAddressEntry takes: an address field shows the others as
// mistakes while they are typed.
inline bool IsAddressEntry(std::string_view text) {
  return ReadAddressEntry(text).has_value();
}

// What a refused address entry says, naming the field.
std::string AddressEntryMessage(std::string_view field_name, std::string_view text);

// The characters an edit may hold, as its input rule lets them through while the user types:
// decimal digits only; hex digits only (protocol 9's device identifier).
bool IsDecimalDigits(std::string_view text);
bool IsHexDigits(std::string_view text);

// The device number field's text when the protocol moves between the decimal device number and
// protocol 9's hexadecimal identifier: the same number in the other form ("1A2B" <-> "6699"); an
// empty text stays empty. Nothing when the number does not fit the other form (an identifier
// above 65535 as a device number); the field is then emptied with DeviceNumberDroppedMessage.
std::optional<std::string> DeviceNumberInOtherForm(std::string_view text, bool to_identifier);
std::string DeviceNumberDroppedMessage(std::string_view identifier);

// Whether a hex field may hold the text at all: hex digits (either case) and spaces only. A
// field with its "16进制" box checked refuses every other character as it is typed.
bool IsHexDumpCharacters(std::string_view text);

// Why a hex field's text is no complete dump of bytes, or nothing when it is one: a character
// other than a hex digit or a space, or an odd count of digits (a byte has two).
std::optional<std::string> HexDumpProblem(std::string_view text);

// What a refused hex field says, naming the field and the problem.
std::string HexDumpMessage(std::string_view field_name, std::string_view problem);

// The extra entry a list shows for a stored value none of its entries stands for, e.g. a unit
// at 14,400 baud: "14400（设备当前值）". Chosen, it stores the value unchanged.
std::string UnitOwnValueEntry(std::uint32_t value);

// The line the list's tooltip gains while it shows such an entry, naming the value in full.
std::string UnitOwnValueTooltip(std::uint32_t value);

}  // namespace dtu
