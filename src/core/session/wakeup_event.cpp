#include "core/session/wakeup_event.h"

#include <sys/eventfd.h>
#include <unistd.h>

#include <cstdint>

namespace dtu {

WakeupEvent::WakeupEvent() : fd_(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {}

WakeupEvent::~WakeupEvent() {
  if (fd_ >= 0) ::close(fd_);
}

void WakeupEvent::Signal() const {
  const std::uint64_t one = 1;
  // A full counter still reads as signalled, so a failed write loses nothing.
  [[maybe_unused]] const ssize_t n = ::write(fd_, &one, sizeof one);
}

void WakeupEvent::Clear() const {
  std::uint64_t count = 0;
  [[maybe_unused]] const ssize_t n = ::read(fd_, &count, sizeof count);
}

}  // namespace dtu
