#include "interrupt_stop.h"

#include <poll.h>

namespace dtuctl {
namespace {

// How often the watcher looks whether it is still wanted.
constexpr int kWatchPollMs = 100;

}  // namespace

InterruptStop::InterruptStop() : watcher_([this](std::stop_token until) { Watch(until); }) {}

void InterruptStop::Watch(std::stop_token until) {
  if (signals_.fd() < 0) return;  // the signals end the process as before
  pollfd watched{signals_.fd(), POLLIN, 0};
  while (!until.stop_requested()) {
    if (::poll(&watched, 1, kWatchPollMs) > 0) {
      source_.request_stop();
      return;
    }
  }
}

}  // namespace dtuctl
