// The provisioning log on a real file system: its lines as written and read back, logs begun by
// an earlier dtuctl, and what a new run takes up from them against the table it works from.
#include "core/production/provision_log.h"

#include <fcntl.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <pty.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "core/production/earlier_runs.h"
#include "core/production/provision_record.h"
#include "core/production/unit_table.h"
#include "support/sample_blocks.h"
#include "support/temp_dir.h"

namespace dtu {
namespace {

using ::testing::HasSubstr;
using ::testing::IsEmpty;
using ::testing::MatchesRegex;

constexpr std::string_view kHeader =
    "time,port,board_serial,module_serial,firmware,signal,row,result,message,row_key,"
    "table_fingerprint,template_fingerprint\r\n";
// The header of a log begun by an earlier dtuctl.
constexpr std::string_view kLineOnlyHeader =
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
          std::move(message),
          row > 0 ? "row:00ff" + std::to_string(row) : "",
          "tab1",
          "tpl1"};
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
    Append(*log, Entry("8602", 0, UnitResult::NoRow, "a, \"quoted\" message"));
  }
  EXPECT_EQ(FileText(path),
            std::string(kHeader) +
                "2024-05-01T10:22:33+08:00,/dev/ttyUSB0,DTU01,8601,V3.6.2,23,2,ok,参数设置成功!,"
                "row:00ff2,tab1,tpl1\r\n"
                "2024-05-01T10:22:33+08:00,/dev/ttyUSB0,DTU01,8602,V3.6.2,23,,no-row,"
                "\"a, \"\"quoted\"\" message\",,tab1,tpl1\r\n");
  EXPECT_THAT(LogTimeNow(), MatchesRegex("[0-9]{4}-[0-9]{2}-[0-9]{2}T[0-9]{2}:[0-9]{2}:[0-9]{2}"
                                         "[+-][0-9]{2}:[0-9]{2}"));
  auto again = ProvisionLog::Open(path, error);
  ASSERT_TRUE(again) << error;
  ASSERT_EQ(again->earlier_successes().size(), 1u);
  const LoggedSuccess& success = again->earlier_successes()[0];
  EXPECT_EQ(success.row_key + " " + success.table_fingerprint + " " + success.template_fingerprint,
            "row:00ff2 tab1 tpl1");
  EXPECT_EQ(success.log_line, 2);
}

TEST(ProvisionLog, ReadsALogBegunByAnEarlierDtuctlAndNeverTruncates) {
  test::TempDir dir;
  const auto path = dir / "L.csv";
  // Saved by a spreadsheet: a byte order mark, and the last line without its end.
  test::WriteAllBytes(path, "\xEF\xBB\xBF" + std::string(kLineOnlyHeader) +
                                "t,p,B1,8601,V,20,2,ok,\r\n"
                                "t,p,B2,8602,V,20,3,mismatch,\r\n"
                                "t,p,B0,,V,20,,skipped,没有写入：表中的行都已用完\r\n"
                                "t,p,B3,8603,V,20,4,skipped,");
  std::string error;
  auto log = ProvisionLog::Open(path, error);
  ASSERT_TRUE(log) << error;
  ASSERT_EQ(log->earlier_successes().size(), 2u);
  EXPECT_EQ(log->earlier_successes()[0].unit, (UnitIdentity{"B1", "8601"}));
  EXPECT_EQ(log->earlier_successes()[0].row_key, "");
  EXPECT_EQ(log->earlier_successes()[1].row_line, 4);
  EXPECT_EQ(log->earlier_successes()[1].log_line, 5);

  Append(*log, Entry("8604", 5, UnitResult::Ok));
  const std::string text = FileText(path);
  EXPECT_THAT(text, HasSubstr("t,p,B3,8603,V,20,4,skipped,\r\n2024-"));
  EXPECT_THAT(text, HasSubstr(",5,ok,,row:00ff5,tab1,tpl1\r\n"));
  EXPECT_EQ(text.find("\xEF\xBB\xBF"), 0u);
}

TEST(ProvisionLog, RefusesAForeignFileALineOfAnotherShapeAndASecondRun) {
  test::TempDir dir;
  std::string error;
  const std::vector<std::pair<std::string, std::string>> refused = {
      {"name,value\r\nx,1\r\n", "不是 provision 的日志"},
      {std::string(kHeader) + "t,p,B1,8601,V,20,2,ok,,row:1,a\r\n", "第 2 行有 11 个字段"},
      {std::string(kLineOnlyHeader) + "t,p,B1,8601,V,20,2,ok\r\n", "第 2 行有 8 个字段"},
  };
  for (const auto& [text, phrase] : refused) {
    test::WriteAllBytes(dir / "other.csv", text);
    EXPECT_FALSE(ProvisionLog::Open(dir / "other.csv", error)) << text;
    EXPECT_THAT(error, HasSubstr(phrase));
    EXPECT_EQ(FileText(dir / "other.csv"), text);
  }

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
                                "\"'=HYPERLINK(\"\"http://x\"\")\",'@V3,23,2,ok,'-1 dBm,"
                                "row:00ff2,tab1,tpl1\r\n");
  auto log = ProvisionLog::Open(path, error);
  ASSERT_TRUE(log) << error;
  ASSERT_EQ(log->earlier_successes().size(), 1u);
  EXPECT_EQ(log->earlier_successes()[0].unit, entry.unit);
}

// What a run takes up from the successes of earlier ones, with the table as it is now.
TEST(EarlierRuns, RefusesATableChangedSoThatARowWouldGoOutTwice) {
  struct Logged {
    std::string module;
    int line;        // the row's line in the table it was handed out from
    bool line_only;  // written by an earlier dtuctl: no key
  };
  struct Case {
    std::string before, after;
    std::vector<Logged> logged;
    std::vector<std::string> error;  // phrases; none: taken up
  };
  const std::string plain = "device_number\n101\n102\n";
  const std::string keyed = "gsn,device_number\n8601,101\n,102\n";
  const std::vector<Case> cases = {
      {plain, "device_number\n100\n101\n102\n", {{"8601", 2, false}}, {}},
      {plain, "device_number\n102\n", {{"8601", 3, false}}, {}},
      {plain,
       "device_number\n111\n102\n",
       {{"8601", 2, false}},
       {"日志第 2 行", "8601", "第 2 行", "改回原样"}},
      {plain, "device_number\n102\n", {{"8601", 2, false}}, {"日志第 2 行", "改回原样"}},
      {keyed, "gsn,device_number\n,102\n", {{"8601", 2, false}}, {}},
      {keyed, keyed, {{"8601", 2, true}}, {}},
      {keyed,
       keyed,
       {{"8601", 2, false}, {"8602", 3, true}},
       {"日志第 3 行", "旧版本", "第 3 行", "8602"}},
      {keyed,
       "gsn,device_number\n,102\n8601,101\n",
       {{"8601", 2, true}},
       {"日志第 2 行", "旧版本"}},
  };
  for (const Case& c : cases) {
    const UnitTable before = LoadUnitTable(c.before, test::GprsBlock());
    const UnitTable after = LoadUnitTable(c.after, test::GprsBlock());
    ASSERT_TRUE(before.ok() && after.ok()) << c.before << c.after;
    std::vector<LoggedSuccess> successes;
    for (const Logged& l : c.logged) {
      const std::string key = l.line_only ? "" : before.rows.at(l.line - 2).key;
      successes.push_back({{"B", l.module},
                           l.line,
                           key,
                           before.fingerprint,
                           before.template_fingerprint,
                           static_cast<int>(successes.size()) + 2});
    }
    const EarlierRuns runs = ResumeEarlierRuns(after, successes);
    EXPECT_EQ(runs.ok(), c.error.empty()) << c.after << runs.error;
    for (const std::string& phrase : c.error) EXPECT_THAT(runs.error, HasSubstr(phrase)) << c.after;
    if (!runs.ok()) continue;
    ASSERT_EQ(runs.successes.size(), successes.size());
    for (const LoggedSuccess& success : runs.successes) EXPECT_FALSE(success.row_key.empty());
  }
}

TEST(EarlierRuns, NotesAChangedTableOrTemplate) {
  const UnitTable before = LoadUnitTable("device_number\n101\n", test::GprsBlock());
  const std::vector<LoggedSuccess> successes = {
      {{"B", "8601"}, 2, before.rows[0].key, before.fingerprint, before.template_fingerprint, 2}};
  EXPECT_THAT(ResumeEarlierRuns(before, successes).notes, IsEmpty());

  const UnitTable grown = LoadUnitTable("device_number\n101\n102\n", test::SmsBlock());
  const EarlierRuns runs = ResumeEarlierRuns(grown, successes);
  ASSERT_TRUE(runs.ok()) << runs.error;
  ASSERT_EQ(runs.notes.size(), 2u);
  EXPECT_THAT(runs.notes[0], HasSubstr(before.fingerprint + " → " + grown.fingerprint));
  EXPECT_THAT(runs.notes[1], HasSubstr("模板"));
}

// What a run leaves each unit as: its last attempt, whatever came before.
TEST(ProvisionRecord, EachUnitCountsByItsLastAttempt) {
  const auto attempt = [](std::string board, UnitResult result) {
    LogEntry entry;
    entry.unit.board_serial = std::move(board);
    entry.result = result;
    return entry;
  };
  const std::vector<LogEntry> entries = {
      attempt("A", UnitResult::Rejected), attempt("", UnitResult::NoAnswer),
      attempt("B", UnitResult::Ok),       attempt("A", UnitResult::Ok),
      attempt("", UnitResult::NoAnswer),  attempt("B", UnitResult::Mismatch)};
  std::vector<std::string> last;
  for (const LogEntry& entry : LastAttemptPerUnit(entries))
    last.push_back(entry.unit.board_serial + " " + std::string(ResultName(entry.result)));
  EXPECT_EQ(last, (std::vector<std::string>{" no-answer", "A ok", " no-answer", "B mismatch"}));
}

}  // namespace
}  // namespace dtu
