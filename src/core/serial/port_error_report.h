#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace dtu {

// The caption of the serial engine's error boxes.
inline constexpr std::string_view kPortErrorCaption = "Application Error";

// The report never needs more than this many bytes, its terminating NUL included.
inline constexpr std::size_t kPortErrorReportSize = 200;

// Composes the report of a failed system call on a port:
//   "WARNING:  <call> Failed with the following error: \n<system text>\nPort: <device>\n"
// e.g. "WARNING:  read() Failed with the following error: \nInput/output error\nPort:
// /dev/ttyUSB0\n". A system text too long for the report is shortened (at a UTF-8 character
// boundary); a device path too long keeps its end behind "...", the name that tells ports apart.
std::string FormatPortErrorReport(std::string_view call, std::string_view system_text,
                                  std::string_view device);

}  // namespace dtu
