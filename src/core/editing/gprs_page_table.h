#pragma once

#include <array>

#include "core/editing/page_table.h"

namespace dtu {

// Control IDs of the network page.
namespace gprs_id {
// Group "运营商相关".
constexpr int kApn = 1151;
constexpr int kDialCode = 1161;
constexpr int kPppUser = 1098;
constexpr int kPppPassword = 1099;
constexpr int kKxcProvidesIp = 1164;
// Group "协议相关".
constexpr int kProtocol = 1127;
constexpr int kDeviceNumber = 1129;
constexpr int kProjectNumber = 1240;
constexpr int kCentreNumber = 1146;  // "接收编号"
constexpr int kReceiverCount = 1238;
constexpr int kSimNumber = 1114;
// Heartbeat frame.
constexpr int kHeartbeatInterval = 1117;
constexpr int kHeartbeatIntervalLabel = 1155;
constexpr int kHeartbeatTwice = 1189;
constexpr int kCustomPackets = 1157;
constexpr int kRegisterData = 1223;
constexpr int kRegisterDataLabel = 1211;
constexpr int kRegisterHex = 1237;
constexpr int kHeartbeatData = 1124;
constexpr int kHeartbeatDataLabel = 1210;
constexpr int kHeartbeatHex = 1236;
constexpr int kHeartbeatRetries = 1120;
constexpr int kHeartbeatRetriesLabel = 1156;
constexpr int kTcpReconnectTime = 1170;
constexpr int kTcpReconnectTimeLabel = 1218;
// Group "中心IP地址参数".
constexpr int kMainAndBackup = 1229;
constexpr int kGroupSend = 1230;
constexpr int kIpCount = 1231;
constexpr std::array<int, 6> kCentreIp{1102, 1104, 1106, 1108, 1109, 1110};
constexpr std::array<int, 6> kCentreIpLabel{1217, 1206, 1207, 1212, 1213, 1219};
constexpr std::array<int, 6> kPort{1103, 1105, 1107, 1111, 1112, 1113};
constexpr std::array<int, 6> kPortLabel{0, 1208, 1209, 1220, 1221, 1222};  // the first has no ID
constexpr int kFixedDns = 1188;
constexpr int kDnsPrimary = 1224;
constexpr int kDnsSecondary = 1225;
constexpr std::array<int, 6> kDomain{1119, 1121, 1122, 1123, 1125, 1126};
constexpr std::array<int, 6> kDomainLabel{1214, 1227, 1232, 1233, 1234, 1235};
constexpr std::array<int, 6> kDomainEnabled{1150, 1154, 1162, 1158, 1159, 1160};
}  // namespace gprs_id

// The network page's controls, tooltips and field limits: operator access, protocol and
// identity, heartbeat and custom packets, centre addresses, DNS and domain names.
extern const PageTable kGprsPageTable;

}  // namespace dtu
