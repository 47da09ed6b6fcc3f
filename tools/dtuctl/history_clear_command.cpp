// dtuctl history clear [UNIT]: removes the history's entries, of every unit or of one.
// Every text of this command is here.
#include <CLI/CLI.hpp>

#include "command_support.h"
#include "core/message_language.h"
#include "history_commands.h"

namespace dtuctl {
namespace {

constexpr std::string_view kName = "clear";
constexpr std::string_view kDescription =
    R"(Removes every entry of the history or, with UNIT (a module serial, a board serial or an
unknown unit's port), that unit's entries. Their blocks are overwritten in the file, not
only forgotten. Prints how many entries went.)";
constexpr std::string_view kFooter =
    R"(exit status: 0 cleared (also when there was nothing), 1 bad usage or unwritable output,
10 not a history or one of a newer version, 11 the history cannot be written (read-only,
locked), 12 the history has no entry of UNIT)";
constexpr std::string_view kChineseDescription =
    R"(删除历史中的所有条目，或在给出 UNIT（模块序列号、板卡序列号或未知单元的端口）时删除该
单元的条目。它们的参数块在文件中被覆盖，而不只是被遗忘。显示删除了多少个条目。)";
constexpr std::string_view kChineseFooter =
    R"(退出状态：0 已清除（没有可清除的也是），1 用法有误或无法写出输出，10 不是历史文件或是更新
版本的，11 历史无法写入（只读、被锁定），12 历史中没有 UNIT 的条目)";
std::string UnitHelp() {
  return dtu::Say("模块序列号、板卡序列号或未知单元的端口",
                  "a module serial, a board serial or an unknown unit's port");
}

std::string Removed(int count, const std::string& file) {
  const std::string n = std::to_string(count);
  return dtu::Say("已从 " + file + " 删除 " + n + " 个条目",
                  "removed " + n + (count == 1 ? " entry" : " entries") + " from " + file) +
         "\n";
}

class ClearCommand final : public Command {
 public:
  void Define(CLI::App& parser) override {
    parser.add_option("UNIT", unit_, UnitHelp());
    AddHistoryOption(parser, history_);
  }

  int Run() override {
    const auto history = HistoryAt(history_);
    int removed = 0;
    if (const dtu::HistoryError error = history->Clear(unit_, removed); !error.ok())
      return HistoryFailed(kName, error);
    if (removed == 0 && !unit_.empty()) return NoEntryOf(kName, unit_);
    return WriteToStdout("history clear", Removed(removed, history->path().string()))
               ? kExitOk
               : kExitFailure;
  }

 private:
  std::string unit_;
  std::string history_;
};

const RegisterHistoryCommand<ClearCommand> kRegistered{
    {kName, "remove the entries of every unit, or of one", kDescription, kFooter,
     "删除所有单元或一个单元的条目", kChineseDescription, kChineseFooter}};

}  // namespace
}  // namespace dtuctl
