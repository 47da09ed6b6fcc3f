#pragma once

// Real pseudo-terminals and recording owners for the serial engine's tests.

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <array>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <mutex>
#include <stdexcept>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "core/serial/port_notification.h"
#include "core/serial/serial_port.h"

namespace dtu::test {

using namespace std::chrono_literals;

// Generous limit for anything the tests wait for; reaching it means a hang, not slowness.
inline constexpr std::chrono::seconds kPatience{20};

// A pseudo-terminal pair. The slave side is the "serial port" the engine opens by its path;
// the test keeps its own slave descriptor open (like a device that stays plugged in) and
// talks to the engine through the master side.
class PtyPair {
 public:
  PtyPair() {
    if (::openpty(&master_, &slave_, nullptr, nullptr, nullptr) != 0) {
      throw std::runtime_error("openpty failed");
    }
    std::array<char, 128> name{};
    if (::ttyname_r(slave_, name.data(), name.size()) != 0) {
      throw std::runtime_error("ttyname_r failed");
    }
    path_ = name.data();
    termios raw{};
    ::tcgetattr(slave_, &raw);
    ::cfmakeraw(&raw);
    ::tcsetattr(slave_, TCSANOW, &raw);
  }
  ~PtyPair() {
    CloseMaster();
    ::close(slave_);
  }
  PtyPair(const PtyPair&) = delete;
  PtyPair& operator=(const PtyPair&) = delete;

  const std::string& path() const { return path_; }
  int master() const { return master_; }
  int slave() const { return slave_; }

  // Writes every byte to the master side (what the device sends the engine).
  void Write(std::string_view bytes) const {
    while (!bytes.empty()) {
      const ssize_t n = ::write(master_, bytes.data(), bytes.size());
      if (n > 0) {
        bytes.remove_prefix(static_cast<std::size_t>(n));
      } else if (n < 0 && errno != EINTR && errno != EAGAIN) {
        throw std::runtime_error("write to pty master failed");
      } else {
        pollfd out{master_, POLLOUT, 0};
        ::poll(&out, 1, 10);
      }
    }
  }

  // Reads `count` bytes from the master side (what the engine wrote); fewer when they do not
  // arrive within `limit`.
  std::string Read(std::size_t count, std::chrono::milliseconds limit = kPatience) const {
    std::string bytes;
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (bytes.size() < count && std::chrono::steady_clock::now() < deadline) {
      pollfd in{master_, POLLIN, 0};
      if (::poll(&in, 1, 10) <= 0 || (in.revents & POLLIN) == 0) continue;
      std::array<char, 256> chunk{};
      const ssize_t n = ::read(master_, chunk.data(), std::min(chunk.size(), count - bytes.size()));
      if (n > 0) bytes.append(chunk.data(), static_cast<std::size_t>(n));
    }
    return bytes;
  }

  // Bytes waiting in the slave's input queue (sent by the master, not yet read).
  int SlaveQueued() const {
    int queued = 0;
    ::ioctl(slave_, FIONREAD, &queued);
    return queued;
  }

  // Waits until the slave's input queue holds at least `count` bytes.
  bool AwaitSlaveQueued(int count) const {
    const auto deadline = std::chrono::steady_clock::now() + kPatience;
    while (SlaveQueued() < count) {
      if (std::chrono::steady_clock::now() > deadline) return false;
      std::this_thread::sleep_for(1ms);
    }
    return true;
  }

  void SetMasterNonBlocking() const {
    ::fcntl(master_, F_SETFL, ::fcntl(master_, F_GETFL) | O_NONBLOCK);
  }

  // Makes the port vanish, as when an adapter is pulled.
  void CloseMaster() {
    if (master_ >= 0) ::close(master_);
    master_ = -1;
  }

 private:
  int master_ = -1;
  int slave_ = -1;
  std::string path_;
};

// A directory of its own under the system's temporary directory, removed afterwards.
class TempDir {
 public:
  TempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "dtu-serial-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
    path_ = pattern;
  }
  ~TempDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path path_;
};

// A port owner that records every notification. By default it behaves like a GUI: the test
// thread is its "UI thread" and dispatches with PumpUntil(). With DispatchInline() it
// handles every notification right on the monitor thread instead.
class RecordingOwner : public PortOwner {
 public:
  void DispatchInline(SerialPort& port) { inline_port_ = &port; }

  // Runs on the handling thread after each notification was recorded.
  std::function<void(const PortNotification&)> on_message;

  void NotificationPending() override {
    {
      std::lock_guard lock(mutex_);
      ++pending_calls_;
    }
    changed_.notify_all();
    if (inline_port_ != nullptr) inline_port_->DispatchPending();
  }

  void HandlePortMessage(const PortNotification& notification) override {
    {
      std::lock_guard lock(mutex_);
      notifications_.push_back(notification);
    }
    changed_.notify_all();
    if (on_message) on_message(notification);
  }

  std::vector<PortNotification> notifications() const {
    std::lock_guard lock(mutex_);
    return notifications_;
  }

  // The bytes of the PortMsgRxChar notifications, in order.
  std::string received() const {
    std::lock_guard lock(mutex_);
    std::string bytes;
    for (const PortNotification& n : notifications_) {
      if (n.message == PortMessage::PortMsgRxChar) bytes.push_back(static_cast<char>(n.byte));
    }
    return bytes;
  }

  int CountOf(PortMessage message) const {
    std::lock_guard lock(mutex_);
    int count = 0;
    for (const PortNotification& n : notifications_) count += n.message == message ? 1 : 0;
    return count;
  }

  int pending_calls() const {
    std::lock_guard lock(mutex_);
    return pending_calls_;
  }

  // Waits (without dispatching) until NotificationPending() was called `count` times.
  bool AwaitPendingCalls(int count) const {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, kPatience, [&] { return pending_calls_ >= count; });
  }

  // The owner's message loop: dispatches what the port offers until `done` holds.
  bool PumpUntil(SerialPort& port, const std::function<bool()>& done,
                 std::chrono::milliseconds limit = kPatience) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (!done()) {
      if (std::chrono::steady_clock::now() > deadline) return false;
      {
        std::unique_lock lock(mutex_);
        changed_.wait_for(lock, 5ms, [&] { return pending_calls_ > pumped_calls_; });
        pumped_calls_ = pending_calls_;
      }
      port.DispatchPending();
    }
    return true;
  }

 private:
  SerialPort* inline_port_ = nullptr;
  mutable std::mutex mutex_;
  mutable std::condition_variable changed_;
  std::vector<PortNotification> notifications_;
  int pending_calls_ = 0;
  int pumped_calls_ = 0;
};

// Aborts the whole test program when a test has not finished within `limit`: a hang must
// fail the run, not stall it.
class Watchdog {
 public:
  Watchdog(std::chrono::seconds limit, const char* what)
      : thread_([this, limit, what] {
          std::unique_lock lock(mutex_);
          if (!done_cv_.wait_for(lock, limit, [this] { return done_; })) {
            std::fprintf(stderr, "watchdog: %s did not finish in time\n", what);
            std::abort();
          }
        }) {}
  ~Watchdog() {
    {
      std::lock_guard lock(mutex_);
      done_ = true;
    }
    done_cv_.notify_all();
  }
  Watchdog(const Watchdog&) = delete;
  Watchdog& operator=(const Watchdog&) = delete;

 private:
  std::mutex mutex_;
  std::condition_variable done_cv_;
  bool done_ = false;
  std::jthread thread_;  // last: joined before the members it uses go
};

}  // namespace dtu::test
