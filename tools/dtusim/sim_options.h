#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "dtusim/device_status.h"
#include "dtusim/fault.h"

namespace dtusim {

// Exit statuses of dtusim.
enum ExitStatus : int {
  kExitOk = 0,        // stopped by SIGINT or SIGTERM, or idle for --exit-after-idle seconds
  kExitFailure = 1,   // no pseudo-terminal, unusable state file or link, I/O error
  kExitUsage = 2,     // bad command line
  kExitVanished = 3,  // the port was closed on purpose by the fault "vanish"
};

// Highest line rate --baud accepts.
inline constexpr unsigned kMaxBaud = 4'000'000;

// Everything the command line decides.
struct SimOptions {
  bool help = false;
  bool verbose = false;
  std::optional<std::string> link_path;
  std::optional<std::string> state_path;
  unsigned baud = 0;                      // 0: answers go out as fast as the terminal takes them
  std::optional<double> exit_after_idle;  // seconds without traffic after which it stops
  DeviceStatus status;
  FaultSet faults;
};

// The options, or the reason the command line was refused.
struct ParsedOptions {
  std::optional<SimOptions> options;
  std::string error;
};

// Reads the arguments after the program name. Accepts "--name value" and "--name=value".
ParsedOptions ParseSimOptions(const std::vector<std::string>& args);

// The text --help prints, generated from the options ParseSimOptions takes.
std::string SimUsage();

}  // namespace dtusim
