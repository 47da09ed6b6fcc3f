#include "core/serial/notification_handover.h"

#include <utility>

namespace dtu {

NotificationHandover::NotificationHandover(PortOwner& owner, int port)
    : owner_(owner), port_(port) {}

bool NotificationHandover::Deliver(Batch batch) {
  {
    std::lock_guard lock(mutex_);
    if (stop_) return false;
    pending_ = std::move(batch);
  }
  owner_.NotificationPending();
  std::unique_lock lock(mutex_);
  handled_.wait(lock, [this] { return stop_ || (!pending_ && !in_flight_); });
  if (stop_) {
    pending_.reset();
    return false;
  }
  return true;
}

void NotificationHandover::Dispatch() {
  Batch batch;
  {
    std::lock_guard lock(mutex_);
    if (!pending_ || in_flight_) return;
    batch = std::move(*pending_);
    pending_.reset();
    in_flight_ = true;
  }
  Handle(batch);
  {
    std::lock_guard lock(mutex_);
    in_flight_ = false;
  }
  handled_.notify_all();
}

// Before each notification: a handler may have stopped the engine (closed the port).
void NotificationHandover::Handle(const Batch& batch) {
  for (PortNotification notice : batch.notices) {
    if (stop_.load()) return;
    notice.port = port_;
    owner_.HandlePortMessage(notice);
  }
  for (const std::uint8_t byte : batch.bytes) {
    if (stop_.load()) return;
    owner_.HandlePortMessage({PortMessage::PortMsgRxChar, byte, port_, {}});
  }
}

void NotificationHandover::RequestStop() {
  {
    std::lock_guard lock(mutex_);
    stop_ = true;
  }
  handled_.notify_all();
}

}  // namespace dtu
