#pragma once

#include <string>
#include <string_view>

#include "core/device/device_event.h"
#include "core/user_messages.h"

namespace dtu {

// The boxes of the unit's acknowledgements.
inline constexpr std::string_view kAcnOkMessage = "设置验证码成功.";
inline constexpr std::string_view kSetOkMessage = "参数设置成功!";
inline constexpr std::string_view kChkErrMessage = "参数校验失败!";
inline constexpr std::string_view kSetParametersCaption = "设置参数";

// What the user is shown of one event, wherever it is shown: the window, the command line, the
// provisioning log.
struct EventText {
  bool boxed = false;                     // shown in a box of its own (the acknowledgements)
  MessageKind icon = MessageKind::Plain;  // the box's icon
  std::string caption;                    // the box's caption; empty: the application's title
  std::string label;                      // a value's label ("软件版本", "DTU的IP地址")
  std::string text;                       // the box's text, or the value
  std::string note;                       // the traffic log's line for the event
  std::string result;  // the status bar's last result when the event ends an operation
};

// The one place where an event gets its texts. Acknowledgements: "参数设置成功!" (information)
// and "参数校验失败!" (error icon), both with the caption "设置参数", and "设置验证码成功."
// (information, the application's title). A status value or an address: its label and value.
// A block: what became of it.
EventText TextOf(const DeviceEvent& event);

// The label shown beside a status value: "软件版本", "模块序列号", "主板序列号", "信号强度",
// "SIM卡固有短信中心".
std::string_view StatusFieldLabel(StatusField field);

// The name a script knows a status value by: "version", "module_serial", "board_serial",
// "signal", "sim_sms_centre".
std::string_view StatusFieldName(StatusField field);

// The first column of an address row, "DTU的IP地址" to "DNS服务地址2"; empty outside the list.
std::string_view AddressRowName(int row);

}  // namespace dtu
