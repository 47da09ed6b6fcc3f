#pragma once

#include <string_view>

#include "core/device/device_event.h"
#include "core/serial/port_failure.h"
#include "core/session/exchange.h"

namespace dtu {

// What a unit session tells as it goes, on the owner's thread, in the order it happened: the
// bytes sent and received (for a traffic log), what was recognised in an answer, the end of each
// exchange, and what happened to the port. Every call has an empty default.
//
// An exchange's end is told before the event that completed it (the block of a read, the answer
// to a write), so that whoever shows that event is already free for the next command. A call may
// run a nested event loop (a modal box) that lets the session go on; what it then tells follows
// in order.
class SessionObserver {
 public:
  virtual void Sent(std::string_view /*bytes*/) {}
  // Bytes from the unit. Late bytes arrived while no exchange was under way: they are nobody's
  // answer and are not recognised.
  virtual void Received(std::string_view /*bytes*/, bool /*late*/) {}
  virtual void Recognised(const DeviceEvent& /*event*/) {}
  virtual void Ended(const ExchangeResult& /*result*/) {}
  // A call on the port failed and the port goes on; `report` is the engine's report of it.
  virtual void PortFailed(const PortFailure& /*failure*/, std::string_view /*report*/) {}
  // The port vanished: the session is closed.
  virtual void PortLost(const PortLoss& /*loss*/) {}

 protected:
  SessionObserver() = default;
  SessionObserver(const SessionObserver&) = default;
  SessionObserver& operator=(const SessionObserver&) = default;
  ~SessionObserver() = default;
};

}  // namespace dtu
