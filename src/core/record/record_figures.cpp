#include "core/record/record_figures.h"

#include <algorithm>
#include <cmath>

namespace dtu {
namespace {

std::size_t IndexOf(RecordOutcome outcome) {
  return static_cast<std::size_t>(std::ranges::find(kRecordOutcomes, outcome) -
                                  kRecordOutcomes.begin());
}

}  // namespace

int StationFigures::count(RecordOutcome outcome) const {
  return counts[IndexOf(outcome)];
}

StationFigures ComputeFigures(std::string station, const std::vector<FigureSample>& samples) {
  StationFigures figures;
  figures.station = std::move(station);
  figures.results = static_cast<int>(samples.size());
  std::vector<std::chrono::milliseconds> ok_times;
  int attempts = 0;
  for (const FigureSample& sample : samples) {
    ++figures.counts[IndexOf(sample.outcome)];
    if (WasAttempt(sample.outcome)) ++attempts;
    if (sample.outcome == RecordOutcome::Ok) ok_times.push_back(sample.duration);
  }
  if (attempts > 0) figures.yield = static_cast<double>(ok_times.size()) / attempts;
  if (!ok_times.empty()) {
    std::ranges::sort(ok_times);
    const std::size_t n = ok_times.size();
    figures.median = n % 2 == 1 ? ok_times[n / 2] : (ok_times[n / 2 - 1] + ok_times[n / 2]) / 2;
    const auto rank = static_cast<std::size_t>(std::ceil(0.95 * static_cast<double>(n)));
    figures.p95 = ok_times[std::max<std::size_t>(rank, 1) - 1];
  }
  if (!samples.empty()) {
    RecordTime first = samples.front().started;
    RecordTime last = samples.front().started + samples.front().duration;
    for (const FigureSample& sample : samples) {
      first = std::min(first, sample.started);
      last = std::max(last, sample.started + sample.duration);
    }
    const auto span = std::chrono::duration<double>(last - first).count();
    if (span >= 1.0) figures.units_per_hour = static_cast<double>(ok_times.size()) * 3600.0 / span;
  }
  return figures;
}

}  // namespace dtu
