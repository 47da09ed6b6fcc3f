#include "core/production/run_control.h"

namespace dtu {

RunControl::RunControl(std::size_t ports)
    : ports_(ports), retry_(std::make_unique<std::atomic<bool>[]>(ports)) {}

void RunControl::RequestRetry(std::size_t port_index) {
  if (port_index < ports_) retry_[port_index] = true;
}

bool RunControl::TakeRetry(std::size_t port_index) {
  return port_index < ports_ && retry_[port_index].exchange(false);
}

}  // namespace dtu
