#pragma once

#include <string>

namespace CLI {
class App;
class Option;
}  // namespace CLI

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

// Declares --port (required), --baud, --parity, --data, --stop and --timeout on `parser`, each
// checked as it is parsed, their values going into `options`. Returns --port.
CLI::Option* AddPortOptions(CLI::App& parser, PortOptions& options);

// "baud=9600 parity=N data=8 stop=1": the line settings in one phrase for messages.
std::string DescribeLine(const PortOptions& options);

}  // namespace dtuctl
