#pragma once

#include <string>

namespace CLI {
class App;
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

// Declares --port, --baud, --parity, --data, --stop and --timeout on `parser`, each checked as it
// is parsed, their values going into `options`. --port is required unless the command can do
// without a unit (`port_required` false).
void AddPortOptions(CLI::App& parser, PortOptions& options, bool port_required = true);

// "baud=9600 parity=N data=8 stop=1": the line settings in one phrase for messages.
std::string DescribeLine(const PortOptions& options);

}  // namespace dtuctl
