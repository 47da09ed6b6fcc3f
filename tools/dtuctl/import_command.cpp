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
     "把参数的文本形式变回参数文件"}};

}  // namespace
}  // namespace dtuctl
