#include "core/editing/entry_checks.h"

#include <limits>

#include "core/message_language.h"

namespace dtu {
namespace {

bool IsBlank(char c) {
  return c == ' ' || c == '\t';
}

std::string_view TrimBlanks(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

}  // namespace

std::string EnterRangeMessage(std::int64_t min, std::int64_t max) {
  if (CurrentMessageLanguage() == MessageLanguage::kEnglish)
    return "\"Enter a whole number from " + std::to_string(min) + " to " + std::to_string(max) +
           ".\"";
  std::string message(kEnterRangeTemplate);
  message.replace(message.find("%1"), 2, std::to_string(min));
  message.replace(message.find("%2"), 2, std::to_string(max));
  return message;
}

std::optional<std::uint32_t> ParseUnsignedEntry(std::string_view text) {
  text = TrimBlanks(text);
  if (!text.empty() && text.front() == '+') text.remove_prefix(1);
  if (text.empty()) return std::nullopt;
  std::uint64_t value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + static_cast<std::uint64_t>(c - '0');
    if (value > std::numeric_limits<std::uint32_t>::max()) return std::nullopt;
  }
  return static_cast<std::uint32_t>(value);
}

std::optional<std::uint8_t> ParseByteEntry(std::string_view text) {
  const std::optional<std::uint32_t> value = ParseUnsignedEntry(text);
  if (!value || *value > std::numeric_limits<std::uint8_t>::max()) return std::nullopt;
  return static_cast<std::uint8_t>(*value);
}

}  // namespace dtu
