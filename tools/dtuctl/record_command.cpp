// dtuctl record: reports from the production record, a command of commands (report, show,
// export; one file each). Every message of this command is here.
#include <CLI/CLI.hpp>

#include <algorithm>
#include <cstdio>

#include "command_line/help_formatter.h"
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
constexpr std::string_view kDestinationHelp =
    "the record: a file, postgresql://... or a libpq connection string";

struct Defined {
  CLI::App* parser;
  std::unique_ptr<Command> command;
};

class RecordCommand final : public Command {
 public:
  void Define(CLI::App& parser) override {
    parser.require_subcommand(1, 1);
    auto& formatter = static_cast<dtu::cli::HelpFormatter&>(*parser.get_formatter());
    auto entries = RecordCommands();
    std::ranges::sort(entries, {}, [](const CommandEntry& e) { return e.text.name; });
    for (const CommandEntry& entry : entries) {
      CLI::App* sub = parser.add_subcommand(std::string(entry.text.name));
      formatter.Summarise(std::string(kName) + " " + std::string(entry.text.name),
                          std::string(entry.text.summary));
      sub->description(std::string(entry.text.description));
      sub->footer(std::string(entry.text.footer));
      std::unique_ptr<Command> command = entry.make();
      command->Define(*sub);
      dtu::cli::MoveHelpLast(*sub);
      defined_.push_back({sub, std::move(command)});
    }
  }

  int Run() override {
    for (Defined& defined : defined_)
      if (defined.parser->parsed()) return defined.command->Run();
    return kExitFailure;
  }

 private:
  std::vector<Defined> defined_;
};

const RegisterCommand<RecordCommand> kRegistered{
    {kName, "reports from the production record: report, show, export", kDescription, kFooter}};

}  // namespace

void RecordComplain(std::string_view name, const std::string& problem) {
  const std::string line =
      "dtuctl " + std::string(kName) + " " + std::string(name) + ": " + problem + "\n";
  std::fwrite(line.data(), 1, line.size(), stderr);
  std::fflush(stderr);
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
  parser.add_option("DEST", destination)->required()->description(std::string(kDestinationHelp));
}

}  // namespace dtuctl
