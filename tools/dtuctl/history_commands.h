#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "command.h"
#include "core/history/unit_history.h"

namespace CLI {
class App;
}

namespace dtuctl {

// The commands under "dtuctl history" (list, show, diff, clear, keep), each in its own file,
// registered as the top-level commands are:
//   const RegisterHistoryCommand<ListCommand> kRegistered{{"list", ...}};
std::vector<CommandEntry>& HistoryCommands();

template <typename CommandType>
using RegisterHistoryCommand = RegisterCommand<CommandType, HistoryCommands>;

// What the history commands share.

// "--history FILE": another history than the user's; `path` stays empty without it.
void AddHistoryOption(CLI::App& parser, std::string& path);

// The history --history names, else the one DTUCONFIG_HISTORY names, else the user's.
std::unique_ptr<dtu::UnitHistory> HistoryAt(const std::string& option);

// "dtuctl history NAME: problem" on stderr.
void HistoryComplain(std::string_view name, const std::string& problem);

// Reports a failed call; returns its exit status.
int HistoryFailed(std::string_view name, const dtu::HistoryError& error);

// A serial, or a firmware version, as the commands show it: "-" when the unit reported none.
std::string SerialText(const std::string& serial);

// A unit as the commands name it: "ZB001 869123040000001" (a missing serial as "-"), or
// "unknown unit on /dev/ttyUSB0".
std::string UnitText(const dtu::HistoryUnit& unit);

// An entry's id operand, named `name` in the usage.
void AddEntryOperand(CLI::App& parser, const std::string& name, std::int64_t& id);

// Entry `id`, or nothing after saying that the history has none (`status` says how it ended).
std::optional<dtu::HistoryEntry> FindEntry(std::string_view name, dtu::UnitHistory& history,
                                           std::int64_t id, int& status);

// Says that the history has no entry of UNIT; returns the exit status.
int NoEntryOf(std::string_view name, const std::string& unit);

}  // namespace dtuctl
