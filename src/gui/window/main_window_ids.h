#pragma once

#include "core/device/device_event.h"
#include "core/editing/sms_page_table.h"

namespace dtu {

// Control and command IDs of the main window.
namespace main_id {
// The edits that show what a unit reports about itself.
constexpr int kVersion = 1145;       // "软件版本"
constexpr int kModuleSerial = 1144;  // "模块序列号"
constexpr int kBoardSerial = 1241;   // "主板序列号"
constexpr int kSignalText = 1192;    // signal strength as text
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
// The exchange with the unit: how long a reply may pause, how far it has come, and the button
// that ends it.
constexpr int kReplyTimeLimit = 1250;
constexpr int kExchangeProgress = 1251;
constexpr int kCancelButton = 1252;
// The status bar: the port and its line settings, the operation under way or the last result,
// the unit or file the pages' parameters came from.
constexpr int kPortStatus = 1260;
constexpr int kOperationStatus = 1261;
constexpr int kSourceStatus = 1262;
// Offered after a write the unit stored: puts back the block the unit held before it.
constexpr int kUndoWriteButton = 1263;  // "撤销写入"
// Menu commands.
constexpr int kOpenFileCommand = 32771;     // "打开参数文件(&O)"
constexpr int kSaveFileCommand = 32776;     // "保存参数(&S)"
constexpr int kExportTextCommand = 32790;   // "导出文本..."
constexpr int kImportTextCommand = 32791;   // "导入文本..."
constexpr int kExitCommand = 32783;         // "退出程序(&Q)"
constexpr int kShowLogCommand = 32800;      // "通信记录(&L)", in "查看"
constexpr int kReadCommand = 32801;         // "读取参数(&R)", F5, in "设备"
constexpr int kWriteCommand = 32802;        // "设置参数(&W)...", F6, in "设备"
constexpr int kHistoryCommand = 32803;      // "历史记录...", in "设备"
constexpr int kBatchConfigCommand = 32810;  // "批量配置...", in "生产"
}  // namespace main_id

// The control that shows a status value: one of the main window's edits, or for the SIM card's
// own SMS centre the SMS page's edit sms_id::kSimSmsCentre.
constexpr int StatusControl(StatusField field) {
  switch (field) {
    case StatusField::Version:
      return main_id::kVersion;
    case StatusField::ModuleSerial:
      return main_id::kModuleSerial;
    case StatusField::BoardSerial:
      return main_id::kBoardSerial;
    case StatusField::Signal:
      return main_id::kSignalText;
    case StatusField::SimSmsCentre:
      return sms_id::kSimSmsCentre;
  }
  return 0;
}

}  // namespace dtu
