#include "command_support.h"

#include <cerrno>
#include <cstdio>
#include <string>
#include <system_error>

#include "command.h"
#include "core/block/block_check.h"
#include "core/block/parameter_file.h"
#include "core/block/parameter_summary.h"

namespace dtuctl {

int UsageError(std::string_view name, std::string_view problem, std::string_view usage) {
  std::fprintf(stderr, "dtuctl %.*s: %.*s\n%.*s", static_cast<int>(name.size()), name.data(),
               static_cast<int>(problem.size()), problem.data(), static_cast<int>(usage.size()),
               usage.data());
  return kExitFailure;
}

int PrintHelp(std::string_view help) {
  std::fwrite(help.data(), 1, help.size(), stdout);
  return kExitOk;
}

std::optional<std::string> SingleFileOperand(std::string_view name,
                                             const std::vector<std::string>& args,
                                             std::string_view usage) {
  std::vector<std::string> operands;
  for (const std::string& arg : args) {
    if (arg.size() > 1 && arg[0] == '-') {
      UsageError(name, "unknown option '" + arg + "'", usage);
      return std::nullopt;
    }
    operands.push_back(arg);
  }
  if (operands.size() != 1) {
    UsageError(name, operands.empty() ? "missing FILE" : "too many operands", usage);
    return std::nullopt;
  }
  return operands.front();
}

std::optional<dtu::ParameterBlock> ReadBlockFile(const std::string& path,
                                                 dtu::UserMessages& messages) {
  dtu::ParameterBlock block;
  const dtu::FileResult result = dtu::ReadParameterFile(path, block);
  if (!result.ok()) {
    messages.Show(dtu::MessageKind::Warning, path + ": " + result.message);
    return std::nullopt;
  }
  return block;
}

int PrintLoadedSummary(std::string_view name, dtu::ParameterBlock block,
                       dtu::UserMessages& messages) {
  if (!dtu::PrepareLoadedBlock(block)) {
    messages.Show(dtu::MessageKind::Plain, dtu::kBlockMismatchMessage);
    return kExitChecksum;
  }
  std::string text;
  for (const std::string& line : dtu::PrintSummary(block)) text += line + "\n";
  return WriteToStdout(name, text) ? kExitOk : kExitFailure;
}

bool WriteToStdout(std::string_view name, std::string_view bytes) {
  const bool written = std::fwrite(bytes.data(), 1, bytes.size(), stdout) == bytes.size();
  const int write_error = errno;
  if (written && std::fflush(stdout) == 0) return true;
  const int error = written ? errno : write_error;
  std::fprintf(stderr, "dtuctl %.*s: cannot write to standard output: %s\n",
               static_cast<int>(name.size()), name.data(),
               std::generic_category().message(error).c_str());
  return false;
}

}  // namespace dtuctl
