#pragma once

#include <condition_variable>
#include <mutex>
#include <optional>
#include <string>

#include "core/serial/port_notification.h"
#include "core/user_messages.h"

namespace dtu {

// Hands one notification at a time from the monitor thread to the owner's thread and lets
// the monitor wait until the owner has handled it. A stop request ends every wait at once,
// so neither thread can keep the other waiting for ever.
//
// Each monitor run has its own hand-over, shared by the engine, the monitor and a running
// Dispatch(): a Dispatch() whose handler destroys the engine finishes on the hand-over alone.
class NotificationHandover {
 public:
  // A notification for the owner, or, when `report` is not empty, an error report to show.
  struct Item {
    PortNotification notification;
    std::string report;
  };

  NotificationHandover(PortOwner& owner, UserMessages& messages);

  // Monitor thread: offers `item` to the owner and waits until it has been handled.
  // Returns false, the item undelivered or its handling abandoned, once a stop was requested.
  bool Deliver(Item item);

  // Owner's thread: hands the waiting item, if any, to the owner (reports go to the user
  // messages). Calls made while an item is being handled find nothing to do.
  void Dispatch();

  // Any thread: ends the current and every later Deliver().
  void RequestStop();

 private:
  PortOwner& owner_;
  UserMessages& messages_;
  std::mutex mutex_;
  std::condition_variable handled_;
  std::optional<Item> pending_;
  bool in_flight_ = false;
  bool stop_ = false;
};

}  // namespace dtu
