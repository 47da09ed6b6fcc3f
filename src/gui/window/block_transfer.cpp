#include "gui/window/block_transfer.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QTabBar>

#include <algorithm>
#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/baud_rates.h"
#include "core/block/block_check.h"
#include "core/block/block_codes.h"
#include "core/editing/field_rules.h"
#include "core/editing/page_rules.h"
#include "core/text/gbk_codec.h"
#include "core/text/hex_text.h"
#include "gui/pages/gprs_page.h"
#include "gui/pages/serial_page.h"
#include "gui/pages/sms_page.h"
#include "gui/platform/qt_text.h"
#include "gui/window/block_origin.h"
#include "gui/window/editor_tab_set.h"
#include "gui/window/pages_source.h"
#include "gui/window/summary_pane_view.h"

namespace dtu {
namespace {

constexpr std::uint32_t kNumberFallback = 8000;  // stored for a device or centre number of 0
constexpr std::uint8_t kNoSelection = 255;       // a list without selection, as a byte

// ---------------------------------------------------------------------------------------------
// Loading

void ShowText(EditorPage& page, int id, std::string_view gbk) {
  page.setText(id, FromUtf8(GbkToUtf8(gbk)));
}

void ShowNumber(EditorPage& page, int id, std::uint64_t value) {
  page.setText(id, FromUtf8(FormatDecimal(value)));
}

void ShowAddress(EditorPage& page, int id, const Ipv4Bytes& address) {
  page.setText(id, FromUtf8(FormatDottedIPv4(address)));
}

// A byte field as a hex dump; its "16进制" box is checked before, so that the field's length
// check counts the dump's bytes rather than its characters.
void ShowDump(EditorPage& page, int id, const std::vector<std::uint8_t>& bytes) {
  page.setText(id, FromUtf8(FormatHexDump(bytes)));
}

// A flag through the box's member and then the box itself. Only 1 means on.
void ShowFlag(EditorPage& page, int id, int& member, std::uint8_t flag) {
  member = flag == 1 ? 1 : 0;
  page.setChecked(id, member != 0);
}

// A list whose entries stand for the values 0 to count - 1: the entry of a value within them,
// else nothing (the list then shows the value as the unit's own).
std::optional<int> IndexEntry(const EditorPage& page, int id, std::uint32_t value) {
  if (value < static_cast<std::uint32_t>(page.ownEntryCount(id))) return static_cast<int>(value);
  return std::nullopt;
}

void ShowIndexChoice(EditorPage& page, int id, std::uint32_t value) {
  page.showChoice(id, IndexEntry(page, id, value), value);
}

void LoadGprsPage(GprsPage& page, const ParameterBlock& b) {
  using namespace gprs_id;
  GprsMembers& m = page.members();
  // The protocol is set by the load, not chosen by the user: the device number field is written
  // in the form of the loaded protocol, with nothing to convert.
  const QSignalBlocker quiet(page.list(kProtocol));

  m.receiver_count = b.receiver_count();
  page.ExchangeToControls();
  page.setChecked(kHeartbeatHex, true);
  page.setChecked(kRegisterHex, true);

  // Any stored mode but main and backup sends to every centre; it stays GroupUnchanged until a
  // mode button is clicked.
  const bool main_and_backup = b.ip_mode() == ToByte(IpMode::MainAndBackup);
  page.checkRadio({kMainAndBackup, kGroupSend}, main_and_backup ? 0 : 1);
  m.ip_mode = ToByte(main_and_backup ? IpMode::MainAndBackup : IpMode::GroupUnchanged);

  ShowIndexChoice(page, kProtocol, b.protocol());

  ShowText(page, kSimNumber, b.sim_number());
  ShowText(page, kPppUser, b.ppp_user());
  ShowText(page, kPppPassword, b.ppp_password());
  ShowText(page, kApn, b.apn());
  ShowText(page, kDialCode, b.dial_code());

  const std::array addresses{b.centre_ip1(), b.centre_ip2(), b.centre_ip3(),
                             b.centre_ip4(), b.centre_ip5(), b.heartbeat_ip()};
  for (std::size_t i = 0; i < addresses.size(); ++i) ShowAddress(page, kCentreIp[i], addresses[i]);
  ShowAddress(page, kDnsPrimary, b.dns_primary());
  ShowAddress(page, kDnsSecondary, b.dns_secondary());

  ShowNumber(page, kIpCount, b.ip_count());
  const std::array ports{b.port1(), b.port2(), b.port3(), b.port4(), b.port5(), b.port6()};
  for (std::size_t i = 0; i < ports.size(); ++i) ShowNumber(page, kPort[i], ports[i]);

  ShowNumber(page, kProjectNumber, b.project_number());

  // Under protocol 9 bytes 95 to 98 are one hexadecimal identifier, typed with its letters.
  if (ProtocolEditsDeviceId(b.protocol())) {
    page.setText(kDeviceNumber, FromUtf8(FormatUpperHex(b.device_id())));
  } else {
    ShowNumber(page, kDeviceNumber, b.device_number());
  }
  page.ShowDeviceNumberFormFor(b.protocol());
  // Always the block's own value, also where the protocol hides the field: a protocol chosen
  // later collects it, and it must not be one left over from an earlier block.
  ShowNumber(page, kCentreNumber, b.centre_number());
  // These protocols have no centre number; the field stays hidden for the rest of the run.
  if (ProtocolUsesDeviceId(b.protocol())) page.setFieldVisible(kCentreNumber, false);

  ShowNumber(page, kTcpReconnectTime, b.tcp_reconnect_time());
  ShowNumber(page, kHeartbeatInterval, b.heartbeat_interval());
  ShowNumber(page, kHeartbeatRetries, b.heartbeat_retries());

  const std::array domains{b.domain1(), b.domain2(), b.domain3(),
                           b.domain4(), b.domain5(), b.domain6()};
  for (std::size_t i = 0; i < domains.size(); ++i) ShowText(page, kDomain[i], domains[i]);

  const std::array enabled{b.domain1_enabled(), b.domain2_enabled(), b.domain3_enabled(),
                           b.domain4_enabled(), b.domain5_enabled(), b.domain6_enabled()};
  for (std::size_t i = 0; i < enabled.size(); ++i)
    ShowFlag(page, kDomainEnabled[i], m.domain_enabled[i], enabled[i]);
  ShowFlag(page, kCustomPackets, m.custom_packets, b.custom_packets());
  ShowFlag(page, kFixedDns, m.fixed_dns, b.fixed_dns());
  ShowFlag(page, kHeartbeatTwice, m.heartbeat_twice, b.heartbeat_twice());

  ShowDump(page, kHeartbeatData, b.heartbeat_data());
  ShowDump(page, kRegisterData, b.register_data());
}

void LoadSmsPage(SmsPage& page, const ParameterBlock& b) {
  using namespace sms_id;
  SmsMembers& m = page.members();
  ShowText(page, kSmsCentre, b.sms_centre());
  const std::array numbers{b.sms_number1(), b.sms_number2(), b.sms_number3(), b.sms_number4(),
                           b.sms_number5()};
  for (std::size_t i = 0; i < numbers.size(); ++i) ShowText(page, kNumber[i], numbers[i]);
  ShowIndexChoice(page, kMode, b.sms_mode());
  ShowIndexChoice(page, kCoding, b.sms_coding());
  ShowIndexChoice(page, kOutputNumber, b.sms_output_number());
  ShowFlag(page, kAcceptAll, m.accept_all, b.sms_accept_all());
  ShowFlag(page, kDualTargetsOnly, m.dual_targets_only, b.dual_sms_targets_only());
}

// The entry of a list of numbers ("8", "7"...) for a value, or nothing for a value the list
// does not hold (shown as the unit's own).
std::optional<int> DataBitsEntry(std::uint8_t bits) {
  switch (bits) {
    case 8:
      return 0;
    case 7:
      return 1;
    default:
      return std::nullopt;
  }
}

std::optional<int> StopBitsEntry(std::uint8_t bits) {
  if (bits == 1 || bits == 2) return bits - 1;
  return std::nullopt;
}

void LoadSerialPage(SerialPage& page, const ParameterBlock& b) {
  using namespace serial_id;
  SerialMembers& m = page.members();

  const auto baud_entry = BaudRateIndex(b.baud_rate());
  page.showChoice(kBaudRate,
                  baud_entry ? std::optional<int>(static_cast<int>(*baud_entry)) : std::nullopt,
                  b.baud_rate());
  ShowIndexChoice(page, kParity, b.parity());
  page.showChoice(kDataBits, DataBitsEntry(b.data_bits()), b.data_bits());
  page.showChoice(kStopBits, StopBitsEntry(b.stop_bits()), b.stop_bits());

  ShowFlag(page, kTimedReceive, m.timed_receive, b.timed_receive());
  ShowNumber(page, kTimedReceiveInterval, b.timed_receive_interval());

  page.setChecked(kPollCommandHex, true);
  ShowDump(page, kPollCommand, b.poll_command());
  ShowNumber(page, kPollInterval, b.poll_interval());
  ShowNumber(page, kPollCommandLength, b.poll_command_len());
  ShowNumber(page, kFrameDelay, b.frame_delay());

  for (int hex_box :
       {kFrameHeadHex, kFrameTailHex, kGprsRxTagHex, kGprsTxTagHex, kSmsRxTagHex, kSmsTxTagHex})
    page.setChecked(hex_box, true);
  ShowDump(page, kFrameHead, b.frame_head());
  ShowDump(page, kFrameTail, b.frame_tail());

  page.checkRadio({kByDelay, kByHeadAndTail}, b.frame_mode() != ToByte(FrameMode::ByDelay) ? 1 : 0);

  ShowDump(page, kGprsRxTag, b.gprs_rx_tag());
  ShowDump(page, kGprsTxTag, b.gprs_tx_tag());
  ShowDump(page, kSmsRxTag, b.sms_rx_tag());
  ShowDump(page, kSmsTxTag, b.sms_tx_tag());

  page.setChecked(kGprsNoticeHex, true);
  page.setChecked(kTcpNoticeHex, true);
  ShowDump(page, kGprsNotice, b.gprs_notice());
  ShowDump(page, kTcpNotice, b.tcp_notice());
}

// ---------------------------------------------------------------------------------------------
// Collecting

// How a number field's text is read.
enum class Reading {
  TrailingDigits,  // ParseDecimal: the value of the trailing run of digits
  CDecimal,        // ParseCDecimal: the C library's decimal reading
  CHexadecimal,    // ParseCHexadecimal: the C library's unsigned hexadecimal reading
};

// The number a reading finds in a text, as the user wrote it.
WrittenNumber FindNumber(std::string_view text, Reading reading) {
  switch (reading) {
    case Reading::TrailingDigits:
      return ReadTrailingNumber(text);
    case Reading::CDecimal:
      return ReadCNumber(text, 10);
    case Reading::CHexadecimal:
      return ReadCNumber(text, 16);
  }
  return {};
}

// The value when it lies within 0 to `max`.
std::optional<std::uint32_t> ValueWithin(const WrittenNumber& number, std::uint32_t max) {
  if (number.negative) return std::nullopt;
  constexpr std::size_t kMaxDigits = 12;  // more than any 32-bit value needs in either base
  if (number.digits.size() > kMaxDigits) return std::nullopt;
  std::uint64_t value = 0;
  for (char c : number.digits) {
    value = value * static_cast<std::uint64_t>(number.base) +
            static_cast<std::uint64_t>(HexDigitValue(c));
  }
  if (value > max) return std::nullopt;
  return static_cast<std::uint32_t>(value);
}

std::string FormatInBase(std::uint32_t value, int base) {
  return base == 16 ? FormatUpperHex(value) : FormatDecimal(value);
}

// "端口的数值 70000 超出范围（最大 65535）。"
std::string RangeMessage(std::string_view name, const WrittenNumber& number, std::uint32_t max) {
  constexpr std::size_t kShownDigits = 20;
  std::string shown = number.digits.empty() ? std::string("0") : number.digits;
  if (shown.size() > kShownDigits) shown = shown.substr(0, kShownDigits) + "…";
  std::string message = std::string(name) + "的数值 ";
  if (number.negative) return message + "-" + shown + " 超出范围（最小 0）。";
  return message + shown + " 超出范围（最大 " + FormatInBase(max, number.base) + "）。";
}

std::string UnencodableTextMessage(std::string_view name, char32_t c) {
  return std::string(name) + "中的字符 " + DescribeCharacter(c) + " 无法用GBK编码保存，请修改。";
}

// A list whose entries stand for their indexes: the unit's own value when its extra entry is
// chosen, else the index (no selection as 255).
std::uint8_t ChoiceByte(const EditorPage& page, int id) {
  if (const auto own = page.unitOwnChoice(id)) return static_cast<std::uint8_t>(*own);
  const int index = page.list(id)->currentIndex();
  return index < 0 ? kNoSelection : static_cast<std::uint8_t>(index);
}

enum class Blanks { Keep, Trim };
enum class EmptyText { LeavesField, ClearsField };

// Reads the fields of one page into the block. Every refusal says what is wrong, brings the
// field's page forward when it has a tab, and puts the focus on the field.
class PageCollector {
 public:
  PageCollector(EditorTabSet& tabs, EditorPage& page, UserMessages& messages, ParameterBlock& block)
      : tabs_(tabs), page_(page), messages_(messages), block_(block) {}

  ParameterBlock& block() { return block_; }

  std::uint8_t Flag(int id) const { return page_.isChecked(id) ? 1 : 0; }

  // An address field: four numbers from 0 to 255 (or nothing, 0.0.0.0); anything else is
  // refused rather than read as some other address.
  bool Address(int id, const FieldRow& field) {
    const std::string text = Utf8Text(id);
    const auto address = ReadAddressEntry(text);
    if (!address) {
      Refuse(id, AddressEntryMessage(FieldName(id), text));
      return false;
    }
    block_.SetIPv4(field, *address);
    return true;
  }

  // A number read from a field's text; refused when it does not fit 0 to `max`.
  std::optional<std::uint32_t> Number(int id, Reading reading, std::uint32_t max) {
    return NumberIn(id, Utf8Text(id), reading, max);
  }

  std::optional<std::uint32_t> NumberIn(int id, std::string_view text, Reading reading,
                                        std::uint32_t max) {
    const WrittenNumber number = FindNumber(text, reading);
    const std::optional<std::uint32_t> value = ValueWithin(number, max);
    if (!value) Refuse(id, RangeMessage(FieldName(id), number, max));
    return value;
  }

  // A number already read by the page's exchange.
  std::optional<std::uint32_t> Member(int id, std::uint32_t value, std::uint32_t max) {
    WrittenNumber number;
    number.digits = FormatDecimal(value);
    if (value <= max) return value;
    Refuse(id, RangeMessage(FieldName(id), number, max));
    return std::nullopt;
  }

  // A number stored as it is read, in the field's own width.
  bool StoreNumber(int id, Reading reading, const FieldRow& field) {
    const auto value = Number(id, reading, FieldMaxValue(field));
    if (value) block_.Set(field, *value);
    return value.has_value();
  }

  // A text field: the field's text in GBK, cut to the field's capacity at a character boundary.
  bool Text(int id, const FieldRow& field, Blanks blanks = Blanks::Keep) {
    std::string text = Utf8Text(id);
    if (blanks == Blanks::Trim) text = std::string(TrimCBlanks(text));
    const std::optional<std::string> gbk = Gbk(id, text);
    if (gbk) block_.SetText(field, *gbk);
    return gbk.has_value();
  }

  // A counted field: an empty text leaves it alone (a notice is cleared instead); otherwise the
  // dump's bytes or the text's own bytes, at most the area's size.
  bool Counted(int id, int hex_box, const CountedRow& area_row, EmptyText empty) {
    const std::string text = Utf8Text(id);
    if (text.empty()) {
      if (empty == EmptyText::ClearsField) {
        block_.Set(area_row.length, 0);
        block_.Area(area_row.area)[0] = 0;
      }
      return true;
    }
    const std::optional<std::string> gbk = Gbk(id, text);
    if (!gbk) return false;
    if (page_.isChecked(hex_box)) {
      // Only whole bytes of hex digits: a foreign character or an odd digit would be read as
      // something the user never wrote.
      if (const auto problem = HexDumpProblem(text)) {
        Refuse(id, HexDumpMessage(FieldName(id), *problem));
        return false;
      }
      block_.SetCounted(area_row, ParseHexDump(*gbk));
    } else {
      const std::string cut = CutGbk(*gbk, area_row.area.size);
      const auto* data = reinterpret_cast<const std::uint8_t*>(cut.data());
      block_.SetCounted(area_row, std::span<const std::uint8_t>(data, cut.size()));
    }
    return true;
  }

  void Refuse(int id, std::string_view message) {
    messages_.Show(MessageKind::Warning, message);
    BringPageForward();
    page_.returnFocusTo(id);
  }

  // The page's exchange, which says itself what it refuses and puts the focus there; the page
  // is brought forward so that the focus reaches the field.
  bool Exchange() {
    if (page_.ExchangeToMembers()) return true;
    BringPageForward();
    return false;
  }

  // Selects the tab that leads to the page, when the current mode gives it one.
  void BringPageForward() {
    QTabBar* bar = tabs_.tabBar();
    if (&page_ == &tabs_.serialPage()) {
      bar->setCurrentIndex(1);
      return;
    }
    const bool sms_tab = bar->tabText(0) == QStringLiteral("短信参数");
    if (sms_tab == (&page_ == &tabs_.smsPage())) bar->setCurrentIndex(0);
  }

 private:
  std::string Utf8Text(int id) const { return page_.text(id).toStdString(); }

  std::optional<std::string> Gbk(int id, std::string_view utf8) {
    GbkText gbk = Utf8ToGbk(utf8);
    if (!gbk.ok()) {
      Refuse(id, UnencodableTextMessage(FieldName(id), *gbk.unencodable));
      return std::nullopt;
    }
    return std::move(gbk.bytes);
  }

  std::string FieldName(int id) const { return page_.fieldName(id); }

  EditorTabSet& tabs_;
  EditorPage& page_;
  UserMessages& messages_;
  ParameterBlock& block_;
};

bool CollectGprsPage(PageCollector& c, GprsPage& page) {
  using namespace gprs_id;
  // A refused entry leaves the members after it unread: collecting them would store stale
  // values, so the refusal ends the collection.
  if (!c.Exchange()) return false;
  const GprsMembers& m = page.members();
  ParameterBlock& b = c.block();

  b.set_fixed_dns(c.Flag(kFixedDns));
  b.set_ip_mode(static_cast<std::uint8_t>(m.ip_mode));

  if (!c.Text(kApn, field::apn, Blanks::Trim) ||
      !c.Text(kDialCode, field::dial_code, Blanks::Trim) || !c.Text(kPppUser, field::ppp_user) ||
      !c.Text(kPppPassword, field::ppp_password))
    return false;

  constexpr std::array kAddressFields{field::centre_ip1, field::centre_ip2, field::centre_ip3,
                                      field::centre_ip4, field::centre_ip5, field::heartbeat_ip};
  for (std::size_t i = 0; i < kAddressFields.size(); ++i)
    if (!c.Address(kCentreIp[i], kAddressFields[i])) return false;

  b.set_receiver_count(m.receiver_count);
  // Six address rows: a count outside 1 to 6 would make the unit use rows that do not exist.
  const auto ip_count = c.Number(kIpCount, Reading::TrailingDigits, FieldMaxValue(field::ip_count));
  if (!ip_count) return false;
  if (!page_rule::kIpCount.Holds(*ip_count)) {
    c.Refuse(kIpCount, page_rule::kIpCount.message);
    return false;
  }
  b.set_ip_count(static_cast<std::uint8_t>(*ip_count));

  constexpr std::array kPortFields{field::port1, field::port2, field::port3,
                                   field::port4, field::port5, field::port6};
  for (std::size_t i = 0; i < kPortFields.size(); ++i)
    if (!c.StoreNumber(kPort[i], Reading::TrailingDigits, kPortFields[i])) return false;

  if (!c.Address(kDnsPrimary, field::dns_primary) ||
      !c.Address(kDnsSecondary, field::dns_secondary))
    return false;

  b.set_protocol(ChoiceByte(page, kProtocol));
  if (!c.Text(kSimNumber, field::sim_number)) return false;

  const auto reconnect = c.Number(kTcpReconnectTime, Reading::CDecimal, 0xFFFF);
  if (!reconnect) return false;
  // A time under the page's minimum is stored as the value the page resets the field to.
  const RangeRule& rule = page_rule::kTcpReconnectTime;
  b.set_tcp_reconnect_time(
      static_cast<std::uint16_t>(*reconnect < rule.min ? rule.reset : *reconnect));

  constexpr std::array kEnabledFields{field::domain1_enabled, field::domain2_enabled,
                                      field::domain3_enabled, field::domain4_enabled,
                                      field::domain5_enabled, field::domain6_enabled};
  for (std::size_t i = 0; i < kEnabledFields.size(); ++i)
    b.Set(kEnabledFields[i], c.Flag(kDomainEnabled[i]));
  b.set_custom_packets(c.Flag(kCustomPackets));

  constexpr std::array kDomainFields{field::domain1, field::domain2, field::domain3,
                                     field::domain4, field::domain5, field::domain6};
  for (std::size_t i = 0; i < kDomainFields.size(); ++i)
    if (!c.Text(kDomain[i], kDomainFields[i])) return false;

  // A project number of 0 keeps the one the block has.
  const auto project = c.Number(kProjectNumber, Reading::CDecimal, 0xFFFF);
  if (!project) return false;
  if (*project != 0) b.set_project_number(static_cast<std::uint16_t>(*project));

  if (ProtocolEditsDeviceId(b.protocol())) {
    const auto id = c.Number(kDeviceNumber, Reading::CHexadecimal, 0xFFFFFFFF);
    if (!id) return false;
    b.set_device_id(*id);
  } else {
    // A device or centre number of 0 is stored as 8000.
    const auto device = c.Number(kDeviceNumber, Reading::CDecimal, 0xFFFF);
    if (!device) return false;
    b.set_device_number(static_cast<std::uint16_t>(*device == 0 ? kNumberFallback : *device));
    const auto centre = c.Number(kCentreNumber, Reading::CDecimal, 0xFFFF);
    if (!centre) return false;
    b.set_centre_number(static_cast<std::uint16_t>(*centre == 0 ? kNumberFallback : *centre));
  }

  const auto interval = c.Member(kHeartbeatInterval, m.heartbeat_interval, 0xFFFF);
  if (!interval) return false;
  b.set_heartbeat_interval(static_cast<std::uint16_t>(*interval));
  b.set_heartbeat_twice(c.Flag(kHeartbeatTwice));

  // The heartbeat retries are shown but never collected: the block keeps its own.
  return c.Counted(kHeartbeatData, kHeartbeatHex, counted::heartbeat_data,
                   EmptyText::LeavesField) &&
         c.Counted(kRegisterData, kRegisterHex, counted::register_data, EmptyText::LeavesField);
}

bool CollectSmsPage(PageCollector& c, SmsPage& page) {
  using namespace sms_id;
  if (!c.Exchange()) return false;
  ParameterBlock& b = c.block();
  b.set_sms_mode(ChoiceByte(page, kMode));
  b.set_sms_coding(ChoiceByte(page, kCoding));
  b.set_sms_output_number(ChoiceByte(page, kOutputNumber));

  if (!c.Text(kSmsCentre, field::sms_centre)) return false;
  constexpr std::array kNumberFields{field::sms_number1, field::sms_number2, field::sms_number3,
                                     field::sms_number4, field::sms_number5};
  for (std::size_t i = 0; i < kNumberFields.size(); ++i)
    if (!c.Text(kNumber[i], kNumberFields[i])) return false;

  b.set_sms_accept_all(c.Flag(kAcceptAll));
  b.set_dual_sms_targets_only(c.Flag(kDualTargetsOnly));
  return true;
}

bool CollectSerialPage(PageCollector& c, SerialPage& page) {
  using namespace serial_id;
  if (!c.Exchange()) return false;
  ParameterBlock& b = c.block();

  b.set_frame_mode(
      ToByte(page.isChecked(kByDelay) ? FrameMode::ByDelay : FrameMode::ByHeadAndTail));

  // The unit's own value of an extra entry is stored as it was read.
  const auto list_number = [&](int id, const FieldRow& field) {
    if (const auto own = page.unitOwnChoice(id)) {
      b.Set(field, *own);
      return true;
    }
    const auto value = c.NumberIn(id, page.list(id)->currentText().toStdString(),
                                  Reading::TrailingDigits, FieldMaxValue(field));
    if (value) b.Set(field, *value);
    return value.has_value();
  };
  if (!list_number(kBaudRate, field::baud_rate)) return false;
  b.set_parity(ChoiceByte(page, kParity));
  if (!list_number(kDataBits, field::data_bits) || !list_number(kStopBits, field::stop_bits))
    return false;

  b.set_timed_receive(c.Flag(kTimedReceive));
  if (!c.StoreNumber(kTimedReceiveInterval, Reading::CDecimal, field::timed_receive_interval))
    return false;

  const auto poll_interval = c.Number(kPollInterval, Reading::TrailingDigits, 0xFFFF);
  if (!poll_interval) return false;
  if (!page_rule::kPollInterval.Holds(*poll_interval)) {
    c.Refuse(kPollInterval, page_rule::kPollInterval.message);
    return false;
  }
  b.set_poll_interval(static_cast<std::uint16_t>(*poll_interval));

  if (!c.Counted(kPollCommand, kPollCommandHex, counted::poll_command, EmptyText::LeavesField))
    return false;

  // Refused in either framing mode.
  const auto frame_delay = c.Number(kFrameDelay, Reading::TrailingDigits, 0xFFFF);
  if (!frame_delay) return false;
  if (!page_rule::kFrameDelay.Holds(*frame_delay)) {
    c.Refuse(kFrameDelay, page_rule::kFrameDelay.message);
    return false;
  }
  b.set_frame_delay(static_cast<std::uint16_t>(*frame_delay));

  if (!c.Counted(kFrameHead, kFrameHeadHex, counted::frame_head, EmptyText::LeavesField) ||
      !c.Counted(kFrameTail, kFrameTailHex, counted::frame_tail, EmptyText::LeavesField))
    return false;

  // The page keeps "长度" equal to the command's byte count; it replaces the count stored with
  // the command. It never claims more bytes than the area holds.
  const auto command_length = c.Number(kPollCommandLength, Reading::TrailingDigits, 0xFF);
  if (!command_length) return false;
  b.set_poll_command_len(static_cast<std::uint8_t>(
      std::min<std::uint32_t>(*command_length, field::poll_command.size)));

  return c.Counted(kGprsRxTag, kGprsRxTagHex, counted::gprs_rx_tag, EmptyText::LeavesField) &&
         c.Counted(kGprsTxTag, kGprsTxTagHex, counted::gprs_tx_tag, EmptyText::LeavesField) &&
         c.Counted(kSmsRxTag, kSmsRxTagHex, counted::sms_rx_tag, EmptyText::LeavesField) &&
         c.Counted(kSmsTxTag, kSmsTxTagHex, counted::sms_tx_tag, EmptyText::LeavesField) &&
         c.Counted(kGprsNotice, kGprsNoticeHex, counted::gprs_notice, EmptyText::ClearsField) &&
         c.Counted(kTcpNotice, kTcpNoticeHex, counted::tcp_notice, EmptyText::ClearsField);
}

}  // namespace

BlockTransfer::BlockTransfer(EditorTabSet& tabs, SummaryPaneView& summary, UserMessages& messages,
                             PagesSource* source)
    : tabs_(tabs), summary_(summary), messages_(messages), source_(source) {}

bool BlockTransfer::LoadBlock(const ParameterBlock& incoming, ParameterBlock& working,
                              const BlockOrigin& origin) {
  // Checked on a copy: a block that fails keeps the working block, the tabs and the pages as
  // they were.
  ParameterBlock block = incoming;
  if (!PrepareLoadedBlock(block)) {
    messages_.Show(MessageKind::Warning, BlockMismatchMessage(origin));
    return false;
  }
  working = block;
  if (source_ != nullptr) source_->set(origin);

  const std::uint8_t mode = working.work_mode();
  tabs_.RebuildTabSet(mode);
  tabs_.ShowSelectedPage(mode);
  LoadGprsPage(tabs_.gprsPage(), working);
  LoadSmsPage(tabs_.smsPage(), working);
  LoadSerialPage(tabs_.serialPage(), working);
  tabs_.CheckModeRadio(mode);
  tabs_.serialPage().ShowGroupsForMode(mode);
  summary_.AppendSummary(working);
  return true;
}

bool BlockTransfer::CollectBlock(ParameterBlock& working) {
  // Collected into a copy: a refusal leaves the working block exactly as it was.
  ParameterBlock draft = working;
  PageCollector gprs(tabs_, tabs_.gprsPage(), messages_, draft);
  if (!CollectGprsPage(gprs, tabs_.gprsPage())) return false;
  PageCollector sms(tabs_, tabs_.smsPage(), messages_, draft);
  if (!CollectSmsPage(sms, tabs_.smsPage())) return false;
  PageCollector serial(tabs_, tabs_.serialPage(), messages_, draft);
  if (!CollectSerialPage(serial, tabs_.serialPage())) return false;

  if (const auto mode = tabs_.CheckedMode()) draft.set_work_mode(*mode);
  draft.set_length(static_cast<std::uint16_t>(kBlockSize));
  working = draft;
  return true;
}

}  // namespace dtu
