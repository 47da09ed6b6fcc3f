#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace dtuctl {

// Exit statuses shared by every command.
enum ExitStatus : int {
  kExitOk = 0,
  kExitFailure = 1,      // bad usage, unreadable file and other plain failures
  kExitChecksum = 2,     // a block whose checksum does not match
  kExitRejected = 3,     // the unit answered "$$$ChkErr\r"
  kExitTimeout = 4,      // no answer within the time limit
  kExitPortMissing = 5,  // no such serial port
  kExitPortBusy = 6,     // another program holds the port
  kExitPortLost = 7,     // the port vanished while in use
  kExitPortError = 8,    // the port could not be opened for another reason
  kExitDiffers = 9,      // diff: the two parameter sets differ
};

// One sub-command of dtuctl: `run` gets the arguments after the command's name.
struct Command {
  std::string_view name;
  std::string_view summary;  // one line for the command list
  int (*run)(const std::vector<std::string>& args);
};

// Every command registers itself from its own source file:
//   const dtuctl::RegisterCommand kRegistered{{"summary", "print ...", RunSummary}};
std::vector<Command>& Commands();

struct RegisterCommand {
  explicit RegisterCommand(Command command) { Commands().push_back(command); }
};

// True when the arguments ask for help ("-h" or "--help").
bool WantsHelp(const std::vector<std::string>& args);

}  // namespace dtuctl
