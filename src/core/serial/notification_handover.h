#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <optional>
#include <vector>

#include "core/serial/port_notification.h"

namespace dtu {

// Hands batches of notifications from the monitor thread to the owner's thread and lets the
// monitor wait until the owner has handled the whole batch. The owner's thread takes a batch
// apart: one notification at a time, in order, each handled before the next. A stop request
// ends every wait at once and drops what is left of the batch being handled, so neither
// thread can keep the other waiting for ever.
//
// Each monitor run has its own hand-over, shared by the engine, the monitor and a running
// Dispatch(): a Dispatch() whose handler destroys the engine finishes on the hand-over alone.
class NotificationHandover {
 public:
  // What one wake-up of the monitor has for the owner: the line events, a failure or the end of
  // the port first, then one PortMsgRxChar per byte.
  struct Batch {
    std::vector<PortNotification> notices;
    std::vector<std::uint8_t> bytes;

    bool empty() const { return notices.empty() && bytes.empty(); }
  };

  // `port` is the port number every notification carries.
  NotificationHandover(PortOwner& owner, int port);

  // Monitor thread: offers `batch` to the owner and waits until all of it has been handled.
  // Returns false, the batch undelivered or its handling cut short, once a stop was requested.
  bool Deliver(Batch batch);

  // Owner's thread: hands the waiting batch, if any, to the owner one notification at a time.
  // Calls made while a batch is being handled (from inside a handler) find nothing to do.
  void Dispatch();

  // Any thread: ends the current and every later Deliver(), and the handling of a batch after
  // the notification in hand.
  void RequestStop();

 private:
  void Handle(const Batch& batch);

  PortOwner& owner_;
  const int port_;
  std::mutex mutex_;
  std::condition_variable handled_;
  std::optional<Batch> pending_;
  bool in_flight_ = false;
  std::atomic<bool> stop_{false};  // written under mutex_; read without it between notifications
};

}  // namespace dtu
