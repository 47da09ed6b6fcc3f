#include "core/editing/sms_page_table.h"

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "core/block/block_codes.h"
#include "core/block/block_layout.h"
#include "core/editing/field_labels.h"

namespace dtu {
namespace {

using namespace sms_id;

constexpr int kSmsGroup = -1;  // "短信" has no control ID

template <std::size_t N>
std::vector<std::string> Entries(const std::array<std::string_view, N>& names) {
  return {names.begin(), names.end()};
}
std::vector<std::string> ModeEntries() {
  return Entries(kSmsModeNames);
}
std::vector<std::string> CodingEntries() {
  return Entries(kSmsCodingEntries);
}
std::vector<std::string> OutputNumberEntries() {
  return Entries(kSmsOutputNumberEntries);
}

constexpr std::array kNumberFields{field::sms_number1, field::sms_number2, field::sms_number3,
                                   field::sms_number4, field::sms_number5};

constexpr ControlEntry NumberLabel(int i) {
  return Label(kNumberLabel[i], FieldLabel(kNumberFields[i]), kNumber[i], At(kNumbersGroup, i, 0));
}
constexpr ControlEntry NumberEdit(int i) {
  return Edit(kNumber[i], At(kNumbersGroup, i, 1), kDigitsOnly);
}

constexpr std::array kControls = std::to_array<ControlEntry>({
    GroupBox(kSmsGroup, "短信", At(kPageArea, 0, 0)),
    Label(kModeLabel, FieldLabel(field::sms_mode), kMode, At(kSmsGroup, 0, 0)),
    List(kMode, &ModeEntries, At(kSmsGroup, 0, 1)),
    Label(0, FieldLabel(field::sms_centre), kSmsCentre, At(kSmsGroup, 1, 0)),
    Edit(kSmsCentre, At(kSmsGroup, 1, 1), kDigitsOnly),
    GroupBox(kNumbersGroup, "授权号码", At(kSmsGroup, 2, 0, 2)),
    NumberLabel(0),
    NumberEdit(0),
    NumberLabel(1),
    NumberEdit(1),
    NumberLabel(2),
    NumberEdit(2),
    NumberLabel(3),
    NumberEdit(3),
    NumberLabel(4),
    NumberEdit(4),
    CheckBox(kAcceptAll, FieldLabel(field::sms_accept_all), At(kSmsGroup, 3, 0, 2)),
    Label(kCodingLabel, FieldLabel(field::sms_coding), kCoding, At(kSmsGroup, 4, 0)),
    List(kCoding, &CodingEntries, At(kSmsGroup, 4, 1)),
    Label(0, "SIM卡固有短信中心", kSimSmsCentre, At(kSmsGroup, 5, 0)),
    Edit(kSimSmsCentre, At(kSmsGroup, 5, 1), kDigitsOnly | kReadOnly),
    Label(kOutputNumberLabel, FieldLabel(field::sms_output_number), kOutputNumber,
          At(kSmsGroup, 6, 0), kHidden),
    List(kOutputNumber, &OutputNumberEntries, At(kSmsGroup, 6, 1), kHidden),
    CheckBox(kDualTargetsOnly, FieldLabel(field::dual_sms_targets_only), At(kSmsGroup, 7, 0, 2),
             kHidden),
});

constexpr std::string_view kNumberTip =
    "授权号码：GPRS和双通道方式下，用来配置设备参数的手机号码。短信工作方式下仅用于终端模式的目标手"
    "机号码";

constexpr std::array kTooltips = std::to_array<TooltipEntry>({
    {kMode,
     "短信模式：仅在短信工作方式下使用。\r\n中心模式：作为中心设备，可接收其他设备发来的短信，并可"
     "向"
     "串口协议中约定的短信号码发送短信。终端模式：仅可向系统预设的5个短信号码发送短信"},
    {kNumber[0], kNumberTip},
    {kNumber[1], kNumberTip},
    {kNumber[2], kNumberTip},
    {kNumber[3], kNumberTip},
    {kNumber[4], kNumberTip},
    {kAcceptAll, "是否接收5个授权号码以外的短信。但是设定设备参数的号码仅限于5个授权号码。"},
    {kCoding,
     "短信编码 7BIT：用来发送英文和数字，8BIT：可用来发送16进制数据（0x00－0xff），UCS2：用来发送手"
     "机可识别的短信，支持中英文混发."},
    {kOutputNumber,
     "数据输出包含号码：包含：接收到短信后输入来电号码，格式为86***********:xxxx,不包含：仅输出数据"
     "xxxx"},
    {kSmsCentre, "短信中心：格式为86***********，如果SIM卡固有短信中心可读出则不用设置此参数。"},
    {kSimSmsCentre, "SIM卡固有短信中心：SIM卡中固有的短信中心。"},
    {kDualTargetsOnly,
     "双通道方式下，短信仅发向设定的目标号码，串口协议中的目标不起作用，但要求原有格式。"},
});

// Every field of the page, in the order it is collected. The SMS centre and the numbers are
// held to what their block fields can store.
constexpr std::array kFields = std::to_array<FieldEntry>({
    ListField(kMode, field::sms_mode),
    ListField(kCoding, field::sms_coding),
    ListField(kOutputNumber, field::sms_output_number),
    TextField(kSmsCentre, field::sms_centre),
    TextField(kNumber[0], field::sms_number1),
    TextField(kNumber[1], field::sms_number2),
    TextField(kNumber[2], field::sms_number3),
    TextField(kNumber[3], field::sms_number4),
    TextField(kNumber[4], field::sms_number5),
    CheckField(kAcceptAll, field::sms_accept_all),
    CheckField(kDualTargetsOnly, field::dual_sms_targets_only),
});

}  // namespace

constexpr PageTable kSmsPageTable{kControls, kTooltips, kFields};

}  // namespace dtu
