// The units' history on real files: what it keeps of reads and writes, what it prunes, what it
// says a unit held, and how it fails without ever holding up a read or a write.
#include "core/history/unit_history.h"

#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>

#include "core/history/history_location.h"
#include "core/history/history_notice.h"
#include "core/message_language.h"
#include "core/record/production_record.h"
#include "core/record/record_time.h"
#include "core/record/sqlite_connection.h"
#include "support/ordinary_file_access.h"
#include "support/sample_blocks.h"
#include "support/temp_dir.h"

namespace dtu {
namespace {

// The history's messages as an English run of the tools gives them.
const struct English {
  English() { SetMessageLanguage(MessageLanguage::kEnglish); }
} kEnglish;

using E = HistoryEvent;

RecordTime At(int seconds) {
  return FromRecordMillis(1'800'000'000'000LL + seconds * 1000LL);
}

// Sample block `n`: its device number tells it apart.
ParameterBlock Block(int n) {
  ParameterBlock block = test::GprsBlock();
  block.set_device_number(static_cast<std::uint16_t>(n));
  SealBlock(block);
  return block;
}

// One block kept: unit 'A', 'B' or '?' (no serial), what happened, which block, when.
struct Step {
  char unit;
  E event;
  int block;
  std::string port = "/dev/ttyUSB0";
  std::string firmware = "V3.6.2";
};

SeenBlock Seen(const Step& step, int at) {
  const std::string board = step.unit == '?' ? "" : std::string("ZB00") + step.unit;
  const std::string module = step.unit == '?' ? "" : std::string("86912304000000") + step.unit;
  return {board, module, step.firmware, step.port, step.event, Block(step.block), At(at)};
}

// An entry as the tables below write it: event, block and count.
struct Kept {
  E event;
  int block;
  int count = 1;
  bool operator==(const Kept&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Kept& kept) {
  return out << HistoryEventName(kept.event) << " " << kept.block << " x" << kept.count;
}

class UnitHistoryTest : public ::testing::Test {
 protected:
  std::filesystem::path File() const { return folder_ / "data/dtuconfig/history.sqlite"; }

  std::vector<std::int64_t> Add(UnitHistory& history, const std::vector<Step>& steps) {
    std::vector<std::int64_t> ids;
    for (const Step& step : steps) {
      std::int64_t id = 0;
      const HistoryError error = history.Add(Seen(step, static_cast<int>(ids.size())), id);
      EXPECT_TRUE(error.ok()) << error.message;
      ids.push_back(id);
    }
    return ids;
  }

  std::vector<Kept> KeptOf(UnitHistory& history, const std::string& unit) {
    std::vector<HistoryEntry> entries;
    const HistoryError error = history.Entries(unit, entries);
    EXPECT_TRUE(error.ok()) << error.message;
    std::vector<Kept> kept;
    for (const HistoryEntry& e : entries)
      kept.push_back({e.event, e.block.device_number(), e.count});
    return kept;
  }

  test::TempDir folder_;
};

TEST_F(UnitHistoryTest, KeepsIdenticalConsecutiveReadsOfAUnitOnce) {
  const struct {
    const char* name;
    std::vector<Step> steps;
    std::vector<Kept> unit_a;
  } cases[] = {
      {"the same read thrice",
       {{'A', E::Read, 1}, {'A', E::Read, 1}, {'A', E::Read, 1}},
       {{E::Read, 1, 3}}},
      {"a change between",
       {{'A', E::Read, 1}, {'A', E::Read, 2}, {'A', E::Read, 1}},
       {{E::Read, 1}, {E::Read, 2}, {E::Read, 1}}},
      {"a write between",
       {{'A', E::Read, 1}, {'A', E::Written, 1}, {'A', E::Read, 1}},
       {{E::Read, 1}, {E::Written, 1}, {E::Read, 1}}},
      {"another unit between",
       {{'A', E::Read, 1}, {'B', E::Read, 1}, {'A', E::Read, 1}},
       {{E::Read, 1, 2}}},
      {"new firmware",
       {{'A', E::Read, 1}, {'A', E::Read, 1, "/dev/ttyUSB0", "V3.7.0"}},
       {{E::Read, 1}, {E::Read, 1}}},
      {"another port", {{'A', E::Read, 1}, {'A', E::Read, 1, "/dev/ttyUSB3"}}, {{E::Read, 1, 2}}},
      {"writes are never merged",
       {{'A', E::Refused, 2}, {'A', E::Refused, 2}, {'A', E::Verified, 2}},
       {{E::Refused, 2}, {E::Refused, 2}, {E::Verified, 2}}},
  };
  for (const auto& c : cases) {
    UnitHistory history(folder_ / (std::string(c.name) + ".sqlite"));
    Add(history, c.steps);
    EXPECT_EQ(KeptOf(history, "ZB00A"), c.unit_a) << c.name;
  }
  // A merged read keeps its first time and takes the last time and port.
  UnitHistory history(File());
  Add(history, {{'A', E::Read, 1}, {'A', E::Read, 1}, {'A', E::Read, 1, "/dev/ttyUSB3"}});
  std::vector<HistoryEntry> entries;
  ASSERT_TRUE(history.Entries("86912304000000A", entries).ok());
  ASSERT_EQ(entries.size(), 1u);
  EXPECT_EQ(entries[0].first_time, At(0));
  EXPECT_EQ(entries[0].time, At(2));
  EXPECT_EQ(entries[0].port, "/dev/ttyUSB3");
  EXPECT_EQ(entries[0].block.bytes(), Block(1).bytes());
}

TEST_F(UnitHistoryTest, AUnitWithoutSerialsIsKnownByItsPort) {
  UnitHistory history(File());
  Add(history,
      {{'?', E::Read, 1}, {'?', E::Read, 2, "/dev/ttyUSB1"}, {'A', E::Read, 3}, {'?', E::Read, 1}});
  std::vector<HistoryUnitInfo> units;
  ASSERT_TRUE(history.Units(units).ok());
  ASSERT_EQ(units.size(), 3u);
  EXPECT_EQ(units[0].unit, (HistoryUnit{"", "", "/dev/ttyUSB1"}));
  EXPECT_EQ(units[1].unit, (HistoryUnit{"ZB00A", "86912304000000A", ""}));
  EXPECT_EQ(units[2].unit, (HistoryUnit{"", "", "/dev/ttyUSB0"}));
  EXPECT_EQ(units[2].entries, 1);
  EXPECT_EQ(units[2].last_seen, At(3));
  EXPECT_EQ(KeptOf(history, "/dev/ttyUSB0"), (std::vector<Kept>{{E::Read, 1, 2}}));
}

// The newest N of a unit stay, and so does the entry of what the unit holds now.
TEST_F(UnitHistoryTest, KeepsTheNewestEntriesAndWhatTheUnitHolds) {
  const struct {
    const char* name;
    int kept;
    std::vector<Step> steps;
    std::vector<Kept> left;
  } cases[] = {
      {"reads",
       3,
       {{'A', E::Read, 1}, {'A', E::Read, 2}, {'A', E::Read, 3}, {'A', E::Read, 4}},
       {{E::Read, 2}, {E::Read, 3}, {E::Read, 4}}},
      {"refused writes after a read",
       2,
       {{'A', E::Read, 1}, {'A', E::Refused, 2}, {'A', E::Refused, 3}, {'A', E::Refused, 4}},
       {{E::Read, 1}, {E::Refused, 3}, {E::Refused, 4}}},
      {"a verified write",
       1,
       {{'A', E::Read, 1}, {'A', E::Verified, 2}, {'A', E::Refused, 3}},
       {{E::Verified, 2}, {E::Refused, 3}}},
      {"a write not read back",
       1,
       {{'A', E::Read, 1}, {'A', E::Written, 2}, {'A', E::Refused, 3}},
       {{E::Read, 1}, {E::Written, 2}, {E::Refused, 3}}},
      {"other units are not counted",
       2,
       {{'A', E::Read, 1},
        {'B', E::Read, 2},
        {'B', E::Read, 3},
        {'B', E::Read, 4},
        {'A', E::Read, 5}},
       {{E::Read, 1}, {E::Read, 5}}},
  };
  for (const auto& c : cases) {
    UnitHistory history(folder_ / (std::string(c.name) + ".sqlite"));
    ASSERT_TRUE(history.SetKeptPerUnit(c.kept).ok());
    Add(history, c.steps);
    EXPECT_EQ(KeptOf(history, "ZB00A"), c.left) << c.name;
  }
  // A smaller number takes effect at once, and is the file's for every program.
  UnitHistory history(File());
  Add(history, {{'A', E::Read, 1}, {'A', E::Read, 2}, {'A', E::Read, 3}});
  ASSERT_TRUE(history.SetKeptPerUnit(2).ok());
  EXPECT_EQ(KeptOf(history, "ZB00A"), (std::vector<Kept>{{E::Read, 2}, {E::Read, 3}}));
  int kept = 0;
  ASSERT_TRUE(UnitHistory(File()).KeptPerUnit(kept).ok());
  EXPECT_EQ(kept, 2);
  for (const int refused : {0, kMostKeptPerUnit + 1})
    EXPECT_EQ(history.SetKeptPerUnit(refused).failure, HistoryFailure::BadValue);
}

TEST_F(UnitHistoryTest, SaysWhatAUnitHeldBeforeAWriteAndHoldsNow) {
  UnitHistory history(File());
  const auto ids = Add(history, {{'A', E::Read, 1},
                                 {'B', E::Read, 7},
                                 {'A', E::Refused, 2},
                                 {'A', E::Written, 3},
                                 {'A', E::Refused, 4}});
  std::optional<HistoryEntry> entry;
  const struct {
    std::size_t step;
    std::optional<int> held_before;
  } cases[] = {{0, std::nullopt}, {2, 1}, {3, 1}, {4, 3}};
  for (const auto& c : cases) {
    ASSERT_TRUE(history.HeldBefore(ids[c.step], entry).ok());
    EXPECT_EQ(entry ? std::optional<int>(entry->block.device_number()) : std::nullopt,
              c.held_before)
        << c.step;
  }
  ASSERT_TRUE(history.HeldNow(Seen({'A', E::Read, 0}, 0).unit(), entry).ok());
  ASSERT_TRUE(entry);
  EXPECT_EQ(entry->id, ids[3]);
  ASSERT_TRUE(history.HeldNow(Seen({'?', E::Read, 0}, 0).unit(), entry).ok());
  EXPECT_FALSE(entry);
  ASSERT_TRUE(history.Entry(ids[1], entry).ok());
  ASSERT_TRUE(entry);
  EXPECT_EQ(entry->unit.board_serial, "ZB00B");
}

// Cleared entries leave nothing of their blocks in the file, and their ids are never given
// again.
TEST_F(UnitHistoryTest, ClearingRemovesTheBlocksFromTheFile) {
  UnitHistory history(File());
  ParameterBlock secret = Block(1);
  secret.set_ppp_password("Pw-4711x");
  SealBlock(secret);
  std::int64_t id = 0;
  SeenBlock seen = Seen({'A', E::Read, 1}, 0);
  seen.block = secret;
  ASSERT_TRUE(history.Add(seen, id).ok());
  const auto ids = Add(history, {{'B', E::Read, 2}, {'B', E::Read, 3}});
  int removed = 0;
  ASSERT_TRUE(history.Clear("86912304000000B", removed).ok());
  EXPECT_EQ(removed, 2);
  EXPECT_EQ(KeptOf(history, "ZB00A").size(), 1u);
  ASSERT_TRUE(history.Clear("", removed).ok());
  EXPECT_EQ(removed, 1);
  for (const char* suffix : {"", "-wal"}) {
    auto bytes = test::ReadAllBytes(File().string() + suffix);
    const std::string_view needle = "Pw-4711x";
    EXPECT_EQ(std::search(bytes.begin(), bytes.end(), needle.begin(), needle.end()), bytes.end())
        << suffix;
  }
  EXPECT_GT(Add(history, {{'A', E::Read, 1}}).at(0), ids.back());
}

TEST_F(UnitHistoryTest, IsMadeForTheUserAloneAtTheFirstBlockAndNotBefore) {
  UnitHistory history(File());
  std::vector<HistoryEntry> entries;
  std::optional<HistoryEntry> entry;
  EXPECT_TRUE(history.Entries("", entries).ok());
  EXPECT_TRUE(history.HeldBefore(1, entry).ok());
  EXPECT_FALSE(std::filesystem::exists(folder_ / "data"));
  Add(history, {{'A', E::Read, 1}});
  struct stat status {};
  ASSERT_EQ(::stat(File().parent_path().c_str(), &status), 0);
  EXPECT_EQ(status.st_mode & 0777, 0700u);
  ASSERT_EQ(::stat(File().c_str(), &status), 0);
  EXPECT_EQ(status.st_mode & 0777, 0600u);
}

TEST(HistoryLocationTest, LivesInTheUsersDataFolder) {
  const struct {
    const char* history;
    const char* data_home;
    const char* home;
    const char* path;
  } cases[] = {
      {nullptr, nullptr, "/home/li", "/home/li/.local/share/dtuconfig/history.sqlite"},
      {nullptr, "/data/li", "/home/li", "/data/li/dtuconfig/history.sqlite"},
      {nullptr, "relative", "/home/li", "/home/li/.local/share/dtuconfig/history.sqlite"},
      {"/tmp/h.sqlite", "/data/li", "/home/li", "/tmp/h.sqlite"},
  };
  for (const auto& c : cases) {
    const auto set = [](const char* name, const char* value) {
      value ? ::setenv(name, value, 1) : ::unsetenv(name);
    };
    set("DTUCONFIG_HISTORY", c.history);
    set("XDG_DATA_HOME", c.data_home);
    set("HOME", c.home);
    EXPECT_EQ(DefaultHistoryPath(), c.path);
  }
}

// Each way the file can fail a block, with what the failure says; the notice says the first.
TEST_F(UnitHistoryTest, AHistoryThatCannotBeWrittenSaysWhyOnce) {
  test::WriteAllBytes(folder_ / "plain", std::string("not a folder"));
  test::WriteAllBytes(folder_ / "notes.sqlite", std::string(4096, 'x'));
  const std::string record = (folder_ / "record.db").string();
  RecordError opened;
  ProductionRecord::Open(record, ProductionRecord::Access::Create, opened);
  const std::filesystem::path newer = folder_ / "newer.sqlite";
  {
    UnitHistory history(newer);
    Add(history, {{'A', E::Read, 1}});
  }
  SqliteConnection(newer, SqliteConnection::Mode::Write, std::chrono::seconds(1))
      .Query("INSERT INTO history_version VALUES (2, 0)");
  const struct {
    std::filesystem::path file;
    HistoryFailure failure;
    std::string says;
  } cases[] = {
      {folder_ / "plain/dtuconfig/history.sqlite", HistoryFailure::Unwritable, "Not a directory"},
      {folder_ / "notes.sqlite", HistoryFailure::NotAHistory, "not a units' history"},
      {record, HistoryFailure::NotAHistory, "holds other tables, not a units' history"},
      {newer, HistoryFailure::TooNew, "made by a newer version of dtuconfig (history version 2"},
  };
  HistoryNotice notice;
  for (const auto& c : cases) {
    UnitHistory history(c.file);
    std::int64_t id = 0;
    const HistoryError error = history.Add(Seen({'A', E::Read, 1}, 0), id);
    EXPECT_EQ(error.failure, c.failure) << c.file << ": " << error.message;
    EXPECT_NE(error.message.find(c.file.string()), std::string::npos) << error.message;
    EXPECT_NE(error.message.find(c.says), std::string::npos) << error.message;
    const std::optional<std::string> said = notice.Take(error);
    EXPECT_EQ(said.has_value(), &c == &cases[0]) << c.file;
    if (said) {
      EXPECT_NE(said->find(error.message), std::string::npos) << *said;
    }
  }
  EXPECT_FALSE(HistoryNotice().Take({}));
}

TEST_F(UnitHistoryTest, AHistoryHeldByAnotherProgramIsLockedNotWaitedFor) {
  UnitHistory history(File(), std::chrono::milliseconds(50));
  Add(history, {{'A', E::Read, 1}});
  SqliteConnection other(File(), SqliteConnection::Mode::Write, std::chrono::seconds(1));
  other.BeginWrite();
  std::int64_t id = 0;
  const HistoryError error = history.Add(Seen({'A', E::Read, 2}, 1), id);
  EXPECT_EQ(error.failure, HistoryFailure::Locked) << error.message;
  other.Rollback();
  EXPECT_TRUE(history.Add(Seen({'A', E::Read, 2}, 1), id).ok());
}

// A history its user may read but not write is listed all the same.
TEST_F(UnitHistoryTest, AReadOnlyHistoryIsReadButNotWritten) {
  ::chmod(folder_.path().c_str(), 0755);
  {
    UnitHistory history(File());
    Add(history, {{'A', E::Read, 1}});
  }
  ::chmod(File().parent_path().parent_path().c_str(), 0755);
  ::chmod(File().parent_path().c_str(), 0555);
  ::chmod(File().c_str(), 0444);
  HistoryError read, written;
  {
    test::OrdinaryFileAccess ordinary;
    UnitHistory history(File());
    std::vector<HistoryEntry> entries;
    read = history.Entries("", entries);
    std::int64_t id = 0;
    written = history.Add(Seen({'A', E::Read, 2}, 1), id);
    EXPECT_EQ(entries.size(), 1u);
  }
  ::chmod(File().parent_path().c_str(), 0700);
  EXPECT_TRUE(read.ok()) << read.message;
  EXPECT_EQ(written.failure, HistoryFailure::Unwritable) << written.message;
  EXPECT_NE(written.message.find("read-only"), std::string::npos) << written.message;
}

// A full disk, as a process whose files may grow no further sees it: the block is refused with
// Full, and what was kept before is intact.
TEST_F(UnitHistoryTest, AFullDiskRefusesTheBlockAndKeepsTheRest) {
  {
    UnitHistory history(File());
    Add(history, {{'A', E::Read, 1}});
  }
  const pid_t child = ::fork();
  if (child == 0) {
    ::signal(SIGXFSZ, SIG_IGN);
    const rlimit limit{64 * 1024, 64 * 1024};
    ::setrlimit(RLIMIT_FSIZE, &limit);
    UnitHistory history(File());
    for (int n = 2; n < 10000; ++n) {
      std::int64_t id = 0;
      const HistoryError error = history.Add(Seen({'A', E::Read, n}, n), id);
      if (!error.ok())
        ::_exit(static_cast<int>(error.failure) +
                (error.message.find(File().string()) == std::string::npos ? 50 : 0));
    }
    ::_exit(99);
  }
  int status = 0;
  ::waitpid(child, &status, 0);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), static_cast<int>(HistoryFailure::Full));
  UnitHistory history(File());
  std::vector<HistoryEntry> entries;
  ASSERT_TRUE(history.Entries("", entries).ok());
  EXPECT_GT(entries.size(), 1u);
  EXPECT_EQ(entries[0].block.bytes(), Block(1).bytes());
}

}  // namespace
}  // namespace dtu
