#pragma once

#include <chrono>
#include <optional>
#include <string>

#include "core/production/unit_result.h"

namespace dtu {

// The counts of the production window's bar: every unit's every attempt in this run by how it
// ended, counted as the record counts its results, and the ok units per hour since the run
// began.
class BatchCounts {
 public:
  using Clock = std::chrono::steady_clock;

  explicit BatchCounts(Clock::time_point started = Clock::now()) : started_(started) {}

  void Add(UnitResult result);

  int ok() const { return ok_; }
  int skipped() const { return skipped_; }
  int failed() const { return failed_; }
  // Ok units per hour from the start to `now`; nothing before a minute has passed or a unit is
  // ok.
  std::optional<double> UnitsPerHour(Clock::time_point now = Clock::now()) const;

  // "成功 3  失败 1  跳过 0  剩余 7 行  每小时 42 个"; rows left unknown: -1.
  std::string Text(int rows_left, Clock::time_point now = Clock::now()) const;

 private:
  Clock::time_point started_;
  int ok_ = 0;
  int skipped_ = 0;
  int failed_ = 0;
};

}  // namespace dtu
