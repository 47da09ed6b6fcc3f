#include "core/production/earlier_runs.h"

#include <algorithm>

#include "core/production/row_identity.h"

namespace dtu {
namespace {

const UnitRow* FindRow(const UnitTable& table, auto&& matches) {
  const auto found = std::ranges::find_if(table.rows, matches);
  return found == table.rows.end() ? nullptr : &*found;
}

std::string LogLine(const LoggedSuccess& success) {
  return "日志第 " + std::to_string(success.log_line) + " 行";
}

// A line that names its row by the line alone is believed only where the row there is tied to
// the unit by its gsn: any other row may have moved since.
std::string KeyLineOnly(const UnitTable& table, LoggedSuccess& success) {
  const UnitRow* row = FindRow(table, [&](const UnitRow& r) { return r.line == success.row_line; });
  if (row != nullptr && !row->gsn.empty() && row->gsn == success.unit.module_serial) {
    success.row_key = row->key;
    return {};
  }
  return LogLine(success) + "由旧版本写成，只记了单元表的行号（第 " +
         std::to_string(success.row_line) + " 行），而表中这一行没有用 gsn 指明单元 " +
         UnitName(success.unit) +
         "，无法确认它没有移动或改过：请换用新的日志文件，并先从单元表中删去这个日志里已完成的行";
}

std::string CheckStillThere(const UnitTable& table, const LoggedSuccess& success) {
  if (IsKeyedRowKey(success.row_key) ||
      FindRow(table, [&](const UnitRow& r) { return r.key == success.row_key; }) != nullptr)
    return {};
  return LogLine(success) + "记下单元 " + UnitName(success.unit) + " 已按当时单元表的第 " +
         std::to_string(success.row_line) +
         " 行设置，但现在的表中没有值相同的行：这一行若是改过，就会交给另一个单元。请把它改回原样；"
         "若是有意删去已完成的行，请换用新的日志文件";
}

void NoteChanges(const UnitTable& table, const std::vector<LoggedSuccess>& successes,
                 std::vector<std::string>& notes) {
  const auto last =
      std::ranges::find_if(successes.rbegin(), successes.rend(),
                           [](const LoggedSuccess& s) { return !s.table_fingerprint.empty(); });
  if (last == successes.rend()) return;
  if (last->table_fingerprint != table.fingerprint)
    notes.push_back("单元表在以前的运行之后改过（指纹 " + last->table_fingerprint + " → " +
                    table.fingerprint + "），以前交出的行都还在表中");
  if (!last->template_fingerprint.empty() &&
      last->template_fingerprint != table.template_fingerprint)
    notes.push_back("模板与以前的运行不同（指纹 " + last->template_fingerprint + " → " +
                    table.template_fingerprint + "）：以前设置好的单元再接上时，会按新模板重写");
}

}  // namespace

EarlierRuns ResumeEarlierRuns(const UnitTable& table, const std::vector<LoggedSuccess>& logged) {
  EarlierRuns runs;
  runs.successes = logged;
  for (LoggedSuccess& success : runs.successes) {
    runs.error =
        success.row_key.empty() ? KeyLineOnly(table, success) : CheckStillThere(table, success);
    if (!runs.ok()) {
      runs.successes.clear();
      return runs;
    }
  }
  NoteChanges(table, runs.successes, runs.notes);
  return runs;
}

}  // namespace dtu
