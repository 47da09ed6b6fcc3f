// dtuctl summary FILE: the summary the tool's text pane shows after opening a parameter file.
#include <CLI/CLI.hpp>

#include <string>

#include "command.h"
#include "command_support.h"
#include "console_messages.h"

namespace dtuctl {
namespace {

constexpr std::string_view kName = "summary";
constexpr std::string_view kDescription =
    R"(Prints the parameter summary of a parameter file (its first 660 bytes) as the tool shows it
after opening the file: the length word is taken as 660, the checksum is verified and the
block is normalised first. UTF-8, one line per summary line.)";
constexpr std::string_view kFooter =
    "exit status: 0 printed, 1 file missing, too short or unreadable, 2 checksum mismatch";

class SummaryCommand final : public Command {
 public:
  void Define(CLI::App& parser) override {
    parser.description(std::string(kDescription));
    AddFileOperand(parser, path_);
    parser.footer(std::string(kFooter));
  }

  int Run() override {
    ConsoleMessages messages;
    std::optional<dtu::ParameterBlock> block = ReadBlockFile(path_, messages);
    if (!block) return kExitFailure;
    return PrintLoadedSummary(kName, *block, messages);
  }

 private:
  std::string path_;
};

const RegisterCommand<SummaryCommand> kRegistered{
    kName, "print the parameter summary of a parameter file"};

}  // namespace
}  // namespace dtuctl
