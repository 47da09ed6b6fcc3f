// dtuctl record: reports from the production record, a command of commands (report, show,
// export; one file each). Every message of this command is here.
#include <CLI/CLI.hpp>

#include "command_group.h"
#include "record_commands.h"

namespace dtuctl {

std::vector<CommandEntry>& RecordCommands() {
  static std::vector<CommandEntry> commands;
  return commands;
}

namespace {

constexpr std::string_view kName = "record";
constexpr std::string_view kDescription =
    R"(Reads the production record DEST, the batches, rows and results of a production line: a
file (SQLite) or a PostgreSQL database (postgresql://... or a libpq connection string).
The record is only read.)";
constexpr std::string_view kFooter = "'dtuctl record COMMAND --help' describes a command.";
constexpr std::string_view kChineseDescription =
    R"(读取生产记录 DEST：一条生产线的批次、行和结果，是一个文件（SQLite）或一个 PostgreSQL
数据库（postgresql://... 或 libpq 连接字符串）。记录只被读取。)";
constexpr std::string_view kChineseFooter =
    R"(用 'dtuctl record COMMAND --help' 查看一个命令的说明。)";
std::string DestinationHelp() {
  return dtu::Say("记录：文件、postgresql://... 或 libpq 连接字符串",
                  "the record: a file, postgresql://... or a libpq connection string");
}

class RecordCommand final : public CommandGroup {
 public:
  RecordCommand() : CommandGroup(kName, RecordCommands()) {}
};

const RegisterCommand<RecordCommand> kRegistered{
    {kName, "reports from the production record: report, show, export", kDescription, kFooter,
     "生产记录的报告：report、show、export", kChineseDescription, kChineseFooter}};

}  // namespace

void RecordComplain(std::string_view name, const std::string& problem) {
  GroupComplain(kName, name, problem);
}

int RecordFailureStatus(dtu::RecordFailure failure) {
  switch (failure) {
    case dtu::RecordFailure::None:
      return kExitOk;
    case dtu::RecordFailure::BadDestination:
      return kExitFailure;
    case dtu::RecordFailure::Missing:
    case dtu::RecordFailure::NotARecord:
    case dtu::RecordFailure::TooNew:
      return kExitRecordUnusable;
    default:
      return kExitRecordUnavailable;
  }
}

std::unique_ptr<dtu::ProductionRecord> OpenRecordToRead(std::string_view name,
                                                        const std::string& destination,
                                                        int& status) {
  dtu::RecordError error;
  auto record =
      dtu::ProductionRecord::Open(destination, dtu::ProductionRecord::Access::Read, error);
  status = RecordFailureStatus(error.failure);
  if (!record) RecordComplain(name, error.message);
  return record;
}

int RecordQueryFailed(std::string_view name, const dtu::RecordError& error) {
  RecordComplain(name, error.message);
  return RecordFailureStatus(error.failure);
}

void AddDestinationOperand(CLI::App& parser, std::string& destination) {
  parser.add_option("DEST", destination)->required()->description(DestinationHelp());
}

}  // namespace dtuctl
