// dtuctl ports: the serial ports of this machine, as the main window lists them.
#include <CLI/CLI.hpp>
#include <nlohmann/json.hpp>

#include <string>
#include <vector>

#include "command.h"
#include "command_support.h"
#include "core/message_language.h"
#include "core/serial/serial_port_info.h"
#include "core/serial/udev_port_list.h"

namespace dtuctl {
namespace {

constexpr std::string_view kName = "ports";
constexpr std::string_view kDescription =
    R"(Prints the serial ports found on this machine, in the order the main window lists them, one
line each: the device, then what is behind it, e.g.
  /dev/ttyUSB0 — FT232R USB UART (FTDI, A10K3J2L)
(the adapter's own name, its maker and serial number). Any of the device, its
/dev/serial/by-id/ or by-path/ link, their file names and serial:NUMBER name the port for
--port. Prints nothing when there are none.)";
constexpr std::string_view kFooter =
    "exit status: 0 listed (also when none were found), 1 bad usage or unwritable output";
constexpr std::string_view kChineseDescription =
    R"(按主窗口列出的顺序显示本机找到的串口，每个一行：设备，然后是它后面是什么，例如
  /dev/ttyUSB0 — FT232R USB UART (FTDI, A10K3J2L)
（适配器自己的名称、厂商和序列号）。设备、它的 /dev/serial/by-id/ 或 by-path/ 链接、它们的
文件名以及 serial:NUMBER 都可以作为 --port 指定串口。没有串口时什么也不显示。)";
constexpr std::string_view kChineseFooter =
    R"(退出状态：0 已列出（一个也没找到也是），1 用法有误或无法写出输出)";

// Text fields a port may lack are null rather than empty.
nlohmann::json TextOrNull(const std::string& text) {
  return text.empty() ? nlohmann::json() : nlohmann::json(text);
}

nlohmann::json PortJson(const dtu::SerialPortInfo& port) {
  return {
      {"device", port.device},
      {"name", port.name()},
      {"kind", dtu::PortKindWord(port.kind)},
      {"present", port.present},
      {"by_id", port.by_id},
      {"by_path", port.by_path},
      {"vendor_id", TextOrNull(port.vendor_id)},
      {"product_id", TextOrNull(port.product_id)},
      {"manufacturer", TextOrNull(port.manufacturer)},
      {"product", TextOrNull(port.product)},
      {"vendor_database", TextOrNull(port.vendor_database)},
      {"product_database", TextOrNull(port.product_database)},
      {"serial", TextOrNull(port.serial)},
      {"driver", TextOrNull(port.driver)},
      {"modem_manager_ignores", port.ignored_by_modem_manager},
  };
}

std::string PortLine(const dtu::SerialPortInfo& port) {
  const std::string summary =
      dtu::PortSummary(port, dtu::CurrentMessageLanguage() == dtu::MessageLanguage::kChinese
                                 ? dtu::PortLanguage::Chinese
                                 : dtu::PortLanguage::English);
  return summary.empty() ? port.device : port.device + std::string(dtu::kPortLabelDash) + summary;
}

class PortsCommand final : public Command {
 public:
  void Define(CLI::App& parser) override {
    parser.add_flag("--json", json_,
                    dtu::Say("以 JSON 数组显示串口，每个串口的所有细节",
                             "print the ports as a JSON array, every detail of each"));
    parser.add_flag("--all", all_,
                    dtu::Say("也列出没有硬件的板载串口位置",
                             "also list built-in UART slots with no hardware behind them"));
  }

  int Run() override {
    const std::vector<dtu::SerialPortInfo> ports = dtu::ListSerialPortInfos(all_);
    std::string text;
    if (json_) {
      nlohmann::json list = nlohmann::json::array();
      for (const dtu::SerialPortInfo& port : ports) list.push_back(PortJson(port));
      // An adapter's names are its own bytes: what is not UTF-8 is shown replaced.
      text = list.dump(2, ' ', false, nlohmann::json::error_handler_t::replace) + "\n";
    } else {
      for (const dtu::SerialPortInfo& port : ports) text += PortLine(port) + "\n";
    }
    return WriteToStdout(kName, text) ? kExitOk : kExitFailure;
  }

 private:
  bool json_ = false;
  bool all_ = false;
};

const RegisterCommand<PortsCommand> kRegistered{{kName, "list the serial ports of this machine",
                                                 kDescription, kFooter, "列出本机的串口",
                                                 kChineseDescription, kChineseFooter}};

}  // namespace
}  // namespace dtuctl
