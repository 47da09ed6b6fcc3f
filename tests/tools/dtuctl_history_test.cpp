// dtuctl read and write keep every block of a unit in the units' history, and dtuctl history
// lists, shows, compares and puts back what it holds: run as processes against simulated units
// on real pseudo-terminals, each test process with a history file of its own.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "core/block/block_check.h"
#include "core/block/parameter_block.h"
#include "core/text/utf8_text.h"
#include "support/dtuctl_run.h"
#include "support/dtusim_process.h"
#include "support/temp_dir.h"

namespace dtu {
namespace {

using namespace test::dtuctl_exit;
using test::Dtuctl;
using test::ProcessResult;
using test::ReadAllBytes;
using test::TempDir;
using test::WriteAllBytes;
using ::testing::HasSubstr;
using ::testing::IsEmpty;
using Bytes = std::vector<std::uint8_t>;
namespace fs = std::filesystem;

// A simulated unit with serials of its own, keeping its block in a state file.
struct Unit {
  Unit(const std::string& board, const std::string& gsn)
      : state(dir / "unit.mts"),
        sim(DTUSIM_PATH, {"--state", state.string(), "--board-serial", board, "--gsn", gsn,
                          "--version", "V6.0"}) {}
  const std::string& port() const { return sim.port_path(); }
  Bytes State() const { return ReadAllBytes(state); }

  // A parameter file of the unit's block with another APN, as dtuctl write takes it.
  fs::path ChangedFile(const std::string& apn) const {
    ParameterBlock block;
    const Bytes bytes = State();
    std::copy_n(bytes.begin(), kBlockSize, block.bytes().begin());
    block.set_apn(apn);
    SealBlock(block);
    const fs::path file = dir / (apn + ".mts");
    WriteAllBytes(file, block.bytes());
    return file;
  }

  TempDir dir;
  fs::path state;
  test::DtusimProcess sim;
};

nlohmann::json ListJson(const std::vector<std::string>& extra = {}) {
  std::vector<std::string> args{"history", "list", "--json"};
  args.insert(args.end(), extra.begin(), extra.end());
  const ProcessResult list = Dtuctl(args);
  EXPECT_EQ(list.exit_status, kOk) << list.err;
  return nlohmann::json::parse(list.out);
}

// The entries as "board event" words, oldest first.
std::vector<std::string> Events(const nlohmann::json& entries) {
  std::vector<std::string> events;
  for (const auto& entry : entries)
    events.push_back(entry["board_serial"].get<std::string>() + " " +
                     entry["event"].get<std::string>());
  return events;
}

std::string Id(const nlohmann::json& entry) {
  return std::to_string(entry["id"].get<int>());
}

class DtuctlHistory : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(Dtuctl({"history", "clear"}).exit_status, kOk); }
};

TEST_F(DtuctlHistory, BothUnitsBlocksBeforeAndAfterTheirWritesAreKeptAndRestoredByteForByte) {
  Unit a("ZBA", "860000000000001");
  Unit b("ZBB", "860000000000002");
  const Bytes original = a.State();
  ASSERT_EQ(Dtuctl({"read", "--port", a.port()}).exit_status, kOk);
  const ProcessResult write_a = Dtuctl({"write", "--port", a.port(), a.ChangedFile("A1").string()});
  ASSERT_EQ(write_a.exit_status, kOk) << write_a.err;
  EXPECT_EQ(write_a.out, "参数设置成功!\n") << "the read before the write prints nothing";
  ASSERT_EQ(Dtuctl({"read", "--port", b.port()}).exit_status, kOk);
  ASSERT_EQ(Dtuctl({"write", "--port", b.port(), b.ChangedFile("B1").string()}).exit_status, kOk);

  const nlohmann::json entries = ListJson();
  EXPECT_EQ(Events(entries),
            (std::vector<std::string>{"ZBA read", "ZBA written", "ZBB read", "ZBB written"}));
  EXPECT_EQ(entries[0]["count"], 2) << "the read and the read before the write are one entry";
  EXPECT_EQ(entries[0]["module_serial"], "860000000000001");
  EXPECT_EQ(entries[0]["firmware"], "V6.0");
  EXPECT_EQ(entries[0]["port"], a.port());
  EXPECT_EQ(Events(ListJson({"ZBB"})), (std::vector<std::string>{"ZBB read", "ZBB written"}));

  const ProcessResult restore =
      Dtuctl({"history", "restore", Id(entries[0]), "--port", a.port(), "--yes"});
  ASSERT_EQ(restore.exit_status, kOk) << restore.err;
  EXPECT_EQ(a.State(), original) << "A holds its original bytes again";
  EXPECT_EQ(Events(ListJson({"ZBA"})),
            (std::vector<std::string>{"ZBA read", "ZBA written", "ZBA read", "ZBA written"}))
      << "the restore is a write like any other, with the block it replaced";
}

// The column where each cell of a table's line starts, on a terminal (two columns a Chinese
// character): cells are two spaces or more apart.
std::vector<std::size_t> CellColumns(const std::string& line) {
  std::vector<std::size_t> columns;
  for (std::size_t at = line.find_first_not_of(' '); at != std::string::npos;) {
    columns.push_back(TerminalColumns(std::string_view(line).substr(0, at)));
    const std::size_t gap = line.find("  ", at);
    at = gap == std::string::npos ? gap : line.find_first_not_of(' ', gap);
  }
  return columns;
}

// A Chinese run lists the units under Chinese headings that line up with their cells, and
// counts a unit's entries in Chinese; the event keeps its name.
TEST_F(DtuctlHistory, TheListsSpeakChineseAndLineUpInAChineseRun) {
  Unit a("ZBA", "860000000000001");
  ASSERT_EQ(Dtuctl({"read", "--port", a.port()}).exit_status, kOk);
  const ProcessResult units = Dtuctl({"history", "list"});
  ASSERT_EQ(units.exit_status, kOk) << units.err;
  const std::size_t end = units.out.find('\n');
  const std::string heading = units.out.substr(0, end);
  EXPECT_THAT(heading, ::testing::StartsWith("板卡序列号  模块序列号"));
  EXPECT_EQ(CellColumns(heading), CellColumns(units.out.substr(end + 1))) << units.out;
  const ProcessResult entries = Dtuctl({"history", "list", "ZBA"});
  EXPECT_THAT(entries.out, ::testing::StartsWith("ZBA 860000000000001：1 个条目\n"));
  EXPECT_THAT(entries.out, HasSubstr("  read  "));
}

TEST_F(DtuctlHistory, ShowSavesTheUnitsBlockAndDiffComparesAsDtuctlDiffDoes) {
  Unit a("ZBA", "860000000000001");
  const fs::path read_file = a.dir / "read.mts";
  ASSERT_EQ(Dtuctl({"read", "--port", a.port(), "-o", read_file.string()}).exit_status, kOk);
  const fs::path changed = a.ChangedFile("A1");
  ASSERT_EQ(Dtuctl({"write", "--port", a.port(), changed.string()}).exit_status, kOk);
  const nlohmann::json entries = ListJson();
  ASSERT_EQ(entries.size(), 2u);

  const fs::path shown = a.dir / "shown.mts";
  ASSERT_EQ(Dtuctl({"history", "show", Id(entries[0]), "-o", shown.string()}).exit_status, kOk);
  EXPECT_EQ(ReadAllBytes(shown), ReadAllBytes(read_file)) << "the same file as dtuctl read -o";

  const ProcessResult diff = Dtuctl({"history", "diff", Id(entries[0]), Id(entries[1])});
  const ProcessResult files = Dtuctl({"diff", read_file.string(), changed.string()});
  EXPECT_EQ(diff.exit_status, kDiffers) << diff.err;
  EXPECT_EQ(diff.out, files.out);
  EXPECT_THAT(diff.out, HasSubstr("apn"));
  EXPECT_EQ(Dtuctl({"history", "diff", Id(entries[0]), Id(entries[0])}).exit_status, kOk);
  EXPECT_EQ(Dtuctl({"history", "show", "999"}).exit_status, 12) << "no such entry";
}

TEST_F(DtuctlHistory, ARestoreIsWrittenOnlyWhenConfirmedAndOnlyIntoItsOwnUnit) {
  Unit a("ZBA", "860000000000001");
  Unit b("ZBB", "860000000000002");
  ASSERT_EQ(Dtuctl({"read", "--port", a.port()}).exit_status, kOk);
  const std::string id = Id(ListJson()[0]);
  const Bytes b_before = b.State();
  struct Case {
    std::vector<std::string> args;
    std::string message;
  };
  const std::vector<Case> cases{
      {{"--port", a.port()}, "--yes 确认写入"},
      {{"--port", b.port(), "--yes"}, "上的设备是 ZBB 860000000000002"},
  };
  for (const Case& c : cases) {
    std::vector<std::string> args{"history", "restore", id};
    args.insert(args.end(), c.args.begin(), c.args.end());
    const ProcessResult restore = Dtuctl(args);
    EXPECT_EQ(restore.exit_status, kFailure) << c.message;
    EXPECT_THAT(restore.err, HasSubstr(c.message));
    EXPECT_THAT(restore.out, IsEmpty());
  }
  EXPECT_EQ(b.State(), b_before);
  EXPECT_EQ(
      Dtuctl({"history", "restore", id, "--port", b.port(), "--yes", "--any-unit"}).exit_status,
      kOk);
  EXPECT_EQ(b.State(), a.State());
}

TEST_F(DtuctlHistory, VerifyReadsTheWriteBackAndNoHistoryKeepsNothing) {
  Unit a("ZBA", "860000000000001");
  ASSERT_EQ(
      Dtuctl({"write", "--port", a.port(), "--verify", a.ChangedFile("A1").string()}).exit_status,
      kOk);
  EXPECT_EQ(Events(ListJson()), (std::vector<std::string>{"ZBA read", "ZBA verified"}));
  ASSERT_EQ(Dtuctl({"history", "clear"}).exit_status, kOk);
  ASSERT_EQ(Dtuctl({"read", "--port", a.port(), "--no-history"}).exit_status, kOk);
  const fs::path changed = a.ChangedFile("A2");
  ASSERT_EQ(Dtuctl({"write", "--port", a.port(), "--no-history", changed.string()}).exit_status,
            kOk);
  EXPECT_EQ(ListJson(), nlohmann::json::array());
}

TEST_F(DtuctlHistory, AHistoryThatCannotBeWrittenIsToldOnceAndNeverStopsAReadOrWrite) {
  Unit a("ZBA", "860000000000001");
  const TempDir blocked;
  WriteAllBytes(blocked / "file", Bytes{'x'});
  const std::string unwritable = "DTUCONFIG_HISTORY=" + (blocked / "file" / "h.sqlite").string();
  const fs::path changed = a.ChangedFile("A1");
  const std::vector<std::vector<std::string>> runs{
      {"read", "--port", a.port()},
      {"write", "--port", a.port(), changed.string()},
      {"write", "--port", a.port(), "--verify", changed.string()},
  };
  for (const auto& run : runs) {
    std::vector<std::string> argv{"/usr/bin/env", unwritable, DTUCTL_PATH};
    argv.insert(argv.end(), run.begin(), run.end());
    const ProcessResult result = test::RunProcess(argv);
    EXPECT_EQ(result.exit_status, kOk) << run[0] << ": " << result.err;
    const std::string notice = "本次运行不保存单元历史";
    const std::size_t first = result.err.find(notice);
    EXPECT_NE(first, std::string::npos) << result.err;
    EXPECT_EQ(result.err.find(notice, first + 1), std::string::npos) << "said once: " << result.err;
  }
  EXPECT_EQ(a.State(), ReadAllBytes(changed));
}

}  // namespace
}  // namespace dtu
