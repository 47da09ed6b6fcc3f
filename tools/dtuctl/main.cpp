// dtuctl: the command-line face of the configuration tool, for scripts and for trying it out.
#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "command.h"

namespace dtuctl {

std::vector<Command>& Commands() {
  static std::vector<Command> commands;
  return commands;
}

bool WantsHelp(const std::vector<std::string>& args) {
  return std::ranges::any_of(args, [](const std::string& a) { return a == "-h" || a == "--help"; });
}

}  // namespace dtuctl

namespace {

void PrintUsage(std::FILE* out) {
  std::fprintf(out, "usage: dtuctl COMMAND [ARGS...]\n\n"
                    "Reads, writes and inspects the parameters of data transfer units.\n\n"
                    "commands:\n");
  auto commands = dtuctl::Commands();
  std::ranges::sort(commands, {}, &dtuctl::Command::name);
  for (const dtuctl::Command& command : commands)
    std::fprintf(out, "  %-10.*s %.*s\n", static_cast<int>(command.name.size()),
                 command.name.data(), static_cast<int>(command.summary.size()),
                 command.summary.data());
  std::fprintf(out, "\n'dtuctl COMMAND --help' describes a command.\n");
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  if (args.empty()) {
    PrintUsage(stderr);
    return dtuctl::kExitFailure;
  }
  if (args[0] == "-h" || args[0] == "--help" || args[0] == "help") {
    PrintUsage(stdout);
    return dtuctl::kExitOk;
  }
  for (const dtuctl::Command& command : dtuctl::Commands()) {
    if (command.name == args[0])
      return command.run(std::vector<std::string>(args.begin() + 1, args.end()));
  }
  std::fprintf(stderr, "dtuctl: unknown command '%s'\n\n", args[0].c_str());
  PrintUsage(stderr);
  return dtuctl::kExitFailure;
}
