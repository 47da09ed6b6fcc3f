// dtuctl import TEXT -o FILE [--base FILE]: a text form back into a sealed parameter file.
#include <CLI/CLI.hpp>

#include <optional>
#include <string>

#include "block_text_support.h"
#include "command.h"
#include "command_support.h"
#include "console_messages.h"
#include "core/block/parameter_text.h"
#include "core/message_language.h"

namespace dtuctl {
namespace {

constexpr std::string_view kName = "import";
constexpr std::string_view kDescription =
    R"(Reads the text form of a parameter block (as 'dtuctl export' writes it; TEXT may be '-'
for standard input) and writes the sealed block to the parameter file FILE (an existing
file is overwritten from its start and not shortened, as the tool saves).

Every member is checked against what its field can hold: a text's GBK bytes within the
field, a number within its width, an address as four numbers 0-255, hex digits that fit.
The first member that does not fit is named with its value and the rule, and nothing is
written; unknown or repeated members are refused too. Values the pages would not accept
(the heartbeat's 5-3600 seconds, a text without room for its ending 0x00, a value no list
holds...) are kept, each with a warning on stderr naming the rule.

A text that gives every field is taken as it is: exporting a block and importing the
text gives back all 660 bytes. With --base, the members of a text that gives only some
fields are entries, stored as the window stores what is typed (a device or centre
number of 0 stores 8000, a project number of 0 keeps BASE's, blanks around apn and
dial_code are dropped, a protocol moved to or from 9 carries the device number into the
other form); each such change is said on stderr.)";
constexpr std::string_view kFooter =
    R"(exit status: 0 written, 1 bad usage, a refused text, TEXT or BASE unreadable or FILE not
written, 2 BASE's checksum does not match)";
constexpr std::string_view kChineseDescription =
    R"(读取参数块的文本形式（与 'dtuctl export' 写出的一样；TEXT 可以是 '-'，表示标准输入），把
封装后的参数块写到参数文件 FILE（已有的文件从头覆盖、不截短，与本工具保存时一样）。

每个成员都按它的字段能容纳的内容检查：文本的 GBK 字节在字段之内，数字在它的宽度之内，地址
是 0-255 的四个数，十六进制数字放得下。第一个不合适的成员连同它的值和规则被指出，什么也不
写；未知或重复的成员也被拒绝。页面不会接受的值（心跳的 5-3600 秒、没有留出结尾 0x00 的
文本、列表中没有的值……）被保留，各在标准错误上给出一条指出规则的警告。

给出所有字段的文本原样采用：导出一个参数块再导入其文本，能还原全部 660 字节。用 --base 时，
只给出部分字段的文本中的成员是输入项，按窗口保存输入内容的方式保存（设备编号或中心编号为 0
时存 8000，项目编号为 0 时保留 BASE 的，apn 和 dial_code 两端的空白被去掉，协议改为 9 或
从 9 改出时把设备编号带到另一种形式）；每个这样的改动都在标准错误上说明。)";
constexpr std::string_view kChineseFooter =
    R"(退出状态：0 已写出，1 用法有误、文本被拒绝、TEXT 或 BASE 无法读取或 FILE 未写出，
2 BASE 的校验和不符)";

class ImportCommand final : public Command {
 public:
  void Define(CLI::App& parser) override {
    parser.add_option("TEXT", text_)->required();
    AddOutputOption(parser, output_,
                    dtu::Say("要写的参数文件（必需）", "the parameter file to write (required)"))
        ->required();
    parser
        .add_option("--base", base_,
                    dtu::Say("从参数文件 BASE 开始：给出的成员替换它的字段，\n"
                             "几行就能做成模板；没有它时每个字段都要给出",
                             "start from the parameter file BASE: the members given replace its\n"
                             "fields, so a few lines make a template; without it every field "
                             "must\nbe given"))
        ->option_text("BASE");
  }

  int Run() override {
    ConsoleMessages messages;
    if (!OutputIsNotInput(text_, output_, messages)) return kExitFailure;
    std::optional<dtu::ParameterBlock> base;
    if (!base_.empty()) {
      const BlockSource source = ReadCheckedBlockFile(base_, messages);
      if (!source.block) return source.status;
      base = source.block;
    }
    const std::optional<std::string> text = ReadTextOperand(text_, messages);
    if (!text) return kExitFailure;
    const std::string source = text_ == "-" ? dtu::Say("标准输入", "standard input") : text_;
    const std::optional<dtu::ParameterBlock> block =
        TakeImport(dtu::ImportBlockText(*text, base), source, messages, base);
    if (!block) return kExitFailure;
    return SaveBlock(output_, *block, messages) ? kExitOk : kExitFailure;
  }

 private:
  std::string text_;
  std::string output_;
  std::string base_;
};

const RegisterCommand<ImportCommand> kRegistered{
    {kName, "turn a parameter set's text form back into a parameter file", kDescription, kFooter,
     "把参数的文本形式变回参数文件", kChineseDescription, kChineseFooter}};

}  // namespace
}  // namespace dtuctl
