#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "core/editing/editor_defaults.h"
#include "gui/pages/editor_page.h"

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

// The network page's members. Exchanged with the controls: everything except `ip_mode` (set by
// the two mode radios), the project number 1240 and the DNS servers 1224 and 1225 (read from
// their controls).
struct GprsMembers {
  std::string apn;
  std::string dial_code;
  std::string ppp_user;
  std::string ppp_password;
  int kxc_provides_ip = 0;
  int protocol = 0;  // index in list 1127
  std::string device_number;
  std::string centre_number;
  std::uint8_t receiver_count = 1;  // 1 to 32
  std::string sim_number;
  std::uint32_t heartbeat_interval = 0;
  int heartbeat_twice = 0;
  int custom_packets = 0;
  std::string register_data;
  int register_hex = 0;
  std::string heartbeat_data;
  int heartbeat_hex = 0;
  std::uint32_t heartbeat_retries = 0;
  std::uint32_t tcp_reconnect_time = 0;
  std::string ip_count = "1";
  // The main centre's address is written at start-up; the page itself fills the other rows.
  std::array<std::string, 6> centre_ip{"",
                                       std::string(kDefaultCentreAddress),
                                       std::string(kDefaultCentreAddress),
                                       std::string(kDefaultCentreAddress),
                                       std::string(kDefaultCentreAddress),
                                       std::string(kDefaultCentreAddress)};
  std::array<std::uint32_t, 6> port{5001, 5002, 5003, 5004, 5005, 8081};
  int fixed_dns = 0;
  std::array<std::string, 6> domain;
  std::array<int, 6> domain_enabled{};
  int ip_mode = 1;  // 1 "主备方式", 2 "群发方式", 0 a loaded group-send value left untouched
};

// The network page: operator access, protocol and identity, heartbeat and custom packets,
// centre addresses, DNS and domain names.
class GprsPage : public EditorPage {
  Q_OBJECT

 public:
  explicit GprsPage(UserMessages& messages, QWidget* parent = nullptr);

  GprsMembers& members() { return members_; }
  const GprsMembers& members() const { return members_; }

 protected:
  void Exchange(PageExchange& dx) override;
  void AfterTextChange(int id) override;
  void FieldLeft(int id) override;

 private:
  void CheckReceiveNumber();
  void CheckRange(int id);

  GprsMembers members_;
};

}  // namespace dtu
