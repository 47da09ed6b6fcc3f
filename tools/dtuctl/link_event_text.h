#pragma once

#include <string>
#include <string_view>

namespace dtuctl {

// How the commands put what the device link recognises into console lines (the labels and texts
// themselves come from core/device/device_event_text.h).

// A value may hold any byte, but a line end would split its line: a backslash becomes \\,
// CR, LF and tab \r, \n and \t, other control bytes \xHH. Everything else stays as it is.
std::string EscapeText(std::string_view text);

// "label: value" with the value escaped.
std::string LabelledLine(std::string_view label, std::string_view value);

}  // namespace dtuctl
