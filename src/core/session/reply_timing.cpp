#include "core/session/reply_timing.h"

namespace dtu {
namespace {

// Labelled values (up to a few hundred bytes) before "DTUPARA" and its 1,320 digits.
constexpr std::size_t kParametersAnswer = 2048;
// "$$$SETOK", "$$$ChkErr\r" or "RSSI:" and a value, with room for a value or two around them.
constexpr std::size_t kShortAnswer = 64;
// What a unit trickling its answer may take beyond twice a steady answer's time.
constexpr std::chrono::minutes kTrickleMargin{1};

}  // namespace

std::size_t LongestAnswer(ExchangeKind kind) {
  return kind == ExchangeKind::ReadParameters ? kParametersAnswer : kShortAnswer;
}

ReplyTiming TimingFor(ExchangeKind kind, std::size_t sent_bytes, const LineSettings& line,
                      std::chrono::milliseconds reply_limit) {
  ReplyTiming timing;
  timing.reply_limit = reply_limit;
  timing.silence = reply_limit + LineTime(line, sent_bytes) + LineTime(line, LongestAnswer(kind));
  timing.overall = 2 * timing.silence + kTrickleMargin;
  // A unit may send status values unasked, so any exchange allows for a read's answer.
  timing.most_bytes = 4 * kParametersAnswer;
  return timing;
}

}  // namespace dtu
