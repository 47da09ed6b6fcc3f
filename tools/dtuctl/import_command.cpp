// dtuctl import TEXT -o FILE [--base FILE]: a text form back into a sealed parameter file.
#include <optional>
#include <string>
#include <vector>

#include "block_text_support.h"
#include "command.h"
#include "command_support.h"
#include "console_messages.h"
#include "core/block/parameter_text.h"

namespace dtuctl {
namespace {

constexpr std::string_view kName = "import";
constexpr std::string_view kUsage = "usage: dtuctl import TEXT -o FILE [--base BASE]\n";
constexpr std::string_view kHelp =
    "usage: dtuctl import TEXT -o FILE [--base BASE]\n"
    "\n"
    "Reads the text form of a parameter block (as 'dtuctl export' writes it; TEXT may be '-'\n"
    "for standard input) and writes the sealed block to the parameter file FILE (an existing\n"
    "file is overwritten from its start and not shortened, as the tool saves).\n"
    "\n"
    "Every member is checked against what its field can hold: a text's GBK bytes within the\n"
    "field, a number within its width, an address as four numbers 0-255, hex digits that fit.\n"
    "The first member that does not fit is named with its value and the rule, and nothing is\n"
    "written; unknown or repeated members are refused too. Values the pages would not accept\n"
    "(the heartbeat's 5-3600 seconds, a text without room for its ending 0x00, a value no list\n"
    "holds...) are kept, each with a warning on stderr naming the rule.\n"
    "\n"
    "  -o, --output FILE   the parameter file to write (required)\n"
    "  --base BASE         start from the parameter file BASE: the members given replace its\n"
    "                      fields, so a few lines make a template; without it every field must\n"
    "                      be given\n"
    "\n"
    "exit status: 0 written, 1 bad usage, a refused text, TEXT or BASE unreadable or FILE not\n"
    "written, 2 BASE's checksum does not match\n";

struct ImportOptions {
  std::string text;
  std::string output;
  std::optional<std::string> base;
};

std::optional<ImportOptions> ParseImportOptions(std::vector<std::string> args) {
  std::optional<std::string> base;
  for (std::size_t i = 0; i < args.size(); ++i) {
    if (args[i] != "--base") continue;
    if (i + 1 == args.size() || args[i + 1].empty()) {
      UsageError(kName, "option '--base' needs a FILE", kUsage);
      return std::nullopt;
    }
    base = args[i + 1];
    args.erase(args.begin() + static_cast<std::ptrdiff_t>(i),
               args.begin() + static_cast<std::ptrdiff_t>(i + 2));
    break;
  }
  std::optional<std::string> output;
  if (!TakeOutputOption(kName, args, kUsage, output)) return std::nullopt;
  if (HasUnknownOption(kName, args, kUsage)) return std::nullopt;
  if (args.size() != 1) {
    UsageError(kName, args.empty() ? "missing TEXT" : "too many operands", kUsage);
    return std::nullopt;
  }
  if (!output) {
    UsageError(kName, "missing -o FILE", kUsage);
    return std::nullopt;
  }
  return ImportOptions{args.front(), *output, base};
}

int ImportText(const ImportOptions& options) {
  ConsoleMessages messages;
  std::optional<dtu::ParameterBlock> base;
  if (options.base) {
    const BlockSource source = ReadCheckedBlockFile(*options.base, messages);
    if (!source.block) return source.status;
    base = source.block;
  }
  const std::optional<std::string> text = ReadTextOperand(options.text, messages);
  if (!text) return kExitFailure;
  const std::string source = options.text == "-" ? "标准输入" : options.text;
  const std::optional<dtu::ParameterBlock> block =
      TakeImport(dtu::ImportBlockText(*text, base), source, messages);
  if (!block) return kExitFailure;
  return SaveBlock(options.output, *block, messages) ? kExitOk : kExitFailure;
}

int RunImport(const std::vector<std::string>& args) {
  if (WantsHelp(args)) return PrintHelp(kHelp);
  const std::optional<ImportOptions> options = ParseImportOptions(args);
  return options ? ImportText(*options) : kExitFailure;
}

const RegisterCommand kRegistered{
    {kName, "turn a parameter set's text form back into a parameter file", RunImport}};

}  // namespace
}  // namespace dtuctl
