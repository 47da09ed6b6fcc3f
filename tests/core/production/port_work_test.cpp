// The port side of the production line over a scripted port with a simulated unit behind it:
// the steps for one unit and their log lines, a port's work, and a port that comes back.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cerrno>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "core/production/port_channel.h"
#include "core/production/port_worker.h"
#include "core/production/provision_record.h"
#include "core/production/row_assigner.h"
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
  explicit ScriptedUnit(std::shared_ptr<PortScript> script, dtusim::FaultSet faults = {})
      : script_(std::move(script)),
        dtu_(dtusim::MakeDefaultBlock(), dtusim::DeviceStatus{}, std::move(faults), {}) {
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
  Line() : table(OneRow()), assigner(table, {}, false) {}

  static UnitTable OneRow() {
    UnitTable one;
    one.rows.push_back({2, "", "row:1", {}, Changed(dtusim::MakeDefaultBlock())});
    return one;
  }

  static ParameterBlock Changed(ParameterBlock block) {
    block.set_apn("row.apn");
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
    UnitProvisioner provisioner(line.channel, line.assigner, kReplyLimit,
                                [&](std::string_view step) { line.steps.emplace_back(step); });
    const std::optional<LogEntry> entry = provisioner.Provision({});
    ASSERT_TRUE(entry.has_value());
    EXPECT_EQ(entry->result, c.result);
    EXPECT_EQ(entry->message, c.message) << "one line, in the log's words";
    EXPECT_EQ(entry->port, "/dev/ttyUSB3");
    EXPECT_EQ(unit.block() == line.table.rows[0].block, c.stored);
    const bool answered = c.result != UnitResult::NoAnswer && c.result != UnitResult::Vanished;
    EXPECT_EQ(entry->firmware, answered ? "V3.6.2" : "");
  }
}

TEST(UnitProvisioner, AStopBeforeTheFrameLeavesTheUnitAlone) {
  Line line;
  ScriptedUnit unit(line.script);
  ASSERT_EQ(line.channel.Open(), std::nullopt);
  std::stop_source stop;
  stop.request_stop();
  UnitProvisioner provisioner(line.channel, line.assigner, kReplyLimit, [](std::string_view) {});
  EXPECT_EQ(provisioner.Provision(stop.get_token()), std::nullopt);
  EXPECT_TRUE(line.script->written().empty());
  EXPECT_FALSE(line.assigner.AllDone());
}

class RecordingProgress : public ProvisionProgress {
 public:
  void Update(std::size_t, std::string_view text) override {
    std::lock_guard lock(mutex_);
    updates.emplace_back(text);
  }
  void UnitEnded(std::size_t, const LogEntry& entry) override {
    std::lock_guard lock(mutex_);
    ended.push_back(entry.result);
  }
  std::mutex mutex_;
  std::vector<std::string> updates;
  std::vector<UnitResult> ended;
};

struct ProductionRun {
  test::TempDir dir;
  std::string error;
  std::unique_ptr<ProvisionLog> log = ProvisionLog::Open(dir / "log.csv", error);
  ProvisionRecord record{*log, "", ""};
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

TEST(ChannelOpenError, SaysInOneLineWhyThePortCannotBeUsed) {
  Line line;
  line.script->RefuseLine({EINVAL, "tcsetattr()"});
  const std::optional<ChannelOpenError> refused = line.channel.Open();
  ASSERT_TRUE(refused.has_value());
  EXPECT_EQ(refused->failure, PortOpenFailure::Other);
  EXPECT_EQ(refused->message,
            "the line settings cannot be put on it (tcsetattr(): Invalid argument)");
  EXPECT_FALSE(line.channel.is_open()) << "a unit on a wrongly set line would only seem silent";
  EXPECT_THAT(refused->message, Not(HasSubstr("\n")));
}

}  // namespace
}  // namespace dtu
