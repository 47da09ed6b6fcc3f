#include "port_options.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <filesystem>
#include <functional>
#include <optional>
#include <string_view>

#include "core/message_language.h"
#include "core/serial/line_settings.h"
#include "core/serial/port_reference.h"
#include "core/serial/udev_port_list.h"

namespace dtuctl {
namespace {

// A day: longer than any answer can take, short enough to stay far from overflow.
constexpr double kMaxTimeoutSeconds = 86400;
// A millisecond: the finest limit the waits keep; anything shorter would time out at once.
constexpr double kMinTimeoutSeconds = 0.001;

std::optional<int> ParseInt(std::string_view text) {
  int value = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (ec != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return value;
}

std::string Upper(std::string_view text) {
  std::string upper(text);
  std::ranges::transform(upper, upper.begin(),
                         [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
  return upper;
}

// A check on an option's value: the problem in the tool's words, empty when the value is good.
// It may also put the value into the form the option is stored from.
CLI::Validator Check(std::function<std::string(std::string&)> check) {
  return CLI::Validator(std::move(check), "");
}

// Also turns a port named by its adapter's serial number, its device's name or a link's file
// name into the path to open. A serial number no adapter has is left for the open to report.
std::string CheckPort(std::string& v) {
  if (v.empty()) return dtu::Say("端口名为空", "the port name is empty");
  std::error_code error;
  const bool bare = v.find('/') == std::string::npos && !std::filesystem::exists(v, error);
  if (!bare && !v.starts_with(dtu::kSerialReferencePrefix)) return {};
  const dtu::PortReferenceMatch match = dtu::ResolvePortReference(v, dtu::ListSerialPortInfos());
  if (match.outcome == dtu::PortReferenceMatch::Outcome::SharedSerial) {
    std::string devices;
    for (const std::string& device : match.candidates)
      devices += (devices.empty() ? "" : dtu::Say(" 和 ", " and ")) + device;
    return dtu::Say(devices + " 的序列号都是 " + match.serial +
                        "：请用设备名或 /dev/serial/by-path/ 下的链接指定端口",
                    "serial number " + match.serial + " is shared by " + devices +
                        ": name the port by its device or its /dev/serial/by-path/ link");
  }
  v = match.device;
  return {};
}

std::string CheckBaud(std::string& v) {
  const std::optional<int> baud = ParseInt(v);
  if (!baud || !dtu::IsSupportedBaudRate(*baud))
    return dtu::Say("不支持的波特率 '" + v + "'（--help 列出支持的波特率）",
                    "unsupported baud rate '" + v + "' (see --help for the rates)");
  return {};
}

// Also turns the spelled-out names into their letter.
std::string CheckParity(std::string& v) {
  const std::string p = Upper(v);
  if (p == "N" || p == "NONE") {
    v = "N";
  } else if (p == "O" || p == "ODD") {
    v = "O";
  } else if (p == "E" || p == "EVEN") {
    v = "E";
  } else {
    return dtu::Say("校验位应为 N、O 或 E，不能是 '" + v + "'",
                    "parity must be N, O or E, not '" + v + "'");
  }
  return {};
}

// A number of bits that must be `first` or `second`.
CLI::Validator CheckBits(std::string chinese, std::string english, int first, int second) {
  return Check([=](std::string& v) -> std::string {
    const std::optional<int> bits = ParseInt(v);
    if (bits && (*bits == first || *bits == second)) return {};
    const std::string one = std::to_string(first);
    const std::string other = std::to_string(second);
    return dtu::Say(chinese + "应为 " + one + " 或 " + other + "，不能是 '" + v + "'",
                    english + " must be " + one + " or " + other + ", not '" + v + "'");
  });
}

std::string CheckTimeout(std::string& v) {
  double seconds = 0;
  const auto [end, ec] = std::from_chars(v.data(), v.data() + v.size(), seconds);
  // The comparison also refuses "nan".
  if (ec != std::errc() || end != v.data() + v.size() ||
      !(seconds >= kMinTimeoutSeconds && seconds <= kMaxTimeoutSeconds))
    return dtu::Say(
        "时限应为 0.001 到 86400 之间的秒数，不能是 '" + v + "'",
        "the time limit must be a number of seconds from 0.001 to 86400, not '" + v + "'");
  return {};
}

}  // namespace

void AddPortOptions(CLI::App& parser, PortOptions& options, bool port_required) {
  parser.add_option("--port", options.device)
      ->required(port_required)
      ->option_text("DEV")
      ->description(dtu::Say(std::string("单元所在的串口") + (port_required ? "（必需）" : "") +
                                 "：设备（/dev/ttyUSB0）、\n/dev/serial/by-id/ 或 by-path/ "
                                 "下的链接或其文件名，\n或 serial:NUMBER，即适配器的序列号",
                             std::string("the serial port the unit is on") +
                                 (port_required ? " (required)" : "") +
                                 ": a device (/dev/ttyUSB0),\na /dev/serial/by-id/ or by-path/ "
                                 "link or its file name, or\nserial:NUMBER, the adapter's serial "
                                 "number"))
      ->transform(Check(CheckPort));
  AddLineOptions(parser, options);
  parser.add_option("--timeout", options.timeout_seconds)
      ->option_text("S")
      ->description(dtu::Say("单元的应答可以停顿的秒数，不算线路传送命令和应答\n"
                             "所需的时间（默认 5；可以有小数）",
                             "seconds the unit's answer may pause, beyond the time the line needs\n"
                             "to carry the command and the answer (default 5; fractions allowed)"))
      ->check(TimeoutCheck());
}

CLI::Option* AddPortListOption(CLI::App& parser, std::vector<std::string>& ports,
                               const std::string& description) {
  return parser.add_option("--port", ports)
      ->option_text("DEV")
      ->description(description)
      ->transform(Check(CheckPort));
}

CLI::Validator TimeoutCheck() {
  return Check(CheckTimeout);
}

void AddLineOptions(CLI::App& parser, PortOptions& options, bool with_baud) {
  if (with_baud)
    parser.add_option("--baud", options.baud_rate)
        ->option_text("N")
        ->description(dtu::Say("波特率：110、300、600、1200、2400、4800、9600（默认）、\n"
                               "19200、38400、57600、115200、230400、460800 或 921600",
                               "line rate: 110, 300, 600, 1200, 2400, 4800, 9600 (default),\n"
                               "19200, 38400, 57600, 115200, 230400, 460800 or 921600"))
        ->check(Check(CheckBaud));
  parser
      .add_option_function<std::string>(
          "--parity", [&options](const std::string& v) { options.parity = v.front(); })
      ->option_text("N|O|E")
      ->description(dtu::Say("无校验（默认）、奇校验或偶校验", "none (default), odd or even"))
      ->transform(Check(CheckParity));
  parser.add_option("--data", options.data_bits)
      ->option_text("8|7")
      ->description(dtu::Say("数据位（默认 8）", "data bits (default 8)"))
      ->check(CheckBits("数据位", "data bits", 8, 7));
  parser.add_option("--stop", options.stop_bits)
      ->option_text("1|2")
      ->description(dtu::Say("停止位（默认 1）", "stop bits (default 1)"))
      ->check(CheckBits("停止位", "stop bits", 1, 2));
}

dtu::LineSettings LineOf(const PortOptions& options) {
  dtu::LineSettings line;
  line.baud_rate = options.baud_rate;
  line.parity = options.parity;
  line.data_bits = options.data_bits;
  line.stop_bits = options.stop_bits;
  return line;
}

std::chrono::milliseconds ReplyLimitOf(const PortOptions& options) {
  return std::chrono::milliseconds(std::llround(options.timeout_seconds * 1000));
}

std::string DescribeLine(const PortOptions& options) {
  return "baud=" + std::to_string(options.baud_rate) + " parity=" + options.parity +
         " data=" + std::to_string(options.data_bits) +
         " stop=" + std::to_string(options.stop_bits);
}

}  // namespace dtuctl
