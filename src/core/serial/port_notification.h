#pragma once

#include <cstdint>

#include "core/serial/port_failure.h"

namespace dtu {

// Port event bits of the event mask given to SerialPort::OpenPort.
inline constexpr std::uint32_t kPortEventRxChar = 0x0001;     // character received
inline constexpr std::uint32_t kPortEventRxFlag = 0x0002;     // event character received
inline constexpr std::uint32_t kPortEventCts = 0x0008;        // clear-to-send changed
inline constexpr std::uint32_t kPortEventBreak = 0x0040;      // break
inline constexpr std::uint32_t kPortEventLineError = 0x0080;  // line-status error
inline constexpr std::uint32_t kPortEventRing = 0x0100;       // ring

// The kinds of notification a port owner receives.
enum class PortMessage {
  PortMsgBreak,       // kPortEventBreak
  PortMsgCtsChanged,  // kPortEventCts
  PortMsgLineError,   // kPortEventLineError
  PortMsgRing,        // kPortEventRing
  PortMsgRxChar,      // one received byte
  PortMsgEventChar,   // kPortEventRxFlag
  PortMsgWritten,     // a text has been written (only with PortWatch::announce_writes)
  PortMsgFailure,     // a call on the port failed; the engine goes on
  PortMsgGone,        // the port vanished or stopped working; the monitor has ended
};

struct PortNotification {
  PortMessage message = PortMessage::PortMsgRxChar;
  std::uint8_t byte = 0;  // the received byte for PortMsgRxChar, otherwise 0
  int port = 0;           // the port number of the engine that sent it
  // For PortMsgFailure the call that failed; for PortMsgGone the failure that ended the port.
  PortFailure failure;
};

// The receiver of a port's notifications.
//
// NotificationPending() is called on the monitor thread whenever a notification waits for the
// owner. The owner answers by calling SerialPort::DispatchPending() on its own thread soon
// (for a GUI: post an event to the UI thread). An owner without a thread of its own may call
// DispatchPending() right inside NotificationPending(). NotificationPending() must not block
// and must not call anything of the engine except DispatchPending().
//
// HandlePortMessage() is called from inside DispatchPending(), on the thread that called it.
class PortOwner {
 public:
  virtual void NotificationPending() = 0;
  virtual void HandlePortMessage(const PortNotification& notification) = 0;

 protected:
  PortOwner() = default;
  PortOwner(const PortOwner&) = default;
  PortOwner& operator=(const PortOwner&) = default;
  ~PortOwner() = default;
};

}  // namespace dtu
