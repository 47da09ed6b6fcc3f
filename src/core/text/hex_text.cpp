#include "core/text/hex_text.h"

#include <algorithm>
#include <cstdint>
#include <limits>

namespace dtu {
namespace {

constexpr std::string_view kUpperDigits = "0123456789ABCDEF";

bool IsCBlank(char c) {
  return c == ' ' || (c >= '\t' && c <= '\r');
}

bool IsDecimalDigit(char c) {
  return c >= '0' && c <= '9';
}

std::string WithoutLeadingZeros(std::string_view digits) {
  const std::size_t first = digits.find_first_not_of('0');
  return first == std::string_view::npos ? std::string() : std::string(digits.substr(first));
}

}  // namespace

void AppendHexPair(std::string& text, std::uint8_t byte) {
  text += kUpperDigits[byte >> 4];
  text += kUpperDigits[byte & 0x0F];
}

int HexDigitValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

std::string FormatHexDump(std::span<const std::uint8_t> bytes) {
  std::string text;
  text.reserve(bytes.size() * 3);
  for (std::uint8_t b : bytes) {
    AppendHexPair(text, b);
    text += ' ';
  }
  return text;
}

std::vector<std::uint8_t> ParseHexDump(std::string_view text) {
  text = text.substr(0, std::min(text.size(), kHexDumpLimit));
  std::string digits;
  digits.reserve(text.size());
  for (char c : text) {
    if (c == ' ') continue;
    digits += (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
  }
  std::vector<std::uint8_t> bytes;
  bytes.reserve(digits.size() / 2);
  for (std::size_t i = 0; i + 1 < digits.size(); i += 2)
    bytes.push_back(HexPairToByte(digits[i], digits[i + 1]));
  return bytes;
}

std::uint8_t HexPairToByte(char high, char low) {
  const int h = HexDigitValue(high);
  const int l = HexDigitValue(low);
  if (h < 0 || l < 0) return 0;
  return static_cast<std::uint8_t>(h * 16 + l);
}

std::string EncodeHexText(std::span<const std::uint8_t> bytes) {
  std::string text;
  text.reserve(bytes.size() * 2);
  for (std::uint8_t b : bytes) AppendHexPair(text, b);
  return text;
}

std::vector<std::uint8_t> DecodeHexText(std::string_view text) {
  std::vector<std::uint8_t> bytes;
  bytes.reserve(text.size() / 2);
  for (std::size_t i = 0; i + 1 < text.size(); i += 2) {
    const int high = std::max(HexDigitValue(text[i]), 0);
    const int low = std::max(HexDigitValue(text[i + 1]), 0);
    bytes.push_back(static_cast<std::uint8_t>(high * 16 + low));
  }
  return bytes;
}

std::uint32_t ParseDecimal(std::string_view text) {
  std::uint32_t result = 0;  // wraps: the digits' value modulo 2^32
  for (char c : ReadTrailingNumber(text).digits)
    result = result * 10 + static_cast<std::uint32_t>(c - '0');
  return result;
}

WrittenNumber ReadTrailingNumber(std::string_view text) {
  std::size_t start = text.size();
  while (start > 0 && IsDecimalDigit(text[start - 1])) --start;
  return {false, WithoutLeadingZeros(text.substr(start)), 10};
}

WrittenNumber ReadCNumber(std::string_view text, int base) {
  const bool hex = base == 16;
  WrittenNumber number;
  number.base = hex ? 16 : 10;
  std::size_t pos = 0;
  while (pos < text.size() && IsCBlank(text[pos])) ++pos;
  if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) {
    number.negative = text[pos] == '-';
    ++pos;
  }
  if (hex && pos + 2 < text.size() && text[pos] == '0' &&
      (text[pos + 1] == 'x' || text[pos + 1] == 'X') && HexDigitValue(text[pos + 2]) >= 0)
    pos += 2;
  std::size_t end = pos;
  while (end < text.size() && (hex ? HexDigitValue(text[end]) >= 0 : IsDecimalDigit(text[end])))
    ++end;
  number.digits = WithoutLeadingZeros(text.substr(pos, end - pos));
  for (char& c : number.digits)
    if (c >= 'a' && c <= 'f') c = static_cast<char>(c - 'a' + 'A');
  if (number.digits.empty()) number.negative = false;  // "-0" is 0
  return number;
}

std::string_view TrimCBlanks(std::string_view text) {
  while (!text.empty() && IsCBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsCBlank(text.back())) text.remove_suffix(1);
  return text;
}

std::string FormatDecimal(std::uint64_t value) {
  return std::to_string(value);
}

std::array<std::uint8_t, 4> ParseDottedIPv4(std::string_view text) {
  std::array<std::uint8_t, 4> address{};
  std::size_t position = 0;
  // Indexed rather than range-for: GCC 12 at -O3 misreads the unrolled range loop as writing
  // past the array (-Wstringop-overflow).
  for (std::size_t pass = 0; pass < address.size(); ++pass) {
    std::string_view component;
    if (const std::size_t dot = text.find('.', position); dot != std::string_view::npos) {
      component = text.substr(position, dot - position);
      position = dot + 1;
    } else {
      component = text.substr(position);
    }
    component = component.substr(0, std::min(component.size(), kDottedComponentLimit));
    address[pass] =
        static_cast<std::uint8_t>(static_cast<std::uint32_t>(ParseCDecimal(component)) & 0xFF);
  }
  return address;
}

std::string FormatDottedIPv4(const std::array<std::uint8_t, 4>& address) {
  return FormatDecimal(address[0]) + '.' + FormatDecimal(address[1]) + '.' +
         FormatDecimal(address[2]) + '.' + FormatDecimal(address[3]);
}

std::optional<std::array<std::uint8_t, 4>> ParseDottedQuad(std::string_view text) {
  std::array<std::uint8_t, 4> address{};
  for (std::size_t part = 0; part < address.size(); ++part) {
    if (part > 0) {
      if (text.empty() || text.front() != '.') return std::nullopt;
      text.remove_prefix(1);
    }
    std::size_t digits = 0;
    unsigned value = 0;
    while (digits < text.size() && digits < 4 && text[digits] >= '0' && text[digits] <= '9')
      value = value * 10 + static_cast<unsigned>(text[digits++] - '0');
    if (digits == 0 || digits > 3 || value > 255) return std::nullopt;
    address[part] = static_cast<std::uint8_t>(value);
    text.remove_prefix(digits);
  }
  if (!text.empty()) return std::nullopt;
  return address;
}

bool MatchStep(std::string_view keyword, char c, int& progress) {
  if (keyword.empty()) return false;
  // A counter outside the keyword (never set so by this function) starts afresh.
  if (progress < 0 || static_cast<std::size_t>(progress) >= keyword.size()) progress = 0;
  if (progress > 0 && c != keyword[static_cast<std::size_t>(progress)]) progress = 0;
  if (c == keyword[static_cast<std::size_t>(progress)]) ++progress;
  if (static_cast<std::size_t>(progress) == keyword.size()) {
    progress = 0;
    return true;
  }
  return false;
}

std::int32_t ParseCDecimal(std::string_view text) {
  const WrittenNumber number = ReadCNumber(text, 10);
  constexpr std::int64_t kLimit = std::numeric_limits<std::int32_t>::max();
  std::int64_t value = 0;
  for (char c : number.digits) value = std::min<std::int64_t>(value * 10 + (c - '0'), kLimit + 1);
  if (number.negative) return static_cast<std::int32_t>(std::max(-value, -kLimit - 1));
  return static_cast<std::int32_t>(std::min(value, kLimit));
}

std::uint32_t ParseCHexadecimal(std::string_view text) {
  const WrittenNumber number = ReadCNumber(text, 16);
  constexpr std::uint64_t kOverflow = std::uint64_t{1} << 32;
  std::uint64_t value = 0;
  for (char c : number.digits)
    value = std::min(value * 16 + static_cast<std::uint64_t>(HexDigitValue(c)), kOverflow);
  if (value == kOverflow) return std::numeric_limits<std::uint32_t>::max();
  const auto result = static_cast<std::uint32_t>(value);
  return number.negative ? 0u - result : result;
}

std::string FormatUpperHex(std::uint32_t value) {
  if (value == 0) return "0";
  std::string text;
  for (; value != 0; value >>= 4) text.insert(text.begin(), kUpperDigits[value & 0x0F]);
  return text;
}

}  // namespace dtu
