#pragma once

#include "core/editing/page_table.h"

namespace dtu {

// Control IDs of the device serial and data page.
namespace serial_id {
// Group "设备串口" (no labels: the entries speak for themselves).
constexpr int kBaudRate = 1120;
constexpr int kParity = 1121;
constexpr int kDataBits = 1122;
constexpr int kStopBits = 1123;
// Group "串口定时输出命令".
constexpr int kPollInterval = 1116;
constexpr int kPollCommand = 1109;
constexpr int kPollCommandHex = 1135;
constexpr int kPollCommandLength = 1134;
// Group "串口接收数据处理方式".
constexpr int kTimedReceive = 1147;
constexpr int kTimedReceiveInterval = 1148;
constexpr int kByDelay = 1110;
constexpr int kByHeadAndTail = 1111;
constexpr int kFrameDelay = 1113;
constexpr int kFrameHead = 1005;
constexpr int kFrameHeadHex = 1028;
constexpr int kFrameTail = 1006;
constexpr int kFrameTailHex = 1029;
// Dual-channel groups.
constexpr int kRxTagGroup = 1182;
constexpr int kGprsRxTag = 1181;
constexpr int kGprsRxTagLabel = 1184;
constexpr int kGprsRxTagHex = 1177;
constexpr int kSmsRxTag = 1098;
constexpr int kSmsRxTagLabel = 1185;
constexpr int kSmsRxTagHex = 1178;
constexpr int kTxTagGroup = 1183;
constexpr int kGprsTxTag = 1099;
constexpr int kGprsTxTagLabel = 1186;
constexpr int kGprsTxTagHex = 1179;
constexpr int kSmsTxTag = 1100;
constexpr int kSmsTxTagLabel = 1187;
constexpr int kSmsTxTagHex = 1180;
// Notice groups.
constexpr int kGprsNoticeGroup = 1199;
constexpr int kGprsNotice = 1196;
constexpr int kGprsNoticeLabel = 1200;
constexpr int kGprsNoticeHex = 1136;
constexpr int kTcpNoticeGroup = 1201;
constexpr int kTcpNotice = 1114;
constexpr int kTcpNoticeLabel = 1202;
constexpr int kTcpNoticeHex = 1137;
}  // namespace serial_id

// The device serial and data page's controls, tooltips and field limits: the unit's serial
// format, packet splitting, the timed command, the dual-channel markers and the notices.
extern const PageTable kSerialPageTable;

}  // namespace dtu
