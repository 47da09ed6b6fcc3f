#include "core/serial/port_error_report.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <string>

namespace dtu {
namespace {

// Formats into `buffer` (which may be null when `size` is 0); returns what snprintf returns.
int FormatReport(char* buffer, std::size_t size, const std::string& operation,
                 std::string_view text, int port_number) {
  return std::snprintf(buffer, size,
                       "WARNING:  %s Failed with the following error: \n%.*s\nPort: %d\n",
                       operation.c_str(), static_cast<int>(text.size()), text.data(), port_number);
}

// The longest prefix of `text` of at most `limit` bytes that does not split a UTF-8 character.
std::string_view Utf8Prefix(std::string_view text, std::size_t limit) {
  if (text.size() <= limit) return text;
  std::size_t end = limit;
  while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) --end;
  return text.substr(0, end);
}

}  // namespace

std::string FormatPortErrorReport(std::string_view operation, std::string_view system_text,
                                  int port_number) {
  const std::string name(operation);
  // "%.*s" stops at a NUL; measure only what will be printed.
  system_text = system_text.substr(0, std::min(system_text.find('\0'), system_text.size()));

  std::array<char, kPortErrorReportSize> report{};
  // An empty text that still points somewhere: "%.*s" must not be given a null pointer.
  const int frame = FormatReport(nullptr, 0, name, std::string_view(""), port_number);
  if (frame < 0) return {};
  const std::size_t capacity = report.size() - 1;
  const std::size_t room =
      capacity > static_cast<std::size_t>(frame) ? capacity - static_cast<std::size_t>(frame) : 0;
  const int written =
      FormatReport(report.data(), report.size(), name, Utf8Prefix(system_text, room), port_number);
  if (written < 0) return {};
  return std::string(report.data(), std::min(static_cast<std::size_t>(written), capacity));
}

}  // namespace dtu
