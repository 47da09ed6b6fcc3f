// A read in the real main window against the simulated unit pacing its answers at the line's
// rate: from the click on "读取参数" to the unit's summary in the summary pane (as the pane's
// text, which the accessibility tree reads; the offscreen platform paints nothing to time), as a
// multiple of the answer's time on the wire. Between the window's port and the unit sits a relay
// (PtyRelay) that notes when each of the unit's bytes reaches the window's side of the line, so the
// same run also gives the time from the answer's last byte to the summary: what the window adds to
// the line.

#include <QComboBox>
#include <QEventLoop>
#include <QPushButton>
#include <QTimer>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <variant>

#include "dtusim/default_block.h"
#include "dtusim/device_status.h"
#include "dtusim/reply_builder.h"
#include "gui/window/main_config_dialog.h"
#include "gui/window/session_adapter.h"
#include "gui/window/summary_pane_view.h"
#include "line_rate.h"
#include "pty_relay.h"
#include "support/dtusim_process.h"
#include "support/main_window_fixture.h"

namespace {

using Clock = std::chrono::steady_clock;

// A safety net for an answer that never comes, not a speed limit.
constexpr std::chrono::seconds kGiveUp(10);
// A quiet moment between two reads, longer than the traffic log's flush tick, so that each read
// starts from a window at rest as a user's next click would.
constexpr std::chrono::milliseconds kBetweenReads(150);

double Milliseconds(Clock::duration d) {
  return std::chrono::duration<double, std::milli>(d).count();
}

// Notes when the unit's summary is in the pane.
class SummaryWatch : public QObject {
 public:
  explicit SummaryWatch(dtu::MainConfigDialog& window) {
    connect(&window.operation(), &dtu::SessionAdapter::recognised, this,
            [this](const dtu::DeviceEvent& event) {
              // The window's own handler ran first (connected first): the summary is in the pane.
              if (!std::holds_alternative<dtu::BlockEvent>(event) || text_at_) return;
              text_at_ = Clock::now();
              if (loop_ != nullptr) loop_->quit();
            });
  }

  void Restart() { text_at_.reset(); }
  // Runs the event loop until the summary is in the pane, or at most `limit`.
  bool AwaitSummary(std::chrono::milliseconds limit) {
    if (!text_at_) {
      QEventLoop loop;
      loop_ = &loop;
      QTimer::singleShot(limit, &loop, &QEventLoop::quit);
      loop.exec();
      loop_ = nullptr;
    }
    return text_at_.has_value();
  }
  Clock::time_point text_at() const { return *text_at_; }

 private:
  std::optional<Clock::time_point> text_at_;
  QEventLoop* loop_ = nullptr;
};

void Rest(std::chrono::milliseconds time) {
  QEventLoop loop;
  QTimer::singleShot(time, &loop, &QEventLoop::quit);
  loop.exec();
}

// The window shown (offscreen), its baud rate chosen, its port opened on the relay's side.
bool OpenWindowOn(dtu::test::MainWindowFixture& fixture, const std::string& port, unsigned baud) {
  fixture.Create();
  dtu::MainConfigDialog& window = *fixture.window;
  window.show();
  auto* bauds = qobject_cast<QComboBox*>(window.control(dtu::main_id::kBaudList));
  const int entry = bauds->findText(QString::number(baud));
  if (entry < 0) return false;
  bauds->setCurrentIndex(entry);
  qobject_cast<QComboBox*>(window.control(dtu::main_id::kPortList))
      ->setEditText(QString::fromStdString(port));
  qobject_cast<QPushButton*>(window.control(dtu::main_id::kOpenButton))->click();
  Rest(kBetweenReads);
  return window.isPortOpen();
}

// Counters, in milliseconds unless named as a multiple: wire_ms (the answer's bytes at 10 bits
// each), line_ms (the unit's first to last byte as they reached the window's side), x_wire_time
// (click to summary over wire_ms), after_last_byte_ms and its max (the last byte to the summary).
void BM_WindowRead(benchmark::State& state) {
  const auto baud = static_cast<unsigned>(state.range(0));
  dtusim::ReplyBuilder builder(dtusim::DeviceStatus{}, dtusim::FaultSet{});
  const std::size_t reply_size = builder.ParametersReply(dtusim::MakeDefaultBlock()).Text().size();
  const double wire_ms = static_cast<double>(reply_size) * 10 / baud * 1000;

  dtu::test::DtusimProcess sim(DTUSIM_PATH, {"--baud", std::to_string(baud)});
  if (sim.port_path().empty()) {
    state.SkipWithError("the simulated unit did not start");
    return;
  }
  dtu::bench::PtyRelay relay(sim.port_path());
  dtu::test::MainWindowFixture fixture;
  if (!OpenWindowOn(fixture, relay.path(), baud)) {
    state.SkipWithError("the window did not open the port");
    return;
  }
  SummaryWatch watch(*fixture.window);
  QWidget* read_button = fixture.window->control(dtu::main_id::kReadButton);

  double total_ms = 0, line_ms = 0, after_ms = 0, after_max_ms = 0;
  for (auto _ : state) {
    relay.Restart();
    watch.Restart();
    const Clock::time_point clicked = Clock::now();
    qobject_cast<QPushButton*>(read_button)->click();
    if (!watch.AwaitSummary(kGiveUp) || relay.bytes_to_client() < reply_size) {
      const std::string error =
          "no summary; the unit's bytes passed on: " + std::to_string(relay.bytes_to_client()) +
          " of " + std::to_string(reply_size);
      state.SkipWithError(error.c_str());
      break;
    }
    const double took = Milliseconds(watch.text_at() - clicked);
    const double after = Milliseconds(watch.text_at() - relay.last_arrival());
    state.SetIterationTime(took / 1000);
    total_ms += took;
    line_ms += Milliseconds(relay.last_arrival() - relay.first_arrival());
    after_ms += after;
    after_max_ms = std::max(after_max_ms, after);
    state.PauseTiming();
    Rest(kBetweenReads);
    state.ResumeTiming();
  }
  const auto runs = static_cast<double>(std::max<benchmark::IterationCount>(state.iterations(), 1));
  state.counters["wire_ms"] = wire_ms;
  state.counters["line_ms"] = line_ms / runs;
  state.counters["x_wire_time"] = total_ms / runs / wire_ms;
  state.counters["after_last_byte_ms"] = after_ms / runs;
  state.counters["after_last_byte_max_ms"] = after_max_ms;
}
void ManualRange(benchmark::internal::Benchmark* benchmark) {
  benchmark->UseManualTime()->Unit(benchmark::kMillisecond);
  dtu::bench::WithRange(benchmark);
}
// Fewer reads at the slow rate, where one takes 1.7 s.
BENCHMARK(BM_WindowRead)->Arg(9600)->Iterations(3)->Apply(ManualRange);
BENCHMARK(BM_WindowRead)->Arg(115200)->Iterations(10)->Apply(ManualRange);
BENCHMARK(BM_WindowRead)->Arg(921600)->Iterations(20)->Apply(ManualRange);

}  // namespace
