#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace dtu {

// Pure conversions between bytes and the texts shown in fields and sent on the serial link.
// None of them reports an error: invalid input has a defined result, described per function.
//
// Working limits. The editor's hex dump parser works on at most kHexDumpLimit characters and a
// dotted address component on at most kDottedComponentLimit characters. Longer input is
// truncated to the limit before it is read: characters past the limit are ignored, never
// written anywhere. Everything returns owning containers sized to their content, so no input
// can overrun a buffer.
inline constexpr std::size_t kHexDumpLimit = 4999;
inline constexpr std::size_t kDottedComponentLimit = 11;

// "XX " per byte, upper case, the last pair followed by a space too; no bytes give "".
std::string FormatHexDump(std::span<const std::uint8_t> bytes);

// Reads a hex dump: spaces (only 0x20) are removed, letters upper-cased, an odd last character
// is dropped, and each pair becomes one byte by HexPairToByte (a pair with any non-digit is 0x00).
std::vector<std::uint8_t> ParseHexDump(std::string_view text);

// Two hex digits, either case, to a byte; 0x00 when either character is not a hex digit.
std::uint8_t HexPairToByte(char high, char low);

// Two upper-case hex digits per byte, no separators.
std::string EncodeHexText(std::span<const std::uint8_t> bytes);

// Appends a byte's two upper-case hex digits.
void AppendHexPair(std::string& text, std::uint8_t byte);

// n characters to n/2 bytes (an odd last character is ignored). Each character is valued on its
// own: 0-9, A-F, a-f as usual, anything else 0 for its half only, so "1G" gives 0x10.
std::vector<std::uint8_t> DecodeHexText(std::string_view text);

// The value of the trailing run of decimal digits: "12a34" gives 34, "80 " gives 0, "" gives 0.
// Wraps at 32 bits.
std::uint32_t ParseDecimal(std::string_view text);

// A number as it is written in a text, found by one of the readings below: its sign and its
// digits without leading zeros (none for 0; hex digits upper-cased). Kept as text so that a
// value too large for any integer is not lost to a wrap.
struct WrittenNumber {
  bool negative = false;  // never set for 0
  std::string digits;
  int base = 10;
};

// The trailing run of decimal digits, as ParseDecimal reads it.
WrittenNumber ReadTrailingNumber(std::string_view text);

// The number at the start of a text as the C library reads an integer in base 10 or 16:
// leading blanks, an optional sign, in base 16 an optional 0x prefix, then the digits up to the
// first other character.
WrittenNumber ReadCNumber(std::string_view text, int base);

// The text without the blanks the C library knows (space, \t, \n, \v, \f, \r) at either end.
std::string_view TrimCBlanks(std::string_view text);

// 0-15 for a hex digit of either case, -1 for any other character.
int HexDigitValue(char c);

// Decimal digits without sign, leading zeros or grouping; 0 gives "0".
std::string FormatDecimal(std::uint64_t value);

// Four bytes from a.b.c.d. Each component runs to the next dot; when there is none, the rest of
// the text is the component and later components repeat it ("1.2" gives 1 2 2 2). A component is
// read as the C library reads a decimal integer (leading blanks and a sign accepted, stops at the
// first non-digit, no digits give 0), from at most its first 11 characters, and its low 8 bits
// are kept.
std::array<std::uint8_t, 4> ParseDottedIPv4(std::string_view text);

// "a.b.c.d" in decimal.
std::string FormatDottedIPv4(const std::array<std::uint8_t, 4>& address);

// The strict reading of an address: exactly four decimal numbers from 0 to 255 (one to three
// digits each) joined by dots, nothing before, between or after; nothing for any other text.
std::optional<std::array<std::uint8_t, 4>> ParseDottedQuad(std::string_view text);

// One step of a streaming keyword search: feed one received character with the keyword's own
// progress counter (starting at 0). Returns true on the character that completes the keyword and
// resets the counter. After a mismatch only the current character is tried as a new start;
// earlier characters are never reconsidered, so "aaab" does not complete "aab".
bool MatchStep(std::string_view keyword, char c, int& progress);

// The C library's reading of a decimal integer (ReadCNumber in base 10, 0 without digits).
// Saturates at the range of a 32-bit int instead of overflowing.
std::int32_t ParseCDecimal(std::string_view text);

// The C library's reading of an unsigned hexadecimal integer (ReadCNumber in base 16, 0 without
// digits). Saturates at 0xFFFFFFFF; a minus sign negates modulo 2^32 as the C library does.
std::uint32_t ParseCHexadecimal(std::string_view text);

// The numbers the editor shows in "%X" form: upper-case hex without leading zeros.
std::string FormatUpperHex(std::uint32_t value);

}  // namespace dtu
