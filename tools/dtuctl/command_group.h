#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "command.h"

namespace dtuctl {

// A command of commands ("dtuctl record report", "dtuctl history list"): its commands are
// registered into its own list, each from its own file, and the one named on the command line
// runs.
class CommandGroup : public Command {
 public:
  CommandGroup(std::string_view name, std::vector<CommandEntry>& commands)
      : name_(name), commands_(commands) {}
  void Define(CLI::App& parser) override;
  int Run() override;

 private:
  struct Defined {
    CLI::App* parser;
    std::unique_ptr<Command> command;
  };
  std::string_view name_;
  std::vector<CommandEntry>& commands_;
  std::vector<Defined> defined_;
};

// "dtuctl GROUP NAME: problem" on stderr.
void GroupComplain(std::string_view group, std::string_view name, const std::string& problem);

}  // namespace dtuctl
