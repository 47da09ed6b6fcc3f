// dtuctl history diff ID ID: the fields in which the blocks of two history entries differ.
// Every text of this command is here.
#include <CLI/CLI.hpp>

#include "block_text_support.h"
#include "history_commands.h"

namespace dtuctl {
namespace {

constexpr std::string_view kName = "diff";
constexpr std::string_view kDescription =
    R"(Compares the blocks of two history entries as 'dtuctl diff' compares two parameter sets:
one line per field that differs, in block order, with the field's name, the label the
window shows for it and both values as the text form writes them:

  port1 (端口): 5001 -> 6001

Prints nothing when every field is the same.)";
constexpr std::string_view kFooter =
    R"(exit status: 0 the same, 9 they differ, 1 bad usage or unwritable output, 10 not a history
or one of a newer version, 11 the history cannot be read (locked), 12 no such entry)";

class DiffCommand final : public Command {
 public:
  void Define(CLI::App& parser) override {
    AddEntryOperand(parser, "A", first_);
    AddEntryOperand(parser, "B", second_);
    AddHistoryOption(parser, history_);
  }

  int Run() override {
    const auto history = HistoryAt(history_);
    int status = kExitOk;
    const auto first = FindEntry(kName, *history, first_, status);
    if (!first) return status;
    const auto second = FindEntry(kName, *history, second_, status);
    if (!second) return status;
    return PrintDifferences("history diff", first->block, second->block);
  }

 private:
  std::int64_t first_ = 0;
  std::int64_t second_ = 0;
  std::string history_;
};

const RegisterHistoryCommand<DiffCommand> kRegistered{
    {kName, "the fields in which two entries' blocks differ", kDescription, kFooter,
     "两个条目的参数块中不同的字段"}};

}  // namespace
}  // namespace dtuctl
