#pragma once

#include <array>
#include <string_view>

#include "core/editing/sms_page_table.h"

namespace dtu {

// The main window's edits that show what a DTU reports about itself; the window's other
// controls are named in gui/window/main_window_ids.h. The SIM card's own SMS centre goes to the
// SMS page's edit sms_id::kSimSmsCentre.
namespace main_id {
constexpr int kVersion = 1145;       // "软件版本"
constexpr int kModuleSerial = 1144;  // "模块序列号"
constexpr int kBoardSerial = 1241;   // "主板序列号"
constexpr int kSignalText = 1192;    // signal strength as text
}  // namespace main_id

// The nine fixed rows of the DTU address list, top to bottom.
enum AddressRow : int {
  kDtuIpRow = 0,   // "DTU的IP地址"
  kDnsIp1Row = 1,  // "DNS的IP1地址" .. "DNS的IP6地址" are rows 1 to 6
  kDnsIp6Row = 6,
  kDnsServer1Row = 7,  // "DNS服务地址1"
  kDnsServer2Row = 8,  // "DNS服务地址2"
};
inline constexpr int kAddressRowCount = 9;

// The first column of the address list, row by row.
inline constexpr std::array<std::string_view, kAddressRowCount> kAddressRowNames{
    "DTU的IP地址",  "DNS的IP1地址", "DNS的IP2地址", "DNS的IP3地址", "DNS的IP4地址",
    "DNS的IP5地址", "DNS的IP6地址", "DNS服务地址1", "DNS服务地址2",
};

// The label shown beside a status control; empty for any other ID.
constexpr std::string_view StatusLabel(int control_id) {
  switch (control_id) {
    case main_id::kVersion:
      return "软件版本";
    case main_id::kModuleSerial:
      return "模块序列号";
    case main_id::kBoardSerial:
      return "主板序列号";
    case main_id::kSignalText:
      return "信号强度";
    case sms_id::kSimSmsCentre:
      return "SIM卡固有短信中心";
    default:
      return {};
  }
}

}  // namespace dtu
