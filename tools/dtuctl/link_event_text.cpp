#include "link_event_text.h"

#include <array>
#include <cstdio>

#include "serial/status_ids.h"

namespace dtuctl {
namespace {

struct StatusName {
  int control_id;
  std::string_view label;
};

constexpr std::array<StatusName, 5> kStatusNames{{
    {dtu::kVersionEditId, "软件版本"},
    {dtu::kModuleSerialEditId, "模块序列号"},
    {dtu::kBoardSerialEditId, "主板序列号"},
    {dtu::kSignalEditId, "信号强度"},
    {dtu::kSimSmsCentreEditId, "SIM卡固有短信中心"},
}};

constexpr std::array<std::string_view, dtu::kAddressRowCount> kAddressLabels{
    "DTU的IP地址",  "DNS的IP1地址", "DNS的IP2地址", "DNS的IP3地址", "DNS的IP4地址",
    "DNS的IP5地址", "DNS的IP6地址", "DNS服务地址1", "DNS服务地址2",
};

}  // namespace

std::string EscapeText(std::string_view text) {
  std::string escaped;
  for (char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (c == '\\') {
      escaped += "\\\\";
    } else if (c == '\r') {
      escaped += "\\r";
    } else if (c == '\n') {
      escaped += "\\n";
    } else if (c == '\t') {
      escaped += "\\t";
    } else if (byte < 0x20 || byte == 0x7F) {
      std::array<char, 8> hex{};
      std::snprintf(hex.data(), hex.size(), "\\x%02X", byte);
      escaped += hex.data();
    } else {
      escaped += c;
    }
  }
  return escaped;
}

std::string_view StatusLabel(int control_id) {
  for (const StatusName& name : kStatusNames) {
    if (name.control_id == control_id) return name.label;
  }
  return {};
}

std::string_view AddressLabel(int row) {
  if (row < 0 || row >= dtu::kAddressRowCount) return {};
  return kAddressLabels[static_cast<std::size_t>(row)];
}

std::string LabelledLine(std::string_view label, std::string_view value) {
  return std::string(label) + ": " + EscapeText(value);
}

}  // namespace dtuctl
