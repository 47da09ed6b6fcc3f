// `dtuctl read` against the simulated unit pacing its answers at 921,600 baud, and beside it, in
// the same run and against the same unit, a shell client doing the same exchange: stty puts the
// terminal in raw mode, printf sends the command, head -c takes the reply's bytes. Each figure is
// the wall time of one whole run of the program, from its start to its end, as a multiple of the
// reply's time on the wire (x_wire_time): 1 would mean no time at all beyond the line's.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <memory>
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

// Runs `argv` once per iteration, timing each run, and reports the time against the wire time.
void RunClient(benchmark::State& state, const std::vector<std::string>& argv) {
  const PacedUnit& unit = Unit();
  if (unit.sim.port_path().empty()) {
    state.SkipWithError("the simulated unit did not start");
    return;
  }
  double total = 0;
  for (auto _ : state) {
    const auto start = std::chrono::steady_clock::now();
    const dtu::test::ProcessResult run = dtu::test::RunProcess(argv);
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
    if (run.exit_status != 0) {
      state.SkipWithError(("the client failed: " + run.err).c_str());
      break;
    }
    state.SetIterationTime(took.count());
    total += took.count();
  }
  const auto runs = static_cast<double>(std::max<benchmark::IterationCount>(state.iterations(), 1));
  state.counters["x_wire_time"] = total / runs / unit.wire_seconds;
  state.counters["wire_ms"] = unit.wire_seconds * 1000;
}

void BM_DtuctlRead(benchmark::State& state) {
  RunClient(state, {DTUCTL_PATH, "read", "--port", Unit().sim.port_path()});
}

void BM_ShellClientRead(benchmark::State& state) {
  const char* script =
      R"(stty -F "$1" raw -echo 921600 && exec 3<>"$1" && printf '%s' '$$$AT+GETPARA?' >&3 &&
head -c "$2" <&3 >/dev/null)";
  RunClient(state, {"/bin/sh", "-c", script, "sh", Unit().sim.port_path(),
                    std::to_string(Unit().reply_size)});
}

// Ten runs per repetition.
void AsProgramRuns(benchmark::internal::Benchmark* benchmark) {
  benchmark->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(10);
  dtu::bench::WithRange(benchmark);
}

BENCHMARK(BM_ShellClientRead)->Apply(AsProgramRuns);
BENCHMARK(BM_DtuctlRead)->Apply(AsProgramRuns);

}  // namespace
