#pragma once

#include <array>
#include <string_view>

namespace dtu {

// Controls that show what a DTU reports about itself. The first four are edits of the main
// window; the SIM card's own SMS centre lives on the SMS page.
inline constexpr int kVersionEditId = 1145;       // "软件版本"
inline constexpr int kModuleSerialEditId = 1144;  // "模块序列号"
inline constexpr int kBoardSerialEditId = 1241;   // "主板序列号"
inline constexpr int kSignalEditId = 1192;        // signal strength as text
inline constexpr int kSimSmsCentreEditId = 1165;  // "SIM卡固有短信中心" on the SMS page

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
    case kVersionEditId:
      return "软件版本";
    case kModuleSerialEditId:
      return "模块序列号";
    case kBoardSerialEditId:
      return "主板序列号";
    case kSignalEditId:
      return "信号强度";
    case kSimSmsCentreEditId:
      return "SIM卡固有短信中心";
    default:
      return {};
  }
}

}  // namespace dtu
