// dtuctl write --port DEV FILE: writes a parameter file's block to a unit, as "设置参数" does.
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "command.h"
#include "command_support.h"
#include "console_link_sink.h"
#include "console_messages.h"
#include "core/block/block_check.h"
#include "port_options.h"
#include "port_session.h"
#include "core/device/device_commands.h"
#include "core/device/device_link.h"

namespace dtuctl {
namespace {

constexpr std::string_view kName = "write";
constexpr std::string_view kUsage =
    "usage: dtuctl write --port DEV [--baud N] [--parity N|O|E] [--data 8|7] [--stop 1|2]\n"
    "                    [--timeout S] FILE\n";

std::string Help() {
  return std::string(kUsage) +
         "\n"
         "Writes the block of the parameter file FILE to the unit on DEV: the block is checked as\n"
         "the tool checks a file it opens (checksum, then normalised), sealed, and sent behind\n"
         "\"$$$AT+SETPARA\". The unit's answer decides the outcome: \"$$$SETOK\" prints\n"
         "\"参数设置成功!\", \"$$$ChkErr\" prints \"参数校验失败!\" on stderr. Status values the\n"
         "unit reports meanwhile are printed as \"label: value\" lines.\n"
         "\n" +
         std::string(kPortOptionsHelp) +
         "\n"
         "exit status: 0 stored by the unit, 1 bad usage or FILE missing, too short or\n"
         "unreadable, 2 FILE's checksum does not match, 3 the unit rejected the frame, 4 no\n"
         "answer in time (whether the unit stored the block is then unknown), 5 no such port,\n"
         "6 port busy, 7 port vanished, 8 port unusable\n";
}

std::optional<std::string> FileOperand(const std::vector<std::string>& rest) {
  std::vector<std::string> operands;
  for (const std::string& arg : rest) {
    if (arg.size() > 1 && arg[0] == '-') {
      UsageError(kName, "unknown option '" + arg + "'", kUsage);
      return std::nullopt;
    }
    operands.push_back(arg);
  }
  if (operands.size() != 1) {
    UsageError(kName, operands.empty() ? "missing FILE" : "too many operands", kUsage);
    return std::nullopt;
  }
  return operands.front();
}

// The block the unit is sent: a file whose checksum does not match is refused, as the tool
// refuses to open it, rather than sealed afresh around whatever damaged it.
std::optional<dtu::ParameterBlock> LoadFileBlock(const std::string& path, ConsoleMessages& messages,
                                                 int& status) {
  std::optional<dtu::ParameterBlock> block = ReadBlockFile(path, messages);
  if (!block) {
    status = kExitFailure;
    return std::nullopt;
  }
  if (!dtu::PrepareLoadedBlock(*block)) {
    messages.Show(dtu::MessageKind::Plain, path + ": " + std::string(dtu::kBlockMismatchMessage));
    status = kExitChecksum;
    return std::nullopt;
  }
  return block;
}

int JudgeAnswer(const std::string& answer, ConsoleMessages& messages) {
  if (answer == dtu::kSetOkMessage) {
    return WriteToStdout(kName, answer + "\n") ? kExitOk : kExitFailure;
  }
  messages.Show(dtu::MessageKind::Information, answer);
  return answer == dtu::kChkErrMessage ? kExitRejected : kExitFailure;
}

int RunWrite(const std::vector<std::string>& args) {
  if (WantsHelp(args)) return PrintHelp(Help());
  std::vector<std::string> rest;
  const std::optional<PortOptions> options = ParsePortOptions(kName, args, kUsage, rest);
  if (!options) return kExitFailure;
  const std::optional<std::string> path = FileOperand(rest);
  if (!path) return kExitFailure;

  ConsoleMessages messages;
  int status = kExitOk;
  std::optional<dtu::ParameterBlock> block = LoadFileBlock(*path, messages, status);
  if (!block) return status;
  const std::string frame = dtu::BuildParameterFrame(*block);

  ConsoleLinkSink sink(messages);
  dtu::DeviceLink link(sink);
  PortSession session(kName, messages);
  if (status = session.Open(*options); status != kExitOk) return status;
  const PortSession::Outcome outcome = session.Exchange(
      frame, [&](std::uint8_t byte) { link.FeedChar(byte); },
      [&] { return sink.settings_answer().has_value(); });
  if (outcome != PortSession::Outcome::Finished)
    return session.ReportUnfinished(outcome, "the unit's answer to the parameter frame");
  return JudgeAnswer(*sink.settings_answer(), messages);
}

const RegisterCommand kRegistered{
    {kName, "write a parameter file's block to a unit over a serial port", RunWrite}};

}  // namespace
}  // namespace dtuctl
