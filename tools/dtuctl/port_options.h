#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace dtuctl {

// The serial line and the time limit of a command that talks to a unit.
struct PortOptions {
  std::string device;  // e.g. "/dev/ttyUSB0"
  int baud_rate = 9600;
  char parity = 'N';  // 'N', 'O' or 'E'
  int data_bits = 8;
  int stop_bits = 1;
  double timeout_seconds = 5;  // how long to wait for the unit's answer
};

// The help lines of the options ParsePortOptions takes.
inline constexpr std::string_view kPortOptionsHelp =
    "  --port DEV          the serial port the unit is on (required), e.g. /dev/ttyUSB0\n"
    "  --baud N            line rate: 110, 300, 600, 1200, 2400, 4800, 9600 (default),\n"
    "                      19200, 38400, 57600, 115200, 230400, 460800 or 921600\n"
    "  --parity N|O|E      none (default), odd or even\n"
    "  --data 8|7          data bits (default 8)\n"
    "  --stop 1|2          stop bits (default 1)\n"
    "  --timeout S         seconds to wait for the unit's answer, counted from the moment the\n"
    "                      command is sent (default 5; fractions allowed)\n";

// Takes the port options ("--name VALUE" or "--name=VALUE") out of `args`; the command's own
// options and operands are left in `rest`, in their order. On a bad or missing value, prints the
// problem and the usage on stderr and returns nothing.
std::optional<PortOptions> ParsePortOptions(std::string_view name,
                                            const std::vector<std::string>& args,
                                            std::string_view usage, std::vector<std::string>& rest);

// "baud=9600 parity=N data=8 stop=1": the line settings as the engine takes them.
std::string DescribeLine(const PortOptions& options);

}  // namespace dtuctl
