#pragma once

#include <array>
#include <csignal>

namespace dtuctl {

// While one exists, SIGINT, SIGTERM and SIGHUP do not end the process at once: they are noted
// and make fd() readable, so that a command holding a port can close it first and then end
// with 128 + the signal's number, as shells expect. Before and after, the signals do what they
// did before. One at a time.
class InterruptSignals {
 public:
  InterruptSignals();
  ~InterruptSignals();
  InterruptSignals(const InterruptSignals&) = delete;
  InterruptSignals& operator=(const InterruptSignals&) = delete;

  // Readable once one of the signals has arrived; -1 when the signals could not be taken over
  // (they then end the process as before).
  int fd() const;

  // The signal that arrived while an InterruptSignals existed, 0 when none did.
  static int Caught();

 private:
  static constexpr std::array<int, 3> kSignals = {SIGINT, SIGTERM, SIGHUP};
  std::array<struct sigaction, kSignals.size()> previous_{};
  bool installed_ = false;
};

}  // namespace dtuctl
