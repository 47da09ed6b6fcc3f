#pragma once

#include <array>
#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/record/record_entries.h"
#include "core/record/record_outcome.h"

namespace dtu {

// What a report covers: one batch or all, and the results started at `since` or later.
struct ReportFilter {
  std::optional<std::int64_t> batch_id;
  std::optional<RecordTime> since;
};

// One result as the figures need it.
struct FigureSample {
  RecordOutcome outcome = RecordOutcome::Ok;
  RecordTime started;
  std::chrono::milliseconds duration{0};
};

// A station's figures in one batch.
struct StationFigures {
  std::string station;
  std::array<int, kRecordOutcomes.size()> counts{};  // by outcome, in kRecordOutcomes' order
  int results = 0;
  // Ok among the units that were sent their block (ok, rejected, mismatch, no answer,
  // vanished); nothing when none was.
  std::optional<double> yield;
  // The time an ok unit took: the median and the 95th percentile (nearest rank).
  std::optional<std::chrono::milliseconds> median;
  std::optional<std::chrono::milliseconds> p95;
  // Ok units per hour, from the first result's start to the last one's end; nothing over less
  // than a second.
  std::optional<double> units_per_hour;

  int count(RecordOutcome outcome) const;
};

struct BatchReport {
  BatchInfo batch;
  std::vector<StationFigures> stations;  // by name
};

StationFigures ComputeFigures(std::string station, const std::vector<FigureSample>& samples);

}  // namespace dtu
