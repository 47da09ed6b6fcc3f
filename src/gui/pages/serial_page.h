#pragma once

#include <cstdint>
#include <string>

#include "core/editing/serial_page_table.h"
#include "gui/pages/editor_page.h"

namespace dtu {

// The serial page's members: every text field as text, every check box as 0/1, the radio pair
// as the index of the checked button. The four lists are not members: their selections are read
// and set on the lists themselves.
struct SerialMembers {
  std::string poll_interval;
  std::string poll_command;
  int poll_command_hex = 0;
  std::string poll_command_length;
  int timed_receive = 0;
  std::string timed_receive_interval;
  int frame_mode = -1;  // 0 "延时分包", 1 "包头包尾", -1 neither
  std::string frame_delay;
  std::string frame_head;
  int frame_head_hex = 0;
  std::string frame_tail;
  int frame_tail_hex = 0;
  std::string gprs_rx_tag;
  int gprs_rx_tag_hex = 0;
  std::string sms_rx_tag;
  int sms_rx_tag_hex = 0;
  std::string gprs_tx_tag;
  int gprs_tx_tag_hex = 0;
  std::string sms_tx_tag;
  int sms_tx_tag_hex = 0;
  std::string gprs_notice = "GPRSOK\r\n";
  int gprs_notice_hex = 0;
  std::string tcp_notice = "TCPOK\r\n";
  int tcp_notice_hex = 0;
};

// The device serial and data page: the unit's serial format, packet splitting, the timed
// command, the dual-channel markers and the notices.
class SerialPage : public EditorPage {
  Q_OBJECT

 public:
  explicit SerialPage(UserMessages& messages, QWidget* parent = nullptr);

  SerialMembers& members() { return members_; }
  const SerialMembers& members() const { return members_; }

  // Shows the groups that belong to a channel mode (0 GPRS, 1 SMS, 2 dual channel): the two
  // marker groups only in dual-channel mode, the two notice groups in every mode but SMS.
  // Hidden fields keep their values.
  void ShowGroupsForMode(std::uint8_t work_mode);

 protected:
  void Exchange(PageExchange& dx) override;
  void AfterTextChange(int id) override;

 private:
  void ShowCommandLength();

  SerialMembers members_;
};

}  // namespace dtu
