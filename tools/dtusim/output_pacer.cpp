#include "dtusim/output_pacer.h"

#include <algorithm>

namespace dtusim {

OutputPacer::OutputPacer(unsigned baud) {
  // Ten bit times per byte: start bit, eight data bits, stop bit.
  if (baud > 0)
    byte_time_ = std::chrono::duration_cast<Clock::duration>(
        std::chrono::nanoseconds(10'000'000'000LL / static_cast<long long>(baud)));
}

void OutputPacer::Enqueue(const Reply& reply, Clock::time_point now) {
  if (vanish_reached_) return;
  const bool was_idle = segments_.empty();
  for (const ReplyPiece& piece : reply.pieces) {
    if (piece.bytes.empty()) continue;
    segments_.push_back({piece.bytes, 0, piece.pause_before, false});
    queued_ += piece.bytes.size();
  }
  if (reply.vanish_after) segments_.push_back({{}, 0, {}, true});
  if (was_idle && !segments_.empty()) StartFront(now);
  Settle(now);
}

// The line is idle until the front segment begins: the earlier of now and the end of the last
// byte, plus the segment's pause. An idle line never lets bytes pile up as credit.
void OutputPacer::StartFront(Clock::time_point now) {
  line_free_ = std::max(line_free_, now) + segments_.front().pause_before;
}

std::string_view OutputPacer::Due(Clock::time_point now) const {
  if (segments_.empty() || vanish_reached_ || now < line_free_) return {};
  const Segment& front = segments_.front();
  std::string_view rest = std::string_view(front.bytes).substr(front.sent);
  if (byte_time_ == Clock::duration::zero()) return rest;
  const auto due = static_cast<std::size_t>((now - line_free_) / byte_time_);
  return rest.substr(0, due);
}

void OutputPacer::Written(std::size_t n, Clock::time_point now) {
  if (segments_.empty()) return;
  Segment& front = segments_.front();
  n = std::min(n, front.bytes.size() - front.sent);
  front.sent += n;
  queued_ -= n;
  line_free_ += static_cast<Clock::duration::rep>(n) * byte_time_;
  Settle(now);
}

// Passes over finished segments; reaching the marker of a vanishing answer stops everything.
void OutputPacer::Settle(Clock::time_point now) {
  while (!segments_.empty() && segments_.front().sent == segments_.front().bytes.size()) {
    if (segments_.front().vanish_after) {
      vanish_reached_ = true;
      return;
    }
    segments_.pop_front();
    if (!segments_.empty()) StartFront(now);
  }
}

std::optional<Clock::time_point> OutputPacer::NextDue() const {
  if (segments_.empty() || vanish_reached_) return std::nullopt;
  return line_free_ + byte_time_;
}

}  // namespace dtusim
