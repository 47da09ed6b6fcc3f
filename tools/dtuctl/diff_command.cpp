// dtuctl diff A B: the fields in which two parameter sets differ.
#include <CLI/CLI.hpp>

#include <string>

#include "block_text_support.h"
#include "command.h"
#include "console_messages.h"

namespace dtuctl {
namespace {

constexpr std::string_view kName = "diff";
constexpr std::string_view kDescription =
    R"(Compares two parameter sets, each a parameter file or a text form ('dtuctl export'), and
prints one line per field that differs, in block order: the field's name, the label the
window shows for it in parentheses, and both values as the text form writes them:

  port1 (端口): 5001 -> 6001

A value "-" stands for a member only one side writes (device_id under protocol 9). Prints
nothing when every field is the same.)";
constexpr std::string_view kFooter =
    R"(exit status: 0 the same, 9 they differ, 1 bad usage, a file unreadable or a refused text,
2 a parameter file's checksum does not match)";
constexpr std::string_view kChineseDescription =
    R"(比较两个参数集（各是参数文件或文本形式，见 'dtuctl export'），按参数块的顺序为每个不同的
字段显示一行：字段名、窗口中它的标签（在括号中）、以及两边按文本形式写出的值：

  port1 (端口): 5001 -> 6001

值 "-" 表示只有一边写出的成员（协议 9 下的 device_id）。所有字段都相同时什么也不显示。)";
constexpr std::string_view kChineseFooter =
    R"(退出状态：0 相同，9 不同，1 用法有误、文件无法读取或文本被拒绝，2 参数文件的校验和不符)";

class DiffCommand final : public Command {
 public:
  void Define(CLI::App& parser) override {
    parser.add_option("A", first_)->required();
    parser.add_option("B", second_)->required();
  }

  int Run() override {
    ConsoleMessages messages;
    const BlockSource first = ReadBlockOrText(first_, messages);
    if (!first.block) return first.status;
    const BlockSource second = ReadBlockOrText(second_, messages);
    if (!second.block) return second.status;
    return PrintDifferences(kName, *first.block, *second.block);
  }

 private:
  std::string first_;
  std::string second_;
};

const RegisterCommand<DiffCommand> kRegistered{
    {kName, "show the fields in which two parameter files or texts differ", kDescription, kFooter,
     "列出两个参数文件或文本中不同的字段", kChineseDescription, kChineseFooter}};

}  // namespace
}  // namespace dtuctl
