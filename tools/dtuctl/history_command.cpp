// dtuctl history: the units' history, a command of commands (list, show, diff, clear, keep; one
// file each). The texts the history commands share are here.
#include <CLI/CLI.hpp>

#include "command_group.h"
#include "core/history/history_location.h"
#include "core/message_language.h"
#include "history_commands.h"

namespace dtuctl {

std::vector<CommandEntry>& HistoryCommands() {
  static std::vector<CommandEntry> commands;
  return commands;
}

namespace {

constexpr std::string_view kName = "history";
constexpr std::string_view kDescription =
    R"(The units' history: the blocks read from units and written to them, kept by unit (its
board serial and module serial), each with its time, port, firmware and what happened.
It is the file $XDG_DATA_HOME/dtuconfig/history.sqlite (~/.local/share/dtuconfig/ when
XDG_DATA_HOME is not set), readable by its user alone; --history FILE or the
environment variable DTUCONFIG_HISTORY names another.)";
constexpr std::string_view kFooter = "'dtuctl history COMMAND --help' describes a command.";
constexpr std::string_view kChineseDescription =
    R"(单元历史：从单元读到和写入单元的参数块，按单元（它的板卡序列号和模块序列号）保存，每个
都有时间、端口、固件和所发生的事。它是文件 $XDG_DATA_HOME/dtuconfig/history.sqlite（未设
XDG_DATA_HOME 时在 ~/.local/share/dtuconfig/），只有它的用户能读；--history FILE 或环境
变量 DTUCONFIG_HISTORY 指定另一个文件。)";
constexpr std::string_view kChineseFooter =
    R"(用 'dtuctl history COMMAND --help' 查看一个命令的说明。)";
std::string HistoryHelp() {
  return dtu::Say("历史文件（默认：$DTUCONFIG_HISTORY，否则是用户自己的）",
                  "the history file (default: $DTUCONFIG_HISTORY, else the user's)");
}
std::string EntryHelp() {
  return dtu::Say("条目的编号，即 'dtuctl history list' 显示的编号",
                  "the entry's id, as 'dtuctl history list' shows it");
}
constexpr std::string_view kNoSerial = "-";

class HistoryCommand final : public CommandGroup {
 public:
  HistoryCommand() : CommandGroup(kName, HistoryCommands()) {}
};

const RegisterCommand<HistoryCommand> kRegistered{
    {kName, "the units' history: list, show, diff, clear, keep", kDescription, kFooter,
     "单元历史：list、show、diff、clear、keep", kChineseDescription, kChineseFooter}};

}  // namespace

void AddHistoryOption(CLI::App& parser, std::string& path) {
  parser.add_option("--history", path, HistoryHelp())->option_text("FILE");
}

std::unique_ptr<dtu::UnitHistory> HistoryAt(const std::string& option) {
  return std::make_unique<dtu::UnitHistory>(option.empty() ? dtu::DefaultHistoryPath()
                                                           : std::filesystem::path(option));
}

void HistoryComplain(std::string_view name, const std::string& problem) {
  GroupComplain(kName, name, problem);
}

int HistoryFailed(std::string_view name, const dtu::HistoryError& error) {
  HistoryComplain(name, error.message);
  switch (error.failure) {
    case dtu::HistoryFailure::None:
      return kExitOk;
    case dtu::HistoryFailure::BadValue:
      return kExitFailure;
    case dtu::HistoryFailure::NotAHistory:
    case dtu::HistoryFailure::TooNew:
      return kExitRecordUnusable;
    default:
      return kExitRecordUnavailable;
  }
}

std::string SerialText(const std::string& serial) {
  return serial.empty() ? std::string(kNoSerial) : serial;
}

std::string UnitText(const dtu::HistoryUnit& unit) {
  if (!unit.known())
    return dtu::Say(unit.unknown_port + " 上的未知设备", "unknown unit on " + unit.unknown_port);
  return SerialText(unit.board_serial) + " " + SerialText(unit.module_serial);
}

void AddEntryOperand(CLI::App& parser, const std::string& name, std::int64_t& id) {
  parser.add_option(name, id, EntryHelp())->required()->check(CLI::PositiveNumber);
}

std::optional<dtu::HistoryEntry> FindEntry(std::string_view name, dtu::UnitHistory& history,
                                           std::int64_t id, int& status) {
  std::optional<dtu::HistoryEntry> entry;
  status = kExitOk;
  if (const dtu::HistoryError error = history.Entry(id, entry); !error.ok()) {
    status = HistoryFailed(name, error);
  } else if (!entry) {
    HistoryComplain(name,
                    dtu::Say("历史中没有条目 ", "the history has no entry ") + std::to_string(id));
    status = kExitNotInRecord;
  }
  return entry;
}

int NoEntryOf(std::string_view name, const std::string& unit) {
  HistoryComplain(name, dtu::Say("历史中没有设备 " + unit + " 的条目",
                                 "the history has no entry of unit " + unit));
  return kExitNotInRecord;
}

}  // namespace dtuctl
