#include "gui/window/main_window_tooltips.h"

#include "core/baud_rates.h"
#include "core/block/block_layout.h"
#include "core/session/reply_timing.h"
#include "gui/window/main_window_ids.h"

namespace dtu {

std::vector<MainWindowTooltip> MainWindowTooltips() {
  using namespace main_id;
  const QString rates = QStringLiteral("%1 到 %2").arg(kBaudRates.front()).arg(kBaudRates.back());
  return {
      {kPortList, QStringLiteral("连接DTU的串口：本机的串口设备，USB串口适配器带有型号、厂商和"
                                 "序列号；也可直接输入路径（如 /dev/serial/by-id/ 下的名称）、"
                                 "设备名（如 ttyUSB0）或“serial:序列号”。插入或拔出USB串口适配器"
                                 "后列表自动更新。")},
      {kBaudList, QStringLiteral("串口波特率：%1，须与DTU配置口的波特率一致。").arg(rates)},
      {kParityList, QStringLiteral("串口校验位：NONE 无校验，ODD 奇校验，EVEN 偶校验。")},
      {kDataBitsList, QStringLiteral("串口数据位：8 或 7。")},
      {kStopBitsList, QStringLiteral("串口停止位：1 或 2。")},
      {kReplyTimeLimit, QStringLiteral("读取或设置参数时，DTU的回复停顿超过这么多秒（另加串口线"
                                       "传送命令和回复所需的时间）就算超时（%1 到 %2 秒）。")
                            .arg(kMinReplySeconds)
                            .arg(kMaxReplySeconds)},
      {kOpenButton, QStringLiteral("按左边的串口和设置打开串口；串口打开时关闭它。")},
      {kReadButton, QStringLiteral("从DTU读取全部参数（%1字节），显示在各参数页和参数摘要中。"
                                   "需先打开串口。")
                        .arg(kBlockSize)},
      {kWriteButton, QStringLiteral("检查各参数页后，把参数（%1字节）写入DTU，写入前会询问。"
                                    "需先打开串口。")
                         .arg(kBlockSize)},
      {kCancelButton, QStringLiteral("结束正在进行的读取或设置，不再等待DTU的回复（Esc）。")},
      {kSignalGauge, QStringLiteral("单击刷新信号强度（0到31，10以上稳定）。需先打开串口。")},
      {kGprsModeRadio, QStringLiteral("工作方式：GPRS，数据经GPRS网络收发。")},
      {kSmsModeRadio, QStringLiteral("工作方式：短信，数据只经短信收发。")},
      {kSummaryPane,
       QStringLiteral("参数摘要：每读取或打开一组参数就追加一份。只读，可选中并复制。")},
  };
}

}  // namespace dtu
