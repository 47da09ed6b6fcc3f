#pragma once

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstddef>
#include <vector>

namespace dtu::bench {

// A 921,600-baud line with one start and one stop bit carries 92,160 bytes per second: the
// fastest line the tool offers, and the yardstick every figure is given against.
inline constexpr double kFastestLineBytesPerSecond = 921600.0 / 10.0;

// Records the bytes handled per iteration as a rate and as a multiple of the fastest line.
inline void ReportLineRate(benchmark::State& state, std::size_t bytes_per_iteration) {
  const auto bytes = static_cast<double>(bytes_per_iteration);
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                          static_cast<std::int64_t>(bytes_per_iteration));
  state.counters["x_921600_baud"] = benchmark::Counter(
      bytes / kFastestLineBytesPerSecond, benchmark::Counter::kIsIterationInvariantRate);
}

// Five repetitions, reported each and as mean, median, spread, min and max: the figures in
// docs/performance.md are the median and the range.
inline void WithRange(benchmark::internal::Benchmark* benchmark) {
  benchmark->Repetitions(5)
      ->ComputeStatistics("min",
                          [](const std::vector<double>& v) { return *std::ranges::min_element(v); })
      ->ComputeStatistics(
          "max", [](const std::vector<double>& v) { return *std::ranges::max_element(v); });
}

}  // namespace dtu::bench
