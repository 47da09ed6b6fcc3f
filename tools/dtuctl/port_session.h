#pragma once

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>

#include "console_messages.h"
#include "port_options.h"
#include "core/serial/port_notification.h"
#include "core/serial/serial_port.h"

namespace dtuctl {

// One conversation of a command with a unit: opens the port, sends a command and feeds the
// received bytes, on the command's own thread, to a handler until the awaited answer is
// complete, the time limit has passed or the port is gone.
//
// The monitor thread only signals that a notification waits; the command's thread picks it up
// with DispatchPending(), so the recogniser and all printing run on that thread, and the engine
// is only ever destroyed there.
class PortSession final : public dtu::PortOwner {
 public:
  enum class Outcome {
    Finished,  // the handler saw what it waited for
    TimedOut,  // the time limit passed first
    PortLost,  // the port vanished first (the engine has reported why)
  };
  using ByteHandler = std::function<void(std::uint8_t)>;
  using FinishedTest = std::function<bool()>;

  // `command` names the command in messages. Engine reports go to `messages`, which must
  // outlive the session.
  PortSession(std::string_view command, ConsoleMessages& messages);
  PortSession(const PortSession&) = delete;
  PortSession& operator=(const PortSession&) = delete;
  ~PortSession() = default;

  // Opens the port with the options' line settings and starts watching it. Returns kExitOk, or
  // after a message naming the port and the reason kExitPortMissing, kExitPortBusy or
  // kExitPortError.
  int Open(const PortOptions& options);

  // Sends `text` and then hands every received byte to `on_byte` until `finished()` holds,
  // the time limit (counted from the send) passes or the port is lost.
  Outcome Exchange(std::string_view text, const ByteHandler& on_byte, const FinishedTest& finished);

  // For an exchange that did not finish: prints why, naming the port and what was `awaited`,
  // and returns kExitTimeout or kExitPortLost.
  int ReportUnfinished(Outcome outcome, std::string_view awaited) const;

 private:
  void NotificationPending() override;
  void HandlePortMessage(const dtu::PortNotification& notification) override;
  void Complain(const std::string& problem) const;

  std::string command_;
  ConsoleMessages& messages_;
  PortOptions options_;

  std::mutex mutex_;
  std::condition_variable wakeup_;
  bool notification_waiting_ = false;  // guarded by mutex_

  // The command's thread only.
  const ByteHandler* on_byte_ = nullptr;
  bool port_lost_ = false;

  // Last, so that it goes first: its monitor has stopped before the members it signals go.
  dtu::SerialPort port_;
};

}  // namespace dtuctl
