// The unit session over a scripted port: the answers it completes, its one time rule on a clock
// the test moves, late bytes, a lost port, typed open errors, and the ways a wait is cut short.
#include "core/session/unit_session.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <stop_token>
#include <string>
#include <vector>

#include "core/device/device_commands.h"
#include "core/system_error_text.h"
#include "core/text/hex_text.h"
#include "support/scripted_port_backend.h"

namespace dtu {
namespace {

using namespace std::chrono_literals;
using test::ManualClock;
using test::PortScript;
using test::ScriptedPortBackend;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

constexpr LineSettings k9600{9600, 'N', 8, 1, false};

std::string BlockAnswer(ParameterBlock block = {}) {
  SealBlock(block);
  return "VER:V1\rDTUPARA" + EncodeHexText(block.bytes());
}

std::string DamagedBlockAnswer() {
  std::string answer = BlockAnswer();
  answer[answer.size() - 100] = answer[answer.size() - 100] == '0' ? '1' : '0';
  return answer;
}

// What the observer heard, one line each.
class Recorder : public SessionObserver {
 public:
  void Sent(std::string_view bytes) override { lines.push_back("sent " + std::string(bytes)); }
  void Received(std::string_view bytes, bool late) override {
    lines.push_back(std::string(late ? "late " : "received ") + std::string(bytes));
  }
  void Recognised(const DeviceEvent& event) override {
    lines.push_back(std::holds_alternative<BlockEvent>(event) ? "block" : "event");
  }
  void Ended(const ExchangeResult& result) override {
    lines.push_back("ended " + std::to_string(static_cast<int>(result.outcome)));
    last = result;
  }
  void PortLost(const PortLoss& loss) override { lines.push_back("lost " + loss.reason); }
  std::vector<std::string> lines;
  std::optional<ExchangeResult> last;
};

struct Fixture {
  explicit Fixture(bool manual_clock = false)
      : session(std::make_unique<ScriptedPortBackend>(script),
                manual_clock ? UnitSession::ClockSource([this] { return clock.Now(); })
                             : UnitSession::ClockSource()) {
    session.SetObserver(&heard);
  }
  void Open() { ASSERT_EQ(session.Open("/dev/ttyS7", k9600), std::nullopt); }
  // The owner's loop: waits for the monitor (a safety net of 20 s, never reached when all is
  // well) and pumps, until `done`.
  bool PumpUntil(const std::function<bool()>& done) {
    for (int round = 0; round < 10000 && !done(); ++round) {
      pollfd wake{session.wakeup_fd(), POLLIN, 0};
      if (::poll(&wake, 1, 20000) <= 0) return false;
      session.Pump();
    }
    return done();
  }
  bool AwaitMonitor() {
    pollfd wake{session.wakeup_fd(), POLLIN, 0};
    return ::poll(&wake, 1, 20000) > 0;
  }

  std::shared_ptr<PortScript> script = std::make_shared<PortScript>();
  ManualClock clock;
  Recorder heard;
  UnitSession session;
};

// ---- answers ---------------------------------------------------------------------------------

TEST(UnitSession, EachCommandEndsWithItsAnswer) {
  ParameterBlock block;
  struct Case {
    const char* name;
    ExchangeRequest request;
    std::string answer;
    ExchangeOutcome outcome;
    std::size_t events;
  };
  const Case cases[] = {
      {"read", ReadParametersRequest(5s), BlockAnswer(), ExchangeOutcome::Completed, 2},
      {"damaged block", ReadParametersRequest(5s), DamagedBlockAnswer(), ExchangeOutcome::Completed,
       2},
      {"stored", WriteParametersRequest(block, 5s), "$$$SETOK", ExchangeOutcome::Completed, 1},
      {"refused", WriteParametersRequest(block, 5s), "x$$$ChkErr\r", ExchangeOutcome::Refused, 1},
      {"code only", WriteParametersRequest(block, 5s), "SETACNOK\r\n$$$SETOK",
       ExchangeOutcome::Completed, 2},
      {"signal", ReadSignalRequest(5s), "GSN:7\r\nRSSI: 21\r", ExchangeOutcome::Completed, 2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Fixture f;
    f.script->SetUnit([&](std::string_view) { return c.answer; });
    f.Open();
    const ExchangeResult result = f.session.Ask(c.request);
    EXPECT_EQ(result.outcome, c.outcome);
    EXPECT_EQ(result.events.size(), c.events);
    EXPECT_EQ(result.exchange.received_count(), c.answer.size());
    EXPECT_THAT(f.script->written(), ElementsAre(c.request.command));
    EXPECT_FALSE(f.session.busy());
  }
}

TEST(UnitSession, TheResultNamesWhatTheAnswerHeld) {
  Fixture f;
  f.script->SetUnit([](std::string_view) { return "XuLieHao:B7\r\nGSN:M7\r\n" + BlockAnswer(); });
  f.Open();
  const ExchangeResult read = f.session.Ask(ReadParametersRequest(5s));
  ASSERT_NE(read.block(), nullptr);
  EXPECT_TRUE(read.block()->intact);
  EXPECT_EQ(read.status(StatusField::BoardSerial)->text, "B7");
  EXPECT_EQ(read.status(StatusField::Version)->text, "V1");
  EXPECT_EQ(read.status(StatusField::Signal), nullptr);
  EXPECT_EQ(read.frame_answer(), std::nullopt);
  EXPECT_EQ(read.exchange.block_digits(), 1320u);
}

TEST(UnitSession, TheEndIsToldBeforeTheEventThatMadeItAndTheRestOfTheBatchIsLate) {
  Fixture f;
  f.script->SetUnit([](std::string_view) { return "RSSI:9\rVER:V2\r"; });
  f.Open();
  const ExchangeResult result = f.session.Ask(ReadSignalRequest(5s));
  EXPECT_EQ(result.outcome, ExchangeOutcome::Completed);
  EXPECT_THAT(f.heard.lines, ElementsAre("sent $$$AT+GET1?", "received RSSI:9\r", "ended 0",
                                         "event", "late VER:V2\r"));
  EXPECT_EQ(result.status(StatusField::Version), nullptr) << "not recognised once it ended";
}

// ---- the time rule ---------------------------------------------------------------------------

TEST(ReplyTiming, TheLineTimeOfTheCommandAndTheLongestAnswerIsAddedToTheLimit) {
  struct Case {
    ExchangeKind kind;
    std::size_t sent;
    LineSettings line;
    std::chrono::milliseconds silence;
  };
  const Case cases[] = {
      {ExchangeKind::ReadParameters, 14, {1200, 'N', 8, 1}, 5000ms + 117ms + 17067ms},
      {ExchangeKind::ReadParameters, 14, {921600, 'N', 8, 1}, 5000ms + 1ms + 23ms},
      {ExchangeKind::WriteParameters, 1333, {1200, 'E', 8, 1}, 5000ms + 12220ms + 587ms},
      {ExchangeKind::ReadSignal, 11, {2400, 'N', 7, 2}, 5000ms + 46ms + 267ms},
  };
  for (const Case& c : cases) {
    const ReplyTiming timing = TimingFor(c.kind, c.sent, c.line, 5s);
    EXPECT_EQ(timing.reply_limit, 5s);
    EXPECT_EQ(timing.silence, c.silence) << c.line.baud_rate;
    EXPECT_EQ(timing.overall, 2 * c.silence + 1min);
    EXPECT_EQ(timing.most_bytes, 8192u);
  }
}

TEST(UnitSession, ASilentUnitTimesOutWhenTheSilenceLimitHasPassedAndNotBefore) {
  Fixture f(true);
  f.Open();
  ASSERT_TRUE(f.session.Begin(ReadSignalRequest(1s)));
  ASSERT_TRUE(f.PumpUntil([&] { return !f.script->written().empty(); }));
  const std::chrono::milliseconds silence =
      TimingFor(ExchangeKind::ReadSignal, 11, k9600, 1s).silence;
  f.clock.Advance(silence - 1ms);
  f.session.Pump();
  EXPECT_TRUE(f.session.busy());
  f.clock.Advance(1ms);
  f.session.Pump();
  EXPECT_FALSE(f.session.busy());
  EXPECT_EQ(f.heard.lines.back(), "ended 2");  // TimedOut
}

TEST(UnitSession, BytesKeepAnAnswerAliveUntilTheOverallLimitEndsIt) {
  Fixture f(true);
  f.Open();
  ASSERT_TRUE(f.session.Begin(ReadParametersRequest(1s)));
  const ReplyTiming timing = TimingFor(ExchangeKind::ReadParameters, 14, k9600, 1s);
  ASSERT_TRUE(f.PumpUntil([&] { return !f.script->written().empty(); }));
  std::chrono::milliseconds elapsed{0};
  // Noise that never forms a block, a little more often than the silence limit allows.
  while (f.session.busy()) {
    const std::size_t before = f.session.current()->received_count();
    f.script->Send("~!#%");
    ASSERT_TRUE(f.PumpUntil(
        [&] { return !f.session.busy() || f.session.current()->received_count() == before + 4; }));
    ASSERT_TRUE(f.session.busy());
    f.clock.Advance(timing.silence - 1ms);
    elapsed += timing.silence - 1ms;
    f.session.Pump();
    ASSERT_LE(elapsed, timing.overall + timing.silence);
  }
  EXPECT_GE(elapsed, timing.overall);
  EXPECT_EQ(f.heard.lines.back(), "ended 3");  // Overlong
}

TEST(UnitSession, FourTimesTheLongestAnswerWithoutTheAnswerIsNoise) {
  Fixture f(true);
  f.Open();
  ASSERT_TRUE(f.session.Begin(ReadSignalRequest(1s)));
  ASSERT_TRUE(f.PumpUntil([&] { return !f.script->written().empty(); }));
  f.script->Send(std::string(8191, '~'));
  ASSERT_TRUE(f.PumpUntil([&] { return f.session.current()->received_count() == 8191; }));
  f.clock.Advance(2500ms);
  f.script->Send("~");
  ASSERT_TRUE(f.PumpUntil([&] { return !f.session.busy(); }));
  EXPECT_EQ(f.heard.lines.back(), "ended 3");  // Overlong
  ASSERT_TRUE(f.heard.last.has_value());
  EXPECT_EQ(f.heard.last->took, 2500ms);
  EXPECT_EQ(UnansweredMessage(*f.heard.last, "/dev/ttyS7")
                .find("读取信号强度超时：设备一直在发送数据，但 2.5 秒内没有发来完整的回复。"),
            0u);
}

// ---- late bytes ------------------------------------------------------------------------------

TEST(UnitSession, TheRestOfAnAnswerAfterATimeOutIsLateAndNeverTheNextAnswer) {
  Fixture f(true);
  f.Open();
  const std::string answer = BlockAnswer();
  f.script->SetUnit([&](std::string_view) { return answer.substr(0, 500); });
  ASSERT_TRUE(f.session.Begin(ReadParametersRequest(1s)));
  ASSERT_TRUE(f.PumpUntil([&] { return f.session.current()->received_count() == 500; }));
  f.clock.Advance(1h);
  f.session.Pump();
  ASSERT_FALSE(f.session.busy());

  // The rest comes late, and with it a whole answer the unit sends again unasked: neither is
  // anybody's answer, also not the next command's, whose write they arrived ahead of.
  f.script->SetUnit([](std::string_view) { return "RSSI:5\r"; });
  f.script->Send(answer.substr(500) + answer);
  ASSERT_TRUE(f.AwaitMonitor());
  ASSERT_TRUE(f.session.Begin(ReadSignalRequest(1s)));
  ASSERT_TRUE(f.PumpUntil([&] { return !f.session.busy(); }));
  EXPECT_EQ(f.heard.lines.back(), "event");
  std::size_t late = 0;
  for (const std::string& line : f.heard.lines) {
    EXPECT_NE(line, "block");
    if (line.starts_with("late ")) late += line.size() - 5;
  }
  EXPECT_EQ(late, answer.size() - 500 + answer.size());
}

// ---- the port --------------------------------------------------------------------------------

TEST(UnitSession, AVanishedPortEndsTheExchangeWithItsReasonAndClosesTheSession) {
  Fixture f;
  f.script->SetUnit([&](std::string_view) {
    f.script->Vanish();
    return std::string();
  });
  f.Open();
  const ExchangeResult result = f.session.Ask(ReadParametersRequest(5s));
  EXPECT_EQ(result.outcome, ExchangeOutcome::PortLost);
  EXPECT_EQ(result.loss.failure.error, EIO);
  EXPECT_EQ(result.loss.reason, "输入/输出错误");  // in the messages' language
  EXPECT_EQ(f.heard.lines.back(), "lost 输入/输出错误");
  EXPECT_FALSE(f.session.is_open());
  EXPECT_EQ(f.session.Ask(ReadParametersRequest(5s)).outcome, ExchangeOutcome::PortLost);
  // Opened again once it is back.
  f.Open();
  EXPECT_TRUE(f.session.is_open());
}

TEST(UnitSession, APortThatCannotBeOpenedSaysWhyInItsType) {
  using Kind = SessionOpenError::Kind;
  const std::pair<int, Kind> cases[] = {
      {ENOENT, Kind::Missing},      {EBUSY, Kind::Busy}, {EACCES, Kind::NoPermission},
      {ENOTTY, Kind::NotATerminal}, {EIO, Kind::Other},
  };
  for (const auto& [error, kind] : cases) {
    Fixture f;
    f.script->FailOpens(error);
    const std::optional<SessionOpenError> opened = f.session.Open("/dev/ttyS7", k9600);
    ASSERT_TRUE(opened.has_value());
    EXPECT_EQ(opened->kind, kind) << error;
    EXPECT_EQ(opened->code, error);
    EXPECT_EQ(opened->reason, SystemErrorText(error));
    EXPECT_FALSE(f.session.is_open());
    EXPECT_EQ(f.session.Ask(ReadSignalRequest(1s)).outcome, ExchangeOutcome::PortClosed);
    EXPECT_THAT(f.script->written(), IsEmpty());
  }
}

TEST(UnitSession, ALineThePortRefusesLeavesItOpenWithTheEnginesReport) {
  Fixture f;
  f.script->RefuseLine({EINVAL, "tcsetattr()"});
  const std::optional<SessionOpenError> opened = f.session.Open("/dev/ttyS7", k9600);
  ASSERT_TRUE(opened.has_value());
  EXPECT_EQ(opened->kind, SessionOpenError::Kind::LineRefused);
  EXPECT_EQ(opened->setup, (PortFailure{EINVAL, "tcsetattr()"}));
  EXPECT_EQ(opened->report,
            "WARNING:  tcsetattr() Failed with the following error: \nInvalid argument\nPort: "
            "/dev/ttyS7\n");
  EXPECT_TRUE(f.session.is_open());
}

// ---- cut short -------------------------------------------------------------------------------

TEST(UnitSession, AStopOrAnInterruptCancelsTheWait) {
  {
    Fixture f;
    f.Open();
    std::stop_source stop;
    stop.request_stop();
    EXPECT_EQ(f.session.Ask(ReadSignalRequest(600s), stop.get_token()).outcome,
              ExchangeOutcome::Cancelled);
    EXPECT_THAT(f.script->written(), IsEmpty()) << "nothing sent once stopped";
  }
  {
    Fixture f;
    std::stop_source stop;
    f.script->SetUnit([&](std::string_view) {
      stop.request_stop();  // as Ctrl-C would, from another thread
      return std::string("RSSI");
    });
    f.Open();
    const ExchangeResult result = f.session.Ask(ReadSignalRequest(600s), stop.get_token());
    EXPECT_EQ(result.outcome, ExchangeOutcome::Cancelled);
  }
  {
    Fixture f;
    f.Open();
    std::array<int, 2> pipe_ends{};
    ASSERT_EQ(::pipe(pipe_ends.data()), 0);
    ASSERT_EQ(::write(pipe_ends[1], "x", 1), 1);
    EXPECT_EQ(f.session.Ask(ReadSignalRequest(600s), {}, pipe_ends[0]).outcome,
              ExchangeOutcome::Cancelled);
    ::close(pipe_ends[0]);
    ::close(pipe_ends[1]);
  }
}

TEST(UnitSession, ClosingWhileAnAnswerStreamsInEndsItAtOnce) {
  Fixture f;
  f.script->SetUnit([](std::string_view) { return std::string(100000, '~'); });
  f.Open();
  ASSERT_TRUE(f.session.Begin(ReadParametersRequest(600s)));
  ASSERT_TRUE(f.PumpUntil([&] { return f.session.current()->received_count() > 0; }));
  f.session.Close();
  EXPECT_FALSE(f.session.busy());
  EXPECT_EQ(f.heard.lines.back(), "ended 5");  // PortClosed
  EXPECT_FALSE(f.session.Begin(ReadSignalRequest(1s)));
}

}  // namespace
}  // namespace dtu
