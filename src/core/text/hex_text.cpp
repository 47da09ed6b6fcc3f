#include "core/text/hex_text.h"

#include <algorithm>
#include <cstdint>
#include <limits>

namespace dtu {
namespace {

constexpr std::string_view kUpperDigits = "0123456789ABCDEF";
constexpr std::string_view kLowerDigits = "0123456789abcdef";

// 0-15 for a hex digit of either case, -1 otherwise.
int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

bool IsCBlank(char c) {
  return c == ' ' || (c >= '\t' && c <= '\r');
}

// Skips leading blanks and reads an optional sign; returns the position after them.
std::size_t SkipBlanksAndSign(std::string_view text, bool& negative) {
  std::size_t pos = 0;
  while (pos < text.size() && IsCBlank(text[pos])) ++pos;
  negative = false;
  if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) {
    negative = text[pos] == '-';
    ++pos;
  }
  return pos;
}

}  // namespace

std::string FormatHexDump(std::span<const std::uint8_t> bytes) {
  std::string text;
  text.reserve(bytes.size() * 3);
  for (std::uint8_t b : bytes) {
    text += kUpperDigits[b >> 4];
    text += kUpperDigits[b & 0x0F];
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
  const auto value = [](char c) -> int {
    if (auto pos = kUpperDigits.find(c); pos != std::string_view::npos && c != '\0')
      return static_cast<int>(pos);
    if (auto pos = kLowerDigits.find(c); pos != std::string_view::npos && c != '\0')
      return static_cast<int>(pos);
    return -1;
  };
  const int h = value(high);
  const int l = value(low);
  if (h < 0 || l < 0) return 0;
  return static_cast<std::uint8_t>(h * 16 + l);
}

std::string EncodeHexText(std::span<const std::uint8_t> bytes) {
  std::string text;
  text.reserve(bytes.size() * 2);
  for (std::uint8_t b : bytes) {
    text += kUpperDigits[b >> 4];
    text += kUpperDigits[b & 0x0F];
  }
  return text;
}

std::vector<std::uint8_t> DecodeHexText(std::string_view text) {
  std::vector<std::uint8_t> bytes;
  bytes.reserve(text.size() / 2);
  for (std::size_t i = 0; i + 1 < text.size(); i += 2) {
    const int high = std::max(HexValue(text[i]), 0);
    const int low = std::max(HexValue(text[i + 1]), 0);
    bytes.push_back(static_cast<std::uint8_t>(high * 16 + low));
  }
  return bytes;
}

std::uint32_t ParseDecimal(std::string_view text) {
  std::uint32_t result = 0;
  std::uint32_t power = 1;
  for (auto it = text.rbegin(); it != text.rend() && *it >= '0' && *it <= '9'; ++it) {
    result += static_cast<std::uint32_t>(*it - '0') * power;
    power *= 10;
  }
  return result;
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
  bool negative = false;
  std::size_t pos = SkipBlanksAndSign(text, negative);
  constexpr std::int64_t kLimit = std::numeric_limits<std::int32_t>::max();
  std::int64_t value = 0;
  for (; pos < text.size() && text[pos] >= '0' && text[pos] <= '9'; ++pos)
    value = std::min<std::int64_t>(value * 10 + (text[pos] - '0'), kLimit + 1);
  if (negative) return static_cast<std::int32_t>(std::max(-value, -kLimit - 1));
  return static_cast<std::int32_t>(std::min(value, kLimit));
}

std::uint32_t ParseCHexadecimal(std::string_view text) {
  bool negative = false;
  std::size_t pos = SkipBlanksAndSign(text, negative);
  const bool has_prefix = pos + 2 < text.size() && text[pos] == '0' &&
                          (text[pos + 1] == 'x' || text[pos + 1] == 'X') &&
                          HexValue(text[pos + 2]) >= 0;
  if (has_prefix) pos += 2;
  constexpr std::uint64_t kOverflow = std::uint64_t{1} << 32;
  std::uint64_t value = 0;
  for (; pos < text.size() && HexValue(text[pos]) >= 0; ++pos)
    value = std::min(value * 16 + static_cast<std::uint64_t>(HexValue(text[pos])), kOverflow);
  if (value == kOverflow) return std::numeric_limits<std::uint32_t>::max();
  const auto result = static_cast<std::uint32_t>(value);
  return negative ? 0u - result : result;
}

std::string FormatUpperHex(std::uint32_t value) {
  if (value == 0) return "0";
  std::string text;
  for (; value != 0; value >>= 4) text.insert(text.begin(), kUpperDigits[value & 0x0F]);
  return text;
}

}  // namespace dtu
