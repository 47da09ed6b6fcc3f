#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "core/block/block_codes.h"
#include "core/editing/editor_defaults.h"
#include "core/editing/gprs_page_table.h"
#include "gui/pages/editor_page.h"

namespace dtu {

// The network page's members. Exchanged with the controls: everything except `ip_mode` (set by
// the two mode radios), the project number and the two DNS servers (read from their controls).
struct GprsMembers {
  std::string apn;
  std::string dial_code;
  std::string ppp_user;
  std::string ppp_password;
  int kxc_provides_ip = 0;
  int protocol = 0;  // index in the protocol list
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
  int ip_mode = ToByte(IpMode::MainAndBackup);  // GroupUnchanged: a loaded group-send value
};

// The network page: operator access, protocol and identity, heartbeat and custom packets,
// centre addresses, DNS and domain names.
class GprsPage : public EditorPage {
  Q_OBJECT

 public:
  explicit GprsPage(UserMessages& messages, QWidget* parent = nullptr);

  GprsMembers& members() { return members_; }
  const GprsMembers& members() const { return members_; }

  // The value the protocol list's selection stands for: its index, or the unit's own value of
  // an extra entry; 255 without a selection.
  std::uint32_t selectedProtocol() const;

  // The device number field now holds the form of this protocol: protocol 9's hexadecimal
  // identifier, or a decimal device number. Called after the field was written for it; a
  // protocol chosen later converts the field between the two forms.
  void ShowDeviceNumberFormFor(std::uint32_t protocol);

 protected:
  void Exchange(PageExchange& dx) override;
  void AfterTextChange(int id) override;
  void FieldLeft(int id) override;

 private:
  void CheckReceiveNumber();
  void OnProtocolChosen();
  void CheckRange(int id);

  GprsMembers members_;
  std::uint32_t device_number_protocol_ = 0;  // the protocol whose form the field holds
};

}  // namespace dtu
