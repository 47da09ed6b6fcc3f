#include "interrupt_signals.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

namespace dtuctl {
namespace {

volatile std::sig_atomic_t g_caught = 0;
// The pipe the handler writes to; made once and kept for the process's life.
std::array<int, 2> g_pipe = {-1, -1};

void OnInterrupt(int signal_number) {
  const int saved = errno;
  if (g_caught == 0) g_caught = signal_number;
  const char byte = 1;
  [[maybe_unused]] const ssize_t n = ::write(g_pipe[1], &byte, 1);
  errno = saved;
}

}  // namespace

InterruptSignals::InterruptSignals() {
  if (g_pipe[0] < 0 && ::pipe2(g_pipe.data(), O_CLOEXEC | O_NONBLOCK) != 0) return;
  struct sigaction action {};
  action.sa_handler = OnInterrupt;
  sigemptyset(&action.sa_mask);
  for (std::size_t i = 0; i < kSignals.size(); ++i) {
    ::sigaction(kSignals[i], &action, &previous_[i]);
    // A signal the process was told to ignore (nohup, a background job) stays ignored.
    if (previous_[i].sa_handler == SIG_IGN) ::sigaction(kSignals[i], &previous_[i], nullptr);
  }
  installed_ = true;
}

InterruptSignals::~InterruptSignals() {
  if (!installed_) return;
  for (std::size_t i = 0; i < kSignals.size(); ++i) {
    ::sigaction(kSignals[i], &previous_[i], nullptr);
  }
}

int InterruptSignals::fd() const {
  return installed_ ? g_pipe[0] : -1;
}

int InterruptSignals::Caught() {
  return g_caught;
}

}  // namespace dtuctl
