#pragma once

#include <chrono>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <stop_token>
#include <string>
#include <string_view>
#include <variant>

#include "core/device/device_event.h"
#include "core/device/device_link.h"
#include "core/serial/line_settings.h"
#include "core/serial/port_backend.h"
#include "core/serial/port_notification.h"
#include "core/serial/serial_port.h"
#include "core/session/exchange.h"
#include "core/session/session_observer.h"
#include "core/session/session_open_error.h"
#include "core/session/wakeup_event.h"

namespace dtu {

// The conversation with the unit on one port, the same for the window, the command line and the
// production line: opens the port, sends one command at a time and waits for its answer under
// one time rule (ReplyTiming), recognising the answer with the device link and ending with a
// typed outcome (ExchangeResult). Bytes that arrive while no exchange is under way (after a
// time-out, a refusal, a cancel) are only shown as late: never recognised, never an answer.
//
// Threads: the session lives on its owner's thread; the serial engine's monitor thread only
// signals wakeup_fd(), and the owner's thread takes the bytes, recognises them and tells the
// observer. No other thread is started. Two ways to drive it:
//   - blocking, for a thread of its own (the command line, a production port): Ask() waits,
//     ended by the answer, the time rule, a stop request or a readable interrupt descriptor;
//   - stepping, for an event loop (the window): Begin(), then Pump() whenever wakeup_fd() is
//     readable or deadline() has come; Cancel() to end the wait.
// Closing (or destroying) the session stops the monitor at once, also while a long answer
// streams in.
class UnitSession final : private PortOwner, private DeviceEventSink {
 public:
  using Clock = std::chrono::steady_clock;
  using ClockSource = std::function<Clock::time_point()>;

  // The platform's port unless a backend is given (tests script one); the steady clock unless a
  // clock is given.
  explicit UnitSession(std::unique_ptr<PortBackend> backend = nullptr, ClockSource clock = {});
  ~UnitSession() override;
  UnitSession(const UnitSession&) = delete;
  UnitSession& operator=(const UnitSession&) = delete;

  // Who hears what happens (may be none); must outlive the session or be replaced first.
  void SetObserver(SessionObserver* observer) { observer_ = observer; }

  // Opens `device` with `line` (closing a port open before) and starts watching it. On
  // LineRefused the port is open nonetheless, with what the driver took; a caller that cannot
  // use it calls Close().
  std::optional<SessionOpenError> Open(std::string_view device, const LineSettings& line);
  // Ends an exchange under way (PortClosed) and closes the port.
  void Close();
  bool is_open() const { return open_ && !lost_; }
  const std::string& device() const { return device_; }
  const LineSettings& line() const { return line_; }

  // Sends the request's command and starts waiting for its answer; false, sending nothing, when
  // the port is not open or an exchange is under way.
  bool Begin(const ExchangeRequest& request);
  // Takes what the monitor has for the owner, applies the time rule and tells the observer.
  void Pump();
  // Ends the exchange under way as Cancelled.
  void Cancel();
  bool busy() const { return active_.has_value(); }
  // The exchange under way, nothing when none is.
  const DeviceExchange* current() const { return active_ ? &active_->result.exchange : nullptr; }
  // The moment the time rule needs Pump() at the latest; nothing while no exchange is under way.
  std::optional<Clock::time_point> deadline() const;
  // Readable while the monitor has something for Pump().
  int wakeup_fd() const { return wakeup_.fd(); }

  // Begin() and Pump() until the exchange ends; a stop request or a readable `interrupt_fd`
  // cancels it. A stop requested before anything was sent sends nothing.
  ExchangeResult Ask(const ExchangeRequest& request, std::stop_token stop = {},
                     int interrupt_fd = -1);

 private:
  struct Active {
    ExchangeResult result;
    Clock::time_point started;
    Clock::time_point last_byte;
    // The command has left: bytes before were read ahead of the purge that precedes every
    // write, so they belong to no answer of this command.
    bool written = false;
  };
  struct SentItem {
    std::string bytes;
  };
  struct ReceivedItem {
    std::string bytes;
    bool late;
  };
  struct FailedItem {
    PortFailure failure;
    std::string report;
  };
  using Item =
      std::variant<SentItem, ReceivedItem, DeviceEvent, ExchangeResult, FailedItem, PortLoss>;

  // PortOwner
  void NotificationPending() override;
  void HandlePortMessage(const PortNotification& notification) override;
  // DeviceEventSink
  void Recognised(const DeviceEvent& event) override;

  void OnByte(std::uint8_t byte);
  void OnGone(const PortFailure& failure);
  bool Completes(const DeviceEvent& event) const;
  void CheckTime(Clock::time_point now);
  void Finish(ExchangeOutcome outcome);
  ExchangeResult Unsent(const ExchangeRequest& request, ExchangeOutcome outcome) const;
  void FlushReceived();
  void Deliver();
  void Tell(const Item& item);
  void AwaitWakeup(int interrupt_fd);

  ClockSource clock_;
  SessionObserver* observer_ = nullptr;
  std::string device_;
  LineSettings line_;
  bool open_ = false;
  bool lost_ = false;
  DeviceLink link_{*this};
  std::optional<Active> active_;
  std::optional<ExchangeResult> last_result_;
  Clock::time_point now_{};            // when the bytes being taken were taken
  ReceivedItem receiving_{{}, false};  // bytes not yet told, all of one kind
  std::deque<Item> told_;              // what the observer has yet to hear
  WakeupEvent wakeup_;
  // Last, so that its monitor has stopped before the members it signals go.
  std::unique_ptr<SerialPort> port_;
};

}  // namespace dtu
