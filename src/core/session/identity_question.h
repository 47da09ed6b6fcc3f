#pragma once

#include <chrono>
#include <optional>

#include "core/device/unit_identity.h"
#include "core/session/exchange.h"

namespace dtu {

// Asking the unit on the line who it is, before its parameters are replaced: the cheapest
// command first ("$$$AT+GET1?"), and the parameter read, which every unit answers with its
// serial numbers, only when that answer named none. The caller sends next() on its session and
// hands each result to Take() until settled(); the block such a read brings is the caller's to
// ignore, not to load.
class IdentityQuestion {
 public:
  explicit IdentityQuestion(std::chrono::milliseconds reply_limit);

  // The request to send now; nothing once settled.
  std::optional<ExchangeRequest> next() const;
  // Takes the result of the request last sent.
  void Take(const ExchangeResult& result);

  bool settled() const { return step_ == Step::Settled; }
  // The wait was ended by the user, or the port closed or vanished: nothing is known, and
  // whatever waited on the answer should not go on.
  bool abandoned() const { return abandoned_; }
  // The unit answered one of the commands.
  bool answered() const { return answered_; }
  // The serial numbers the unit reported; unknown() when it named none.
  const UnitIdentity& identity() const { return identity_; }

 private:
  enum class Step { Signal, Parameters, Settled };

  std::chrono::milliseconds reply_limit_;
  Step step_ = Step::Signal;
  bool abandoned_ = false;
  bool answered_ = false;
  UnitIdentity identity_;
};

}  // namespace dtu
