#pragma once

#include <termios.h>

#include <optional>

#include "core/serial/port_backend.h"

namespace dtu {

// The serial port on POSIX: a terminal device driven through termios, non-blocking I/O and
// poll; the wake-ups are eventfds. Every operating-system call of the serial engine lives in
// this class.
//
// Opening: O_RDWR | O_NOCTTY | O_NONBLOCK, no O_CREAT; an advisory lock (flock LOCK_EX)
// keeps out other programs that honour it, root included, and on a real port TIOCEXCL keeps
// out every other non-root opener. A pseudo-terminal gets the lock only: its exclusive flag
// would stay set after a program killed while holding it. A held lock is reported as EBUSY.
class PosixPortBackend : public PortBackend {
 public:
  PosixPortBackend() = default;
  ~PosixPortBackend() override;
  PosixPortBackend(const PosixPortBackend&) = delete;
  PosixPortBackend& operator=(const PosixPortBackend&) = delete;

  int CreateWakeups() override;
  void SignalShutdown() override;
  void SignalWrite() override;
  void ClearWrite() override;

  int Open(const std::string& device) override;
  void Close() override;
  bool IsOpen() const override;

  void SetTimeouts(std::chrono::milliseconds timeout) override;
  void SetEventMask(std::uint32_t mask) override;
  PortFailure ApplyLineSettings(const LineSettings& settings) override;
  int Purge() override;
  int DiscardInput() override;

  PortWaitResult Wait() override;
  PortIoResult ReadQueued(std::span<std::uint8_t> buffer) override;
  PortIoResult Write(std::string_view data) override;

  std::string ErrorText(int code) const override;

  // The terminal settings that put `settings` on a line whose driver had `driver`: raw,
  // receiver on, modem control lines ignored, no flow control, reads that never block.
  // Nothing for settings the line cannot take (see IsValidLineSettings).
  static std::optional<termios> LineTermios(const termios& driver, const LineSettings& settings);

 private:
  enum class Readiness { Ready, TimedOut, Shutdown, Hangup, Failed };

  // Waits up to the time-out for `events` on the port, or for shutdown.
  Readiness AwaitPort(short events, int& error) const;
  // Waits until the output queue has drained, giving up after a time-out without progress.
  void AwaitDrained() const;
  void CloseWakeups();

  int port_fd_ = -1;
  bool exclusive_ = false;  // TIOCEXCL set by Open()
  int shutdown_fd_ = -1;
  int write_fd_ = -1;
  int timeout_ms_ = 1000;
  std::uint32_t event_mask_ = 0;
};

}  // namespace dtu
