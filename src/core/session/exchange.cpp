#include "core/session/exchange.h"

#include "core/device/device_commands.h"

namespace dtu {
namespace {

template <class Event, class Test>
const Event* FirstOf(const std::vector<DeviceEvent>& events, const Test& test) {
  for (const DeviceEvent& event : events)
    if (const auto* found = std::get_if<Event>(&event); found != nullptr && test(*found))
      return found;
  return nullptr;
}

}  // namespace

ExchangeRequest ReadParametersRequest(std::chrono::milliseconds reply_limit) {
  return {ExchangeKind::ReadParameters, std::string(kGetParametersCommand), reply_limit};
}

ExchangeRequest ReadSignalRequest(std::chrono::milliseconds reply_limit) {
  return {ExchangeKind::ReadSignal, std::string(kGetSignalCommand), reply_limit};
}

ExchangeRequest WriteParametersRequest(ParameterBlock& block,
                                       std::chrono::milliseconds reply_limit) {
  return {ExchangeKind::WriteParameters, BuildParameterFrame(block), reply_limit};
}

const BlockEvent* ExchangeResult::block() const {
  return FirstOf<BlockEvent>(events, [](const BlockEvent&) { return true; });
}

std::optional<Acknowledgement> ExchangeResult::frame_answer() const {
  const auto* answer = FirstOf<AcknowledgementEvent>(events, [](const AcknowledgementEvent& e) {
    return e.acknowledgement != Acknowledgement::CodeAccepted;
  });
  if (answer == nullptr) return std::nullopt;
  return answer->acknowledgement;
}

const StatusEvent* ExchangeResult::status(StatusField field) const {
  return FirstOf<StatusEvent>(events, [field](const StatusEvent& e) { return e.field == field; });
}

std::string UnansweredMessage(const ExchangeResult& result, std::string_view port) {
  switch (result.outcome) {
    case ExchangeOutcome::TimedOut:
      return result.exchange.TimeoutMessage(result.timing.reply_limit, port);
    case ExchangeOutcome::Overlong:
      return result.exchange.OverlongMessage(result.took, port);
    case ExchangeOutcome::Cancelled:
      return result.exchange.CancelledMessage(port);
    default:
      return {};
  }
}

}  // namespace dtu
