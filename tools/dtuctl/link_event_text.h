#pragma once

#include <string>
#include <string_view>

namespace dtuctl {

// How the commands put what the device link recognises into console lines.

// A value may hold any byte, but a line end would split its line: a backslash becomes \\,
// CR, LF and tab \r, \n and \t, other control bytes \xHH. Everything else stays as it is.
std::string EscapeText(std::string_view text);

// The label the tool shows beside a status control: "软件版本", "模块序列号", "主板序列号",
// "信号强度" or "SIM卡固有短信中心"; empty for any other control.
std::string_view StatusLabel(int control_id);

// The first column of an address list row (0 "DTU的IP地址" to 8 "DNS服务地址2"); empty for a row
// outside the list.
std::string_view AddressLabel(int row);

// "label: value" with the value escaped.
std::string LabelledLine(std::string_view label, std::string_view value);

}  // namespace dtuctl
