// The field conversions on arbitrary text: what a user pastes into a field, what a unit sends in
// a value, what a parameter file holds. None may crash, read or write out of bounds, or return
// more than its working limits allow; each is checked against the rule it is built on.

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <string>
#include <string_view>
#include <vector>

#include "core/text/hex_text.h"
#include "fuzz_check.h"

namespace {

using dtu::fuzz::Require;

bool IsHexDigit(char c) {
  return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f');
}

void CheckHexDump(std::string_view text) {
  const std::vector<std::uint8_t> bytes = dtu::ParseHexDump(text);
  std::size_t characters = 0;
  for (char c : text.substr(0, std::min(text.size(), dtu::kHexDumpLimit)))
    if (c != ' ') ++characters;
  Require(bytes.size() == characters / 2, "ParseHexDump gives one byte per pair of non-spaces");
  Require(bytes.size() <= dtu::kHexDumpLimit / 2, "ParseHexDump stays within 2499 bytes");

  // A dump the editor wrote itself reads back as the same bytes.
  const std::size_t fits = dtu::kHexDumpLimit / 3;
  const auto* data = reinterpret_cast<const std::uint8_t*>(text.data());
  const std::vector<std::uint8_t> original(data, data + std::min(text.size(), fits));
  Require(dtu::ParseHexDump(dtu::FormatHexDump(original)) == original,
          "ParseHexDump reads FormatHexDump back");
}

void CheckTransportHex(std::string_view text) {
  const std::vector<std::uint8_t> bytes = dtu::DecodeHexText(text);
  Require(bytes.size() == text.size() / 2, "DecodeHexText gives n/2 bytes");
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    // A pair of true digits decodes exactly as HexPairToByte reads it.
    if (IsHexDigit(text[2 * i]) && IsHexDigit(text[2 * i + 1]))
      Require(bytes[i] == dtu::HexPairToByte(text[2 * i], text[2 * i + 1]),
              "DecodeHexText and HexPairToByte agree on hex digits");
  }

  const auto* data = reinterpret_cast<const std::uint8_t*>(text.data());
  const std::vector<std::uint8_t> original(data, data + text.size());
  const std::string encoded = dtu::EncodeHexText(original);
  Require(encoded.size() == 2 * original.size(), "EncodeHexText gives two digits per byte");
  Require(dtu::DecodeHexText(encoded) == original, "DecodeHexText reads EncodeHexText back");
}

void CheckDottedIPv4(std::string_view text) {
  const std::array<std::uint8_t, 4> address = dtu::ParseDottedIPv4(text);
  Require(dtu::ParseDottedIPv4(dtu::FormatDottedIPv4(address)) == address,
          "ParseDottedIPv4 reads FormatDottedIPv4 back");
  // Text after the fourth dot is never read.
  const std::string extended = std::string(text) + ".1.2.3.4";
  if (std::count(text.begin(), text.end(), '.') >= 4)
    Require(dtu::ParseDottedIPv4(extended) == address, "ParseDottedIPv4 stops after four parts");
}

// The trailing run of digits, modulo 2^32, computed front to back.
std::uint32_t TrailingDigitsValue(std::string_view text) {
  std::size_t start = text.size();
  while (start > 0 && text[start - 1] >= '0' && text[start - 1] <= '9') --start;
  std::uint32_t value = 0;
  for (char c : text.substr(start)) value = value * 10u + static_cast<std::uint32_t>(c - '0');
  return value;
}

void CheckDecimal(std::string_view text) {
  Require(dtu::ParseDecimal(text) == TrailingDigitsValue(text),
          "ParseDecimal is the trailing digits modulo 2^32");
  const std::uint32_t value = dtu::ParseDecimal(text);
  Require(dtu::ParseDecimal(dtu::FormatDecimal(value)) == value,
          "ParseDecimal reads FormatDecimal back");
}

bool IsCSpace(char c) {
  return c == ' ' || (c >= '\t' && c <= '\r');
}

// The C library's conversions are the reference for the two C-style readers.
void CheckCReaders(std::string_view text) {
  const std::string terminated(text.substr(0, text.find('\0')));

  errno = 0;
  const long long wide = std::strtoll(terminated.c_str(), nullptr, 10);
  const long long clamped = std::clamp<long long>(wide, std::numeric_limits<std::int32_t>::min(),
                                                  std::numeric_limits<std::int32_t>::max());
  Require(dtu::ParseCDecimal(text) == clamped, "ParseCDecimal reads as strtol, saturated");

  std::size_t pos = 0;
  while (pos < terminated.size() && IsCSpace(terminated[pos])) ++pos;
  const bool negative = pos < terminated.size() && terminated[pos] == '-';
  errno = 0;
  const unsigned long long raw = std::strtoull(terminated.c_str(), nullptr, 16);
  const bool overflow = errno == ERANGE;
  const unsigned long long magnitude = negative ? 0ull - raw : raw;
  std::uint32_t expected = std::numeric_limits<std::uint32_t>::max();
  if (!overflow && magnitude <= expected) {
    const auto low = static_cast<std::uint32_t>(magnitude);
    expected = negative ? 0u - low : low;
  }
  Require(dtu::ParseCHexadecimal(text) == expected, "ParseCHexadecimal reads as strtoul");
}

// MatchStep against the plain definition: the keyword completes on a character when the
// characters since the last reset spell it. The first byte chooses the keyword's length.
void CheckMatchStep(std::string_view text) {
  if (text.size() < 2) return;
  const std::size_t length = 1 + static_cast<std::uint8_t>(text[0]) % 8;
  const std::string_view keyword = text.substr(1, std::min(length, text.size() - 1));
  const std::string_view stream = text.substr(1 + keyword.size());
  int progress = 0;
  for (char c : stream) {
    const int before = progress;
    const bool done = dtu::MatchStep(keyword, c, progress);
    Require(progress >= 0 && static_cast<std::size_t>(progress) < keyword.size(),
            "MatchStep keeps its progress inside the keyword");
    const bool continues = keyword[static_cast<std::size_t>(before)] == c;
    const int expected_progress = continues ? before + 1 : (keyword[0] == c ? 1 : 0);
    const bool expected_done = static_cast<std::size_t>(expected_progress) == keyword.size();
    Require(done == expected_done, "MatchStep completes exactly on the keyword's last character");
    Require(progress == (expected_done ? 0 : expected_progress), "MatchStep counts as defined");
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  CheckHexDump(text);
  CheckTransportHex(text);
  CheckDottedIPv4(text);
  CheckDecimal(text);
  CheckCReaders(text);
  CheckMatchStep(text);
  return 0;
}
