#include "core/editing/serial_page_table.h"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/baud_rates.h"
#include "core/block/block_codes.h"
#include "core/block/block_layout.h"
#include "core/editing/field_labels.h"

namespace dtu {
namespace {

using namespace serial_id;

// Groups without a control ID.
constexpr int kPortGroup = -1;
constexpr int kPollGroup = -2;
constexpr int kFramingGroup = -3;

std::vector<std::string> ParityEntries() {
  return {kParityNames.begin(), kParityNames.end()};
}
template <std::size_t N>
std::vector<std::string> NumberEntries(const std::array<std::uint32_t, N>& numbers) {
  std::vector<std::string> entries;
  for (std::uint32_t number : numbers) entries.push_back(std::to_string(number));
  return entries;
}
std::vector<std::string> BaudRateEntries() {
  return NumberEntries(kBaudRates);
}
std::vector<std::string> DataBitsEntries() {
  return NumberEntries(kDataBitsChoices);
}
std::vector<std::string> StopBitsEntries() {
  return NumberEntries(kStopBitsChoices);
}

// A field with its label and its "16进制" box on one row of a group.
constexpr std::array<ControlEntry, 3> HexRow(int group, int row, int label_id,
                                             const FieldRow& block_field, int field, int hex_box,
                                             std::string_view initial = {}) {
  return {Label(label_id, FieldLabel(block_field), field, At(group, row, 0)),
          Edit(field, At(group, row, 1), kNoFlags, initial),
          CheckBox(hex_box, "16进制", At(group, row, 2))};
}

constexpr std::array kLeftColumn = std::to_array<ControlEntry>({
    GroupBox(kPortGroup, "设备串口", At(kPageArea, 0, 0)),
    List(kBaudRate, &BaudRateEntries, At(kPortGroup, 0, 0)),
    List(kParity, &ParityEntries, At(kPortGroup, 0, 1)),
    List(kDataBits, &DataBitsEntries, At(kPortGroup, 0, 2)),
    List(kStopBits, &StopBitsEntries, At(kPortGroup, 0, 3)),

    GroupBox(kPollGroup, "串口定时输出命令", At(kPageArea, 1, 0)),
    Label(0, FieldLabel(field::poll_interval), kPollInterval, At(kPollGroup, 0, 0)),
    Edit(kPollInterval, At(kPollGroup, 0, 1)),
    Label(0, FieldLabel(field::poll_command), kPollCommand, At(kPollGroup, 1, 0)),
    Edit(kPollCommand, At(kPollGroup, 1, 1)),
    CheckBox(kPollCommandHex, "16进制", At(kPollGroup, 1, 2)),
    Label(0, "长度", kPollCommandLength, At(kPollGroup, 2, 0)),
    Edit(kPollCommandLength, At(kPollGroup, 2, 1), kReadOnly),

    GroupBox(kFramingGroup, "串口接收数据处理方式", At(kPageArea, 2, 0)),
    CheckBox(kTimedReceive, FieldLabel(field::timed_receive), At(kFramingGroup, 0, 0)),
    Label(0, FieldLabel(field::timed_receive_interval), kTimedReceiveInterval,
          At(kFramingGroup, 0, 1)),
    Edit(kTimedReceiveInterval, At(kFramingGroup, 0, 2)),
    Radio(kByDelay, "延时分包", At(kFramingGroup, 1, 0)),
    Label(0, FieldLabel(field::frame_delay), kFrameDelay, At(kFramingGroup, 1, 1)),
    Edit(kFrameDelay, At(kFramingGroup, 1, 2), kCentred),
    Radio(kByHeadAndTail, "包头包尾", At(kFramingGroup, 2, 0)),
    Label(0, FieldLabel(field::frame_head), kFrameHead, At(kFramingGroup, 3, 1)),
    Edit(kFrameHead, At(kFramingGroup, 3, 2)),
    CheckBox(kFrameHeadHex, "16进制", At(kFramingGroup, 3, 3)),
    Label(0, FieldLabel(field::frame_tail), kFrameTail, At(kFramingGroup, 4, 1)),
    Edit(kFrameTail, At(kFramingGroup, 4, 2)),
    CheckBox(kFrameTailHex, "16进制", At(kFramingGroup, 4, 3)),
});

constexpr std::array kGroups = std::to_array<ControlEntry>({
    GroupBox(kRxTagGroup, "串口接收：数据通道选择标识     双通道方式", At(kPageArea, 0, 1)),
    GroupBox(kTxTagGroup, "串口输出：数据来源标识输出    双通道方式", At(kPageArea, 1, 1)),
    GroupBox(kGprsNoticeGroup, "GPRS入网通知", At(kPageArea, 2, 1)),
    GroupBox(kTcpNoticeGroup, "TCP连接通知", At(kPageArea, 3, 1)),
});

// Every control of the page, in page order.
constexpr auto kControls =
    Join(kLeftColumn, kGroups,
         HexRow(kRxTagGroup, 0, kGprsRxTagLabel, field::gprs_rx_tag, kGprsRxTag, kGprsRxTagHex),
         HexRow(kRxTagGroup, 1, kSmsRxTagLabel, field::sms_rx_tag, kSmsRxTag, kSmsRxTagHex),
         HexRow(kTxTagGroup, 0, kGprsTxTagLabel, field::gprs_tx_tag, kGprsTxTag, kGprsTxTagHex),
         HexRow(kTxTagGroup, 1, kSmsTxTagLabel, field::sms_tx_tag, kSmsTxTag, kSmsTxTagHex),
         HexRow(kGprsNoticeGroup, 0, kGprsNoticeLabel, field::gprs_notice, kGprsNotice,
                kGprsNoticeHex, "GPRSOK\r\n"),
         HexRow(kTcpNoticeGroup, 0, kTcpNoticeLabel, field::tcp_notice, kTcpNotice, kTcpNoticeHex,
                "TCPOK\r\n"));

constexpr std::string_view kHeadTailTip =
    "包头包尾：接收到了设定的包头和包尾，则认为一个数据包接收完成，并进行相应的处理，包头包尾之间可"
    "允"
    "许时间停顿。在业务数据没有和包头包尾重复的情况下可使用此模式，反之则不要使用。";
constexpr std::string_view kPollTip =
    "串口定时输出命令：设备串口定时输出设定的命令，可用于定时召唤下位机的数据,"
    "定时设为0则停止此功能。";
constexpr std::string_view kTimedReceiveTip =
    "串口接收数据定时处理：可定时处理串口收到的数据，在下位机数据量很大的情况下，此功能可定时去处理"
    "数"
    "据，每个定时间隔处理一次，可减少无线数据流量。";

constexpr std::array kTooltips = std::to_array<TooltipEntry>({
    {kFrameHead, kHeadTailTip},
    {kFrameTail, kHeadTailTip},
    {kByHeadAndTail, kHeadTailTip},
    {kByDelay,
     "时间分包：在一个数据字节后若个毫秒内没有收到数据，则认为一个数据包接收完成，并进行相应的处理"
     "。"},
    {kPollCommand, kPollTip},
    {kPollInterval, kPollTip},
    {kTimedReceive, kTimedReceiveTip},
    {kTimedReceiveInterval, kTimedReceiveTip},
    {kGprsRxTag,
     "双通道方式下，串口收到的数据前面几个字节用来识别无线通道。例：此命令识别为AT+"
     "1，则串口接收到的整"
     "个数据包为：AT+1xxxx  表示把xxxx通过短信通道发送到GPRS应用中心的IP地址上。"},
    {kSmsRxTag,
     "双通道方式下，串口收到的数据前面几个字节用来识别无线通道。例：此命令识别为AT+"
     "2，则串口接收到的整"
     "个数据包为：AT+28613800000000:xxxx  表示把xxxx通过短信通道发送到8613800000000的手机上。"},
    {kGprsTxTag,
     "双通道方式下,收到GPRS数据后先输出此命令。例：此识别为AT+1，串口输出：AT+1xxxx  "
     "表示收到了来自G"
     "PRS应用中欣IP地址的数据xxxx。"},
    {kSmsTxTag,
     "双通道方式下,收到短信数据后先输出此命令。例：此识别为AT+2，串口输出：AT+28613800000000:xxxx  "
     "表"
     "示收到了来自手机号28613800000000的短信数据xxxx。如果短信参数中输出包含号码设为不包含，则输出"
     "：A"
     "T+2xxxx"},
    {kGprsNotice, "GPRS入网后将从串口发出此内容。"},
    {kTcpNotice, "TCP协议连接到服务器后将从串口发出此内容。"},
});

// Every field of the page, in the order it is collected. Every byte field is held to what its
// block field can store, counted in bytes also in hex mode; the tooltips state these limits
// (control_tooltips.h). The notices and the channel markers share their labels, so their rows
// name them in full.
constexpr std::array kFields = std::to_array<FieldEntry>({
    RadioField(kByDelay, kByHeadAndTail, field::frame_mode,
               {ToByte(FrameMode::ByDelay), ToByte(FrameMode::ByHeadAndTail)},
               "串口接收数据处理方式"),
    ListField(kBaudRate, field::baud_rate, "设备串口波特率"),
    ListField(kParity, field::parity, "设备串口校验位"),
    ListField(kDataBits, field::data_bits, "设备串口数据位"),
    ListField(kStopBits, field::stop_bits, "设备串口停止位"),
    CheckField(kTimedReceive, field::timed_receive),
    NumberField(kTimedReceiveInterval, field::timed_receive_interval, kNoEntryRule,
                "定时接收的间隔(秒)"),
    NumberField(kPollInterval, field::poll_interval, kNoEntryRule, "串口定时输出命令的间隔(秒)"),
    // An empty command has no bytes: its count, which the "长度" box shows, becomes 0.
    CountedField(kPollCommand, field::poll_command, kPollCommandHex, "串口定时输出的命令",
                 kEmptyZeroesCount),
    NumberField(kFrameDelay, field::frame_delay),
    CountedField(kFrameHead, field::frame_head, kFrameHeadHex),
    CountedField(kFrameTail, field::frame_tail, kFrameTailHex),
    CountedField(kGprsRxTag, field::gprs_rx_tag, kGprsRxTagHex, "串口接收的GPRS通道标识"),
    CountedField(kGprsTxTag, field::gprs_tx_tag, kGprsTxTagHex, "串口输出的GPRS数据来源标识"),
    CountedField(kSmsRxTag, field::sms_rx_tag, kSmsRxTagHex, "串口接收的短信通道标识"),
    CountedField(kSmsTxTag, field::sms_tx_tag, kSmsTxTagHex, "串口输出的短信数据来源标识"),
    CountedField(kGprsNotice, field::gprs_notice, kGprsNoticeHex, "GPRS入网通知内容",
                 kEmptyClearsArea),
    CountedField(kTcpNotice, field::tcp_notice, kTcpNoticeHex, "TCP连接通知内容", kEmptyClearsArea),
});

}  // namespace

constexpr PageTable kSerialPageTable{kControls, kTooltips, kFields};

}  // namespace dtu
