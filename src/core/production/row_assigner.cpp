#include "core/production/row_assigner.h"

#include <algorithm>

namespace dtu {

RowAssigner::RowAssigner(const std::vector<UnitRow>& rows,
                         const std::vector<LoggedSuccess>& history)
    : history_(history) {
  for (const UnitRow& row : rows) {
    const bool done = std::ranges::any_of(
        history, [&](const LoggedSuccess& success) { return success.row_line == row.line; });
    slots_.push_back({&row, done ? State::Done : State::Free});
  }
}

RowAssigner::Slot* RowAssigner::FindLine(int line) {
  const auto found =
      std::ranges::find_if(slots_, [&](const Slot& s) { return s.row->line == line; });
  return found == slots_.end() ? nullptr : &*found;
}

bool RowAssigner::LoggedWell(const UnitIdentity& unit, int line) const {
  return unit.known() && std::ranges::any_of(history_, [&](const LoggedSuccess& success) {
           return success.unit == unit && success.row_line == line;
         });
}

RowAssigner::Claim RowAssigner::Take(Slot& slot, const UnitIdentity& unit) {
  if (slot.state == State::Busy)
    return {nullptr, false, "第 " + std::to_string(slot.row->line) + " 行正在另一个端口上使用"};
  slot.state = State::Busy;
  return {slot.row, LoggedWell(unit, slot.row->line), {}};
}

RowAssigner::Claim RowAssigner::ClaimRow(const UnitIdentity& unit) {
  std::lock_guard lock(mutex_);
  if (!unit.module_serial.empty()) {
    for (Slot& slot : slots_)
      if (slot.row->gsn == unit.module_serial) return Take(slot, unit);
  }
  if (unit.known()) {
    // The latest row an earlier run gave this unit, if it is still one for any unit.
    for (auto it = history_.rbegin(); it != history_.rend(); ++it) {
      if (it->unit != unit) continue;
      Slot* slot = FindLine(it->row_line);
      if (slot != nullptr && slot->row->gsn.empty()) return Take(*slot, unit);
      break;
    }
  }
  for (Slot& slot : slots_)
    if (slot.row->gsn.empty() && slot.state == State::Free) return Take(slot, unit);
  const bool keyed_only =
      std::ranges::all_of(slots_, [](const Slot& s) { return !s.row->gsn.empty(); });
  return {nullptr, false, keyed_only ? "表中没有这个单元的 gsn" : "表中的行都已用完或正在使用"};
}

void RowAssigner::Finish(const UnitRow& row, UnitResult result) {
  std::lock_guard lock(mutex_);
  if (Slot* slot = FindLine(row.line)) slot->state = Succeeded(result) ? State::Done : State::Free;
}

bool RowAssigner::AllDone() const {
  std::lock_guard lock(mutex_);
  return std::ranges::all_of(slots_, [](const Slot& s) { return s.state == State::Done; });
}

}  // namespace dtu
