#include "core/session/identity_question.h"

namespace dtu {

IdentityQuestion::IdentityQuestion(std::chrono::milliseconds reply_limit)
    : reply_limit_(reply_limit) {}

std::optional<ExchangeRequest> IdentityQuestion::next() const {
  switch (step_) {
    case Step::Signal:
      return ReadSignalRequest(reply_limit_);
    case Step::Parameters:
      return ReadParametersRequest(reply_limit_);
    case Step::Settled:
      break;
  }
  return std::nullopt;
}

void IdentityQuestion::Take(const ExchangeResult& result) {
  if (step_ == Step::Settled) return;
  switch (result.outcome) {
    case ExchangeOutcome::Cancelled:
    case ExchangeOutcome::PortClosed:
    case ExchangeOutcome::PortLost:
      abandoned_ = true;
      step_ = Step::Settled;
      return;
    default:
      break;
  }
  answered_ = answered_ || result.answered();
  identity_ = IdentityOf(result);
  // A unit that does not know the short command may still answer the read.
  step_ = identity_.known() || step_ == Step::Parameters ? Step::Settled : Step::Parameters;
}

}  // namespace dtu
