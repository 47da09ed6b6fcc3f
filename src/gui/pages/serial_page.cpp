#include "gui/pages/serial_page.h"

#include <QCheckBox>
#include <QGroupBox>

#include "core/block/block_codes.h"
#include "core/editing/field_rules.h"

namespace dtu {
namespace {

using namespace serial_id;

}  // namespace

SerialPage::SerialPage(UserMessages& messages, QWidget* parent)
    : EditorPage(kSerialPageTable, messages, parent) {
  // A click on "定时接收" runs the page's exchange checks.
  connect(box(kTimedReceive), &QCheckBox::clicked, this, [this] { CheckEntries(); });
}

void SerialPage::AfterTextChange(int id, bool) {
  if (id == kPollCommand) ShowCommandLength();
}

void SerialPage::ShowCommandLength() {
  const std::size_t length =
      CommandByteLength(text(kPollCommand).toStdString(), isChecked(kPollCommandHex));
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
