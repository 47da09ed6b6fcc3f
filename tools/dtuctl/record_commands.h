#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "command.h"
#include "core/record/production_record.h"

namespace dtuctl {

// The commands under "dtuctl record" (report, show, export), each in its own file, registered
// as the top-level commands are:
//   const RegisterRecordCommand<ReportCommand> kRegistered{{"report", ...}};
std::vector<CommandEntry>& RecordCommands();

template <typename CommandType>
struct RegisterRecordCommand {
  explicit RegisterRecordCommand(CommandText text) {
    RecordCommands().push_back(
        {text, []() -> std::unique_ptr<Command> { return std::make_unique<CommandType>(); }});
  }
};

// What the record commands share.

// "dtuctl record NAME: problem" on stderr.
void RecordComplain(std::string_view name, const std::string& problem);

// The exit status for a record that could not be opened or read.
int RecordFailureStatus(dtu::RecordFailure failure);

// Opens DEST for reading; nothing after the reason is shown (`status` says how it ended).
std::unique_ptr<dtu::ProductionRecord> OpenRecordToRead(std::string_view name,
                                                        const std::string& destination,
                                                        int& status);

// Reports a failed query of an open record; returns its exit status.
int RecordQueryFailed(std::string_view name, const dtu::RecordError& error);

// The DEST operand, with its help text.
void AddDestinationOperand(CLI::App& parser, std::string& destination);

}  // namespace dtuctl
