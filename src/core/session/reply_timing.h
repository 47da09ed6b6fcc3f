#pragma once

#include <chrono>
#include <cstddef>

#include "core/device/device_exchange.h"
#include "core/serial/line_settings.h"

namespace dtu {

// The reply limit's range in whole seconds, as the window offers it, and its default.
inline constexpr int kMinReplySeconds = 1;
inline constexpr int kMaxReplySeconds = 600;
inline constexpr int kDefaultReplySeconds = 5;

// The longest answer a unit gives to each command, in bytes: for a read its status values,
// "DTUPARA" and the block's 1,320 digits; for a write or a signal request a few labelled bytes.
std::size_t LongestAnswer(ExchangeKind kind);

// The one rule for how long an exchange with a unit may take. The answer ends when it is
// complete. It fails when no byte arrives for `silence`: the reply limit the user set, plus the
// time the line needs to carry the command and the longest answer (a write's 1,333-byte frame and
// a read's block take seconds on a slow line). And while bytes keep coming without forming the
// answer, so that a unit sending noise for ever (a wrong baud rate) still stops, it ends once
// `most_bytes` have come (four times the longest answer of all) or `overall` has passed: twice
// the silence limit and a minute more, for a unit that trickles its answer out in pieces with
// pauses each within the limit.
struct ReplyTiming {
  std::chrono::milliseconds reply_limit{0};
  std::chrono::milliseconds silence{0};
  std::chrono::milliseconds overall{0};
  std::size_t most_bytes = 0;

  bool operator==(const ReplyTiming&) const = default;
};

// The timing of `kind` sent as `sent_bytes` bytes on `line`.
ReplyTiming TimingFor(ExchangeKind kind, std::size_t sent_bytes, const LineSettings& line,
                      std::chrono::milliseconds reply_limit);

}  // namespace dtu
