// dtuctl summary FILE: the summary the tool's text pane shows after opening a parameter file.
#include <string>
#include <vector>

#include "command.h"
#include "command_support.h"
#include "console_messages.h"

namespace dtuctl {
namespace {

constexpr std::string_view kName = "summary";
constexpr std::string_view kUsage = "usage: dtuctl summary FILE\n";
constexpr std::string_view kHelp =
    "usage: dtuctl summary FILE\n"
    "\n"
    "Prints the parameter summary of a parameter file (its first 660 bytes) as the tool shows it\n"
    "after opening the file: the length word is taken as 660, the checksum is verified and the\n"
    "block is normalised first. UTF-8, one line per summary line.\n"
    "\n"
    "exit status: 0 printed, 1 file missing, too short or unreadable, 2 checksum mismatch\n";

int RunSummary(const std::vector<std::string>& args) {
  if (WantsHelp(args)) return PrintHelp(kHelp);
  const std::optional<std::string> path = SingleFileOperand(kName, args, kUsage);
  if (!path) return kExitFailure;

  ConsoleMessages messages;
  std::optional<dtu::ParameterBlock> block = ReadBlockFile(*path, messages);
  if (!block) return kExitFailure;
  return PrintLoadedSummary(kName, *block, messages);
}

const RegisterCommand kRegistered{
    {kName, "print the parameter summary of a parameter file", RunSummary}};

}  // namespace
}  // namespace dtuctl
