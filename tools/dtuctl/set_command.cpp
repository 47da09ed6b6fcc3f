// dtuctl set FILE NAME=VALUE... [-o OUT]: changes fields of a parameter file by name.
#include <optional>
#include <string>
#include <vector>

#include "block_text_support.h"
#include "command.h"
#include "command_support.h"
#include "console_messages.h"
#include "core/block/parameter_file.h"
#include "core/block/parameter_text.h"

namespace dtuctl {
namespace {

constexpr std::string_view kName = "set";
constexpr std::string_view kUsage = "usage: dtuctl set FILE NAME=VALUE... [-o OUT]\n";
constexpr std::string_view kHelp =
    "usage: dtuctl set FILE NAME=VALUE... [-o OUT]\n"
    "\n"
    "Changes fields of the parameter file FILE by their names in the text form (apn, port1,\n"
    "centre_ip1, heartbeat_data...; see 'dtuctl export'), with the checks and warnings of\n"
    "'dtuctl import'. A VALUE is read as its field reads it: a number in decimal, an address\n"
    "as a.b.c.d, a text as it is (\\xHH for a byte, \\\\ for a backslash), a counted field or\n"
    "device_id as hex digits. The block is sealed again.\n"
    "\n"
    "Without -o, FILE is replaced as a whole: the new block is written beside it and renamed\n"
    "over it, so FILE is never left half written. A refused value changes nothing.\n"
    "\n"
    "  -o, --output OUT    write the changed block to OUT and leave FILE as it is\n"
    "\n"
    "exit status: 0 written, 1 bad usage, a refused value, FILE unreadable or not written,\n"
    "2 FILE's checksum does not match\n";

struct SetOptions {
  std::string file;
  std::vector<std::string> assignments;
  std::optional<std::string> output;
};

std::optional<SetOptions> ParseSetOptions(std::vector<std::string> args) {
  SetOptions options;
  if (!TakeOutputOption(kName, args, kUsage, options.output) ||
      HasUnknownOption(kName, args, kUsage))
    return std::nullopt;
  if (args.size() < 2) {
    UsageError(kName, args.empty() ? "missing FILE" : "missing NAME=VALUE", kUsage);
    return std::nullopt;
  }
  options.file = args.front();
  options.assignments.assign(args.begin() + 1, args.end());
  return options;
}

int SetFields(const SetOptions& options) {
  ConsoleMessages messages;
  const BlockSource source = ReadCheckedBlockFile(options.file, messages);
  if (!source.block) return source.status;
  const std::optional<dtu::ParameterBlock> block =
      TakeImport(dtu::SetBlockFields(*source.block, options.assignments), {}, messages);
  if (!block) return kExitFailure;
  if (options.output) return SaveBlock(*options.output, *block, messages) ? kExitOk : kExitFailure;
  const dtu::FileResult replaced = dtu::ReplaceParameterFile(options.file, *block);
  if (replaced.ok()) return kExitOk;
  messages.Show(dtu::MessageKind::Error, options.file + ": " + replaced.message);
  return kExitFailure;
}

int RunSet(const std::vector<std::string>& args) {
  if (WantsHelp(args)) return PrintHelp(kHelp);
  const std::optional<SetOptions> options = ParseSetOptions(args);
  return options ? SetFields(*options) : kExitFailure;
}

const RegisterCommand kRegistered{
    {kName, "change fields of a parameter file by name (NAME=VALUE)", RunSet}};

}  // namespace
}  // namespace dtuctl
