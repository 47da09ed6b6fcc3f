#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/block/parameter_block.h"
#include "core/device/device_event.h"
#include "core/device/device_exchange.h"
#include "core/serial/port_failure.h"
#include "core/session/reply_timing.h"

namespace dtu {

// A command to send to a unit and how long its answer may pause (the reply limit of the time
// rule, see ReplyTiming).
struct ExchangeRequest {
  ExchangeKind kind = ExchangeKind::ReadParameters;
  std::string command;  // the bytes sent
  std::chrono::milliseconds reply_limit{std::chrono::seconds(kDefaultReplySeconds)};
};

// "$$$AT+GETPARA?", "$$$AT+GET1?", and the parameter frame that writes `block` (sealed by it, so
// the caller's copy carries the length and checksum that were sent).
ExchangeRequest ReadParametersRequest(std::chrono::milliseconds reply_limit);
ExchangeRequest ReadSignalRequest(std::chrono::milliseconds reply_limit);
ExchangeRequest WriteParametersRequest(ParameterBlock& block,
                                       std::chrono::milliseconds reply_limit);

// How an exchange ended.
enum class ExchangeOutcome {
  Completed,   // the answer is complete: a block (intact or not), "$$$SETOK", the signal value
  Refused,     // the unit refused the parameter frame ("$$$ChkErr\r")
  TimedOut,    // no byte for the silence limit
  Overlong,    // bytes kept coming for the overall limit without forming the answer
  Cancelled,   // the user or a stop ended the wait
  PortClosed,  // the port was closed first
  PortLost,    // the port vanished
};

// Why a port was lost: the failure that ended it and the system's text for it
// ("Input/output error").
struct PortLoss {
  PortFailure failure;
  std::string reason;
};

// What an exchange came to. A later byte never changes it: once an exchange has ended, what
// arrives is not taken for its answer, nor for the next one's.
struct ExchangeResult {
  ExchangeOutcome outcome = ExchangeOutcome::PortClosed;
  DeviceExchange exchange;            // what was sent, what came back and how much of a block
  ReplyTiming timing;                 // the limits it ran under
  std::vector<DeviceEvent> events;    // everything recognised in the answer, in order
  PortLoss loss;                      // for PortLost
  std::chrono::milliseconds took{0};  // from the send to the end

  // The unit answered the command, whatever the answer said.
  bool answered() const {
    return outcome == ExchangeOutcome::Completed || outcome == ExchangeOutcome::Refused;
  }
  // The block that completed a read.
  const BlockEvent* block() const;
  // The first acknowledgement of a parameter frame ("$$$SETOK" or "$$$ChkErr\r").
  std::optional<Acknowledgement> frame_answer() const;
  // The first value of `field` the unit reported.
  const StatusEvent* status(StatusField field) const;
};

// For an exchange that was not answered (time-out, overlong answer, cancelled): the message that
// says what was sent on `port`, what came back and what to check; empty for any other outcome.
std::string UnansweredMessage(const ExchangeResult& result, std::string_view port);

}  // namespace dtu
