// dtuctl ports: the serial ports of this machine, as the main window lists them.
#include <cstdio>
#include <string>
#include <vector>

#include "command.h"
#include "command_support.h"
#include "core/serial/port_list.h"

namespace dtuctl {
namespace {

constexpr std::string_view kName = "ports";
constexpr std::string_view kUsage = "usage: dtuctl ports\n";
constexpr std::string_view kHelp =
    "usage: dtuctl ports\n"
    "\n"
    "Prints the serial ports found on this machine, one device path per line, in the order the\n"
    "main window lists them. Prints nothing when there are none.\n"
    "\n"
    "exit status: 0 listed (also when none were found), 1 bad usage or unwritable output\n";

int RunPorts(const std::vector<std::string>& args) {
  if (WantsHelp(args)) return PrintHelp(kHelp);
  if (!args.empty()) return UsageError(kName, "unexpected argument '" + args.front() + "'", kUsage);
  std::string text;
  for (const std::string& port : dtu::ListSerialPorts()) text += port + "\n";
  return WriteToStdout(kName, text) ? kExitOk : kExitFailure;
}

const RegisterCommand kRegistered{{kName, "list the serial ports of this machine", RunPorts}};

}  // namespace
}  // namespace dtuctl
