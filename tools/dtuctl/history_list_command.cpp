// dtuctl history list [UNIT] [--json]: the units the history holds, or one unit's entries.
// Every text of this command is here.
#include <CLI/CLI.hpp>

#include <algorithm>

#include "command_support.h"
#include "core/history/history_export.h"
#include "core/message_language.h"
#include "core/record/record_time.h"
#include "core/text/utf8_text.h"
#include "history_commands.h"

namespace dtuctl {
namespace {

constexpr std::string_view kName = "list";
constexpr std::string_view kDescription =
    R"(Without UNIT, lists the units the history holds, the one seen longest ago first: board
serial ("XuLieHao:"), module serial ("GSN:"), when last seen and how many entries; a unit
that reported neither serial is an unknown unit, listed with its port. With UNIT (a module
serial, a board serial or an unknown unit's port), lists that unit's entries in the order
they were kept: id, time, what happened (read, written, refused by the unit, verified by a
read back), port and firmware; identical consecutive reads are one entry, with their count
and the time of the first. With --json, prints the entries of UNIT (or of every unit) as a
JSON array, oldest first, each with id, board_serial, module_serial, unknown_unit, port,
firmware, event, time, time_ms, first_time, count and block (1,320 hex digits).)";
constexpr std::string_view kFooter =
    R"(exit status: 0 listed (also an empty history), 1 bad usage or unwritable output, 10 not
a history or one of a newer version, 11 the history cannot be read (locked), 12 the history
has no entry of UNIT)";
constexpr std::string_view kChineseDescription =
    R"(不给 UNIT 时，列出历史中的单元，最久未见的在前：板卡序列号（"XuLieHao:"）、模块序列号
（"GSN:"）、最后见到的时间和条目数；两个序列号都没有报告的单元是未知单元，和它的端口一起
列出。给出 UNIT（模块序列号、板卡序列号或未知单元的端口）时，按保存的顺序列出该单元的条目：
编号、时间、所发生的事（read 读取、written 写入、refused 被单元拒绝、verified 经读回验证）、
端口和固件；相同的连续读取是一个条目，带次数和第一次的时间。用 --json 时，把 UNIT（或所有
单元）的条目显示为 JSON 数组，最早的在前，每个都有 id、board_serial、module_serial、
unknown_unit、port、firmware、event、time、time_ms、first_time、count 和 block（1,320 位
十六进制数字）。)";
constexpr std::string_view kChineseFooter =
    R"(退出状态：0 已列出（历史为空也是），1 用法有误或无法写出输出，10 不是历史文件或是更新版本
的，11 历史无法读取（被锁定），12 历史中没有 UNIT 的条目)";
std::string UnitHelp() {
  return dtu::Say("模块序列号、板卡序列号或未知单元的端口",
                  "a module serial, a board serial or an unknown unit's port");
}
std::string JsonHelp() {
  return dtu::Say("以 JSON 数组显示条目，最早的在前", "the entries as a JSON array, oldest first");
}
std::vector<std::string> UnitsHeader() {
  return {dtu::Say("板卡序列号", "board serial"), dtu::Say("模块序列号", "module serial"),
          dtu::Say("最后见到", "last seen"), dtu::Say("条目数", "entries")};
}

std::string Entries(std::size_t count) {
  const std::string number = std::to_string(count);
  return dtu::Say(number + " 个条目", number + (count == 1 ? " entry" : " entries"));
}

std::string ReadsSince(const dtu::HistoryEntry& entry) {
  const std::string count = std::to_string(entry.count);
  const std::string since = dtu::FormatRecordTime(entry.first_time);
  return dtu::Say("自 " + since + " 起读取 " + count + " 次", count + " reads since " + since);
}

// Rows of cells as columns two spaces apart, each as wide as its widest cell on a terminal (a
// Chinese heading takes two columns a character), after `indent`.
std::string Table(const std::vector<std::vector<std::string>>& rows, std::string_view indent) {
  std::vector<std::size_t> widths;
  for (const auto& row : rows)
    for (std::size_t c = 0; c < row.size(); ++c) {
      widths.resize(std::max(widths.size(), row.size()));
      widths[c] = std::max(widths[c], dtu::TerminalColumns(row[c]));
    }
  std::string text;
  for (const auto& row : rows) {
    std::string line(indent);
    for (std::size_t c = 0; c < row.size(); ++c) {
      line += row[c];
      if (c + 1 < row.size())
        line += std::string(widths[c] - dtu::TerminalColumns(row[c]) + 2, ' ');
    }
    while (!line.empty() && line.back() == ' ') line.pop_back();
    text += line + "\n";
  }
  return text;
}

std::string UnitsText(const std::vector<dtu::HistoryUnitInfo>& units) {
  std::vector<std::vector<std::string>> rows{UnitsHeader()};
  for (const dtu::HistoryUnitInfo& info : units) {
    std::vector<std::string> row{
        SerialText(info.unit.board_serial), SerialText(info.unit.module_serial),
        dtu::FormatRecordTime(info.last_seen), std::to_string(info.entries)};
    if (!info.unit.known()) row.push_back(UnitText(info.unit));
    rows.push_back(std::move(row));
  }
  return Table(rows, "");
}

// Each unit's entries under a line naming it, the units in the order of their first entry.
std::string EntriesText(const std::vector<dtu::HistoryEntry>& entries) {
  std::vector<dtu::HistoryUnit> units;
  for (const dtu::HistoryEntry& entry : entries)
    if (std::ranges::find(units, entry.unit) == units.end()) units.push_back(entry.unit);
  std::string text;
  for (const dtu::HistoryUnit& unit : units) {
    std::vector<std::vector<std::string>> rows;
    for (const dtu::HistoryEntry& e : entries) {
      if (e.unit != unit) continue;
      std::vector<std::string> row{std::to_string(e.id), dtu::FormatRecordTime(e.time),
                                   std::string(dtu::HistoryEventName(e.event)), e.port,
                                   SerialText(e.firmware)};
      if (e.count > 1) row.push_back(ReadsSince(e));
      rows.push_back(std::move(row));
    }
    text += UnitText(unit) + dtu::Say("：", ": ") + Entries(rows.size()) + "\n" + Table(rows, "  ");
  }
  return text;
}

class ListCommand final : public Command {
 public:
  void Define(CLI::App& parser) override {
    parser.add_option("UNIT", unit_, UnitHelp());
    parser.add_flag("--json", json_, JsonHelp());
    AddHistoryOption(parser, history_);
  }

  int Run() override {
    const auto history = HistoryAt(history_);
    std::string text;
    if (unit_.empty() && !json_) {
      std::vector<dtu::HistoryUnitInfo> units;
      if (const dtu::HistoryError error = history->Units(units); !error.ok())
        return HistoryFailed(kName, error);
      if (units.empty()) {
        HistoryComplain(
            kName, dtu::Say("历史中还没有设备（" + history->path().string() + "）",
                            "the history holds no unit yet (" + history->path().string() + ")"));
        return kExitOk;
      }
      text = UnitsText(units);
    } else {
      std::vector<dtu::HistoryEntry> entries;
      if (const dtu::HistoryError error = history->Entries(unit_, entries); !error.ok())
        return HistoryFailed(kName, error);
      if (entries.empty() && !unit_.empty()) return NoEntryOf(kName, unit_);
      text = json_ ? dtu::HistoryJson(entries) : EntriesText(entries);
    }
    return WriteToStdout("history list", text) ? kExitOk : kExitFailure;
  }

 private:
  std::string unit_;
  bool json_ = false;
  std::string history_;
};

const RegisterHistoryCommand<ListCommand> kRegistered{
    {kName, "the units seen, or one unit's entries (--json: as JSON)", kDescription, kFooter,
     "见过的单元，或一个单元的条目（--json：JSON 形式）", kChineseDescription, kChineseFooter}};

}  // namespace
}  // namespace dtuctl
