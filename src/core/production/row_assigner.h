#pragma once

#include <mutex>
#include <string>
#include <vector>

#include "core/production/provision_log.h"
#include "core/production/unit_result.h"
#include "core/production/unit_table.h"

namespace dtu {

// Hands the rows of the units' table to the units that turn up, on any port (thread-safe).
//
// A unit gets, in this order of preference: the row holding its module serial in `gsn`; the
// row an earlier run logged it ok with (so that a run stopped and started again gives every
// unit its row again); the first row in file order that has no `gsn`, is not done and is not
// being worked on. A row is done once a unit has ended ok or skipped with it, in this run or an
// earlier one; a row whose unit failed is free again.
class RowAssigner {
 public:
  struct Claim {
    const UnitRow* row = nullptr;  // nullptr: none for this unit (see `why_none`)
    bool done_before = false;      // the log has this unit ended well with this row
    std::string why_none;
  };

  // `rows` must outlive the assigner.
  RowAssigner(const std::vector<UnitRow>& rows, const std::vector<LoggedSuccess>& history);

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
  };

  Slot* FindLine(int line);
  bool LoggedWell(const UnitIdentity& unit, int line) const;
  Claim Take(Slot& slot, const UnitIdentity& unit);

  std::vector<LoggedSuccess> history_;
  mutable std::mutex mutex_;
  std::vector<Slot> slots_;  // guarded by mutex_
};

}  // namespace dtu
