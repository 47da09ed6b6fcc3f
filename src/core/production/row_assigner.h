#pragma once

#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "core/production/provision_log.h"
#include "core/production/unit_result.h"
#include "core/production/unit_table.h"

namespace dtu {

// Hands the rows of the units' table to the units that turn up, on any port (thread-safe).
// Rows are told apart by their keys, so a row inserted into the table between two runs is one
// more row, and every other row keeps its unit.
//
// A unit gets, in this order of preference: the row holding its module serial in `gsn`; the
// row it ended well with before, in this run or an earlier one (so that a run stopped and
// started again, or a unit seated again, gives every unit its row again); the first row in
// file order that has no `gsn` and no unit yet. A row is done once a unit has ended ok or
// skipped with it; a row whose unit failed is free again, unless a unit ended well with it
// before: then it stays that unit's. A unit that ended well with a row no longer in the table
// gets none. A unit that reports no serial cannot be told apart from the next one, and gets a
// row only when every row is in file order and each unit is taken once in the run.
class RowAssigner {
 public:
  struct Claim {
    const UnitRow* row = nullptr;  // nullptr: none for this unit (see `refusal`, `why_none`)
    bool done_before = false;      // the unit has ended well with this row before
    UnitResult refusal = UnitResult::NoRow;  // NoRow or Unidentified
    std::string why_none;
  };

  // `table` must outlive the assigner; `history` holds the successes of earlier runs, each
  // with its row key (EarlierRuns). `each_unit_once`: a unit is taken once in this run and not
  // recognised again (one unit per port), so one without a serial may have a row in file order.
  RowAssigner(const UnitTable& table, std::vector<LoggedSuccess> history, bool each_unit_once);

  // Picks the row for a unit and marks it as being worked on.
  Claim ClaimRow(const UnitIdentity& unit);

  // The unit working on `row` has ended with `result`.
  void Finish(const UnitRow& row, UnitResult result);

  // True once every row is done.
  bool AllDone() const;

 private:
  enum class State { Free, Busy, Done };
  struct Slot {
    const UnitRow* row;
    State state;
    bool held;              // a unit has ended well with it
    UnitIdentity claimant;  // the unit working on it, while Busy
  };

  Slot* FindKey(const std::string& key);
  bool EndedWell(const UnitIdentity& unit, const std::string& key) const;
  Claim Take(Slot& slot, const UnitIdentity& unit);
  std::optional<Claim> ClaimEarlierRow(const UnitIdentity& unit);
  Claim None(std::string why) const;

  bool may_take_unidentified_;
  mutable std::mutex mutex_;
  std::vector<LoggedSuccess> history_;  // guarded by mutex_; grows with this run's successes
  std::vector<Slot> slots_;             // guarded by mutex_
};

}  // namespace dtu
