// The provisioning log on a real file system, and how rows are handed to units with what it
// remembers: by module serial, in file order, again to the unit an earlier run gave them to.
#include "core/production/provision_log.h"

#include <fcntl.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <pty.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "core/production/row_assigner.h"
#include "core/production/unit_table.h"
#include "support/sample_blocks.h"
#include "support/temp_dir.h"

namespace dtu {
namespace {

using ::testing::HasSubstr;
using ::testing::MatchesRegex;

constexpr std::string_view kHeader =
    "time,port,board_serial,module_serial,firmware,signal,row,result,message\r\n";

std::string FileText(const std::filesystem::path& path) {
  const auto bytes = test::ReadAllBytes(path);
  return {bytes.begin(), bytes.end()};
}

LogEntry Entry(std::string module, int row, UnitResult result, std::string message = {}) {
  return {"2024-05-01T10:22:33+08:00",
          "/dev/ttyUSB0",
          {"DTU01", std::move(module)},
          "V3.6.2",
          "23",
          row,
          result,
          std::move(message)};
}

void Append(ProvisionLog& log, const LogEntry& entry) {
  std::string error;
  ASSERT_TRUE(log.Append(entry, error)) << error;
}

TEST(ProvisionLog, CreatesItsHeaderAndAppendsWholeCsvLines) {
  test::TempDir dir;
  const auto path = dir / "L.csv";
  std::string error;
  {
    auto log = ProvisionLog::Open(path, error);
    ASSERT_TRUE(log) << error;
    EXPECT_EQ(FileText(path), kHeader);
    Append(*log, Entry("8601", 2, UnitResult::Ok, "参数设置成功!"));
    Append(*log, Entry("8602", 0, UnitResult::NoAnswer, "a, \"quoted\" message"));
  }
  EXPECT_EQ(FileText(path),
            std::string(kHeader) +
                "2024-05-01T10:22:33+08:00,/dev/ttyUSB0,DTU01,8601,V3.6.2,23,2,ok,参数设置成功!\r\n"
                "2024-05-01T10:22:33+08:00,/dev/ttyUSB0,DTU01,8602,V3.6.2,23,,no-answer,"
                "\"a, \"\"quoted\"\" message\"\r\n");
  EXPECT_THAT(LogTimeNow(), MatchesRegex("[0-9]{4}-[0-9]{2}-[0-9]{2}T[0-9]{2}:[0-9]{2}:[0-9]{2}"
                                         "[+-][0-9]{2}:[0-9]{2}"));
}

TEST(ProvisionLog, RemembersEarlierSuccessesAndNeverTruncates) {
  test::TempDir dir;
  const auto path = dir / "L.csv";
  // Saved by a spreadsheet: a byte order mark, and the last line without its end.
  test::WriteAllBytes(path, "\xEF\xBB\xBF" + std::string(kHeader) +
                                "t,p,B1,8601,V,20,2,ok,\r\n"
                                "t,p,B2,8602,V,20,3,mismatch,\r\n"
                                "t,p,B3,8603,V,20,4,skipped,");
  std::string error;
  auto log = ProvisionLog::Open(path, error);
  ASSERT_TRUE(log) << error;
  ASSERT_EQ(log->earlier_successes().size(), 2u);
  EXPECT_EQ(log->earlier_successes()[0].unit, (UnitIdentity{"B1", "8601"}));
  EXPECT_EQ(log->earlier_successes()[1].row_line, 4);

  Append(*log, Entry("8604", 5, UnitResult::Ok));
  const std::string text = FileText(path);
  EXPECT_THAT(text, HasSubstr("t,p,B3,8603,V,20,4,skipped,\r\n2024-"));
  EXPECT_EQ(text.find("\xEF\xBB\xBF"), 0u);
}

TEST(ProvisionLog, RefusesAForeignFileAndASecondRun) {
  test::TempDir dir;
  std::string error;
  test::WriteAllBytes(dir / "other.csv", std::string("name,value\r\nx,1\r\n"));
  EXPECT_FALSE(ProvisionLog::Open(dir / "other.csv", error));
  EXPECT_THAT(error, HasSubstr("不是 provision 的日志"));
  EXPECT_EQ(FileText(dir / "other.csv"), "name,value\r\nx,1\r\n");

  auto first = ProvisionLog::Open(dir / "L.csv", error);
  ASSERT_TRUE(first) << error;
  EXPECT_FALSE(ProvisionLog::Open(dir / "L.csv", error));
  EXPECT_THAT(error, HasSubstr("正在使用"));
}

// Only a regular file (or a new one) is a log: a device or a FIFO would get the header written
// into it, a serial port down a unit's line.
TEST(ProvisionLog, RefusesAnythingButARegularFile) {
  test::TempDir dir;
  std::filesystem::create_directory(dir / "folder");
  ASSERT_EQ(::mkfifo((dir / "fifo").c_str(), 0600), 0);
  int terminal = -1;
  int line = -1;
  ASSERT_EQ(::openpty(&terminal, &line, nullptr, nullptr, nullptr), 0);
  ::fcntl(terminal, F_SETFL, O_NONBLOCK);
  for (const std::filesystem::path& path :
       {dir / "folder", dir / "fifo", std::filesystem::path("/dev/null"),
        std::filesystem::path(::ttyname(line))}) {
    SCOPED_TRACE(path);
    std::string error;
    EXPECT_FALSE(ProvisionLog::Open(path, error));
    EXPECT_THAT(error, HasSubstr("不是普通文件，不能用作日志"));
  }
  char byte = 0;
  EXPECT_EQ(::read(terminal, &byte, 1), -1) << "nothing was sent down the line";
  ::close(line);
  ::close(terminal);
}

// A cell a spreadsheet would take for a formula is written as text, and read back as it was.
TEST(ProvisionLog, WritesFormulaLikeCellsAsText) {
  test::TempDir dir;
  const auto path = dir / "L.csv";
  LogEntry entry = Entry("=HYPERLINK(\"http://x\")", 2, UnitResult::Ok, "-1 dBm");
  entry.unit.board_serial = "'+ZB01";
  entry.firmware = "@V3";
  std::string error;
  {
    auto log = ProvisionLog::Open(path, error);
    ASSERT_TRUE(log) << error;
    Append(*log, entry);
  }
  EXPECT_EQ(FileText(path), std::string(kHeader) +
                                "2024-05-01T10:22:33+08:00,/dev/ttyUSB0,''+ZB01,"
                                "\"'=HYPERLINK(\"\"http://x\"\")\",'@V3,23,2,ok,'-1 dBm\r\n");
  auto log = ProvisionLog::Open(path, error);
  ASSERT_TRUE(log) << error;
  ASSERT_EQ(log->earlier_successes().size(), 1u);
  EXPECT_EQ(log->earlier_successes()[0].unit, entry.unit);
}

std::vector<UnitRow> Rows(const std::string& csv) {
  const UnitTable table = LoadUnitTable(csv, test::GprsBlock());
  EXPECT_TRUE(table.ok()) << table.error;
  return table.rows;
}

int ClaimedLine(RowAssigner& rows, const std::string& module) {
  const RowAssigner::Claim claim = rows.ClaimRow({"B", module});
  return claim.row == nullptr ? 0 : claim.row->line;
}

TEST(RowAssigner, GivesKeyedRowsByModuleSerialAndTheRestInFileOrder) {
  const std::vector<UnitRow> table = Rows("gsn,port1\n,1\n8602,2\n,3\n8604,4\n");
  RowAssigner rows(table, {});
  EXPECT_EQ(ClaimedLine(rows, "8604"), 5);
  EXPECT_EQ(ClaimedLine(rows, "7777"), 2);
  EXPECT_EQ(ClaimedLine(rows, "7778"), 4);
  EXPECT_EQ(ClaimedLine(rows, "7779"), 0);  // every free row is taken
  EXPECT_EQ(ClaimedLine(rows, "8602"), 3);
  EXPECT_EQ(ClaimedLine(rows, "8602"), 0);  // the same serial on a second port meanwhile

  // A failed unit frees its row for the next; done rows stay done.
  rows.Finish(table[0], UnitResult::Rejected);
  for (const UnitRow& row : {table[1], table[2], table[3]}) rows.Finish(row, UnitResult::Ok);
  EXPECT_FALSE(rows.AllDone());
  EXPECT_EQ(ClaimedLine(rows, "7780"), 2);
  rows.Finish(table[0], UnitResult::Skipped);
  EXPECT_TRUE(rows.AllDone());
}

TEST(RowAssigner, GivesAUnitItsRowFromAnEarlierRunAgain) {
  const std::vector<UnitRow> table = Rows("port1\n1\n2\n3\n");
  const std::vector<LoggedSuccess> history = {{{"B", "8601"}, 3}, {{"B", "8602"}, 2}};
  RowAssigner rows(table, history);
  EXPECT_FALSE(rows.AllDone());

  const RowAssigner::Claim again = rows.ClaimRow({"B", "8602"});
  ASSERT_NE(again.row, nullptr);
  EXPECT_EQ(again.row->line, 2);
  EXPECT_TRUE(again.done_before);
  // A new unit gets the one row no earlier unit ended well with.
  const RowAssigner::Claim fresh = rows.ClaimRow({"B", "8609"});
  ASSERT_NE(fresh.row, nullptr);
  EXPECT_EQ(fresh.row->line, 4);
  EXPECT_FALSE(fresh.done_before);
  // Same module serial on another board: another unit.
  EXPECT_EQ(rows.ClaimRow({"B2", "8601"}).row, nullptr);
}

TEST(RowAssigner, SaysWhyAUnitGetsNoRow) {
  const std::vector<UnitRow> keyed = Rows("gsn,port1\n8601,1\n");
  RowAssigner rows(keyed, {});
  EXPECT_THAT(rows.ClaimRow({"B", "9999"}).why_none, HasSubstr("没有这个单元的 gsn"));
  EXPECT_THAT(rows.ClaimRow({"", ""}).why_none, HasSubstr("没有这个单元的 gsn"));
}

}  // namespace
}  // namespace dtu
