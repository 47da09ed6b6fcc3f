#include "dtusim/sim_runner.h"

#include <algorithm>
#include <cstdio>
#include <string_view>

#include "core/message_language.h"

namespace dtusim {
namespace {

// More than this waiting to go out means the client asks faster than the line can answer; further
// answers are dropped rather than letting memory grow without end.
constexpr std::size_t kMaxQueuedBytes = 1 << 20;

// How long a vanishing port lets the client read the part answer before it disappears.
constexpr std::chrono::milliseconds kVanishGrace{2000};

void Complain(std::string_view what) {
  std::fprintf(stderr, "dtusim: %.*s\n", static_cast<int>(what.size()), what.data());
}

}  // namespace

int SimRunner::Run() {
  for (;;) {
    if (pacer_.VanishReached()) {
      if (options_.verbose)
        Complain(dtu::Say("端口消失（故障 vanish）", "the port vanishes (fault vanish)"));
      port_.Vanish(kVanishGrace);
      return kExitVanished;
    }
    KeepBabbling(Clock::now());
    const bool want_write = !pacer_.Due(Clock::now()).empty();
    const PortEvents events =
        port_.Wait(want_write, WaitLimit(want_write, Clock::now()), stop_.fd());
    if (!events.error.empty()) {
      Complain(events.error);
      return kExitFailure;
    }
    if (events.stop) return kExitOk;
    const auto now = Clock::now();
    if (events.readable && !Receive(now)) return kExitFailure;
    if (events.writable && !Send(now)) return kExitFailure;
    if (IdleTooLong(now)) return kExitOk;
  }
}

// Until the next byte of a paced answer is due (unless bytes are due now: then the wait ends as
// soon as the port takes them), and at most until the idle limit.
std::optional<std::chrono::nanoseconds> SimRunner::WaitLimit(bool want_write,
                                                             Clock::time_point now) const {
  std::optional<Clock::time_point> until;
  if (!want_write) until = pacer_.NextDue();
  if (options_.exit_after_idle) {
    const auto idle_end =
        last_traffic_ + std::chrono::duration_cast<Clock::duration>(
                            std::chrono::duration<double>(*options_.exit_after_idle));
    until = until ? std::min(*until, idle_end) : idle_end;
  }
  if (!until) return std::nullopt;
  return std::chrono::duration_cast<std::chrono::nanoseconds>(*until - now);
}

// No byte has gone either way for the idle limit, whether or not an answer waits for a reader.
bool SimRunner::IdleTooLong(Clock::time_point now) const {
  return options_.exit_after_idle &&
         now - last_traffic_ >= std::chrono::duration<double>(*options_.exit_after_idle);
}

bool SimRunner::Receive(Clock::time_point now) {
  const PortTransfer in = port_.Read();
  if (!in.error.empty()) {
    Complain(in.error);
    return false;
  }
  if (in.bytes.empty()) return true;
  last_traffic_ = now;
  for (const Reply& reply : dtu_.Feed(in.bytes)) {
    if (pacer_.queued_bytes() > kMaxQueuedBytes) {
      Complain(dtu::Say("丢掉了一个回答：对方提问比线路回答得快",
                        "answer dropped: the client asks faster than the line answers"));
      continue;
    }
    babbling_ = babbling_ || reply.endless;
    pacer_.Enqueue(reply, now);
  }
  return true;
}

// An endless answer never leaves the line idle.
void SimRunner::KeepBabbling(Clock::time_point now) {
  if (babbling_ && pacer_.Idle()) pacer_.Enqueue(dtu_.MoreBabble(), now);
}

bool SimRunner::Send(Clock::time_point now) {
  const std::string_view due = pacer_.Due(now);
  if (due.empty()) return true;
  const PortTransfer out = port_.Write(due);
  if (!out.error.empty()) {
    Complain(out.error);
    return false;
  }
  pacer_.Written(out.count, now);
  last_traffic_ = now;
  return true;
}

}  // namespace dtusim
