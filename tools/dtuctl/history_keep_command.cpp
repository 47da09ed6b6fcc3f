// dtuctl history keep [N]: how many entries the history keeps of each unit.
// Every text of this command is here.
#include <CLI/CLI.hpp>

#include "command_support.h"
#include "history_commands.h"

namespace dtuctl {
namespace {

constexpr std::string_view kName = "keep";
constexpr std::string_view kDescription =
    R"(Without N, prints how many entries the history keeps of each unit: 100 unless set. With
N (1 to 100000), keeps that many from now on and removes each unit's older entries at
once. Beyond them a unit always keeps its newest read or verified entry and its newest
entry of a block it took, so the block it holds now is never lost. The number is kept in
the history file, for the window and dtuctl alike.)";
constexpr std::string_view kFooter =
    R"(exit status: 0 printed or set, 1 bad usage, N out of range or unwritable output, 10 not a
history or one of a newer version, 11 the history cannot be read or written (read-only,
locked))";
constexpr std::string_view kChineseDescription =
    R"(不给 N 时，显示历史为每个单元保留多少个条目：未设置时为 100。给出 N（1 到 100000）时，
从此保留这么多，并立即删除每个单元更早的条目。此外，单元总是保留它最新的读取或已验证条目，
以及它所接受的参数块的最新条目，所以它现在所持有的参数块永远不会丢失。这个数保存在历史
文件中，窗口和 dtuctl 都用它。)";
constexpr std::string_view kChineseFooter =
    R"(退出状态：0 已显示或已设置，1 用法有误、N 超出范围或无法写出输出，10 不是历史文件或是更新
版本的，11 历史无法读取或写入（只读、被锁定）)";
std::string CountHelp() {
  return dtu::Say("每个单元保留的条目数", "the entries to keep of each unit");
}

class KeepCommand final : public Command {
 public:
  void Define(CLI::App& parser) override {
    count_option_ = parser.add_option("N", count_, CountHelp());
    AddHistoryOption(parser, history_);
  }

  int Run() override {
    const auto history = HistoryAt(history_);
    if (count_option_->count() > 0) {
      const dtu::HistoryError error = history->SetKeptPerUnit(count_);
      return error.ok() ? kExitOk : HistoryFailed(kName, error);
    }
    int kept = 0;
    if (const dtu::HistoryError error = history->KeptPerUnit(kept); !error.ok())
      return HistoryFailed(kName, error);
    return WriteToStdout("history keep", std::to_string(kept) + "\n") ? kExitOk : kExitFailure;
  }

 private:
  CLI::Option* count_option_ = nullptr;
  int count_ = 0;
  std::string history_;
};

const RegisterHistoryCommand<KeepCommand> kRegistered{
    {kName, "how many entries the history keeps of each unit", kDescription, kFooter,
     "历史为每个单元保留多少个条目", kChineseDescription, kChineseFooter}};

}  // namespace
}  // namespace dtuctl
