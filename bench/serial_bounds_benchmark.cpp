// What bounds the serial engine's throughput, measured piece by piece without the engine:
//   pty_one_byte_per_read  FIONREAD and a one-byte read per byte (how the engine once read);
//   pty_bulk_read          reads of whatever is queued, up to 4 KiB (how it reads now): the
//                          baseline the engine end to end is measured against;
//   handover/N             the engine's hand-over alone: batches of N bytes from a producing
//                          thread to an owner's thread, each waiting until it is handled.

#include <benchmark/benchmark.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <string_view>
#include <thread>
#include <utility>

#include "core/serial/notification_handover.h"
#include "core/serial/port_notification.h"
#include "line_rate.h"
#include "pty_pattern.h"

namespace {

using dtu::bench::PatternByte;
using dtu::bench::PtyPair;
using dtu::bench::ReportLineRate;

constexpr std::size_t kBytesPerIteration = 64 * 1024;

// Waits until the slave side has input (or the time-out passes).
void AwaitInput(int fd) {
  pollfd in{fd, POLLIN, 0};
  ::poll(&in, 1, 1000);
}

// Reads `count` bytes from the slave side, `chunk` at most per read call, checking the pattern
// from position `first` on. Returns the number of bytes out of order.
std::size_t ReadPattern(int fd, std::uint64_t first, std::size_t count, std::size_t chunk,
                        bool ask_queued) {
  std::array<std::uint8_t, 4096> buffer{};
  std::size_t wrong = 0;
  for (std::size_t done = 0; done < count;) {
    if (ask_queued) {
      int queued = 0;
      ::ioctl(fd, FIONREAD, &queued);
      if (queued == 0) {
        AwaitInput(fd);
        continue;
      }
    }
    const ssize_t n = ::read(fd, buffer.data(), std::min(chunk, count - done));
    if (n < 0 && errno == EAGAIN) {
      AwaitInput(fd);
      continue;
    }
    if (n <= 0) break;
    for (std::size_t i = 0; i < static_cast<std::size_t>(n); ++i)
      if (buffer[i] != PatternByte(first + done + i)) ++wrong;
    done += static_cast<std::size_t>(n);
  }
  return wrong;
}

void RunPtyRead(benchmark::State& state, std::size_t chunk, bool ask_queued) {
  PtyPair pty;
  std::uint64_t sent = 0;
  std::size_t wrong = 0;
  for (auto _ : state) {
    std::thread writer([&pty, first = sent] { pty.WritePattern(first, kBytesPerIteration); });
    wrong += ReadPattern(pty.slave(), sent, kBytesPerIteration, chunk, ask_queued);
    writer.join();
    sent += kBytesPerIteration;
  }
  if (wrong != 0) state.SkipWithError("bytes arrived out of order");
  ReportLineRate(state, kBytesPerIteration);
}

void BM_PtyOneBytePerRead(benchmark::State& state) {
  RunPtyRead(state, 1, true);
}
BENCHMARK(BM_PtyOneBytePerRead)->UseRealTime()->Unit(benchmark::kMillisecond);

void BM_PtyBulkRead(benchmark::State& state) {
  RunPtyRead(state, 4096, false);
}
BENCHMARK(BM_PtyBulkRead)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond)
    ->Apply(dtu::bench::WithRange);

// An owner whose own thread dispatches whenever the hand-over has something for it.
class ThreadOwner final : public dtu::PortOwner {
 public:
  void Start(dtu::NotificationHandover& handover) {
    thread_ = std::thread([this, &handover] {
      std::unique_lock lock(mutex_);
      for (;;) {
        wake_.wait(lock, [this] { return pending_ || stop_; });
        if (stop_) return;
        pending_ = false;
        lock.unlock();
        handover.Dispatch();
        lock.lock();
      }
    });
  }
  void Stop() {
    {
      std::lock_guard lock(mutex_);
      stop_ = true;
    }
    wake_.notify_all();
    if (thread_.joinable()) thread_.join();
  }

  void NotificationPending() override {
    {
      std::lock_guard lock(mutex_);
      pending_ = true;
    }
    wake_.notify_one();
  }
  void HandlePortMessage(const dtu::PortNotification& notification) override {
    if (notification.byte != PatternByte(handled_)) ++wrong_;
    ++handled_;
  }

  std::uint64_t handled() const { return handled_; }
  std::uint64_t wrong() const { return wrong_; }

 private:
  std::thread thread_;
  std::mutex mutex_;
  std::condition_variable wake_;
  bool pending_ = false;
  bool stop_ = false;
  std::uint64_t handled_ = 0;  // written only by the owner's thread, read after Stop()
  std::uint64_t wrong_ = 0;
};

// The hand-over alone, `batch` bytes per hand-over: 1 is how the engine handed bytes over before
// it read in batches, 4096 is its batch size now (as much as the port offers, at most that).
void BM_Handover(benchmark::State& state) {
  const auto batch_size = static_cast<std::size_t>(state.range(0));
  ThreadOwner owner;
  dtu::NotificationHandover handover(owner, 0);
  owner.Start(handover);
  std::uint64_t sent = 0;
  for (auto _ : state) {
    for (std::size_t done = 0; done < kBytesPerIteration;) {
      dtu::NotificationHandover::Batch batch;
      for (std::size_t i = 0; i < batch_size && done < kBytesPerIteration; ++i, ++done, ++sent)
        batch.bytes.push_back(PatternByte(sent));
      if (!handover.Deliver(std::move(batch))) {
        state.SkipWithError("the hand-over stopped");
        break;
      }
    }
  }
  handover.RequestStop();
  owner.Stop();
  if (owner.handled() != sent || owner.wrong() != 0)
    state.SkipWithError("the owner did not handle every byte in order");
  ReportLineRate(state, kBytesPerIteration);
}
BENCHMARK(BM_Handover)->Arg(1)->Arg(4096)->UseRealTime()->Unit(benchmark::kMillisecond);

}  // namespace
