#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "core/message_language.h"

namespace CLI {
class App;
}

namespace dtuctl {

// Exit statuses shared by every command.
enum ExitStatus : int {
  kExitOk = 0,
  kExitFailure = 1,             // bad usage, unreadable file, output that could not be written
  kExitChecksum = 2,            // a block whose checksum does not match
  kExitRejected = 3,            // the unit answered "$$$ChkErr\r"
  kExitTimeout = 4,             // no answer within the time limit
  kExitPortMissing = 5,         // no such serial port
  kExitPortBusy = 6,            // another program holds the port
  kExitPortLost = 7,            // the port vanished while in use
  kExitPortError = 8,           // the port could not be opened for another reason
  kExitDiffers = 9,             // diff: the two parameter sets differ
  kExitRecordUnusable = 10,     // the record or history is missing, of another kind, or newer
  kExitRecordUnavailable = 11,  // the record or history cannot be reached, is locked, read-only,
                                // full or broke off
  kExitNotInRecord = 12,        // no such result, batch, history entry or unit
  kExitNoRow = 13,         // provision: a unit was left as it was, the table having no row for it
  kExitUnidentified = 14,  // provision: a unit reported no serial and was left as it was
  kExitBySignal = 128,     // plus the number of the signal that ended a command early
};

// What the help says about a command: its name, the one line of the command list, the text
// under its usage line, the text after its options (the exit statuses), and the same three in
// Chinese, for a Chinese run.
struct CommandText {
  std::string_view name;
  std::string_view summary;
  std::string_view description;
  std::string_view footer;
  std::string_view chinese_summary;
  std::string_view chinese_description;
  std::string_view chinese_footer;
};

// The line of the command list, the text under the usage line and the one after the options, in
// the run's language.
inline std::string SummaryOf(const CommandText& text) {
  return dtu::Say(std::string(text.chinese_summary), std::string(text.summary));
}
inline std::string DescriptionOf(const CommandText& text) {
  return dtu::Say(std::string(text.chinese_description), std::string(text.description));
}
inline std::string FooterOf(const CommandText& text) {
  return dtu::Say(std::string(text.chinese_footer), std::string(text.footer));
}

// One sub-command of dtuctl. Define() declares its options and operands on its own parser,
// binding them to members; Run() does the work once the command line has been parsed into them.
class Command {
 public:
  virtual ~Command() = default;
  virtual void Define(CLI::App& /*parser*/) {}
  virtual int Run() = 0;
};

struct CommandEntry {
  CommandText text;
  std::unique_ptr<Command> (*make)();
};

std::vector<CommandEntry>& Commands();

// Every command registers itself from its own source file:
//   const dtuctl::RegisterCommand<SummaryCommand> kRegistered{
//       {"summary", "print ...", kDescription, kFooter, "显示...", kChineseDescription,
//        kChineseFooter}};
// A command of a command of commands ("record report") names that command's list.
template <typename CommandType, std::vector<CommandEntry>& (*List)() = Commands>
struct RegisterCommand {
  explicit RegisterCommand(CommandText text) {
    List().push_back(
        {text, []() -> std::unique_ptr<Command> { return std::make_unique<CommandType>(); }});
  }
};

}  // namespace dtuctl
