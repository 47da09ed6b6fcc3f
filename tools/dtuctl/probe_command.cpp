// dtuctl probe [--port DEV]...: which ports have a unit on them, and at which baud rate.
#include <CLI/CLI.hpp>

#include <chrono>
#include <cstdio>
#include <stop_token>
#include <string>
#include <vector>

#include "command.h"
#include "command_support.h"
#include "core/message_language.h"
#include "core/production/unit_probe.h"
#include "core/serial/udev_port_list.h"
#include "interrupt_stop.h"
#include "port_options.h"

namespace dtuctl {
namespace {

constexpr std::string_view kName = "probe";
constexpr std::string_view kDescription =
    R"(Looks for units: on each port DEV (every serial port of the machine when none is
given) asks for the signal strength ("$$$AT+GET1?") at each baud rate the window
offers, the most common first, and prints "DEV BAUD SIGNAL" for each port a unit
answered on. The ports are searched at once.)";
constexpr std::string_view kFooter =
    R"(exit status: 0 a unit found, 1 bad usage, 4 no unit answered)";
constexpr std::string_view kChineseDescription =
    R"(寻找单元：在每个串口 DEV 上（没有给出时是本机的所有串口），以窗口提供的每种波特率（最
常用的在前）询问信号强度（"$$$AT+GET1?"），为每个有单元回答的串口显示 "DEV BAUD SIGNAL"。
各串口同时搜索。)";
constexpr std::string_view kChineseFooter = R"(退出状态：0 找到了单元，1 用法有误，4 没有单元回答)";

struct ProbeRequest {
  std::vector<std::string> ports;  // none: every serial port of the machine
  PortOptions line;                // the baud rate is searched for
  double answer_seconds = 0.5;
};

std::string Problem(const dtu::ProbeResult& result) {
  if (!result.open_error)
    return result.port +
           dtu::Say("：在任何波特率下都没有设备应答", ": no unit answered at any baud rate");
  return DescribeOpenFailure(result.port, result.open_error->failure, result.open_error->message);
}

// One line "PORT BAUD SIGNAL" for every port a unit answered on, in the order of the ports.
int ProbeUnits(const ProbeRequest& request, std::stop_token stop) {
  std::vector<std::string> ports = request.ports;
  if (ports.empty())
    for (const dtu::SerialPortInfo& port : dtu::ListSerialPortInfos()) ports.push_back(port.device);
  if (ports.empty()) {
    Complain(kName, dtu::Say("本机没有串口；请用 --port 指定一个",
                             "this machine has no serial ports; name one with --port"));
    return kExitTimeout;
  }
  const auto answer_time =
      std::chrono::milliseconds(static_cast<long long>(request.answer_seconds * 1000));
  int found = 0;
  for (const dtu::ProbeResult& result :
       dtu::ProbePorts(ports, LineOf(request.line), answer_time, stop)) {
    if (!result.baud_rate) {
      if (!stop.stop_requested()) Complain(kName, Problem(result));
      continue;
    }
    ++found;
    if (!WriteToStdout(kName, result.port + " " + std::to_string(*result.baud_rate) + " " +
                                  result.signal + "\n"))
      return kExitFailure;
  }
  return found > 0 ? kExitOk : kExitTimeout;
}

class ProbeCommand final : public Command {
 public:
  void Define(CLI::App& parser) override {
    AddPortListOption(parser, request_.ports,
                      dtu::Say("要查找的串口（可以重复；默认：所有串口）",
                               "a serial port to search (repeatable; default: every serial port)"));
    AddLineOptions(parser, request_.line, false);
    parser.add_option("--timeout", request_.answer_seconds)
        ->option_text("S")
        ->description(dtu::Say("每个波特率下除线路本身的时间外等待的秒数\n（默认 0.5；可以有小数）",
                               "seconds to wait at each baud rate beyond the line's own time\n"
                               "(default 0.5; fractions allowed)"))
        ->check(TimeoutCheck());
  }

  int Run() override {
    InterruptStop interrupt;
    return ProbeUnits(request_, interrupt.token());
  }

 private:
  ProbeRequest request_;
};

const RegisterCommand<ProbeCommand> kRegistered{
    {kName, "find the units on serial ports and their baud rates", kDescription, kFooter,
     "查找串口上的单元及其波特率", kChineseDescription, kChineseFooter}};

}  // namespace
}  // namespace dtuctl
