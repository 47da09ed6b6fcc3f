// dtuctl history show ID [-o FILE]: the block of one history entry, as a summary or a file.
// Every text of this command is here.
#include <CLI/CLI.hpp>

#include "block_text_support.h"
#include "command_support.h"
#include "console_messages.h"
#include "core/message_language.h"
#include "history_commands.h"

namespace dtuctl {
namespace {

constexpr std::string_view kName = "show";
constexpr std::string_view kDescription =
    R"(Prints the summary of the block of history entry ID, as 'dtuctl summary' prints a
parameter file's. With -o, saves the block as a parameter file instead.)";
constexpr std::string_view kOutputHelp =
    R"(save the block as the parameter file FILE: the unit's bytes, the
length word set as a loaded block's (an existing file is
overwritten from its start and not shortened, as the tool saves))";
constexpr std::string_view kFooter =
    R"(exit status: 0 shown or saved, 1 bad usage, FILE not written or unwritable output, 2 the
block's checksum does not match, 10 not a history or one of a newer version, 11 the history
cannot be read (locked), 12 no such entry)";
constexpr std::string_view kChineseDescription =
    R"(显示历史条目 ID 的参数块的摘要，与 'dtuctl summary' 显示参数文件的摘要一样。用 -o 时，
改为把参数块保存为参数文件。)";
constexpr std::string_view kChineseFooter =
    R"(退出状态：0 已显示或已保存，1 用法有误、FILE 未写出或无法写出输出，2 参数块的校验和不符，
10 不是历史文件或是更新版本的，11 历史无法读取（被锁定），12 没有这个条目)";

class ShowCommand final : public Command {
 public:
  void Define(CLI::App& parser) override {
    AddEntryOperand(parser, "ID", id_);
    AddOutputOption(parser, output_,
                    dtu::Say("把参数块存为参数文件 FILE：单元的字节，长度字按载入的参数块\n"
                             "设置（已有的文件从头改写，不会变短，与本工具保存时一样）",
                             std::string(kOutputHelp)));
    AddHistoryOption(parser, history_);
  }

  int Run() override {
    int status = kExitOk;
    const auto entry = FindEntry(kName, *HistoryAt(history_), id_, status);
    if (!entry) return status;
    ConsoleMessages messages;
    if (!output_.empty())
      return SaveUnitBlock(output_, entry->block, messages) ? kExitOk : kExitFailure;
    return PrintLoadedSummary("history show", entry->block, messages);
  }

 private:
  std::int64_t id_ = 0;
  std::string output_;
  std::string history_;
};

const RegisterHistoryCommand<ShowCommand> kRegistered{
    {kName, "an entry's block: its summary, or a parameter file (-o)", kDescription, kFooter,
     "条目的参数块：摘要，或参数文件（-o）", kChineseDescription, kChineseFooter}};

}  // namespace
}  // namespace dtuctl
