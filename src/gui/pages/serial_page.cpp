#include "gui/pages/serial_page.h"

#include <QCheckBox>
#include <QGroupBox>

#include "core/block/block_codes.h"
#include "core/editing/field_rules.h"
#include "gui/pages/page_exchange.h"

namespace dtu {
namespace {

using namespace serial_id;

}  // namespace

SerialPage::SerialPage(UserMessages& messages, QWidget* parent)
    : EditorPage(kSerialPageTable, messages, parent) {
  ExchangeToControls();
  connect(box(kTimedReceive), &QCheckBox::clicked, this, [this] { ExchangeToMembers(); });
}

void SerialPage::Exchange(PageExchange& dx) {
  // A "16进制" box comes before its field, so that a field written from its member is checked
  // (and, for the command, counted) in the mode its member says.
  SerialMembers& m = members_;
  dx.Text(kPollInterval, m.poll_interval);
  dx.Check(kPollCommandHex, m.poll_command_hex);
  dx.Text(kPollCommand, m.poll_command);
  dx.Text(kPollCommandLength, m.poll_command_length);
  dx.Check(kTimedReceive, m.timed_receive);
  dx.Text(kTimedReceiveInterval, m.timed_receive_interval);
  dx.RadioIndex({kByDelay, kByHeadAndTail}, m.frame_mode);
  dx.Text(kFrameDelay, m.frame_delay);
  dx.Check(kFrameHeadHex, m.frame_head_hex);
  dx.Text(kFrameHead, m.frame_head);
  dx.Check(kFrameTailHex, m.frame_tail_hex);
  dx.Text(kFrameTail, m.frame_tail);
  dx.Check(kGprsRxTagHex, m.gprs_rx_tag_hex);
  dx.Text(kGprsRxTag, m.gprs_rx_tag);
  dx.Check(kSmsRxTagHex, m.sms_rx_tag_hex);
  dx.Text(kSmsRxTag, m.sms_rx_tag);
  dx.Check(kGprsTxTagHex, m.gprs_tx_tag_hex);
  dx.Text(kGprsTxTag, m.gprs_tx_tag);
  dx.Check(kSmsTxTagHex, m.sms_tx_tag_hex);
  dx.Text(kSmsTxTag, m.sms_tx_tag);
  dx.Check(kGprsNoticeHex, m.gprs_notice_hex);
  dx.Text(kGprsNotice, m.gprs_notice);
  dx.Check(kTcpNoticeHex, m.tcp_notice_hex);
  dx.Text(kTcpNotice, m.tcp_notice);
}

void SerialPage::AfterTextChange(int id) {
  if (id == kPollCommand) ShowCommandLength();
}

void SerialPage::ShowCommandLength() {
  const std::size_t length =
      CommandByteLength(text(kPollCommand).toStdString(), members_.poll_command_hex != 0);
  setText(kPollCommandLength, QString::number(length));
}

void SerialPage::ShowGroupsForMode(std::uint8_t work_mode) {
  const bool dual = work_mode == ToByte(WorkMode::Dual);
  const bool notices = work_mode != ToByte(WorkMode::Sms);
  group(kRxTagGroup)->setVisible(dual);
  group(kTxTagGroup)->setVisible(dual);
  group(kGprsNoticeGroup)->setVisible(notices);
  group(kTcpNoticeGroup)->setVisible(notices);
}

}  // namespace dtu
