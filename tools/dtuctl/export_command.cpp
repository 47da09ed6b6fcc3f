// dtuctl export FILE|--port DEV [-o OUT]: a parameter set as its text form.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "block_text_support.h"
#include "command.h"
#include "command_support.h"
#include "console_link_sink.h"
#include "console_messages.h"
#include "core/block/block_check.h"
#include "core/block/parameter_file.h"
#include "core/block/parameter_text.h"
#include "core/device/device_commands.h"
#include "core/device/device_link.h"
#include "port_options.h"
#include "port_session.h"

namespace dtuctl {
namespace {

constexpr std::string_view kName = "export";
constexpr std::string_view kUsage =
    "usage: dtuctl export FILE [-o OUT]\n"
    "       dtuctl export --port DEV [--baud N] [--parity N|O|E] [--data 8|7] [--stop 1|2]\n"
    "                     [--timeout S] [-o OUT]\n";

std::string Help() {
  return std::string(kUsage) +
         "\n"
         "Writes the parameter block of the parameter file FILE, or the block read from the unit\n"
         "on DEV, as its text form: a JSON object with one member per field, in block order\n"
         "(docs/text-form.md describes it). Every byte of the block is kept: 'dtuctl import'\n"
         "gives the same 660 bytes back. Only a block whose checksum matches is exported.\n"
         "Status values the unit reports while it is read go to stderr.\n"
         "\n"
         "  -o, --output OUT    write the text to OUT instead of standard output\n" +
         std::string(kPortOptionsHelp) +
         "\n"
         "exit status: 0 written, 1 bad usage, FILE unreadable or OUT not written, 2 checksum\n"
         "mismatch, 4 no complete block in time, 5 no such port, 6 port busy, 7 port vanished,\n"
         "8 port unusable\n";
}

struct ExportOptions {
  std::optional<std::string> file;
  std::optional<PortOptions> port;
  std::optional<std::string> output;
};

bool NamesAPort(const std::vector<std::string>& args) {
  for (const std::string& arg : args)
    if (arg == "--port" || arg.starts_with("--port=")) return true;
  return false;
}

std::optional<ExportOptions> ParseExportOptions(const std::vector<std::string>& args) {
  ExportOptions options;
  std::vector<std::string> rest = args;
  if (NamesAPort(args)) {
    rest.clear();
    options.port = ParsePortOptions(kName, args, kUsage, rest);
    if (!options.port) return std::nullopt;
  }
  if (!TakeOutputOption(kName, rest, kUsage, options.output) ||
      HasUnknownOption(kName, rest, kUsage))
    return std::nullopt;
  const std::size_t expected = options.port ? 0 : 1;
  if (rest.size() != expected) {
    UsageError(kName,
               rest.size() < expected ? "missing FILE" : "unexpected operand '" + rest.back() + "'",
               kUsage);
    return std::nullopt;
  }
  if (!options.port) options.file = rest.front();
  return options;
}

// The block the unit on the port sends, checked as `read` checks it.
BlockSource ReadUnitBlock(const PortOptions& port, ConsoleMessages& messages) {
  ConsoleLinkSink sink(messages, stderr);
  dtu::DeviceLink link(sink);
  PortSession session(kName, messages);
  if (const int status = session.Open(port); status != kExitOk) return {std::nullopt, status};
  const PortSession::Outcome outcome = session.Exchange(
      dtu::kGetParametersCommand, [&](std::uint8_t byte) { link.FeedChar(byte); },
      [&] { return sink.block().has_value(); });
  if (outcome != PortSession::Outcome::Finished)
    return {std::nullopt, session.ReportUnfinished(outcome, "a complete parameter block")};
  if (!dtu::VerifyBlock(*sink.block())) {
    messages.Show(dtu::MessageKind::Plain, dtu::kBlockMismatchMessage);
    return {std::nullopt, kExitChecksum};
  }
  return {sink.block(), kExitOk};
}

int ExportBlock(const ExportOptions& options) {
  ConsoleMessages messages;
  const BlockSource source = options.port ? ReadUnitBlock(*options.port, messages)
                                          : ReadCheckedBlockFile(*options.file, messages);
  if (!source.block) return source.status;
  const std::string text = dtu::ExportBlockText(*source.block);
  if (!options.output) return WriteToStdout(kName, text) ? kExitOk : kExitFailure;
  const dtu::FileResult written = dtu::WriteTextFile(*options.output, text);
  if (written.ok()) return kExitOk;
  messages.Show(dtu::MessageKind::Error, *options.output + ": " + written.message);
  return kExitFailure;
}

int RunExport(const std::vector<std::string>& args) {
  if (WantsHelp(args)) return PrintHelp(Help());
  const std::optional<ExportOptions> options = ParseExportOptions(args);
  return options ? ExportBlock(*options) : kExitFailure;
}

const RegisterCommand kRegistered{
    {kName, "write a parameter file or a unit's block as editable text (JSON)", RunExport}};

}  // namespace
}  // namespace dtuctl
