#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "core/session/exchange.h"
#include "core/session/session_observer.h"
#include "core/session/unit_session.h"
#include "interrupt_signals.h"
#include "port_options.h"

namespace dtuctl {

// What a command asks the unit and how its messages name the answer it awaits ("a complete
// parameter block").
struct UnitQuestion {
  dtu::ExchangeRequest request;
  std::string awaited;
};

// The outcome of a question: the exit status so far, and the exchange once it was asked.
struct UnitAnswer {
  int status;
  std::optional<dtu::ExchangeResult> result;
};

// One question to a unit, as read, write, signal and export ask it: opens the port with the
// options' line settings, asks under the unit session's time rule (the options' --timeout is the
// reply limit) and closes the port again. `observer` hears everything as it happens. Returns
// kExitOk with the result when the unit answered (also when it refused the frame); otherwise,
// after one line naming the port and what happened, kExitTimeout, kExitPortLost, the status of a
// port that could not be opened, or kExitBySignal plus the signal's number when SIGINT, SIGTERM
// or SIGHUP ended the wait (the port is closed first).
UnitAnswer AskUnit(std::string_view command, const PortOptions& port, const UnitQuestion& question,
                   dtu::SessionObserver& observer);

// Several questions to a unit on one opening of its port (a write with the read before it), each
// as AskUnit asks it and told as AskUnit tells it. The port is closed when it ends.
class UnitConversation {
 public:
  UnitConversation(std::string_view command, const PortOptions& port);
  // Opens the port; kExitOk, or the status of a port that could not be opened after its line.
  int Open();
  // One question, heard by `observer`. After an unanswered one the port is closed.
  UnitAnswer Ask(const UnitQuestion& question, dtu::SessionObserver& observer);

 private:
  std::string_view command_;
  const PortOptions& port_;
  // Before the port is opened, so that a signal closes it first; after it has been closed the
  // signals do what they did before.
  InterruptSignals interrupts_;
  dtu::UnitSession session_;
};

}  // namespace dtuctl
