#pragma once

// A pseudo-terminal fed with a checkable byte pattern, for the serial benchmarks.

#include <pty.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>

namespace dtu::bench {

// The byte sent at position `index`: a counter over a prime period, so that any loss or
// repetition shorter than a whole period shows as a byte out of order.
inline std::uint8_t PatternByte(std::uint64_t index) {
  return static_cast<std::uint8_t>(index % 251);
}

// A pseudo-terminal pair in raw mode. The master side plays the unit; the slave side is the
// "serial port", opened by its path (the engine) or read through slave() (the baselines).
class PtyPair {
 public:
  PtyPair() {
    if (::openpty(&master_, &slave_, nullptr, nullptr, nullptr) != 0)
      throw std::runtime_error("openpty failed");
    std::array<char, 128> name{};
    if (::ttyname_r(slave_, name.data(), name.size()) != 0)
      throw std::runtime_error("ttyname_r failed");
    path_ = name.data();
    termios raw{};
    ::tcgetattr(slave_, &raw);
    ::cfmakeraw(&raw);
    ::tcsetattr(slave_, TCSANOW, &raw);
  }
  ~PtyPair() {
    ::close(master_);
    ::close(slave_);
  }
  PtyPair(const PtyPair&) = delete;
  PtyPair& operator=(const PtyPair&) = delete;

  const std::string& path() const { return path_; }
  int slave() const { return slave_; }

  // Writes `count` pattern bytes from position `first` on, as fast as the terminal takes them
  // (blocking while its buffer is full).
  void WritePattern(std::uint64_t first, std::size_t count) const {
    std::array<std::uint8_t, 4096> chunk{};
    for (std::size_t done = 0; done < count;) {
      const std::size_t size = std::min(chunk.size(), count - done);
      for (std::size_t i = 0; i < size; ++i) chunk[i] = PatternByte(first + done + i);
      for (std::size_t written = 0; written < size;) {
        const ssize_t n = ::write(master_, chunk.data() + written, size - written);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) throw std::runtime_error("write to the pseudo-terminal failed");
        written += static_cast<std::size_t>(n);
      }
      done += size;
    }
  }

 private:
  int master_ = -1;
  int slave_ = -1;
  std::string path_;
};

}  // namespace dtu::bench
