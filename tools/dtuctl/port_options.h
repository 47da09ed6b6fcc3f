#pragma once

#include <chrono>
#include <string>
#include <vector>

#include "core/serial/line_settings.h"
#include "core/session/reply_timing.h"

namespace CLI {
class App;
class Option;
class Validator;
}  // namespace CLI

namespace dtuctl {

// The serial line and the time limit of a command that talks to a unit.
struct PortOptions {
  std::string device;  // e.g. "/dev/ttyUSB0"
  int baud_rate = 9600;
  char parity = 'N';  // 'N', 'O' or 'E'
  int data_bits = 8;
  int stop_bits = 1;
  // How long the unit's answer may pause, beyond the line's own time (see dtu::ReplyTiming).
  double timeout_seconds = dtu::kDefaultReplySeconds;
};

// Declares --port, --baud, --parity, --data, --stop and --timeout on `parser`, each checked as it
// is parsed, their values going into `options`. --port is required unless the command can do
// without a unit (`port_required` false).
void AddPortOptions(CLI::App& parser, PortOptions& options, bool port_required = true);

// Declares --baud (unless `with_baud` is false), --parity, --data and --stop alone, for the
// commands that take several ports and a time limit of their own.
void AddLineOptions(CLI::App& parser, PortOptions& options, bool with_baud = true);

// The check of a --timeout value: seconds from a millisecond to a day.
CLI::Validator TimeoutCheck();

// The port's name checked as --port checks it, for commands that take --port more than once.
CLI::Option* AddPortListOption(CLI::App& parser, std::vector<std::string>& ports,
                               const std::string& description);

// The line settings of `options` as the serial engine takes them.
dtu::LineSettings LineOf(const PortOptions& options);

// The --timeout value as the unit session's reply limit, to the millisecond.
std::chrono::milliseconds ReplyLimitOf(const PortOptions& options);

// "baud=9600 parity=N data=8 stop=1": the line settings in one phrase for messages.
std::string DescribeLine(const PortOptions& options);

}  // namespace dtuctl
