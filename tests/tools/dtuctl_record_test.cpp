// dtuctl record report, show and export end to end, on records filled through the record
// library: an SQLite file, and a database on the tests' PostgreSQL server.
#include <stdlib.h>
#include <sys/stat.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>

#include "core/record/production_record.h"
#include "core/record/record_schema.h"
#include "core/record/record_time.h"
#include "core/text/csv_reader.h"
#include "core/text/utf8_text.h"
#include "support/dtuctl_run.h"
#include "support/file_size_limit.h"
#include "support/postgres_server.h"
#include "support/sample_blocks.h"
#include "support/temp_dir.h"
#include "support/tool_locale.h"

namespace dtu::test {
namespace {

namespace exit = dtuctl_exit;
constexpr int kRecordUnusable = 10;
constexpr int kRecordUnavailable = 11;
constexpr int kNotInRecord = 12;

const std::filesystem::path kData =
    std::filesystem::path(__FILE__).parent_path().parent_path() / "data/record";

std::string ReadText(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// 2026-12-07T13:00:00Z plus `seconds`.
RecordTime At(int seconds) {
  return FromRecordMillis(1'796'648'400'000LL + seconds * 1000LL);
}

BatchRow Row(int line, std::string gsn = {}) {
  return {gsn.empty() ? "line" + std::to_string(line) : gsn,
          line,
          gsn,
          {{"gsn", gsn}, {"device_number", std::to_string(100 + line)}}};
}

// A batch of four rows worked on by two stations: on station-a two units ended ok (the
// second after a first attempt that stopped answering), on station-b one ok and one refused.
void Fill(const std::string& destination) {
  RecordError error;
  auto record = ProductionRecord::Open(destination, ProductionRecord::Access::Create, error);
  ASSERT_TRUE(error.ok()) << error.message;
  BatchStart start{GprsBlock(), "9b2e4f10a1c3d5e7f9",
                   "units.csv", "5f3a9c01d2e4f6a8",
                   "alice",     "station-a",
                   At(0),       {Row(2, "869123040000001"), Row(3), Row(4), Row(5)}};
  BatchHandle batch;
  ASSERT_TRUE(record->StartBatch(start, batch).ok());
  struct Step {
    int unit;
    const char* station;
    RecordOutcome outcome;
    int at, ms;
    const char* message;
  };
  const Step steps[] = {
      {1, "station-a", RecordOutcome::Ok, 0, 1200, "参数设置成功! 读回的参数与写入的相同"},
      {2, "station-a", RecordOutcome::NoAnswer, 5, 5300,
       "写入参数（不知道单元是否已保存）时单元没有回答"},
      {2, "station-a", RecordOutcome::Ok, 20, 1400, "参数设置成功! 读回的参数与写入的相同"},
      {3, "station-b", RecordOutcome::Ok, 3, 1300, "参数设置成功! 读回的参数与写入的相同"},
      {4, "station-b", RecordOutcome::Refused, 30, 200, "运行已停止，没有写入"},
  };
  for (const Step& step : steps) {
    const RecordedUnit unit{"86912304000000" + std::to_string(step.unit),
                            "ZB00" + std::to_string(step.unit), "V3.6.2"};
    const StationPort where{step.station, "/dev/ttyUSB" + std::to_string(step.unit)};
    RowClaim claim;
    ASSERT_TRUE(record->ClaimRow(batch.id, unit, where, claim).ok());
    ResultEntry entry;
    entry.id = NewResultId();
    entry.batch_id = batch.id;
    entry.where = where;
    entry.unit = unit;
    entry.row = claim.row;
    entry.outcome = step.outcome;
    entry.before = GprsBlock();
    if (step.outcome == RecordOutcome::Ok) {
      entry.after = GprsBlock();
      entry.after->set_device_number(100 + claim.row->line);
    }
    entry.message = step.message;
    entry.started = At(step.at);
    entry.duration = std::chrono::milliseconds(step.ms);
    ASSERT_TRUE(record->RecordResult(entry).ok());
  }
}

class DtuctlRecordTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ::setenv("TZ", "UTC", 1);
    ::tzset();
  }
  // The reports are in English; so is every message of these runs.
  const test::ToolLocale english_{"C"};
  std::string SqliteRecord() {
    const std::string path = (folder_ / "record.db").string();
    Fill(path);
    return path;
  }

  TempDir folder_;
};

TEST_F(DtuctlRecordTest, ReportCountsEveryBatchAndStation) {
  const std::string record = SqliteRecord();
  const ProcessResult report = Dtuctl({"record", "report", record});
  EXPECT_EQ(report.exit_status, exit::kOk) << report.err;
  EXPECT_EQ(report.out, ReadText(kData / "report.txt"));
  EXPECT_EQ(Dtuctl({"record", "report", record, "--batch", "1"}).out, report.out);

  const ProcessResult later =
      Dtuctl({"record", "report", record, "--since", "2026-12-07T13:00:10"});
  EXPECT_EQ(later.exit_status, exit::kOk) << later.err;
  EXPECT_NE(later.out.find("  station-a        1  1"), std::string::npos) << later.out;
  const ProcessResult none = Dtuctl({"record", "report", record, "--since", "2027-01-01"});
  EXPECT_EQ(none.out, "no batch and no result in the record since 2027-01-01\n");
  const ProcessResult missing = Dtuctl({"record", "report", record, "--batch", "7"});
  EXPECT_EQ(missing.exit_status, kNotInRecord);
  EXPECT_EQ(missing.err, "dtuctl record report: the record has no batch 7\n");
}

TEST_F(DtuctlRecordTest, ShowGivesEveryResultOfAUnitWithTheFieldsChanged) {
  const std::string record = SqliteRecord();
  const ProcessResult show = Dtuctl({"record", "show", record, "869123040000002"});
  EXPECT_EQ(show.exit_status, exit::kOk) << show.err;
  EXPECT_EQ(show.out, ReadText(kData / "show.txt"));
  const ProcessResult unknown = Dtuctl({"record", "show", record, "869123040000009"});
  EXPECT_EQ(unknown.exit_status, kNotInRecord);
  EXPECT_EQ(unknown.err, "dtuctl record show: the record has no result for unit 869123040000009\n");
}

// A Chinese run reports under Chinese headings, each figure right under its heading's end on a
// terminal, a Chinese heading taking two columns a character.
TEST_F(DtuctlRecordTest, ReportSpeaksChineseAndLinesUpInAChineseRun) {
  const std::string record = SqliteRecord();
  const test::ToolLocale chinese(test::kChineseLocale);
  const ProcessResult report = Dtuctl({"record", "report", record});
  EXPECT_EQ(report.exit_status, exit::kOk) << report.err;
  std::vector<std::string> lines;
  for (std::size_t start = 0, end; (end = report.out.find('\n', start)) != std::string::npos;
       start = end + 1)
    lines.push_back(report.out.substr(start, end - start));
  ASSERT_EQ(lines.size(), 4u) << report.out;
  EXPECT_THAT(lines[0], ::testing::StartsWith("批次 1：模板 9b2e4f10a1c3，表 units.csv（"));
  EXPECT_THAT(lines[0], ::testing::EndsWith("；已完成 3 / 4 行"));
  EXPECT_THAT(lines[1], ::testing::StartsWith("  工位"));
  EXPECT_THAT(lines[1], ::testing::EndsWith(" 台/小时"));
  for (std::size_t row = 2; row < lines.size(); ++row)
    EXPECT_EQ(TerminalColumns(lines[row]), TerminalColumns(lines[1])) << report.out;
}

// A Chinese run shows a unit's results in Chinese; the outcome keeps its name.
TEST_F(DtuctlRecordTest, ShowSpeaksChineseInAChineseRun) {
  const std::string record = SqliteRecord();
  const test::ToolLocale chinese(test::kChineseLocale);
  const ProcessResult show = Dtuctl({"record", "show", record, "869123040000002"});
  EXPECT_EQ(show.exit_status, exit::kOk) << show.err;
  EXPECT_THAT(show.out, ::testing::StartsWith("869123040000002：2 个结果\n"));
  EXPECT_THAT(show.out, ::testing::HasSubstr(
                            "station-a /dev/ttyUSB2：no-answer，用时 5.3 s，第 3 行（line3）"));
  EXPECT_THAT(show.out, ::testing::HasSubstr("  板卡序列号 ZB002，固件 V3.6.2\n"));
  EXPECT_THAT(show.out, ::testing::Not(::testing::HasSubstr("board serial")));
}

TEST_F(DtuctlRecordTest, ExportWritesEveryResultAsCsvOrJson) {
  const std::string record = SqliteRecord();
  const ProcessResult csv = Dtuctl({"record", "export", record, "--csv"});
  ASSERT_EQ(csv.exit_status, exit::kOk) << csv.err;
  const CsvDocument table = ReadCsv(csv.out);
  ASSERT_EQ(table.records.size(), 6u);
  EXPECT_EQ(table.records[0].fields[0], "result");
  EXPECT_EQ(table.records[3].fields[4], "869123040000002");
  EXPECT_EQ(table.records[3].fields[10], "ok");
  EXPECT_EQ(table.records[3].fields[11], "device_number");
  EXPECT_EQ(table.records[3].fields[13], "2026-12-07T13:00:20+00:00");
  EXPECT_EQ(table.records[3].fields[15].size(), 1320u);

  const std::string out = (folder_ / "record.json").string();
  const ProcessResult json = Dtuctl({"record", "export", record, "--json", "-o", out});
  ASSERT_EQ(json.exit_status, exit::kOk) << json.err;
  EXPECT_TRUE(json.out.empty());
  const auto document = nlohmann::json::parse(ReadText(out));
  EXPECT_EQ(document["batches"].size(), 1u);
  EXPECT_EQ(document["batches"][0]["rows_done"], 3);
  ASSERT_EQ(document["results"].size(), 5u);
  EXPECT_EQ(document["results"][4]["outcome"], "refused");
  EXPECT_EQ(document["results"][4]["row"]["values"]["device_number"], "105");
  EXPECT_TRUE(document["results"][4]["block_after"].is_null());
}

// A full disk (a file size limit here) stops the export half-way: the old file stays as it was.
// The record is on a server: reading an SQLite record makes files of its own beside it.
TEST_F(DtuctlRecordTest, AnExportThatFailsHalfWayLeavesTheOldFile) {
  DTU_REQUIRE_POSTGRES_SERVER(server);
  const std::string record = server->NewDatabase();
  Fill(record);
  const std::filesystem::path out = folder_ / "old.csv";
  std::ofstream(out) << "old\n";
  const ProcessResult run = RunProcess(
      LimitFileSize({DTUCTL_PATH, "record", "export", record, "--csv", "-o", out.string()}));
  EXPECT_EQ(run.exit_status, exit::kFailure);
  EXPECT_THAT(run.err, ::testing::HasSubstr("File too large"));
  EXPECT_EQ(ReadText(out), "old\n");
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder_.path()),
                          std::filesystem::directory_iterator()),
            1);
}

// Every way a record can fail the reader, each with its message and status.
TEST_F(DtuctlRecordTest, ARecordThatCannotBeReadIsNamed) {
  const std::string garbage = (folder_ / "notes.txt").string();
  WriteAllBytes(folder_ / "notes.txt", std::string(4096, 'x'));
  const std::string newer = SqliteRecord();
  {
    RecordError error;
    auto record = ProductionRecord::Open(newer, ProductionRecord::Access::Write, error);
    ASSERT_TRUE(record);
  }
  ASSERT_EQ(std::system(("sqlite3 " + newer + " \"INSERT INTO record_version VALUES (" +
                         std::to_string(kRecordVersion + 1) + ", 0)\"")
                            .c_str()),
            0);
  const std::string missing = (folder_ / "none.db").string();
  const std::string good = (folder_ / "good.db").string();
  Fill(good);
  const struct {
    std::vector<std::string> args;
    int status;
    std::string says;
  } cases[] = {
      {{"record", "report", missing}, kRecordUnusable, missing + ": no such record"},
      {{"record", "show", missing, "1"}, kRecordUnusable, "no such record"},
      {{"record", "export", missing, "--csv"}, kRecordUnusable, "no such record"},
      {{"record", "report", garbage}, kRecordUnusable, "not a production record"},
      {{"record", "report", newer}, kRecordUnusable, "made by a newer version of dtuconfig"},
      {{"record", "report", "mysql://server/line"}, exit::kFailure, "unknown kind of record"},
      {{"record", "report", "host=/nonexistent/dtu dbname=line"},
       kRecordUnavailable,
       "cannot connect"},
      {{"record", "export", newer}, exit::kFailure, "give --csv or --json"},
      {{"record", "export", newer, "--csv", "--json"}, exit::kFailure, "excludes"},
      {{"record", "export", good, "--csv", "-o", (folder_ / "." / "good.db").string()},
       exit::kFailure,
       "is the record itself; nothing was written"},
      {{"record", "report", newer, "--since", "yesterday"}, exit::kFailure, "not a date"},
      {{"record"}, exit::kFailure, "usage: dtuctl record COMMAND"},
      {{"record", "show", newer}, exit::kFailure, "dtuctl record show: missing GSN"},
  };
  for (const auto& c : cases) {
    const ProcessResult result = Dtuctl(c.args);
    EXPECT_EQ(result.exit_status, c.status) << c.args.back() << ": " << result.err;
    EXPECT_NE(result.err.find(c.says), std::string::npos) << c.args.back() << ": " << result.err;
    EXPECT_TRUE(result.out.empty()) << result.out;
  }
  EXPECT_EQ(ReadText(good).substr(0, 16), std::string("SQLite format 3", 16));
}

// A record the reader may not write (a supervisor's copy) is read all the same.
TEST_F(DtuctlRecordTest, AReadOnlyRecordIsRead) {
  const std::string record = SqliteRecord();
  ::chmod(folder_.path().c_str(), 0555);
  ::chmod(record.c_str(), 0444);
  std::vector<std::string> args{DTUCTL_PATH, "record", "report", record};
  if (::geteuid() == 0)
    args.insert(args.begin(),
                {"/usr/bin/setpriv", "--reuid=nobody", "--regid=nogroup", "--clear-groups", "--"});
  const ProcessResult report = RunProcess(args);
  ::chmod(folder_.path().c_str(), 0755);
  EXPECT_EQ(report.exit_status, exit::kOk) << report.err;
  EXPECT_EQ(report.out, ReadText(kData / "report.txt"));
}

// The same record on a PostgreSQL server reports the same.
TEST_F(DtuctlRecordTest, ReportFromAServerIsTheSame) {
  DTU_REQUIRE_POSTGRES_SERVER(server);
  const std::string database = server->NewDatabase();
  Fill(database);
  const ProcessResult report = Dtuctl({"record", "report", database});
  EXPECT_EQ(report.exit_status, exit::kOk) << report.err;
  EXPECT_EQ(report.out, ReadText(kData / "report.txt"));
  const ProcessResult show = Dtuctl({"record", "show", database, "869123040000002"});
  EXPECT_EQ(show.out, ReadText(kData / "show.txt"));
}

}  // namespace
}  // namespace dtu::test
