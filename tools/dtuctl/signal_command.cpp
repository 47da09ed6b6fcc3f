// dtuctl signal --port DEV: asks a unit for its signal strength, as a click on the gauge does.
#include <CLI/CLI.hpp>

#include <string>

#include "command.h"
#include "console_event_printer.h"
#include "console_messages.h"
#include "core/message_language.h"
#include "core/session/exchange.h"
#include "port_options.h"
#include "unit_question.h"

namespace dtuctl {
namespace {

constexpr std::string_view kName = "signal";
constexpr std::string_view kDescription =
    R"(Asks the unit on DEV for its signal strength ("$$$AT+GET1?") and prints the value it
reports as "信号强度: VALUE" (0 to 31; 10 and above is a stable link).
Other status values the unit reports meanwhile are printed the same way.)";
constexpr std::string_view kFooter =
    R"(exit status: 0 reported, 1 bad usage, 4 no value in time, 5 no such port, 6 port busy,
7 port vanished, 8 port unusable)";
constexpr std::string_view kChineseDescription =
    R"(向 DEV 上的单元询问它的信号强度（"$$$AT+GET1?"），把它报告的值显示为 "信号强度: VALUE"
（0 到 31；10 及以上是稳定的连接）。期间单元报告的其他状态值以同样方式显示。)";
constexpr std::string_view kChineseFooter =
    R"(退出状态：0 已报告，1 用法有误，4 没有及时收到值，5 没有这个串口，6 串口被占用，7 串口消失，
8 串口无法使用)";

class SignalCommand final : public Command {
 public:
  void Define(CLI::App& parser) override { AddPortOptions(parser, port_); }

  int Run() override {
    ConsoleMessages messages;
    ConsoleEventPrinter printer(kName, messages);
    printer.SetPort(port_.device);
    return AskUnit(kName, port_,
                   {dtu::ReadSignalRequest(ReplyLimitOf(port_)),
                    dtu::Say("信号强度", "the signal strength")},
                   printer)
        .status;
  }

 private:
  PortOptions port_;
};

const RegisterCommand<SignalCommand> kRegistered{
    {kName, "ask a unit for its signal strength over a serial port", kDescription, kFooter,
     "通过串口询问单元的信号强度", kChineseDescription, kChineseFooter}};

}  // namespace
}  // namespace dtuctl
