#pragma once

#include <chrono>
#include <cstdint>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>

#include "core/production/row_source.h"
#include "core/production/unit_attempt.h"
#include "core/production/unit_table.h"
#include "core/record/production_record.h"

namespace dtu {

// The batch a run works on in the production record: its template, and the rows of its table
// as the record keeps them.
BatchStart BatchStartOf(const UnitTable& table, const ParameterBlock& template_block,
                        std::string table_name, std::string operator_name, std::string station);

// A production run that keeps its units in the production record, which several stations may
// share: a unit's row is claimed there (the row it holds, the row of its module serial, else the
// next free row), and its result is recorded there before the unit is reported. Once the record
// cannot be written the run is to end: no unit gets a row after that. Any thread.
class RecordedRun final : public RowSource {
 public:
  // `record` and `table` must outlive the run; `batch_id` is the batch StartBatch gave.
  RecordedRun(ProductionRecord& record, const UnitTable& table, std::int64_t batch_id,
              std::string station);

  Claim ClaimRow(const UnitIdentity& unit, std::string_view firmware,
                 std::string_view port) override;
  // The record frees or keeps the row as it records the result.
  void Finish(const UnitRow&, UnitResult) override {}
  // True once no row of the batch is left for any station (asked of the record at most once
  // per kRowsLeftInterval).
  bool AllDone() override;
  bool Broken() const override { return failed(); }

  // Records the attempt; false, and the failure kept, when it could not be recorded.
  bool Record(const UnitAttempt& attempt);

  bool failed() const;
  // The first failure of the record; ok() while there was none.
  RecordError failure() const;

  static constexpr std::chrono::milliseconds kRowsLeftInterval{1000};

 private:
  bool Failed(RecordError error);

  ProductionRecord& record_;
  const std::int64_t batch_id_;
  const std::string station_;
  std::map<std::string, const UnitRow*, std::less<>> rows_;  // by key
  mutable std::mutex mutex_;
  RecordError failure_;                                         // guarded by mutex_
  std::optional<std::chrono::steady_clock::time_point> asked_;  // guarded by mutex_
  bool all_done_ = false;                                       // guarded by mutex_
};

// The record's name of an outcome of the log's.
RecordOutcome RecordOutcomeOf(UnitResult result);

}  // namespace dtu
