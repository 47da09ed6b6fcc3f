#pragma once

// A serial port without a device: a PortBackend whose unit is a script the test writes, for
// driving the engine's threads and everything above them deterministically.

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "core/serial/port_backend.h"

namespace dtu::test {

// What the scripted port does, shared by the backend (given away to the engine) and the test.
// Every call may come from any thread.
class PortScript {
 public:
  // What the unit sends after reading a command that was written; nothing by default.
  using Unit = std::function<std::string(std::string_view command)>;

  void SetUnit(Unit unit) {
    std::lock_guard lock(mutex_);
    unit_ = std::move(unit);
  }
  Unit unit() const {
    std::lock_guard lock(mutex_);
    return unit_;
  }
  // The errno the next opens fail with (0: they succeed), and a line the port refuses.
  void FailOpens(int error, int times = 1 << 30) {
    std::lock_guard lock(mutex_);
    open_error_ = error;
    failing_opens_ = times;
  }
  void RefuseLine(PortFailure failure) {
    std::lock_guard lock(mutex_);
    line_failure_ = failure;
  }
  // Bytes the unit sends unasked.
  void Send(std::string_view bytes) {
    {
      std::lock_guard lock(mutex_);
      input_.append(bytes);
    }
    changed_.notify_all();
  }
  // The port vanishes, as when an adapter is pulled: the next wait is a hang-up.
  void Vanish() {
    {
      std::lock_guard lock(mutex_);
      vanished_ = true;
    }
    changed_.notify_all();
  }

  std::vector<std::string> written() const {
    std::lock_guard lock(mutex_);
    return written_;
  }
  int opens() const {
    std::lock_guard lock(mutex_);
    return opens_;
  }

 private:
  friend class ScriptedPortBackend;

  mutable std::mutex mutex_;
  std::condition_variable changed_;
  Unit unit_;
  int open_error_ = 0;
  int failing_opens_ = 0;
  PortFailure line_failure_;
  std::string input_;  // what the unit has sent and the engine not yet read
  std::vector<std::string> written_;
  int opens_ = 0;
  bool open_ = false;
  bool vanished_ = false;
  bool shutdown_ = false;
  bool write_ = false;
  std::uint32_t mask_ = 0;
};

class ScriptedPortBackend : public PortBackend {
 public:
  explicit ScriptedPortBackend(std::shared_ptr<PortScript> script) : s_(std::move(script)) {}

  int CreateWakeups() override {
    std::lock_guard lock(s_->mutex_);
    s_->shutdown_ = false;
    s_->write_ = false;
    return 0;
  }
  void SignalShutdown() override { Set(&PortScript::shutdown_); }
  void SignalWrite() override { Set(&PortScript::write_); }
  void ClearWrite() override {
    std::lock_guard lock(s_->mutex_);
    s_->write_ = false;
  }

  int Open(const std::string&) override {
    std::lock_guard lock(s_->mutex_);
    ++s_->opens_;
    if (s_->failing_opens_ > 0 && s_->open_error_ != 0) {
      --s_->failing_opens_;
      return s_->open_error_;
    }
    s_->open_ = true;
    s_->vanished_ = false;
    return 0;
  }
  void Close() override {
    std::lock_guard lock(s_->mutex_);
    s_->open_ = false;
  }
  bool IsOpen() const override {
    std::lock_guard lock(s_->mutex_);
    return s_->open_;
  }

  void SetTimeouts(std::chrono::milliseconds) override {}
  void SetEventMask(std::uint32_t mask) override {
    std::lock_guard lock(s_->mutex_);
    s_->mask_ = mask;
  }
  PortFailure ApplyLineSettings(const LineSettings&) override {
    std::lock_guard lock(s_->mutex_);
    return s_->line_failure_;
  }

  int Purge() override { return DiscardInput(); }
  int DiscardInput() override {
    std::lock_guard lock(s_->mutex_);
    s_->input_.clear();
    return 0;
  }

  // Shutdown before input before a write, as the platform's backend ranks them.
  PortWaitResult Wait() override {
    std::unique_lock lock(s_->mutex_);
    s_->changed_.wait(lock, [&] { return Ready(); });
    if (s_->shutdown_) return {PortWakeup::Shutdown, {}};
    if (s_->vanished_) return {PortWakeup::Hangup, {EIO, "poll()"}};
    if (s_->mask_ != 0 && !s_->input_.empty()) return {PortWakeup::Comm, {}};
    return {PortWakeup::Write, {}};
  }
  PortIoResult ReadQueued(std::span<std::uint8_t> buffer) override {
    std::lock_guard lock(s_->mutex_);
    const std::size_t n = std::min(buffer.size(), s_->input_.size());
    std::copy_n(s_->input_.begin(), n, buffer.begin());
    s_->input_.erase(0, n);
    return {{}, n};
  }
  // The unit hears the command at once and its answer is queued for the engine to read.
  PortIoResult Write(std::string_view data) override {
    std::unique_lock lock(s_->mutex_);
    if (s_->vanished_) return {{EIO, "write()"}, 0};
    s_->written_.emplace_back(data);
    const PortScript::Unit unit = s_->unit_;
    lock.unlock();
    if (unit) s_->Send(unit(data));
    return {{}, data.size()};
  }

  std::string ErrorText(int code) const override { return std::strerror(code); }

 private:
  bool Ready() const {
    return s_->shutdown_ || s_->vanished_ || s_->write_ || (s_->mask_ != 0 && !s_->input_.empty());
  }
  void Set(bool PortScript::*flag) {
    {
      std::lock_guard lock(s_->mutex_);
      (*s_).*flag = true;
    }
    s_->changed_.notify_all();
  }

  std::shared_ptr<PortScript> s_;
};

// A clock the test moves by hand.
class ManualClock {
 public:
  using Clock = std::chrono::steady_clock;
  Clock::time_point Now() const { return now_; }
  void Advance(Clock::duration by) { now_ += by; }

 private:
  Clock::time_point now_ = Clock::time_point() + std::chrono::hours(1);
};

}  // namespace dtu::test
