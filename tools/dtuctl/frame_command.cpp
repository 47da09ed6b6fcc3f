// dtuctl frame FILE: the frame that writes a parameter file's block to a unit.
#include <string>
#include <vector>

#include "command.h"
#include "command_support.h"
#include "console_messages.h"
#include "core/device/device_commands.h"

namespace dtuctl {
namespace {

constexpr std::string_view kName = "frame";
constexpr std::string_view kUsage = "usage: dtuctl frame FILE\n";
constexpr std::string_view kHelp =
    "usage: dtuctl frame FILE\n"
    "\n"
    "Prints the frame that writes the parameter file's block to a unit: \"$$$AT+SETPARA\" and the\n"
    "1320 hex digits of the sealed block (length 660 and checksum set), then one newline.\n"
    "The checksum stored in the file is not examined; sealing replaces it.\n"
    "\n"
    "exit status: 0 printed, 1 file missing, too short or unreadable\n";

int RunFrame(const std::vector<std::string>& args) {
  if (WantsHelp(args)) return PrintHelp(kHelp);
  const std::optional<std::string> path = SingleFileOperand(kName, args, kUsage);
  if (!path) return kExitFailure;

  ConsoleMessages messages;
  std::optional<dtu::ParameterBlock> block = ReadBlockFile(*path, messages);
  if (!block) return kExitFailure;
  return WriteToStdout(kName, dtu::BuildParameterFrame(*block) + "\n") ? kExitOk : kExitFailure;
}

const RegisterCommand kRegistered{
    {kName, "print the $$$AT+SETPARA frame of a parameter file", RunFrame}};

}  // namespace
}  // namespace dtuctl
