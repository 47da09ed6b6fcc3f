#include "block_file_command.h"

#include <optional>

#include "command_support.h"

namespace dtuctl {

void BlockFileCommand::Define(CLI::App& parser) {
  AddFileOperand(parser, path_);
}

int BlockFileCommand::Run() {
  ConsoleMessages messages;
  const std::optional<dtu::ParameterBlock> block = ReadBlockFile(path_, messages);
  return block ? RunOn(*block, messages) : kExitFailure;
}

}  // namespace dtuctl
