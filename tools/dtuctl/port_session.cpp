#include "port_session.h"

#include <chrono>
#include <cstdio>

#include "command.h"

namespace dtuctl {
namespace {

// The write buffer of the main window: one parameter frame fits with room to spare.
constexpr int kWriteBufferSize = 4096;

std::string FormatSeconds(double seconds) {
  char text[32];
  std::snprintf(text, sizeof text, "%g", seconds);
  return text;
}

}  // namespace

PortSession::PortSession(std::string_view command, ConsoleMessages& messages)
    : command_(command), messages_(messages), port_(messages) {}

int PortSession::Open(const PortOptions& options) {
  options_ = options;
  const int problems_before = messages_.problems();
  if (!port_.OpenPort(*this, options.device, options.baud_rate, options.parity, options.data_bits,
                      options.stop_bits, dtu::kPortEventRxChar, kWriteBufferSize)) {
    const dtu::PortOpenError& error = port_.open_error();
    switch (error.kind()) {
      case dtu::PortOpenFailure::Missing:
        Complain("cannot open " + options.device + ": no such serial port (" + error.text + ")");
        return kExitPortMissing;
      case dtu::PortOpenFailure::Busy:
        Complain("cannot open " + options.device + ": another program is using the port (" +
                 error.text + ")");
        return kExitPortBusy;
      default:
        Complain("cannot open " + options.device + ": " + error.text);
        return kExitPortError;
    }
  }
  // The engine has reported the failed step; a unit on a wrongly set line would only seem not
  // to answer.
  if (messages_.problems() != problems_before) {
    Complain("cannot set up " + options.device + " with " + DescribeLine(options));
    return kExitPortError;
  }
  if (!port_.StartMonitor()) {
    Complain("cannot watch " + options.device + ": the monitor thread did not start");
    return kExitPortError;
  }
  return kExitOk;
}

PortSession::Outcome PortSession::Exchange(std::string_view text, const ByteHandler& on_byte,
                                           const FinishedTest& finished) {
  const auto limit = std::chrono::duration_cast<std::chrono::steady_clock::duration>(
      std::chrono::duration<double>(options_.timeout_seconds));
  const auto deadline = std::chrono::steady_clock::now() + limit;
  on_byte_ = &on_byte;
  port_.SendText(text);

  Outcome outcome = Outcome::Finished;
  std::unique_lock lock(mutex_);
  while (!finished()) {
    if (port_lost_) {
      outcome = Outcome::PortLost;
      break;
    }
    // Checked before waiting, so that a unit that never stops talking still times out.
    if (std::chrono::steady_clock::now() >= deadline ||
        !wakeup_.wait_until(lock, deadline, [this] { return notification_waiting_; })) {
      outcome = Outcome::TimedOut;
      break;
    }
    notification_waiting_ = false;
    lock.unlock();
    port_.DispatchPending();
    lock.lock();
  }
  on_byte_ = nullptr;
  return outcome;
}

int PortSession::ReportUnfinished(Outcome outcome, std::string_view awaited) const {
  if (outcome == Outcome::PortLost) {
    Complain("the port " + options_.device + " vanished while waiting for " + std::string(awaited));
    return kExitPortLost;
  }
  Complain("timed out after " + FormatSeconds(options_.timeout_seconds) + " s waiting for " +
           std::string(awaited) + " from " + options_.device);
  return kExitTimeout;
}

// Monitor thread: only wakes the command's thread.
void PortSession::NotificationPending() {
  {
    std::lock_guard lock(mutex_);
    notification_waiting_ = true;
  }
  wakeup_.notify_one();
}

// The command's thread, inside DispatchPending().
void PortSession::HandlePortMessage(const dtu::PortNotification& notification) {
  if (notification.message == dtu::PortMessage::PortMsgGone) {
    port_lost_ = true;
  } else if (notification.message == dtu::PortMessage::PortMsgRxChar && on_byte_ != nullptr) {
    (*on_byte_)(notification.byte);
  }
}

void PortSession::Complain(const std::string& problem) const {
  std::fprintf(stderr, "dtuctl %s: %s\n", command_.c_str(), problem.c_str());
  std::fflush(stderr);
}

}  // namespace dtuctl
