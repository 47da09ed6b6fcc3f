#include "core/device/device_event_text.h"

#include <array>
#include <type_traits>

#include "core/message_language.h"

namespace dtu {
namespace {

constexpr std::array<std::string_view, kAddressRowCount> kAddressRowNames{
    "DTU的IP地址",  "DNS的IP1地址", "DNS的IP2地址", "DNS的IP3地址", "DNS的IP4地址",
    "DNS的IP5地址", "DNS的IP6地址", "DNS服务地址1", "DNS服务地址2",
};

// The same rows and values in English, for the command-line tools' English runs.
constexpr std::array<std::string_view, kAddressRowCount> kEnglishAddressRowNames{
    "DTU IP address",   "DNS IP address 1", "DNS IP address 2",
    "DNS IP address 3", "DNS IP address 4", "DNS IP address 5",
    "DNS IP address 6", "DNS server 1",     "DNS server 2",
};

std::string_view EnglishStatusLabel(StatusField field) {
  switch (field) {
    case StatusField::Version:
      return "software version";
    case StatusField::ModuleSerial:
      return "module serial";
    case StatusField::BoardSerial:
      return "board serial";
    case StatusField::Signal:
      return "signal strength";
    case StatusField::SimSmsCentre:
      return "SIM card's SMS centre";
  }
  return {};
}

EventText AcknowledgementText(Acknowledgement acknowledgement) {
  EventText shown;
  shown.boxed = true;
  switch (acknowledgement) {
    case Acknowledgement::Stored:
      shown.icon = MessageKind::Information;
      shown.caption = Say(std::string(kSetParametersCaption), "set parameters");
      shown.text = Say(std::string(kSetOkMessage), "parameters set!");
      shown.result = "设置参数成功";
      break;
    case Acknowledgement::Refused:
      // A refused frame is a failure: it carries the error icon.
      shown.icon = MessageKind::Error;
      shown.caption = Say(std::string(kSetParametersCaption), "set parameters");
      shown.text = Say(std::string(kChkErrMessage), "parameter check failed!");
      shown.result = "设置参数失败：设备报告校验错误";
      shown.advice =
          "设备拒绝了这个参数块（它收到的参数块校验和不符），没有保存，仍保留它自己原来的参数。"
          "请检查串口线是否接好、线路有无干扰、波特率等串口设置是否与设备一致，然后重新设置参数；"
          "若一再失败，可先读取参数核对设备现在的参数。";
      break;
    case Acknowledgement::CodeAccepted:
      shown.icon = MessageKind::Information;
      shown.text = Say(std::string(kAcnOkMessage), "verification code set.");
      break;
  }
  shown.note = Say("设备回复：", "the unit replied: ") + shown.text;
  return shown;
}

EventText StatusText(const StatusEvent& event) {
  EventText shown;
  shown.label =
      Say(std::string(StatusFieldLabel(event.field)), std::string(EnglishStatusLabel(event.field)));
  shown.text = event.text;
  // The log names the SIM card's centre more briefly than its page does.
  const std::string_view noted =
      event.field == StatusField::SimSmsCentre ? "SIM卡短信中心" : StatusFieldLabel(event.field);
  shown.note = std::string(noted) + "：" + event.text;
  return shown;
}

EventText AddressText(const AddressEvent& event) {
  EventText shown;
  shown.label = AddressRowName(event.row);
  if (CurrentMessageLanguage() == MessageLanguage::kEnglish && !shown.label.empty())
    shown.label = kEnglishAddressRowNames[static_cast<std::size_t>(event.row)];
  shown.text = event.text;
  shown.note = shown.label + "：" + event.text;
  return shown;
}

EventText BlockText(const BlockEvent& event) {
  EventText shown;
  shown.note = event.intact ? "参数块完整，已载入页面" : "参数块校验和不符，已拒绝";
  shown.result = event.intact ? "读取参数成功" : "读取参数失败：参数块校验和不符";
  return shown;
}

}  // namespace

EventText TextOf(const DeviceEvent& event) {
  return std::visit(
      [](const auto& e) -> EventText {
        using Event = std::decay_t<decltype(e)>;
        if constexpr (std::is_same_v<Event, AcknowledgementEvent>)
          return AcknowledgementText(e.acknowledgement);
        else if constexpr (std::is_same_v<Event, StatusEvent>)
          return StatusText(e);
        else if constexpr (std::is_same_v<Event, AddressEvent>)
          return AddressText(e);
        else
          return BlockText(e);
      },
      event);
}

std::string_view StatusFieldLabel(StatusField field) {
  switch (field) {
    case StatusField::Version:
      return "软件版本";
    case StatusField::ModuleSerial:
      return "模块序列号";
    case StatusField::BoardSerial:
      return "主板序列号";
    case StatusField::Signal:
      return "信号强度";
    case StatusField::SimSmsCentre:
      return "SIM卡固有短信中心";
  }
  return {};
}

std::string_view StatusFieldName(StatusField field) {
  switch (field) {
    case StatusField::Version:
      return "version";
    case StatusField::ModuleSerial:
      return "module_serial";
    case StatusField::BoardSerial:
      return "board_serial";
    case StatusField::Signal:
      return "signal";
    case StatusField::SimSmsCentre:
      return "sim_sms_centre";
  }
  return {};
}

std::string_view AddressRowName(int row) {
  if (row < 0 || row >= kAddressRowCount) return {};
  return kAddressRowNames[static_cast<std::size_t>(row)];
}

}  // namespace dtu
