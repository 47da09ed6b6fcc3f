#include "core/serial/line_settings.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <charconv>
#include <optional>

namespace dtu {
namespace {

std::optional<int> ParseInt(std::string_view text) {
  int value = 0;
  const char* end = text.data() + text.size();
  const auto [ptr, ec] = std::from_chars(text.data(), end, value);
  if (ec != std::errc() || ptr != end || text.empty()) return std::nullopt;
  return value;
}

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
    return std::tolower(static_cast<unsigned char>(x)) ==
           std::tolower(static_cast<unsigned char>(y));
  });
}

// Applies one "key=value" word; false when the word is not understood or the value is out
// of range.
bool ApplyWord(std::string_view word, LineSettings& settings) {
  const auto equals = word.find('=');
  if (equals == std::string_view::npos) return false;
  const std::string_view key = word.substr(0, equals);
  const std::string_view value = word.substr(equals + 1);

  if (EqualsIgnoringCase(key, "parity")) {
    if (value.size() != 1) return false;
    const char parity = static_cast<char>(std::toupper(static_cast<unsigned char>(value[0])));
    if (parity != 'N' && parity != 'O' && parity != 'E') return false;
    settings.parity = parity;
    return true;
  }
  const std::optional<int> number = ParseInt(value);
  if (!number) return false;
  if (EqualsIgnoringCase(key, "baud")) {
    if (!IsSupportedBaudRate(*number)) return false;
    settings.baud_rate = *number;
    return true;
  }
  if (EqualsIgnoringCase(key, "data")) {
    if (*number < 5 || *number > 8) return false;
    settings.data_bits = *number;
    return true;
  }
  if (EqualsIgnoringCase(key, "stop")) {
    if (*number != 1 && *number != 2) return false;
    settings.stop_bits = *number;
    return true;
  }
  return false;
}

}  // namespace

bool IsSupportedBaudRate(int baud_rate) {
  return std::find(kSupportedBaudRates.begin(), kSupportedBaudRates.end(), baud_rate) !=
         kSupportedBaudRates.end();
}

int ApplyLineText(std::string_view text, LineSettings& settings) {
  LineSettings result = settings;
  std::size_t pos = 0;
  while (pos < text.size()) {
    if (text[pos] == ' ') {
      ++pos;
      continue;
    }
    const std::size_t end = std::min(text.find(' ', pos), text.size());
    if (!ApplyWord(text.substr(pos, end - pos), result)) return EINVAL;
    pos = end;
  }
  settings = result;
  return 0;
}

}  // namespace dtu
