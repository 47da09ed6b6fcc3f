#include "unit_question.h"

#include <array>
#include <chrono>
#include <cstdio>
#include <string>

#include "command.h"
#include "command_support.h"
#include "core/device/traffic_log.h"
#include "core/session/unit_session.h"
#include "interrupt_signals.h"

namespace dtuctl {
namespace {

std::string FormatSeconds(double seconds) {
  std::array<char, 32> text{};
  std::snprintf(text.data(), text.size(), "%g", seconds);
  return text.data();
}

// Why the port could not be used, and the status that goes with it.
int ReportOpenFailure(std::string_view command, const PortOptions& port,
                      const dtu::SessionOpenError& error) {
  using Kind = dtu::SessionOpenError::Kind;
  switch (error.kind) {
    case Kind::LineRefused:
      Complain(command, "cannot set up " + port.device + " with " + DescribeLine(port) + " (" +
                            std::string(error.setup.call) + ": " + error.reason + ")");
      return kExitPortError;
    case Kind::NoMonitor:
      Complain(command, "cannot watch " + port.device + ": " + error.reason);
      return kExitPortError;
    default:
      break;
  }
  const dtu::PortOpenFailure failure = dtu::OpenFailureOf(error);
  Complain(command, DescribeOpenFailure(port.device, failure, error.reason));
  return OpenFailureStatus(failure);
}

// The one line for an exchange that was not answered.
int ReportUnanswered(std::string_view command, const PortOptions& port,
                     const UnitQuestion& question, const dtu::ExchangeResult& result) {
  const std::string awaited(question.awaited);
  switch (result.outcome) {
    case dtu::ExchangeOutcome::Cancelled:
      return kExitBySignal + InterruptSignals::Caught();
    case dtu::ExchangeOutcome::PortLost:
      Complain(command, "the port " + port.device + " vanished while waiting for " + awaited +
                            " (" + result.loss.reason + ")");
      return kExitPortLost;
    case dtu::ExchangeOutcome::Overlong: {
      const double seconds = std::chrono::duration<double>(result.took).count();
      Complain(command, "no end to the answer after " + FormatSeconds(seconds) + " s waiting for " +
                            awaited + " from " + port.device + ": " +
                            std::to_string(result.exchange.received_count()) +
                            " bytes came, beginning " +
                            dtu::VisibleBytes(result.exchange.first_bytes()));
      return kExitTimeout;
    }
    default:
      Complain(command, "timed out after " + FormatSeconds(port.timeout_seconds) +
                            " s waiting for " + awaited + " from " + port.device);
      return kExitTimeout;
  }
}

}  // namespace

UnitAnswer AskUnit(std::string_view command, const PortOptions& port, const UnitQuestion& question,
                   dtu::SessionObserver& observer) {
  // Before the port is opened, so that a signal closes it first; after it has been closed the
  // signals do what they did before.
  InterruptSignals interrupts;
  dtu::UnitSession session;
  session.SetObserver(&observer);
  if (const std::optional<dtu::SessionOpenError> error = session.Open(port.device, LineOf(port)))
    return {ReportOpenFailure(command, port, *error), std::nullopt};
  dtu::ExchangeResult result = session.Ask(question.request, {}, interrupts.fd());
  session.Close();
  if (result.answered()) return {kExitOk, std::move(result)};
  return {ReportUnanswered(command, port, question, result), std::move(result)};
}

}  // namespace dtuctl
