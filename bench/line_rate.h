#pragma once

#include <benchmark/benchmark.h>

#include <cstddef>

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

}  // namespace dtu::bench
