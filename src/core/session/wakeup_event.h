#pragma once

namespace dtu {

// An event descriptor one thread signals and another waits on with poll(): readable from the
// first Signal() until Clear(). Signal() may be called on any thread.
class WakeupEvent {
 public:
  WakeupEvent();
  ~WakeupEvent();
  WakeupEvent(const WakeupEvent&) = delete;
  WakeupEvent& operator=(const WakeupEvent&) = delete;

  // -1 when the system had no descriptor left.
  int fd() const { return fd_; }
  void Signal() const;
  void Clear() const;

 private:
  int fd_;
};

}  // namespace dtu
