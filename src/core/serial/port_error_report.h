#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace dtu {

// The caption of the serial engine's error boxes.
inline constexpr std::string_view kPortErrorCaption = "Application Error";

// The report never needs more than this many bytes, its terminating NUL included.
inline constexpr std::size_t kPortErrorReportSize = 200;

// Composes the report of a failed port operation:
//   "WARNING:  <operation> Failed with the following error: \n<system text>\nPort: <n>\n"
// A system text too long for the report is shortened (at a UTF-8 character boundary); the
// frame around it is kept whole.
std::string FormatPortErrorReport(std::string_view operation, std::string_view system_text,
                                  int port_number);

}  // namespace dtu
