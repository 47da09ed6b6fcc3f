#include "core/serial/port_error_report.h"

#include <algorithm>
#include <initializer_list>

#include "core/text/utf8_text.h"

namespace dtu {
namespace {

constexpr std::string_view kCut = "...";
// A device path takes at most this many bytes of the report, so that the system text still fits.
constexpr std::size_t kDeviceRoom = 64;

// The longest suffix of `text` of at most `limit` bytes that does not split a UTF-8 character.
std::string_view Utf8Suffix(std::string_view text, std::size_t limit) {
  if (text.size() <= limit) return text;
  std::size_t start = text.size() - limit;
  while (start < text.size() && (static_cast<unsigned char>(text[start]) & 0xC0) == 0x80) ++start;
  return text.substr(start);
}

std::string Joined(std::initializer_list<std::string_view> parts) {
  std::string joined;
  for (const std::string_view part : parts) joined.append(part);
  return joined;
}

}  // namespace

std::string FormatPortErrorReport(std::string_view call, std::string_view system_text,
                                  std::string_view device) {
  constexpr std::size_t kCapacity = kPortErrorReportSize - 1;
  // The system text ends at a NUL, as any C string would.
  system_text = system_text.substr(0, std::min(system_text.find('\0'), system_text.size()));

  const std::string head = Joined({"WARNING:  ", call, " Failed with the following error: \n"});
  const std::string tail =
      device.size() <= kDeviceRoom
          ? Joined({"\nPort: ", device, "\n"})
          : Joined({"\nPort: ", kCut, Utf8Suffix(device, kDeviceRoom - kCut.size()), "\n"});
  const std::size_t frame = head.size() + tail.size();
  const std::size_t room = kCapacity > frame ? kCapacity - frame : 0;
  std::string report = head + std::string(Utf8Prefix(system_text, room)) + tail;
  // Only a call name beyond any sense could still overflow; the report never does.
  if (report.size() > kCapacity) report.resize(kCapacity);
  return report;
}

}  // namespace dtu
