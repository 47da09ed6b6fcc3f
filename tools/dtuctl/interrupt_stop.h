#pragma once

#include <stop_token>
#include <thread>

#include "interrupt_signals.h"

namespace dtuctl {

// For commands whose work runs on threads of their own (one per port): while one exists,
// SIGINT, SIGTERM and SIGHUP request a stop of that work instead of ending the process, so
// every port is closed and every unit under way is seen through first. The command then ends
// with 128 + the signal's number (main() sees InterruptSignals::Caught()).
class InterruptStop {
 public:
  InterruptStop();
  InterruptStop(const InterruptStop&) = delete;
  InterruptStop& operator=(const InterruptStop&) = delete;

  std::stop_token token() const { return source_.get_token(); }

 private:
  void Watch(std::stop_token until);

  InterruptSignals signals_;
  std::stop_source source_;
  std::jthread watcher_;  // declared last: stopped and joined before the rest goes
};

}  // namespace dtuctl
