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
constexpr std::string_view kChineseDescription =
    R"(比较两个历史条目的参数块，与 'dtuctl diff' 比较两个参数集一样：每个不同的字段一行，按
参数块的顺序，有字段名、窗口中它的标签和两边按文本形式写出的值：

  port1 (端口): 5001 -> 6001

所有字段都相同时什么也不显示。)";
constexpr std::string_view kChineseFooter =
    R"(退出状态：0 相同，9 不同，1 用法有误或无法写出输出，10 不是历史文件或是更新版本的，
11 历史无法读取（被锁定），12 没有这个条目)";

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
     "两个条目的参数块中不同的字段", kChineseDescription, kChineseFooter}};

}  // namespace
}  // namespace dtuctl
