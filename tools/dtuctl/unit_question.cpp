#include "unit_question.h"

#include <array>
#include <chrono>
#include <cstdio>
#include <string>

#include "command.h"
#include "command_support.h"
#include "core/device/traffic_log.h"
#include "core/message_language.h"
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
    case Kind::LineRefused: {
      const std::string call = std::string(error.setup.call) + ": " + error.reason;
      Complain(command, dtu::Say("无法把 " + port.device + " 设为 " + DescribeLine(port) + "（" +
                                     call + "）",
                                 "cannot set up " + port.device + " with " + DescribeLine(port) +
                                     " (" + call + ")"));
    }
      return kExitPortError;
    case Kind::NoMonitor:
      Complain(command,
               dtu::Say("无法监视 " + port.device + "：", "cannot watch " + port.device + ": ") +
                   error.reason);
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
      Complain(command, dtu::Say("等待" + awaited + "时端口 " + port.device + " 消失了（" +
                                     result.loss.reason + "）",
                                 "the port " + port.device + " vanished while waiting for " +
                                     awaited + " (" + result.loss.reason + ")"));
      return kExitPortLost;
    case dtu::ExchangeOutcome::Overlong: {
      const double seconds = std::chrono::duration<double>(result.took).count();
      const std::string took = FormatSeconds(seconds);
      const std::string count = std::to_string(result.exchange.received_count());
      const std::string first = dtu::VisibleBytes(result.exchange.first_bytes());
      Complain(
          command,
          dtu::Say("等待 " + port.device + " 的" + awaited + "，" + took +
                       " 秒后应答仍未结束：已收到 " + count + " 字节，开头是 " + first,
                   "no end to the answer after " + took + " s waiting for " + awaited + " from " +
                       port.device + ": " + count + " bytes came, beginning " + first));
      return kExitTimeout;
    }
    default: {
      const std::string limit = FormatSeconds(port.timeout_seconds);
      Complain(command,
               dtu::Say("等待 " + port.device + " 的" + awaited + "，" + limit + " 秒后超时",
                        "timed out after " + limit + " s waiting for " + awaited + " from " +
                            port.device));
    }
      return kExitTimeout;
  }
}

}  // namespace

UnitConversation::UnitConversation(std::string_view command, const PortOptions& port)
    : command_(command), port_(port) {}

int UnitConversation::Open() {
  if (const std::optional<dtu::SessionOpenError> error = session_.Open(port_.device, LineOf(port_)))
    return ReportOpenFailure(command_, port_, *error);
  return kExitOk;
}

UnitAnswer UnitConversation::Ask(const UnitQuestion& question, dtu::SessionObserver& observer) {
  session_.SetObserver(&observer);
  dtu::ExchangeResult result = session_.Ask(question.request, {}, interrupts_.fd());
  session_.SetObserver(nullptr);
  if (result.answered()) return {kExitOk, std::move(result)};
  session_.Close();
  return {ReportUnanswered(command_, port_, question, result), std::move(result)};
}

UnitAnswer AskUnit(std::string_view command, const PortOptions& port, const UnitQuestion& question,
                   dtu::SessionObserver& observer) {
  UnitConversation conversation(command, port);
  if (const int status = conversation.Open(); status != kExitOk) return {status, std::nullopt};
  return conversation.Ask(question, observer);
}

}  // namespace dtuctl
