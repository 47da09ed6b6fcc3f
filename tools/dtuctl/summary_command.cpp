// dtuctl summary FILE: the summary the tool's text pane shows after opening a parameter file.
#include "block_file_command.h"
#include "command_support.h"

namespace dtuctl {
namespace {

constexpr std::string_view kName = "summary";
constexpr std::string_view kDescription =
    R"(Prints the parameter summary of a parameter file (its first 660 bytes) as the tool shows it
after opening the file: the length word is taken as 660, the checksum is verified and the
block is normalised first. UTF-8, one line per summary line.)";
constexpr std::string_view kFooter =
    "exit status: 0 printed, 1 file missing, too short or unreadable, 2 checksum mismatch";
constexpr std::string_view kChineseDescription =
    R"(显示参数文件（它的前 660 字节）的参数摘要，与本工具打开文件后显示的一样：长度字按 660
处理，先验证校验和并规范化参数块。UTF-8，摘要的每行一行。)";
constexpr std::string_view kChineseFooter =
    R"(退出状态：0 已显示，1 文件不存在、太短或无法读取，2 校验和不符)";

class SummaryCommand final : public BlockFileCommand {
 protected:
  int RunOn(dtu::ParameterBlock block, ConsoleMessages& messages) override {
    return PrintLoadedSummary(kName, block, messages);
  }
};

const RegisterCommand<SummaryCommand> kRegistered{
    {kName, "print the parameter summary of a parameter file", kDescription, kFooter,
     "显示参数文件的参数摘要", kChineseDescription, kChineseFooter}};

}  // namespace
}  // namespace dtuctl
