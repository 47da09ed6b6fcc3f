#include "gui/pages/gprs_page.h"

#include <QCheckBox>
#include <QComboBox>
#include <QRadioButton>

#include <algorithm>
#include <string_view>

#include "core/editing/field_rules.h"
#include "core/editing/page_rules.h"
#include "core/text/hex_text.h"
#include "gui/pages/page_exchange.h"
#include "gui/platform/qt_text.h"

namespace dtu {
namespace {

using namespace gprs_id;

// The checks run when the user leaves a field: the field's rule with its range, message,
// caption and the value the field is reset to.
struct RangeCheck {
  int id;
  std::uint32_t GprsMembers::*member;
  RangeRule rule;
};

constexpr std::array kRangeChecks = std::to_array<RangeCheck>({
    {kTcpReconnectTime, &GprsMembers::tcp_reconnect_time, page_rule::kTcpReconnectTime},
    {kHeartbeatInterval, &GprsMembers::heartbeat_interval, page_rule::kHeartbeatInterval},
    {kHeartbeatRetries, &GprsMembers::heartbeat_retries, page_rule::kHeartbeatRetries},
});

constexpr std::int32_t kMaxReceiveNumber = 65535;
constexpr std::string_view kReceiveNumberMessage = "最大数值为65535！";

}  // namespace

GprsPage::GprsPage(UserMessages& messages, QWidget* parent)
    : EditorPage(kGprsPageTable, messages, parent) {
  ExchangeToControls();
  radio(kMainAndBackup)->setChecked(true);
  members_.ip_mode = ToByte(IpMode::MainAndBackup);

  connect(radio(kMainAndBackup), &QRadioButton::clicked, this,
          [this] { members_.ip_mode = ToByte(IpMode::MainAndBackup); });
  connect(radio(kGroupSend), &QRadioButton::clicked, this,
          [this] { members_.ip_mode = ToByte(IpMode::Group); });
  for (int id : {kDomainEnabled[0], kKxcProvidesIp})
    connect(box(id), &QCheckBox::clicked, this, [this] { ExchangeToMembers(); });
  watchLeaving(
      {kPort[0], kPort[1], kPort[2], kHeartbeatInterval, kHeartbeatRetries, kTcpReconnectTime});
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

void GprsPage::Exchange(PageExchange& dx) {
  // A "16进制" box comes before its field, so that a field written from its member is checked
  // in the mode its member says.
  GprsMembers& m = members_;
  dx.Text(kApn, m.apn);
  dx.Text(kDialCode, m.dial_code);
  dx.Text(kPppUser, m.ppp_user);
  dx.Text(kPppPassword, m.ppp_password);
  dx.Check(kKxcProvidesIp, m.kxc_provides_ip);
  dx.Index(kProtocol, m.protocol);
  dx.Text(kDeviceNumber, m.device_number);
  dx.Text(kCentreNumber, m.centre_number);
  dx.Byte(kReceiverCount, m.receiver_count,
          static_cast<std::uint8_t>(page_rule::kReceiverCount.min),
          static_cast<std::uint8_t>(page_rule::kReceiverCount.max));
  dx.Text(kSimNumber, m.sim_number);
  dx.Unsigned(kHeartbeatInterval, m.heartbeat_interval);
  dx.Check(kHeartbeatTwice, m.heartbeat_twice);
  dx.Check(kCustomPackets, m.custom_packets);
  dx.Check(kRegisterHex, m.register_hex);
  dx.Text(kRegisterData, m.register_data);
  dx.Check(kHeartbeatHex, m.heartbeat_hex);
  dx.Text(kHeartbeatData, m.heartbeat_data);
  dx.Unsigned(kHeartbeatRetries, m.heartbeat_retries);
  dx.Unsigned(kTcpReconnectTime, m.tcp_reconnect_time);
  dx.Text(kIpCount, m.ip_count);
  for (std::size_t i = 0; i < kCentreIp.size(); ++i) {
    dx.Text(kCentreIp[i], m.centre_ip[i]);
    dx.Unsigned(kPort[i], m.port[i]);
  }
  dx.Check(kFixedDns, m.fixed_dns);
  for (std::size_t i = 0; i < kDomain.size(); ++i) {
    dx.Text(kDomain[i], m.domain[i]);
    dx.Check(kDomainEnabled[i], m.domain_enabled[i]);
  }
}

void GprsPage::AfterTextChange(int id) {
  if (id == kCentreNumber) CheckReceiveNumber();
}

void GprsPage::CheckReceiveNumber() {
  QString number = text(kCentreNumber);
  if (ParseCDecimal(number.toStdString()) <= kMaxReceiveNumber) return;
  number.chop(1);
  setText(kCentreNumber, number);
  messages().Show(MessageKind::Warning, kReceiveNumberMessage);
}

void GprsPage::FieldLeft(int id) {
  if (id == kPort[0] || id == kPort[1] || id == kPort[2]) {
    ExchangeToMembers();
  } else {
    CheckRange(id);
  }
}

void GprsPage::CheckRange(int id) {
  const auto check = std::find_if(kRangeChecks.begin(), kRangeChecks.end(),
                                  [id](const RangeCheck& c) { return c.id == id; });
  if (check == kRangeChecks.end()) return;
  // A refused entry has said so and holds the focus; the members are not current, so nothing
  // is tested or written back.
  if (!ExchangeToMembers()) return;
  std::uint32_t& value = members_.*(check->member);
  if (check->rule.Holds(value)) return;
  messages().Show(MessageKind::Warning, check->rule.message, check->rule.caption);
  value = check->rule.reset;
  ExchangeToControls();
}

}  // namespace dtu
