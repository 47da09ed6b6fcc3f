#pragma once

#include "core/device/status_ids.h"

namespace dtu {

// Control and command IDs of the main window. The edits the unit's status reports fill
// (main_id::kVersion, kModuleSerial, kBoardSerial, kSignalText) are named with the device link
// in core/device/status_ids.h.
namespace main_id {
// Group "串口".
constexpr int kPortList = 1000;
constexpr int kBaudList = 1020;
constexpr int kParityList = 1088;
constexpr int kDataBitsList = 1089;
constexpr int kStopBitsList = 1090;
constexpr int kOpenButton = 1001;
// Beside and below it.
constexpr int kLogo = 1196;
constexpr int kReadButton = 1036;
constexpr int kWriteButton = 1076;
constexpr int kSummaryPane = 1097;
// The status display.
constexpr int kSignalGauge = 1194;
constexpr int kAddressList = 1219;
constexpr int kResolvedAddress = 1160;  // "域名解析后的IP地址", never shown
constexpr int kDtuAddress = 1143;       // "DTU地址(自动分配)", never shown
// The editor's tab bar and channel-mode radios.
constexpr int kPageTabs = 1175;
constexpr int kGprsModeRadio = 1162;  // channel mode 0
constexpr int kSmsModeRadio = 1163;   // channel mode 1
constexpr int kDualModeRadio = 1176;  // channel mode 2: present, never shown
constexpr int kUnitModeRadio = 1177;  // a loaded mode above 2, shown only while it is loaded
// The exchange with the unit: how long a reply may pause, and how far it has come.
constexpr int kReplyTimeLimit = 1250;
constexpr int kExchangeProgress = 1251;
// The status bar: the port and its line settings, the operation under way or the last result,
// the unit or file the pages' parameters came from.
constexpr int kPortStatus = 1260;
constexpr int kOperationStatus = 1261;
constexpr int kSourceStatus = 1262;
// Menu commands.
constexpr int kOpenFileCommand = 32771;    // "打开参数文件(&O)"
constexpr int kSaveFileCommand = 32776;    // "保存参数(&S)"
constexpr int kExportTextCommand = 32790;  // "导出文本..."
constexpr int kImportTextCommand = 32791;  // "导入文本..."
constexpr int kExitCommand = 32783;        // "退出程序(&Q)"
constexpr int kShowLogCommand = 32800;     // "通信记录(&L)", in "查看"
constexpr int kReadCommand = 32801;        // "读取参数(&R)", F5, in "设备"
constexpr int kWriteCommand = 32802;       // "设置参数(&W)...", F6, in "设备"
}  // namespace main_id

}  // namespace dtu
