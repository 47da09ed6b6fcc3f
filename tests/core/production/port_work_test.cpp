// The port side of the production line over a scripted port with a simulated unit behind it:
// the steps for one unit and their log lines, a port's work, and a port that comes back.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cerrno>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "core/block/block_layout.h"
#include "core/production/port_channel.h"
#include "core/production/port_worker.h"
#include "core/production/provision_record.h"
#include "core/production/row_assigner.h"
#include "core/production/run_control.h"
#include "core/production/unit_provisioner.h"
#include "dtusim/default_block.h"
#include "dtusim/simulated_dtu.h"
#include "support/scripted_port_backend.h"
#include "support/temp_dir.h"

namespace dtu {
namespace {

using namespace std::chrono_literals;
using test::PortScript;
using test::ScriptedPortBackend;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::Not;

// A line fast enough that a unit's silence costs milliseconds.
constexpr LineSettings kFastLine{921600, 'N', 8, 1, false};
constexpr std::chrono::milliseconds kReplyLimit{20};

// The simulated unit answering on the scripted port, with the faults it is told to show.
class ScriptedUnit {
 public:
  explicit ScriptedUnit(std::shared_ptr<PortScript> script, dtusim::FaultSet faults = {},
                        dtusim::DeviceStatus status = {})
      : script_(std::move(script)),
        dtu_(dtusim::MakeDefaultBlock(), std::move(status), std::move(faults), {}) {
    script_->SetUnit([this](std::string_view command) { return Answer(command); });
  }
  ~ScriptedUnit() { script_->SetUnit({}); }
  ScriptedUnit(const ScriptedUnit&) = delete;
  ScriptedUnit& operator=(const ScriptedUnit&) = delete;

  ParameterBlock block() {
    std::lock_guard lock(mutex_);
    return dtu_.block();
  }

 private:
  std::string Answer(std::string_view command) {
    std::lock_guard lock(mutex_);
    std::string answer;
    for (const dtusim::Reply& reply : dtu_.Feed(command)) {
      answer += reply.Text();
      if (reply.vanish_after) script_->Vanish();
    }
    return answer;
  }

  std::shared_ptr<PortScript> script_;
  std::mutex mutex_;
  dtusim::SimulatedDtu dtu_;
};

struct Line {
  explicit Line(int rows = 1) : table(Rows(rows)), assigner(table, {}, false) {}

  static UnitTable Rows(int count) {
    UnitTable table;
    for (int i = 1; i <= count; ++i)
      table.rows.push_back({i + 1,
                            "",
                            "row:" + std::to_string(i),
                            {},
                            Changed(dtusim::MakeDefaultBlock(), "row" + std::to_string(i))});
    return table;
  }

  static ParameterBlock Changed(ParameterBlock block, const std::string& apn) {
    block.set_apn(apn);
    SealBlock(block);
    return block;
  }

  std::shared_ptr<PortScript> script = std::make_shared<PortScript>();
  PortChannel channel{"/dev/ttyUSB3", kFastLine, std::make_unique<ScriptedPortBackend>(script)};
  UnitTable table;
  RowAssigner assigner;
  std::vector<std::string> steps;
};

TEST(UnitProvisioner, EachUnitEndsWithOneLineSayingWhatHappened) {
  struct Case {
    const char* name;
    dtusim::FaultSet faults;
    UnitResult result;
    std::string message;
    bool stored;
  };
  const std::vector<Case> cases{
      {"healthy", {}, UnitResult::Ok, "参数设置成功! 读回的参数与写入的相同", true},
      {"reject", {dtusim::Fault::Reject}, UnitResult::Rejected, "参数校验失败!", false},
      {"damaged read back",
       {dtusim::Fault::BadChecksum},
       UnitResult::Mismatch,
       "读回的参数与写入的不同：1 个字节不同，第一个在偏移 2（checksum）",
       true},
      {"silent", {dtusim::Fault::Silent}, UnitResult::NoAnswer, "读取参数时单元没有回答", false},
      {"short block",
       {dtusim::Fault::ShortBlock},
       UnitResult::NoAnswer,
       "读取参数时单元的回答不完整：收到 1280 个字节（参数 1000/1320 位）后停了 20 毫秒",
       false},
      {"vanish",
       {dtusim::Fault::Vanish},
       UnitResult::Vanished,
       "端口在读取参数时不见了：输入/输出错误",
       false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Line line;
    ScriptedUnit unit(line.script, c.faults);
    ASSERT_EQ(line.channel.Open(), std::nullopt);
    UnitProvisioner provisioner(
        line.channel, line.assigner, kReplyLimit,
        [&](const SlotEvent&, std::string_view step) { line.steps.emplace_back(step); });
    const std::optional<UnitAttempt> attempt = provisioner.Provision({});
    ASSERT_TRUE(attempt.has_value());
    const LogEntry* entry = &attempt->entry;
    EXPECT_EQ(entry->result, c.result);
    EXPECT_EQ(entry->message, c.message) << "one line, in the log's words";
    EXPECT_EQ(entry->port, "/dev/ttyUSB3");
    EXPECT_EQ(unit.block() == line.table.rows[0].block, c.stored);
    // Whatever of its status came before the answer stopped is kept.
    const bool answered =
        c.result != UnitResult::Vanished && !c.faults.contains(dtusim::Fault::Silent);
    EXPECT_EQ(entry->firmware, answered ? "V3.6.2" : "");
  }
}

TEST(UnitProvisioner, AStopBeforeTheFrameLeavesTheUnitAlone) {
  Line line;
  ScriptedUnit unit(line.script);
  ASSERT_EQ(line.channel.Open(), std::nullopt);
  std::stop_source stop;
  stop.request_stop();
  UnitProvisioner provisioner(line.channel, line.assigner, kReplyLimit,
                              [](const SlotEvent&, std::string_view) {});
  EXPECT_EQ(provisioner.Provision(stop.get_token()), std::nullopt);
  EXPECT_TRUE(line.script->written().empty());
  EXPECT_FALSE(line.assigner.AllDone());
}

class RecordingProgress : public ProvisionProgress {
 public:
  void Update(std::size_t, std::string_view text) override {
    std::lock_guard lock(mutex_);
    updates.emplace_back(text);
    if (on_update) on_update(text);
  }
  void UnitEnded(std::size_t, const LogEntry& entry) override {
    std::lock_guard lock(mutex_);
    ended.push_back(entry.result);
  }
  void SlotChanged(std::size_t, const SlotEvent& event) override {
    std::lock_guard lock(mutex_);
    events.push_back(event);
    if (on_step) on_step(event.step);
  }
  std::vector<SlotStep> steps() {
    std::lock_guard lock(mutex_);
    std::vector<SlotStep> told;
    for (const SlotEvent& event : events) told.push_back(event.step);
    return told;
  }
  std::mutex mutex_;
  std::vector<std::string> updates;
  std::vector<UnitResult> ended;
  std::vector<SlotEvent> events;
  std::function<void(SlotStep)> on_step;
  std::function<void(std::string_view)> on_update;
};

struct ProductionRun {
  test::TempDir dir;
  std::string error;
  std::unique_ptr<ProvisionLog> log = ProvisionLog::Open(dir / "log.csv", error);
  ProvisionRecord record{log.get(), "", ""};
  RecordingProgress progress;
};

TEST(PortWorker, AfterTheLastRowThePortsWorkEnds) {
  for (const bool once : {true, false}) {
    SCOPED_TRACE(once);
    Line line;
    ProductionRun run;
    ScriptedUnit unit(line.script);
    ASSERT_EQ(line.channel.Open(), std::nullopt);
    PortWorker(0, line.channel, line.assigner, run.record, run.progress, {kReplyLimit, once})
        .Run({});
    EXPECT_THAT(run.progress.ended, ElementsAre(UnitResult::Ok));
    EXPECT_TRUE(line.assigner.AllDone());
    EXPECT_EQ(unit.block(), line.table.rows[0].block);
    // Without --once the port asked whether a unit was there before it read one.
    EXPECT_EQ(line.script->written().front().starts_with("$$$AT+GET1?"), !once);
  }
}

TEST(PortWorker, APortThatVanishesWhileWaitingIsOpenedAgainOnceItIsBack) {
  Line line;
  ProductionRun run;
  ASSERT_EQ(line.channel.Open(), std::nullopt);
  ScriptedUnit unit(line.script);
  // The first question pulls the adapter out; it is back at the second try to open it, with the
  // unit on it.
  auto healthy = line.script->unit();
  bool pulled = false;
  line.script->SetUnit([&](std::string_view command) {
    if (pulled) return healthy(command);
    pulled = true;
    line.script->Vanish();
    line.script->FailOpens(ENOENT, 1);
    return std::string();
  });
  PortWorker(0, line.channel, line.assigner, run.record, run.progress, {kReplyLimit, false})
      .Run({});
  EXPECT_THAT(run.progress.ended, ElementsAre(UnitResult::Ok));
  EXPECT_THAT(run.progress.updates, testing::Contains("端口不见了，等它回来"));
  EXPECT_EQ(line.script->opens(), 3);
  EXPECT_EQ(unit.block(), line.table.rows[0].block);
}

TEST(PortWorker, TellsEachStepTypedAsTheWindowsTilesShowThem) {
  Line line;
  ProductionRun run;
  ScriptedUnit unit(line.script, {}, {.gsn = "861001"});
  ASSERT_EQ(line.channel.Open(), std::nullopt);
  RunControl control(1);
  control.SetPaused(true);
  run.progress.on_step = [&](SlotStep step) {
    if (step == SlotStep::Paused) control.SetPaused(false);
  };
  PortWorker(0, line.channel, line.assigner, run.record, run.progress, {kReplyLimit, false},
             &control)
      .Run({});
  EXPECT_THAT(
      run.progress.steps(),
      ElementsAre(SlotStep::Paused, SlotStep::WaitingForUnit, SlotStep::Reading, SlotStep::Writing,
                  SlotStep::Checking, SlotStep::Done, SlotStep::RowsFinished));
  const SlotEvent& done = run.progress.events[5];
  EXPECT_EQ(done.result, UnitResult::Ok);
  EXPECT_EQ(done.unit.module_serial, "861001");
  EXPECT_EQ(done.row_line, 2);
  EXPECT_EQ(run.progress.events[3].step_number, 2);
  EXPECT_EQ(run.progress.events[3].row_line, 2) << "the row is known once it is written";
}

// A unit that refused its block and is still seated is tried again when asked, and the port's
// work ends with the unit under way finished once the run is told to finish.
TEST(PortWorker, AUnitIsTriedAgainOnRequestAndFinishLetsItEnd) {
  Line line;
  ProductionRun run;
  ScriptedUnit unit(line.script, {dtusim::Fault::Reject});
  ASSERT_EQ(line.channel.Open(), std::nullopt);
  RunControl control(1);
  int failures = 0;
  bool retried = false;
  run.progress.on_update = [&](std::string_view text) {
    if (text == "请换下一个单元" && !retried) {
      retried = true;
      control.RequestRetry(0);
    }
  };
  run.progress.on_step = [&](SlotStep step) {
    if (step == SlotStep::Failed && ++failures == 2) control.Finish();
  };
  PortWorker(0, line.channel, line.assigner, run.record, run.progress, {kReplyLimit, false},
             &control)
      .Run({});
  EXPECT_THAT(run.progress.ended, ElementsAre(UnitResult::Rejected, UnitResult::Rejected));
  EXPECT_THAT(run.progress.updates, Not(testing::Contains("表中的行都已完成")));
}

// The operator swaps the unit for the next one within a second: the next unit answers the very
// next question, never falls silent, and is still taken as the new unit it is.
TEST(PortWorker, AUnitSwappedForTheNextWithoutAPauseIsProvisionedToo) {
  Line line(2);
  ProductionRun run;
  ScriptedUnit first(line.script, {}, {.gsn = "861001"});
  auto first_answers = line.script->unit();
  ScriptedUnit second(line.script, {}, {.gsn = "861002"});
  auto second_answers = line.script->unit();
  bool written = false;
  bool swapped = false;
  // The first unit answers up to the read-back after its write; from then on the second does.
  line.script->SetUnit([&](std::string_view command) {
    if (swapped) return second_answers(command);
    if (written && command.starts_with("$$$AT+GETPARA?")) swapped = true;
    if (command.starts_with("$$$AT+SETPARA")) written = true;
    return first_answers(command);
  });
  ASSERT_EQ(line.channel.Open(), std::nullopt);
  PortWorker(0, line.channel, line.assigner, run.record, run.progress, {kReplyLimit, false})
      .Run({});
  EXPECT_THAT(run.progress.ended, ElementsAre(UnitResult::Ok, UnitResult::Ok));
  EXPECT_EQ(first.block(), line.table.rows[0].block);
  EXPECT_EQ(second.block(), line.table.rows[1].block);
}

// A mismatch names the first field that differs; the checksum, which differs whenever another
// field does, only when nothing else differs.
TEST(DescribeDifference, NamesTheFirstDifferingFieldBeforeTheChecksum) {
  const ParameterBlock sent = dtusim::MakeDefaultBlock();
  struct Case {
    std::vector<std::size_t> changed;  // offsets
    std::string text;
  };
  const std::size_t apn = field::apn.offset;
  const std::vector<Case> cases{
      {{2}, "1 个字节不同，第一个在偏移 2（checksum）"},
      {{2, 3, apn}, "3 个字节不同，第一个在偏移 " + std::to_string(apn) + "（apn）"},
      {{0, 2}, "2 个字节不同，第一个在偏移 0（length）"},
  };
  for (const Case& c : cases) {
    ParameterBlock read = sent;
    for (const std::size_t offset : c.changed) read.bytes()[offset] ^= 0x11;
    EXPECT_EQ(DescribeDifference(sent, read), "读回的参数与写入的不同：" + c.text);
  }
  EXPECT_EQ(DescribeDifference(sent, sent), "");
}

TEST(ChannelOpenError, SaysInOneLineWhyThePortCannotBeUsed) {
  Line line;
  line.script->RefuseLine({EINVAL, "tcsetattr()"});
  const std::optional<ChannelOpenError> refused = line.channel.Open();
  ASSERT_TRUE(refused.has_value());
  EXPECT_EQ(refused->failure, PortOpenFailure::Other);
  EXPECT_EQ(refused->message, "无法给它设置串口参数（tcsetattr(): 无效的参数）");
  EXPECT_FALSE(line.channel.is_open()) << "a unit on a wrongly set line would only seem silent";
  EXPECT_THAT(refused->message, Not(HasSubstr("\n")));
}

}  // namespace
}  // namespace dtu
