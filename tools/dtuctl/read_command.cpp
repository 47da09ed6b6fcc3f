// dtuctl read --port DEV [-o FILE]: reads a unit's parameters, as the "读取参数" button does.
#include <optional>
#include <string>
#include <vector>

#include "command.h"
#include "command_support.h"
#include "console_link_sink.h"
#include "console_messages.h"
#include "core/block/parameter_file.h"
#include "port_options.h"
#include "port_session.h"
#include "core/device/device_commands.h"
#include "core/device/device_link.h"

namespace dtuctl {
namespace {

constexpr std::string_view kName = "read";
constexpr std::string_view kUsage =
    "usage: dtuctl read --port DEV [--baud N] [--parity N|O|E] [--data 8|7] [--stop 1|2]\n"
    "                   [-o FILE] [--timeout S]\n";

std::string Help() {
  return std::string(kUsage) +
         "\n"
         "Asks the unit on DEV for its parameters (\"$$$AT+GETPARA?\") and prints what it\n"
         "reports about itself as it arrives, one \"label: value\" line each (e.g.\n"
         "\"软件版本: V3.6.2\", \"信号强度: 23\", \"DTU的IP地址: 10.20.30.40\"), then the\n"
         "summary of the parameter block it sends. The block is checked as the tool checks it:\n"
         "a checksum mismatch is refused with \"参数设置有误，请重新设置\" on stderr.\n"
         "\n" +
         std::string(kPortOptionsHelp) +
         "  -o, --output FILE   save the block as the parameter file FILE, exactly as received\n"
         "                      (only a block whose checksum matches is saved; an existing file\n"
         "                      is overwritten from its start and not shortened, as the tool\n"
         "                      saves)\n"
         "\n"
         "The time limit runs from the command until the block is complete.\n"
         "\n"
         "exit status: 0 read, 1 bad usage or FILE not written, 2 checksum mismatch, 4 no\n"
         "complete block in time, 5 no such port, 6 port busy, 7 port vanished, 8 port unusable\n";
}

// The command's own options, after the port options were taken out.
std::optional<std::optional<std::string>> ParseOutput(const std::vector<std::string>& rest) {
  std::optional<std::string> output;
  for (std::size_t i = 0; i < rest.size(); ++i) {
    const std::string& arg = rest[i];
    if (arg == "-o" || arg == "--output") {
      if (i + 1 == rest.size() || rest[i + 1].empty()) {
        UsageError(kName, "option '" + arg + "' needs a FILE", kUsage);
        return std::nullopt;
      }
      output = rest[++i];
    } else if (arg.size() > 1 && arg[0] == '-') {
      UsageError(kName, "unknown option '" + arg + "'", kUsage);
      return std::nullopt;
    } else {
      UsageError(kName, "unexpected operand '" + arg + "'", kUsage);
      return std::nullopt;
    }
  }
  return output;
}

// Prints the summary of an accepted block and saves it when asked; the exit status.
int Deliver(const dtu::ParameterBlock& received, const std::optional<std::string>& output,
            ConsoleMessages& messages) {
  if (const int status = PrintLoadedSummary(kName, received, messages); status != kExitOk)
    return status;
  if (!output) return kExitOk;

  // The unit's own bytes, so that the file verifies when it is opened again; only the length
  // word is set, as every loaded block's is.
  dtu::ParameterBlock saved = received;
  saved.set_length(static_cast<std::uint16_t>(dtu::kBlockSize));
  const dtu::FileResult result = dtu::WriteParameterFile(*output, saved);
  if (!result.ok()) {
    messages.Show(dtu::MessageKind::Error, *output + ": " + result.message);
    return kExitFailure;
  }
  return kExitOk;
}

int RunRead(const std::vector<std::string>& args) {
  if (WantsHelp(args)) return PrintHelp(Help());
  std::vector<std::string> rest;
  const std::optional<PortOptions> options = ParsePortOptions(kName, args, kUsage, rest);
  if (!options) return kExitFailure;
  const std::optional<std::optional<std::string>> output = ParseOutput(rest);
  if (!output) return kExitFailure;

  ConsoleMessages messages;
  ConsoleLinkSink sink(messages);
  dtu::DeviceLink link(sink);
  PortSession session(kName, messages);
  if (const int status = session.Open(*options); status != kExitOk) return status;
  const PortSession::Outcome outcome = session.Exchange(
      dtu::kGetParametersCommand, [&](std::uint8_t byte) { link.FeedChar(byte); },
      [&] { return sink.block().has_value(); });
  if (outcome != PortSession::Outcome::Finished)
    return session.ReportUnfinished(outcome, "a complete parameter block");
  return Deliver(*sink.block(), *output, messages);
}

const RegisterCommand kRegistered{
    {kName, "read a unit's parameters and status over a serial port", RunRead}};

}  // namespace
}  // namespace dtuctl
