#pragma once

#include <string>

#include "command.h"
#include "console_messages.h"
#include "core/block/parameter_block.h"

namespace dtuctl {

// A command that works on the block of one parameter file, named by its FILE operand. A file
// that is missing, too short or unreadable is reported and ends the command with kExitFailure.
class BlockFileCommand : public Command {
 public:
  void Define(CLI::App& parser) override;
  int Run() override;

 protected:
  // The command's work on the file's 660 bytes, as read; returns the exit status.
  virtual int RunOn(dtu::ParameterBlock block, ConsoleMessages& messages) = 0;

 private:
  std::string path_;
};

}  // namespace dtuctl
