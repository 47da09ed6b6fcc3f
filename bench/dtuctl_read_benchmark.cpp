// `dtuctl read` against the simulated unit pacing its answers at 921,600 baud, and beside it, in
// the same run and against the same unit, a shell client doing the same exchange: stty puts the
// terminal in raw mode, printf sends the command, head -c takes the reply's bytes. Each figure is
// the wall time of one whole run of a program, from its start to its end, as a multiple of the
// reply's time on the wire: 1 would mean no time at all beyond the line's.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "dtusim/default_block.h"
#include "dtusim/device_status.h"
#include "dtusim/reply_builder.h"
#include "line_rate.h"
#include "support/dtusim_process.h"
#include "support/run_process.h"

namespace {

constexpr unsigned kBaud = 921600;

// The unit both clients talk to, and what it answers "$$$AT+GETPARA?" with.
struct PacedUnit {
  PacedUnit() : sim(DTUSIM_PATH, {"--baud", std::to_string(kBaud)}) {
    dtusim::ReplyBuilder builder(dtusim::DeviceStatus{}, dtusim::FaultSet{});
    reply_size = builder.ParametersReply(dtusim::MakeDefaultBlock()).Text().size();
    wire_seconds = static_cast<double>(reply_size) * 10 / kBaud;
  }

  dtu::test::DtusimProcess sim;
  std::size_t reply_size = 0;
  double wire_seconds = 0;
};

PacedUnit& Unit() {
  static PacedUnit unit;
  return unit;
}

// One run of a program, in seconds; nothing when it failed.
std::optional<double> TimedRun(const std::vector<std::string>& argv, std::string& error) {
  const auto start = std::chrono::steady_clock::now();
  const dtu::test::ProcessResult run = dtu::test::RunProcess(argv);
  const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
  if (run.exit_status != 0) {
    error = argv.front() + " failed: " + run.err;
    return std::nullopt;
  }
  return took.count();
}

// Each iteration runs, one right after the other so that both meet the same machine: the shell
// client, then dtuctl read (the time measured), then /bin/true, the least any program started
// here costs. Counters, as multiples of the wire time: x_wire_time (dtuctl), shell_x_wire_time,
// and floor_x_wire_time, the wire time plus the start of /bin/true: what a client would take that
// cost nothing but its own start.
void BM_DtuctlRead(benchmark::State& state) {
  const PacedUnit& unit = Unit();
  if (unit.sim.port_path().empty()) {
    state.SkipWithError("the simulated unit did not start");
    return;
  }
  const char* script =
      R"(stty -F "$1" raw -echo 921600 && exec 3<>"$1" && printf '%s' '$$$AT+GETPARA?' >&3 &&
head -c "$2" <&3 >/dev/null)";
  const std::vector<std::string> shell = {
      "/bin/sh", "-c", script, "sh", unit.sim.port_path(), std::to_string(unit.reply_size)};
  const std::vector<std::string> dtuctl = {DTUCTL_PATH, "read", "--port", unit.sim.port_path()};
  double dtuctl_total = 0;
  double shell_total = 0;
  double floor_total = 0;
  std::string error;
  for (auto _ : state) {
    const std::optional<double> shell_time = TimedRun(shell, error);
    const std::optional<double> dtuctl_time = TimedRun(dtuctl, error);
    const std::optional<double> floor_time = TimedRun({"/bin/true"}, error);
    if (!shell_time || !dtuctl_time || !floor_time) {
      state.SkipWithError(error.c_str());
      break;
    }
    state.SetIterationTime(*dtuctl_time);
    dtuctl_total += *dtuctl_time;
    shell_total += *shell_time;
    floor_total += *floor_time + unit.wire_seconds;
  }
  const auto runs = static_cast<double>(std::max<benchmark::IterationCount>(state.iterations(), 1));
  state.counters["x_wire_time"] = dtuctl_total / runs / unit.wire_seconds;
  state.counters["shell_x_wire_time"] = shell_total / runs / unit.wire_seconds;
  state.counters["floor_x_wire_time"] = floor_total / runs / unit.wire_seconds;
  state.counters["wire_ms"] = unit.wire_seconds * 1000;
}
BENCHMARK(BM_DtuctlRead)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(10)
    ->Apply(dtu::bench::WithRange);

}  // namespace
