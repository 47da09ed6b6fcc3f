#include "core/production/row_assigner.h"

#include <algorithm>

#include "core/message_language.h"

namespace dtu {

RowAssigner::RowAssigner(const UnitTable& table, std::vector<LoggedSuccess> history,
                         bool each_unit_once)
    : may_take_unidentified_(each_unit_once && table.in_file_order()),
      history_(std::move(history)) {
  for (const UnitRow& row : table.rows) {
    const bool held = std::ranges::any_of(
        history_, [&](const LoggedSuccess& success) { return success.row_key == row.key; });
    slots_.push_back({&row, held ? State::Done : State::Free, held, {}});
  }
}

RowAssigner::Slot* RowAssigner::FindKey(const std::string& key) {
  const auto found = std::ranges::find_if(slots_, [&](const Slot& s) { return s.row->key == key; });
  return found == slots_.end() ? nullptr : &*found;
}

bool RowAssigner::EndedWell(const UnitIdentity& unit, const std::string& key) const {
  return unit.known() && std::ranges::any_of(history_, [&](const LoggedSuccess& success) {
           return success.unit == unit && success.row_key == key;
         });
}

RowAssigner::Claim RowAssigner::None(std::string why) const {
  return {nullptr, false, true, UnitResult::NoRow, std::move(why)};
}

RowAssigner::Claim RowAssigner::Take(Slot& slot, const UnitIdentity& unit) {
  if (slot.state == State::Busy)
    return None(Say("第 " + std::to_string(slot.row->line) + " 行正在另一个端口上使用",
                    "line " + std::to_string(slot.row->line) + " is in use on another port"));
  slot.state = State::Busy;
  slot.claimant = unit;
  return {slot.row, EndedWell(unit, slot.row->key), true, UnitResult::NoRow, {}};
}

// The latest row the unit ended well with, if it did with any.
std::optional<RowAssigner::Claim> RowAssigner::ClaimEarlierRow(const UnitIdentity& unit) {
  const auto latest = std::ranges::find_if(history_.rbegin(), history_.rend(),
                                           [&](const LoggedSuccess& s) { return s.unit == unit; });
  if (latest == history_.rend()) return std::nullopt;
  Slot* slot = FindKey(latest->row_key);
  if (slot == nullptr)
    return None(Say("以前已按第 " + std::to_string(latest->row_line) +
                        " 行设置过这个单元，单元表中已没有这一行",
                    "this unit was set from line " + std::to_string(latest->row_line) +
                        " before, and the table no longer has that row"));
  return Take(*slot, unit);
}

RowAssigner::Claim RowAssigner::ClaimRow(const UnitIdentity& unit) {
  std::lock_guard lock(mutex_);
  if (!unit.known() && !may_take_unidentified_)
    return {nullptr, false, true, UnitResult::Unidentified,
            Say("单元没有报告模块序列号（GSN）和板卡序列号（XuLieHao），无法与别的单元区分，"
                "每次接上都会再拿走一行；只有单元表全按文件顺序（没有 gsn）并且加上 --once "
                "（每个单元在这次运行中只接一次）时，才把下一行给这样的单元",
                "the unit reports neither a module serial (GSN) nor a board serial (XuLieHao), "
                "so it cannot be told from other units and would take another row each time it "
                "is put on; such a unit gets the next row only when the whole table is in file "
                "order (no gsn) and --once is given (each unit put on once in this run)")};
  if (!unit.module_serial.empty()) {
    for (Slot& slot : slots_)
      if (slot.row->gsn == unit.module_serial) return Take(slot, unit);
  }
  if (unit.known()) {
    if (std::optional<Claim> earlier = ClaimEarlierRow(unit)) return *earlier;
  }
  for (Slot& slot : slots_)
    if (slot.row->gsn.empty() && slot.state == State::Free && !slot.held) return Take(slot, unit);
  const bool keyed_only =
      std::ranges::all_of(slots_, [](const Slot& s) { return !s.row->gsn.empty(); });
  return None(
      keyed_only
          ? Say("表中没有这个单元的 gsn", "the table has no row with this unit's gsn")
          : Say("表中的行都已用完或正在使用", "every row of the table is used up or in use"));
}

void RowAssigner::Finish(const UnitRow& row, UnitResult result) {
  std::lock_guard lock(mutex_);
  Slot* slot = FindKey(row.key);
  if (slot == nullptr) return;
  if (Succeeded(result)) {
    slot->state = State::Done;
    slot->held = true;
    history_.push_back({slot->claimant, row.line, row.key, {}, {}, 0});
  } else {
    slot->state = State::Free;
  }
}

bool RowAssigner::AllDone() {
  std::lock_guard lock(mutex_);
  return std::ranges::all_of(slots_, [](const Slot& s) { return s.state == State::Done; });
}

}  // namespace dtu
