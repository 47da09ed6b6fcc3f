#pragma once

// The tool's side of a pseudo-terminal in tests: opens a serial port path, writes commands and
// reads answers with safety limits. No test depends on how long anything takes; the limits only
// keep a broken peer from hanging a test.

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <stdexcept>
#include <string>
#include <string_view>

namespace dtu::test {

class PtyClient {
 public:
  using Milliseconds = std::chrono::milliseconds;

  // Opens the port as it is set up; with `make_raw` also switches it to raw mode itself, as the
  // tool's serial engine does.
  explicit PtyClient(const std::string& path, bool make_raw = false)
      : fd_(::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC)) {
    if (fd_ < 0) throw std::runtime_error("cannot open " + path);
    if (make_raw) {
      termios settings = Settings();
      cfmakeraw(&settings);
      ::tcsetattr(fd_, TCSANOW, &settings);
    }
  }
  PtyClient(const PtyClient&) = delete;
  PtyClient& operator=(const PtyClient&) = delete;
  ~PtyClient() { ::close(fd_); }

  termios Settings() const {
    termios settings{};
    ::tcgetattr(fd_, &settings);
    return settings;
  }

  void Send(std::string_view bytes) {
    while (!bytes.empty()) {
      const ssize_t n = ::write(fd_, bytes.data(), bytes.size());
      if (n > 0) {
        bytes.remove_prefix(static_cast<std::size_t>(n));
      } else if (n < 0 && (errno == EAGAIN || errno == EINTR)) {
        pollfd p{fd_, POLLOUT, 0};
        ::poll(&p, 1, 100);
      } else {
        throw std::runtime_error("write to the port failed");
      }
    }
  }

  // The next `count` bytes, or fewer when the port hangs up or `limit` passes first.
  std::string ReadCount(std::size_t count, Milliseconds limit = Milliseconds(20000)) {
    Fill([&] { return pending_.size() < count; }, limit);
    return Take(std::min(count, pending_.size()));
  }

  // Everything up to and including the first `end`; everything received when `end` does not come
  // before the port hangs up or `limit` passes.
  std::string ReadUntil(std::string_view end, Milliseconds limit = Milliseconds(20000)) {
    Fill([&] { return pending_.find(end) == std::string::npos; }, limit);
    const auto at = pending_.find(end);
    return Take(at == std::string::npos ? pending_.size() : at + end.size());
  }

  // Everything that arrives within `span` (for checking that nothing, or nothing more, comes).
  std::string ReadFor(Milliseconds span) {
    Fill([] { return true; }, span);
    return Take(pending_.size());
  }

  // True once a read has reported that the other side is gone.
  bool hung_up() const { return hung_up_; }
  // How many reads returned bytes so far.
  int reads() const { return reads_; }

 private:
  std::string Take(std::size_t n) {
    std::string taken = pending_.substr(0, n);
    pending_.erase(0, n);
    return taken;
  }

  template <typename Wanting>
  void Fill(Wanting wanting, Milliseconds limit) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (!hung_up_ && wanting()) {
      const auto left =
          std::chrono::duration_cast<Milliseconds>(deadline - std::chrono::steady_clock::now());
      if (left.count() <= 0) break;
      pollfd p{fd_, POLLIN, 0};
      if (::poll(&p, 1, static_cast<int>(left.count())) <= 0) continue;
      char buffer[4096];
      const ssize_t n = ::read(fd_, buffer, sizeof buffer);
      if (n > 0) {
        pending_.append(buffer, static_cast<std::size_t>(n));
        ++reads_;
      } else if (n == 0 || (errno != EAGAIN && errno != EINTR)) {
        hung_up_ = true;
      }
    }
  }

  int fd_;
  std::string pending_;  // received, not yet taken
  bool hung_up_ = false;
  int reads_ = 0;
};

}  // namespace dtu::test
