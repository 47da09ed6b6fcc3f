#include "gui/pages/gprs_page.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QRadioButton>

#include <string_view>

#include "core/block/block_codes.h"
#include "core/block/parameter_block.h"
#include "core/editing/field_rules.h"
#include "core/text/hex_text.h"
#include "gui/platform/qt_text.h"

namespace dtu {
namespace {

using namespace gprs_id;

constexpr std::int32_t kMaxReceiveNumber = 65535;
constexpr std::string_view kReceiveNumberMessage = "最大数值为65535！";

}  // namespace

GprsPage::GprsPage(UserMessages& messages, QWidget* parent)
    : EditorPage(kGprsPageTable, messages, parent) {
  radio(kMainAndBackup)->setChecked(true);
  list(kProtocol)->setCurrentIndex(0);  // before its choices are watched
  // These clicks run the page's exchange checks.
  for (int id : {kDomainEnabled[0], kKxcProvidesIp})
    connect(box(id), &QCheckBox::clicked, this, [this] { CheckEntries(); });
  watchLeaving({kPort[0], kPort[1], kPort[2]});
  connect(list(kProtocol), &QComboBox::currentIndexChanged, this, [this] { OnProtocolChosen(); });
}

std::uint32_t GprsPage::selectedProtocol() const {
  if (const auto own = unitOwnChoice(kProtocol)) return *own;
  const int index = list(kProtocol)->currentIndex();
  return index < 0 ? 0xFF : static_cast<std::uint32_t>(index);
}

void GprsPage::ShowDeviceNumberFormFor(std::uint32_t protocol) {
  device_number_protocol_ = protocol;
  const bool identifier = ProtocolEditsDeviceId(static_cast<std::uint8_t>(protocol));
  setEntryRule(kDeviceNumber, identifier ? &IsHexDigits : &IsDecimalDigits);
}

void GprsPage::AfterLoad(const ParameterBlock& block) {
  ShowDeviceNumberFormFor(block.protocol());
  // These protocols have no centre number; the field stays hidden for the rest of the run, and
  // keeps showing the block's own value, which a protocol chosen later collects.
  if (ProtocolUsesDeviceId(block.protocol())) setFieldVisible(kCentreNumber, false);
}

// Between protocol 9 and any other the field changes its form: the same number is shown in the
// other one, so that what the user saw is what is written; one that does not fit is dropped
// with a word rather than written as something else.
void GprsPage::OnProtocolChosen() {
  const bool was_identifier =
      ProtocolEditsDeviceId(static_cast<std::uint8_t>(device_number_protocol_));
  const std::uint32_t chosen = selectedProtocol();
  ShowDeviceNumberFormFor(chosen);
  const bool identifier = ProtocolEditsDeviceId(static_cast<std::uint8_t>(chosen));
  if (identifier == was_identifier) return;
  const QString old_text = text(kDeviceNumber);
  const auto converted = DeviceNumberInOtherForm(old_text.toStdString(), identifier);
  setText(kDeviceNumber, converted ? FromUtf8(*converted) : QString());
  if (!converted)
    messages().Show(MessageKind::Warning, DeviceNumberDroppedMessage(old_text.toStdString()));
}

void GprsPage::AfterTextChange(int id, bool typed) {
  if (id == kCentreNumber) CheckReceiveNumber(typed);
}

void GprsPage::CheckReceiveNumber(bool typed) {
  QString number = text(kCentreNumber);
  if (ParseCDecimal(number.toStdString()) <= kMaxReceiveNumber) return;
  number.chop(1);
  edit(kCentreNumber)->setText(number);
  Tell(kReceiveNumberMessage, typed);
}

void GprsPage::FieldLeft(int id) {
  if (id == kPort[0] || id == kPort[1] || id == kPort[2]) {
    CheckEntries();
  } else {
    EditorPage::FieldLeft(id);
  }
}

}  // namespace dtu
