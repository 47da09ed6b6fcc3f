// What a front end keeps of its reads and writes: the unit of the last read, the one notice of a
// failing history, and whether the history holds what the unit holds now.
#include "core/history/history_recorder.h"

#include <gtest/gtest.h>

#include "core/record/record_time.h"
#include "support/sample_blocks.h"
#include "support/scripted_messages.h"
#include "support/temp_dir.h"

namespace dtu {
namespace {

constexpr std::string_view kPort = "/dev/ttyUSB0";
constexpr std::chrono::minutes kRecent{5};

ExchangeResult Read(const ParameterBlock& block, const std::string& gsn, bool intact = true) {
  ExchangeResult result{ExchangeOutcome::Completed,
                        DeviceExchange(ExchangeKind::ReadParameters, "$$$AT+GETPARA?"),
                        {},
                        {},
                        {},
                        {}};
  result.events = {StatusEvent{StatusField::Version, "V3.6.2"},
                   StatusEvent{StatusField::ModuleSerial, gsn},
                   StatusEvent{StatusField::BoardSerial, "ZB001"}, BlockEvent{block, intact}};
  return result;
}

struct HistoryRecorderTest : ::testing::Test {
  test::TempDir dir;
  test::ScriptedMessages messages;
  ParameterBlock block = test::GprsBlock();

  std::vector<HistoryEntry> Entries(const std::filesystem::path& file) {
    UnitHistory history(file);
    std::vector<HistoryEntry> entries;
    EXPECT_TRUE(history.Entries({}, entries).ok());
    return entries;
  }
};

TEST_F(HistoryRecorderTest, KeepsReadsAndWritesUnderTheUnitOfTheLastRead) {
  HistoryRecorder recorder(dir / "h.sqlite", messages);
  const std::int64_t read = recorder.KeepRead(std::string(kPort), Read(block, "8601"));
  const std::int64_t sent =
      recorder.KeepSent(std::string(kPort), test::SmsBlock(), HistoryEvent::Refused);
  EXPECT_NE(read, 0);
  EXPECT_NE(sent, 0);
  const std::vector<HistoryEntry> entries = Entries(dir / "h.sqlite");
  ASSERT_EQ(entries.size(), 2u);
  EXPECT_EQ(entries[1].unit, (HistoryUnit{"ZB001", "8601", {}}));
  EXPECT_EQ(entries[1].firmware, "V3.6.2");
  EXPECT_EQ(entries[1].event, HistoryEvent::Refused);
  EXPECT_TRUE(messages.records.empty());
}

TEST_F(HistoryRecorderTest, HoldsTheCurrentBlockOnlyOfTheUnitReadLastWhileRecent) {
  HistoryRecorder recorder(dir / "h.sqlite", messages);
  const HistoryUnit a{"ZB001", "8601", {}};
  EXPECT_FALSE(recorder.HoldsCurrentBlock(a, RecordNow(), kRecent));
  recorder.KeepRead(std::string(kPort), Read(block, "8601"));
  const RecordTime now = RecordNow();
  struct Case {
    HistoryUnit unit;
    RecordTime at;
    bool holds;
  };
  const Case cases[] = {
      {a, now, true},
      {{"ZB001", "8602", {}}, now, false},  // another unit
      {a, now + kRecent + std::chrono::seconds(1), false},
  };
  for (const Case& c : cases) EXPECT_EQ(recorder.HoldsCurrentBlock(c.unit, c.at, kRecent), c.holds);
  recorder.Forget();
  EXPECT_FALSE(recorder.HoldsCurrentBlock(a, now, kRecent));
  EXPECT_EQ(recorder.unit(), HistoryUnit{});
}

TEST_F(HistoryRecorderTest, ABlockDamagedOnTheWayIsNotKeptButItsUnitIs) {
  HistoryRecorder recorder(dir / "h.sqlite", messages);
  EXPECT_EQ(recorder.KeepRead(std::string(kPort), Read(block, "8601", false)), 0);
  EXPECT_EQ(recorder.unit().module_serial, "8601");
  EXPECT_FALSE(recorder.HoldsCurrentBlock(recorder.unit(), RecordNow(), kRecent));
  EXPECT_TRUE(Entries(dir / "h.sqlite").empty());
}

TEST_F(HistoryRecorderTest, AHistoryThatCannotBeWrittenIsToldOnce) {
  test::WriteAllBytes(dir / "file", std::vector<std::uint8_t>{'x'});
  HistoryRecorder recorder(dir / "file" / "h.sqlite", messages);
  EXPECT_EQ(recorder.KeepRead(std::string(kPort), Read(block, "8601")), 0);
  EXPECT_EQ(recorder.KeepSent(std::string(kPort), block, HistoryEvent::Written), 0);
  ASSERT_EQ(messages.records.size(), 1u);
  EXPECT_EQ(messages.records[0].kind, MessageKind::Warning);
  EXPECT_FALSE(recorder.HoldsCurrentBlock(recorder.unit(), RecordNow(), kRecent));
}

}  // namespace
}  // namespace dtu
