// dtuctl signal --port DEV: asks a unit for its signal strength, as a click on the gauge does.
#include <optional>
#include <string>
#include <vector>

#include "command.h"
#include "command_support.h"
#include "console_link_sink.h"
#include "console_messages.h"
#include "port_options.h"
#include "port_session.h"
#include "core/device/device_commands.h"
#include "core/device/device_link.h"

namespace dtuctl {
namespace {

constexpr std::string_view kName = "signal";
constexpr std::string_view kUsage =
    "usage: dtuctl signal --port DEV [--baud N] [--parity N|O|E] [--data 8|7] [--stop 1|2]\n"
    "                     [--timeout S]\n";

std::string Help() {
  return std::string(kUsage) +
         "\n"
         "Asks the unit on DEV for its signal strength (\"$$$AT+GET1?\") and prints the value it\n"
         "reports as \"信号强度: VALUE\" (0 to 31; 10 and above is a stable link).\n"
         "Other status values the unit reports meanwhile are printed the same way.\n"
         "\n" +
         std::string(kPortOptionsHelp) +
         "\n"
         "exit status: 0 reported, 1 bad usage, 4 no value in time, 5 no such port, 6 port busy,\n"
         "7 port vanished, 8 port unusable\n";
}

int RunSignal(const std::vector<std::string>& args) {
  if (WantsHelp(args)) return PrintHelp(Help());
  std::vector<std::string> rest;
  const std::optional<PortOptions> options = ParsePortOptions(kName, args, kUsage, rest);
  if (!options) return kExitFailure;
  if (!rest.empty()) {
    const bool option = rest.front().size() > 1 && rest.front()[0] == '-';
    return UsageError(
        kName, (option ? "unknown option '" : "unexpected operand '") + rest.front() + "'", kUsage);
  }

  ConsoleMessages messages;
  ConsoleLinkSink sink(messages);
  dtu::DeviceLink link(sink);
  PortSession session(kName, messages);
  if (const int status = session.Open(*options); status != kExitOk) return status;
  const PortSession::Outcome outcome = session.Exchange(
      dtu::kGetSignalCommand, [&](std::uint8_t byte) { link.FeedChar(byte); },
      [&] { return sink.signal().has_value(); });
  if (outcome != PortSession::Outcome::Finished)
    return session.ReportUnfinished(outcome, "the signal strength");
  return kExitOk;
}

const RegisterCommand kRegistered{
    {kName, "ask a unit for its signal strength over a serial port", RunSignal}};

}  // namespace
}  // namespace dtuctl
