#pragma once

#include <string>
#include <string_view>

#include "core/device/unit_identity.h"
#include "core/production/unit_result.h"
#include "core/production/unit_table.h"

namespace dtu {

// Where the units of a production run get their rows: the run's own memory over the log
// (RowAssigner) or the production record that several stations share (RecordedRun). Any
// thread.
class RowSource {
 public:
  struct Claim {
    const UnitRow* row = nullptr;  // nullptr: none for this unit (see `refusal`, `why_none`)
    bool done_before = false;      // the unit has ended well with this row before
    // For a unit done before: whether it is written again when its block differs from its
    // row's (the log's run), or left as it is whatever it holds (the record keeps one ok
    // result per unit and batch).
    bool rewrite_when_changed = true;
    UnitResult refusal = UnitResult::NoRow;  // NoRow, Unidentified, or NotRecorded
    std::string why_none;
  };

  virtual ~RowSource() = default;

  // Picks the row for a unit reporting `firmware` on `port` and marks it as being worked on.
  virtual Claim ClaimRow(const UnitIdentity& unit, std::string_view firmware,
                         std::string_view port) = 0;
  // The unit working on `row` has ended with `result`.
  virtual void Finish(const UnitRow& row, UnitResult result) = 0;
  // True once every row is done.
  virtual bool AllDone() = 0;
  // True once results can no longer be kept: a unit that got its row is then left unwritten.
  virtual bool Broken() const { return false; }
};

}  // namespace dtu
