#include "port_session.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <array>
#include <chrono>
#include <cstdio>

#include "command.h"
#include "command_support.h"

namespace dtuctl {
namespace {

// The write buffer of the main window: one parameter frame fits with room to spare.
constexpr int kWriteBufferSize = 4096;

std::string FormatSeconds(double seconds) {
  std::array<char, 32> text{};
  std::snprintf(text.data(), text.size(), "%g", seconds);
  return text.data();
}

}  // namespace

PortSession::Wakeup::Wakeup() : fd_(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {}

PortSession::Wakeup::~Wakeup() {
  if (fd_ >= 0) ::close(fd_);
}

void PortSession::Wakeup::Signal() const {
  const std::uint64_t one = 1;
  // A full counter still reads as signalled, so a failed write loses nothing.
  [[maybe_unused]] const ssize_t n = ::write(fd_, &one, sizeof one);
}

void PortSession::Wakeup::Clear() const {
  std::uint64_t count = 0;
  [[maybe_unused]] const ssize_t n = ::read(fd_, &count, sizeof count);
}

PortSession::PortSession(std::string_view command, ConsoleMessages& messages)
    : command_(command), messages_(messages), port_(messages) {}

int PortSession::Open(const PortOptions& options) {
  options_ = options;
  if (wakeup_.fd() < 0) {
    Complain("cannot watch " + options.device + ": no event descriptor left");
    return kExitPortError;
  }
  const int problems_before = messages_.problems();
  if (!port_.OpenPort(*this, options.device, options.baud_rate, options.parity, options.data_bits,
                      options.stop_bits, dtu::kPortEventRxChar, kWriteBufferSize)) {
    const dtu::PortOpenError& error = port_.open_error();
    Complain(DescribeOpenFailure(options.device, error.kind(), error.text));
    return OpenFailureStatus(error.kind());
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
  using Clock = std::chrono::steady_clock;
  const auto limit = std::chrono::duration_cast<Clock::duration>(
      std::chrono::duration<double>(options_.timeout_seconds));
  const auto deadline = Clock::now() + limit;
  on_byte_ = &on_byte;
  finished_ = &finished;
  port_.SendText(text);

  Outcome outcome = Outcome::Finished;
  while (!finished()) {
    if (port_lost_) {
      outcome = Outcome::PortLost;
      break;
    }
    if (InterruptSignals::Caught() != 0) {
      outcome = Outcome::Interrupted;
      break;
    }
    // Checked before waiting, so that a unit that never stops talking still times out.
    const auto left = deadline - Clock::now();
    if (left <= Clock::duration::zero()) {
      outcome = Outcome::TimedOut;
      break;
    }
    AwaitWakeup(static_cast<int>(std::chrono::ceil<std::chrono::milliseconds>(left).count()));
    port_.DispatchPending();
  }
  on_byte_ = nullptr;
  finished_ = nullptr;
  return outcome;
}

void PortSession::AwaitWakeup(int milliseconds) {
  std::array<pollfd, 2> fds{{{wakeup_.fd(), POLLIN, 0}, {interrupts_.fd(), POLLIN, 0}}};
  if (::poll(fds.data(), fds.size(), milliseconds) > 0 && fds[0].revents != 0) wakeup_.Clear();
}

int PortSession::ReportUnfinished(Outcome outcome, std::string_view awaited) const {
  switch (outcome) {
    case Outcome::Interrupted:
      return kExitBySignal + InterruptSignals::Caught();
    case Outcome::PortLost:
      Complain("the port " + options_.device + " vanished while waiting for " +
               std::string(awaited));
      return kExitPortLost;
    default:
      Complain("timed out after " + FormatSeconds(options_.timeout_seconds) + " s waiting for " +
               std::string(awaited) + " from " + options_.device);
      return kExitTimeout;
  }
}

// Monitor thread: only wakes the command's thread.
void PortSession::NotificationPending() {
  wakeup_.Signal();
}

// The command's thread, inside DispatchPending().
void PortSession::HandlePortMessage(const dtu::PortNotification& notification) {
  if (notification.message == dtu::PortMessage::PortMsgGone) {
    port_lost_ = true;
  } else if (notification.message == dtu::PortMessage::PortMsgRxChar && on_byte_ != nullptr &&
             !(*finished_)()) {
    (*on_byte_)(notification.byte);
  }
}

void PortSession::Complain(const std::string& problem) const {
  const std::string line = "dtuctl " + command_ + ": " + problem + "\n";
  std::fwrite(line.data(), 1, line.size(), stderr);
  std::fflush(stderr);
}

int AskUnit(std::string_view command, const PortOptions& port, std::string_view text,
            ConsoleMessages& messages, dtu::DeviceLinkSink& sink,
            const PortSession::FinishedTest& answered, std::string_view awaited) {
  dtu::DeviceLink link(sink);
  PortSession session(command, messages);
  if (const int status = session.Open(port); status != kExitOk) return status;
  const PortSession::Outcome outcome = session.Exchange(
      text, [&](std::uint8_t byte) { link.FeedChar(byte); }, answered);
  return outcome == PortSession::Outcome::Finished ? kExitOk
                                                   : session.ReportUnfinished(outcome, awaited);
}

}  // namespace dtuctl
