#pragma once

// A pseudo-terminal between a client and the simulated unit, passing every byte on both ways and
// noting when the unit's bytes reach the client's side: the moment a byte arrives on the line as
// the client's port sees it.

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <thread>

namespace dtu::bench {

class PtyRelay {
 public:
  using Clock = std::chrono::steady_clock;

  // Opens the unit's port at `unit_path` and a new pseudo-terminal whose slave side, path(), is
  // the client's port; relays on a thread of its own until destroyed.
  explicit PtyRelay(const std::string& unit_path) {
    unit_ = ::open(unit_path.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (unit_ < 0) throw std::runtime_error("cannot open " + unit_path);
    MakeRaw(unit_);
    if (::openpty(&master_, &slave_, nullptr, nullptr, nullptr) != 0)
      throw std::runtime_error("openpty failed");
    MakeRaw(slave_);
    std::array<char, 128> name{};
    if (::ttyname_r(slave_, name.data(), name.size()) != 0)
      throw std::runtime_error("ttyname_r failed");
    path_ = name.data();
    if (::pipe2(stop_.data(), O_CLOEXEC) != 0) throw std::runtime_error("pipe2 failed");
    thread_ = std::thread([this] { Relay(); });
  }
  ~PtyRelay() {
    const char stop = 0;
    (void)!::write(stop_[1], &stop, 1);
    thread_.join();
    for (const int fd : {unit_, master_, slave_, stop_[0], stop_[1]}) ::close(fd);
  }
  PtyRelay(const PtyRelay&) = delete;
  PtyRelay& operator=(const PtyRelay&) = delete;

  // The client's port.
  const std::string& path() const { return path_; }

  // Forgets what the unit has sent so far: the counts start again from the next byte.
  void Restart() {
    to_client_.store(0);
    first_ns_.store(0);
    last_ns_.store(0);
  }
  // The unit's bytes passed on since Restart(), and when the first and the last of them reached
  // the client's side (each noted before it was written there, so never after the client saw it).
  std::size_t bytes_to_client() const { return to_client_.load(); }
  Clock::time_point first_arrival() const { return At(first_ns_.load()); }
  Clock::time_point last_arrival() const { return At(last_ns_.load()); }

 private:
  static void MakeRaw(int fd) {
    termios raw{};
    ::tcgetattr(fd, &raw);
    ::cfmakeraw(&raw);
    ::tcsetattr(fd, TCSANOW, &raw);
  }
  static Clock::time_point At(std::int64_t ns) {
    return Clock::time_point(std::chrono::nanoseconds(ns));
  }
  static std::int64_t NowNs() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(Clock::now().time_since_epoch())
        .count();
  }

  void Relay() {
    std::array<pollfd, 3> fds{{{unit_, POLLIN, 0}, {master_, POLLIN, 0}, {stop_[0], POLLIN, 0}}};
    std::array<char, 4096> buffer{};
    while (::poll(fds.data(), fds.size(), -1) >= 0 || errno == EINTR) {
      if (fds[2].revents != 0) return;
      if ((fds[0].revents & POLLIN) != 0) {
        const ssize_t n = ::read(unit_, buffer.data(), buffer.size());
        if (n > 0) {
          const std::int64_t now = NowNs();
          if (to_client_.load() == 0) first_ns_.store(now);
          last_ns_.store(now);
          to_client_.fetch_add(static_cast<std::size_t>(n));
          WriteAll(master_, buffer.data(), static_cast<std::size_t>(n));
        }
      }
      if ((fds[1].revents & POLLIN) != 0) {
        const ssize_t n = ::read(master_, buffer.data(), buffer.size());
        if (n > 0) WriteAll(unit_, buffer.data(), static_cast<std::size_t>(n));
      }
    }
  }

  static void WriteAll(int fd, const char* data, std::size_t size) {
    while (size > 0) {
      const ssize_t n = ::write(fd, data, size);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) return;  // the other side went: nothing to pass on to
      data += n;
      size -= static_cast<std::size_t>(n);
    }
  }

  int unit_ = -1;
  int master_ = -1;
  int slave_ = -1;  // held open so that the master side stays usable between the client's opens
  std::array<int, 2> stop_{-1, -1};
  std::string path_;
  std::atomic<std::size_t> to_client_{0};
  std::atomic<std::int64_t> first_ns_{0};
  std::atomic<std::int64_t> last_ns_{0};
  std::thread thread_;
};

}  // namespace dtu::bench
