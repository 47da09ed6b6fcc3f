// The serial engine end to end over a pseudo-terminal: the master side writes as fast as it can,
// the engine on the slave side reads what is queued (up to 4 KiB a read) and hands each batch to
// its owner, which gets one notification per byte. The owner counts the bytes and checks their
// order, so a lost, doubled or reordered byte fails the run instead of flattering it. The
// baseline is BM_PtyBulkRead: the same terminal read by a plain loop of reads.
//
// Two ways of handing bytes over are measured:
//   owner_thread  the owner handles notifications on a thread of its own, as the window does:
//                 each batch wakes that thread and the monitor waits for it to finish;
//   inline        the owner dispatches from inside NotificationPending() on the monitor thread.

#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>

#include "core/serial/port_notification.h"
#include "core/serial/serial_port.h"
#include "line_rate.h"
#include "pty_pattern.h"

namespace {

using namespace std::chrono_literals;
using dtu::bench::PatternByte;
using dtu::bench::PtyPair;
using dtu::bench::ReportLineRate;

constexpr std::size_t kBytesPerIteration = 64 * 1024;
// Reaching this means bytes were lost or the engine stalled, not that it is slow.
constexpr auto kPatience = 30s;

enum class Handover { OwnerThread, Inline };

// Counts received bytes and checks each against the pattern.
class CountingOwner final : public dtu::PortOwner {
 public:
  CountingOwner(Handover handover) : handover_(handover) {}
  ~CountingOwner() { StopThread(); }
  CountingOwner(const CountingOwner&) = delete;
  CountingOwner& operator=(const CountingOwner&) = delete;

  void Attach(dtu::SerialPort& port) {
    port_ = &port;
    if (handover_ == Handover::OwnerThread) thread_ = std::thread([this] { RunOwnerThread(); });
  }

  void StopThread() {
    {
      std::lock_guard lock(mutex_);
      stop_ = true;
    }
    wake_.notify_all();
    if (thread_.joinable()) thread_.join();
  }

  void NotificationPending() override {
    if (handover_ == Handover::Inline) {
      port_->DispatchPending();
      return;
    }
    {
      std::lock_guard lock(mutex_);
      pending_ = true;
    }
    wake_.notify_one();
  }

  void HandlePortMessage(const dtu::PortNotification& notification) override {
    std::lock_guard lock(mutex_);
    if (notification.message != dtu::PortMessage::PortMsgRxChar) {
      ++unexpected_;
    } else {
      if (notification.byte != PatternByte(received_)) ++out_of_order_;
      ++received_;
    }
    if (received_ >= target_) done_.notify_all();
  }

  // Waits until `target` bytes in all have arrived; false when they do not within kPatience.
  bool AwaitReceived(std::uint64_t target) {
    std::unique_lock lock(mutex_);
    target_ = target;
    return done_.wait_for(lock, kPatience, [&] { return received_ >= target_; });
  }

  std::uint64_t received() {
    std::lock_guard lock(mutex_);
    return received_;
  }
  std::uint64_t out_of_order() {
    std::lock_guard lock(mutex_);
    return out_of_order_;
  }
  std::uint64_t unexpected() {
    std::lock_guard lock(mutex_);
    return unexpected_;
  }

 private:
  // The owner's thread: hands over whatever the monitor offers until told to stop.
  void RunOwnerThread() {
    std::unique_lock lock(mutex_);
    for (;;) {
      wake_.wait(lock, [this] { return pending_ || stop_; });
      if (stop_) return;
      pending_ = false;
      lock.unlock();
      port_->DispatchPending();
      lock.lock();
    }
  }

  const Handover handover_;
  dtu::SerialPort* port_ = nullptr;
  std::thread thread_;
  std::mutex mutex_;
  std::condition_variable wake_;
  std::condition_variable done_;
  bool pending_ = false;
  bool stop_ = false;
  std::uint64_t received_ = 0;
  std::uint64_t target_ = UINT64_MAX;
  std::uint64_t out_of_order_ = 0;
  std::uint64_t unexpected_ = 0;
};

// Context switches of the whole process so far, voluntary and forced.
double ContextSwitches() {
  rusage usage{};
  ::getrusage(RUSAGE_SELF, &usage);
  return static_cast<double>(usage.ru_nvcsw + usage.ru_nivcsw);
}

void BM_SerialEngineEndToEnd(benchmark::State& state) {
  const auto handover = static_cast<Handover>(state.range(0));
  state.SetLabel(handover == Handover::OwnerThread ? "owner_thread" : "inline");

  PtyPair pty;
  CountingOwner owner(handover);
  dtu::SerialPort port;
  if (!port.OpenPort(owner, pty.path(), dtu::LineSettings{921600, 'N', 8, 1, false})) {
    state.SkipWithError("the pseudo-terminal could not be opened");
    return;
  }
  if (!port.StartMonitor()) {
    state.SkipWithError("the monitor did not start");
    return;
  }
  // Nothing arrives before the first write, so the owner may take up its work only now.
  owner.Attach(port);

  std::uint64_t sent = 0;
  const double switches_before = ContextSwitches();
  for (auto _ : state) {
    pty.WritePattern(sent, kBytesPerIteration);
    sent += kBytesPerIteration;
    if (!owner.AwaitReceived(sent)) {
      state.SkipWithError("bytes were lost or the engine stalled");
      break;
    }
  }
  const double switches = ContextSwitches() - switches_before;

  owner.StopThread();
  if (owner.received() != sent) state.SkipWithError("the byte count does not match");
  if (owner.out_of_order() != 0) state.SkipWithError("bytes arrived out of order");
  // A failure of the engine would arrive as a notification of its own.
  if (owner.unexpected() != 0) state.SkipWithError("notifications other than bytes arrived");

  state.counters["bytes_lost"] = static_cast<double>(sent - owner.received());
  state.counters["ctx_switches_per_byte"] = switches / static_cast<double>(sent ? sent : 1);
  ReportLineRate(state, kBytesPerIteration);
}
BENCHMARK(BM_SerialEngineEndToEnd)
    ->Arg(static_cast<int>(Handover::OwnerThread))
    ->Arg(static_cast<int>(Handover::Inline))
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond)
    ->MinTime(1.0)
    ->Apply(dtu::bench::WithRange);

}  // namespace
