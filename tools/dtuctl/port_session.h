#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "console_messages.h"
#include "core/device/device_link.h"
#include "core/serial/port_notification.h"
#include "core/serial/serial_port.h"
#include "interrupt_signals.h"
#include "port_options.h"

namespace dtuctl {

// One conversation of a command with a unit: opens the port, sends a command and feeds the
// received bytes, on the command's own thread, to a handler until the awaited answer is
// complete, the time limit has passed, the port is gone or the command is interrupted.
//
// The monitor thread only signals that notifications wait; the command's thread picks them up
// with DispatchPending(), so the recogniser and all printing run on that thread, and the engine
// is only ever destroyed there. SIGINT, SIGTERM and SIGHUP end the exchange while the port is
// open; the port is closed (and left free for others) before the command ends.
class PortSession final : public dtu::PortOwner {
 public:
  enum class Outcome {
    Finished,     // the handler saw what it waited for
    TimedOut,     // the time limit passed first
    PortLost,     // the port vanished first (the engine has reported why)
    Interrupted,  // a signal asked the command to end
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
  // the time limit (counted from the send) passes, the port is lost or a signal arrives. Bytes
  // that arrive after `finished()` holds are not handed on.
  Outcome Exchange(std::string_view text, const ByteHandler& on_byte, const FinishedTest& finished);

  // For an exchange that did not finish: prints why, naming the port and what was `awaited`
  // (nothing for an interruption), and returns kExitTimeout, kExitPortLost or kExitBySignal plus
  // the signal's number.
  int ReportUnfinished(Outcome outcome, std::string_view awaited) const;

 private:
  void NotificationPending() override;
  void HandlePortMessage(const dtu::PortNotification& notification) override;
  void Complain(const std::string& problem) const;
  // Waits until the monitor has something, a signal arrives or `milliseconds` pass.
  void AwaitWakeup(int milliseconds);

  // An eventfd the monitor thread signals when notifications wait.
  class Wakeup {
   public:
    Wakeup();
    ~Wakeup();
    Wakeup(const Wakeup&) = delete;
    Wakeup& operator=(const Wakeup&) = delete;
    int fd() const { return fd_; }
    void Signal() const;
    void Clear() const;

   private:
    int fd_;
  };

  std::string command_;
  ConsoleMessages& messages_;
  PortOptions options_;
  Wakeup wakeup_;

  // The command's thread only.
  const ByteHandler* on_byte_ = nullptr;
  const FinishedTest* finished_ = nullptr;
  bool port_lost_ = false;

  // Before the port: the signals are taken over until it is closed.
  InterruptSignals interrupts_;
  // Last, so that it goes first: its monitor has stopped before the members it signals go.
  dtu::SerialPort port_;
};

// One question to a unit, as read, write and signal ask it: opens the port, sends `text` and
// feeds what comes back to a device link reporting to `sink` until `answered()` holds. Returns
// kExitOk when it did; otherwise, after saying why (naming what was `awaited`), the exit status
// of what went wrong. The port is closed again before it returns.
int AskUnit(std::string_view command, const PortOptions& port, std::string_view text,
            ConsoleMessages& messages, dtu::DeviceLinkSink& sink,
            const PortSession::FinishedTest& answered, std::string_view awaited);

}  // namespace dtuctl
