#include "core/serial/notification_handover.h"

#include <utility>

#include "core/serial/port_error_report.h"

namespace dtu {

NotificationHandover::NotificationHandover(PortOwner& owner, UserMessages& messages)
    : owner_(owner), messages_(messages) {}

bool NotificationHandover::Deliver(Item item) {
  {
    std::lock_guard lock(mutex_);
    if (stop_) return false;
    pending_ = std::move(item);
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
  Item item;
  {
    std::lock_guard lock(mutex_);
    if (!pending_ || in_flight_) return;
    item = std::move(*pending_);
    pending_.reset();
    in_flight_ = true;
  }
  if (item.report.empty()) {
    owner_.HandlePortMessage(item.notification);
  } else {
    messages_.Show(MessageKind::Error, item.report, kPortErrorCaption);
  }
  {
    std::lock_guard lock(mutex_);
    in_flight_ = false;
  }
  handled_.notify_all();
}

void NotificationHandover::RequestStop() {
  {
    std::lock_guard lock(mutex_);
    stop_ = true;
  }
  handled_.notify_all();
}

}  // namespace dtu
