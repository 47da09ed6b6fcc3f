#include "core/production/earlier_runs.h"

#include <algorithm>

#include "core/message_language.h"
#include "core/production/row_identity.h"

namespace dtu {
namespace {

const UnitRow* FindRow(const UnitTable& table, auto&& matches) {
  const auto found = std::ranges::find_if(table.rows, matches);
  return found == table.rows.end() ? nullptr : &*found;
}

std::string LogLine(const LoggedSuccess& success) {
  return Say("日志第 " + std::to_string(success.log_line) + " 行",
             "log line " + std::to_string(success.log_line));
}

// A line that names its row by the line alone is believed only where the row there is tied to
// the unit by its gsn: any other row may have moved since.
std::string KeyLineOnly(const UnitTable& table, LoggedSuccess& success) {
  const UnitRow* row = FindRow(table, [&](const UnitRow& r) { return r.line == success.row_line; });
  if (row != nullptr && !row->gsn.empty() && row->gsn == success.unit.module_serial) {
    success.row_key = row->key;
    return {};
  }
  const std::string line = std::to_string(success.row_line);
  return LogLine(success) +
         Say("由旧版本写成，只记了单元表的行号（第 " + line +
                 " 行），而表中这一行没有用 gsn 指明单元 " + UnitName(success.unit) +
                 "，无法确认它没有移动或改过：请换用新的日志文件，并先从单元表中删去这个日志里已完"
                 "成的行",
             " was written by an older version and names the table's row by its line alone (line " +
                 line + "), and that row does not name unit " + UnitName(success.unit) +
                 " by its gsn, so it cannot be told whether the row moved or changed: use a new "
                 "log, and first remove from the table the rows this log has done");
}

std::string CheckStillThere(const UnitTable& table, const LoggedSuccess& success) {
  if (IsKeyedRowKey(success.row_key) ||
      FindRow(table, [&](const UnitRow& r) { return r.key == success.row_key; }) != nullptr)
    return {};
  const std::string row = std::to_string(success.row_line);
  return LogLine(success) +
         Say("记下单元 " + UnitName(success.unit) + " 已按当时单元表的第 " + row +
                 " 行设置，但现在的表中没有值相同的行：这一行若是改过，就会交给另一个单元。请把它改"
                 "回原样；"
                 "若是有意删去已完成的行，请换用新的日志文件",
             " says unit " + UnitName(success.unit) + " was set from line " + row +
                 " of the table as it was then, but the table has no row with the same values "
                 "now: a changed row would go to another unit. Change it back; if the done rows "
                 "were removed on purpose, use a new log");
}

void NoteChanges(const UnitTable& table, const std::vector<LoggedSuccess>& successes,
                 std::vector<std::string>& notes) {
  const auto last =
      std::ranges::find_if(successes.rbegin(), successes.rend(),
                           [](const LoggedSuccess& s) { return !s.table_fingerprint.empty(); });
  if (last == successes.rend()) return;
  if (last->table_fingerprint != table.fingerprint)
    notes.push_back(Say("单元表在以前的运行之后改过（指纹 " + last->table_fingerprint + " → " +
                            table.fingerprint + "），以前交出的行都还在表中",
                        "the table changed since the earlier runs (fingerprint " +
                            last->table_fingerprint + " -> " + table.fingerprint +
                            "); the rows they handed out are all still in it"));
  if (!last->template_fingerprint.empty() &&
      last->template_fingerprint != table.template_fingerprint)
    notes.push_back(Say("模板与以前的运行不同（指纹 " + last->template_fingerprint + " → " +
                            table.template_fingerprint +
                            "）：以前设置好的单元再接上时，会按新模板重写",
                        "the template differs from the earlier runs' (fingerprint " +
                            last->template_fingerprint + " -> " + table.template_fingerprint +
                            "): a unit set up before is written again from the new template "
                            "when it comes back"));
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
