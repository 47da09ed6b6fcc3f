#pragma once

#include <chrono>
#include <cstddef>
#include <deque>
#include <optional>
#include <string>
#include <string_view>

#include "dtusim/reply.h"

namespace dtusim {

using Clock = std::chrono::steady_clock;

// Holds the answers waiting to go out and says which bytes may be written when, so that the
// line behaves like a serial line of the chosen rate: each byte takes 10 bit times, and a pause
// of a chunked answer keeps the line idle. The caller asks what is due, writes what it can and
// reports how much went out; between the due times it sleeps (NextDue), it never spins.
class OutputPacer {
 public:
  // 0: no pacing, everything is due at once (pauses are still kept).
  explicit OutputPacer(unsigned baud);

  void Enqueue(const Reply& reply, Clock::time_point now);

  // The bytes that may be written now; empty when none is due yet or nothing waits.
  std::string_view Due(Clock::time_point now) const;

  // The first n bytes of the last Due() were written at `now`.
  void Written(std::size_t n, Clock::time_point now);

  // When the next byte becomes due, if any is waiting.
  std::optional<Clock::time_point> NextDue() const;

  bool Idle() const { return segments_.empty(); }
  std::size_t queued_bytes() const { return queued_; }

  // A vanishing answer has been written in full: the port is to disappear now.
  bool VanishReached() const { return vanish_reached_; }

 private:
  struct Segment {
    std::string bytes;
    std::size_t sent = 0;
    std::chrono::milliseconds pause_before{0};
    bool vanish_after = false;
  };

  void StartFront(Clock::time_point now);
  void Settle(Clock::time_point now);

  Clock::duration byte_time_{0};
  std::deque<Segment> segments_;
  std::size_t queued_ = 0;
  // The moment the line finished (or, with a pause ahead, will start) sending the front segment's
  // bytes so far; bytes become due one byte time after another from here.
  Clock::time_point line_free_{};
  bool vanish_reached_ = false;
};

}  // namespace dtusim
