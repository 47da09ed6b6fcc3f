// The production record against both of its homes: the same tests on an SQLite file and on a
// real PostgreSQL server.
#include "core/record/production_record.h"

#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <latch>
#include <set>
#include <thread>

#include "core/message_language.h"
#include "core/record/record_schema.h"
#include "core/record/record_time.h"
#include "record_backends.h"
#include "support/sample_blocks.h"

namespace dtu {
namespace {

// The record's messages as an English run of the tools gives them.
const struct English {
  English() { SetMessageLanguage(MessageLanguage::kEnglish); }
} kEnglish;

using std::chrono::milliseconds;
using Kind = RowClaim::Kind;

const StationPort kStationA{"station-a", "/dev/ttyUSB0"};
const StationPort kStationB{"station-b", "/dev/ttyUSB1"};

RecordTime At(int seconds) {
  return FromRecordMillis(1'800'000'000'000LL + seconds * 1000LL);
}

BatchRow Row(int line, std::string gsn = {}) {
  return {"row" + std::to_string(line),
          line,
          std::move(gsn),
          {{"device_number", std::to_string(100 + line)}, {"apn", line % 2 ? "cmiot" : ""}}};
}

BatchStart Batch(std::vector<BatchRow> rows, std::string table_hash = "table-1") {
  BatchStart start;
  start.template_block = test::GprsBlock();
  start.template_hash = "template-1";
  start.table_name = "units.csv";
  start.table_hash = std::move(table_hash);
  start.operator_name = "alice";
  start.station = kStationA.station;
  start.started = At(0);
  start.rows = std::move(rows);
  return start;
}

RecordedUnit Unit(int n) {
  return {"86912304000" + std::to_string(1000 + n), "ZB" + std::to_string(n), "V3.6.2"};
}

ResultEntry Result(std::int64_t batch, const RecordedUnit& unit, std::optional<BatchRow> row,
                   RecordOutcome outcome, int started = 0, int duration_ms = 1000,
                   const StationPort& where = kStationA) {
  ResultEntry entry;
  entry.id = NewResultId();
  entry.batch_id = batch;
  entry.where = where;
  entry.unit = unit;
  entry.row = std::move(row);
  entry.outcome = outcome;
  entry.message = "参数设置成功! 读回的参数与写入的相同";
  entry.started = At(started);
  entry.duration = milliseconds(duration_ms);
  return entry;
}

template <typename Backend>
class ProductionRecordTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if constexpr (Backend::kServer) {
      DTU_REQUIRE_POSTGRES_SERVER(server);
      backend_.server = server;
    }
    destination_ = backend_.NewDestination();
  }

  std::unique_ptr<ProductionRecord> Open(
      ProductionRecord::Access access = ProductionRecord::Access::Create,
      milliseconds busy = kDefaultBusyTimeout) {
    RecordError error;
    auto record = ProductionRecord::Open(destination_, access, error, busy);
    EXPECT_TRUE(error.ok()) << error.message;
    return record;
  }
  RecordError OpenFails(ProductionRecord::Access access) {
    RecordError error;
    EXPECT_EQ(ProductionRecord::Open(destination_, access, error), nullptr);
    return error;
  }

  std::int64_t Start(ProductionRecord& record, const BatchStart& start) {
    BatchHandle batch;
    const RecordError error = record.StartBatch(start, batch);
    EXPECT_TRUE(error.ok()) << error.message;
    return batch.id;
  }

  RowClaim Claim(ProductionRecord& record, std::int64_t batch, const RecordedUnit& unit,
                 const StationPort& where = kStationA) {
    RowClaim claim;
    const RecordError error = record.ClaimRow(batch, unit, where, claim);
    EXPECT_TRUE(error.ok()) << error.message;
    return claim;
  }

  void Record(ProductionRecord& record, const ResultEntry& entry) {
    const RecordError error = record.RecordResult(entry);
    EXPECT_TRUE(error.ok()) << error.message;
  }

  Backend backend_;
  std::string destination_;
};

using Backends = ::testing::Types<test::SqliteBackend, test::PostgresBackend>;
class BackendNames {
 public:
  template <typename T>
  static std::string GetName(int) {
    return T::kName;
  }
};
TYPED_TEST_SUITE(ProductionRecordTest, Backends, BackendNames);

TYPED_TEST(ProductionRecordTest, StationsStartingTheSameBatchShareIt) {
  auto record = this->Open();
  BatchHandle first, again, other;
  ASSERT_TRUE(record->StartBatch(Batch({Row(2)}), first).ok());
  EXPECT_FALSE(first.joined);
  ASSERT_TRUE(record->StartBatch(Batch({Row(2)}), again).ok());
  EXPECT_TRUE(again.joined);
  EXPECT_EQ(again.id, first.id);
  ASSERT_TRUE(record->StartBatch(Batch({Row(2)}, "table-2"), other).ok());
  EXPECT_NE(other.id, first.id);

  ASSERT_TRUE(record->EndBatch(first.id, At(60)).ok());
  ASSERT_TRUE(record->StartBatch(Batch({Row(2)}), again).ok());
  EXPECT_FALSE(again.joined);
  EXPECT_NE(again.id, first.id);
  RowClaim claim;
  const RecordError ended = record->ClaimRow(first.id, Unit(1), kStationA, claim);
  EXPECT_EQ(ended.failure, RecordFailure::Refused);
  EXPECT_NE(ended.message.find("was ended"), std::string::npos) << ended.message;
}

TYPED_TEST(ProductionRecordTest, RowsGoToTheirUnitThenInLineOrderAndOnlyOnce) {
  auto record = this->Open();
  const RecordedUnit tied = Unit(7);
  const std::int64_t batch = this->Start(*record, Batch({Row(2, tied.gsn), Row(3), Row(4)}));

  struct Step {
    RecordedUnit unit;
    Kind kind;
    int line;
  };
  const Step steps[] = {
      {Unit(1), Kind::Claimed, 3},  // the first free row tied to no unit
      {tied, Kind::Claimed, 2},     // the row holding its module serial, wherever it stands
      {Unit(2), Kind::Claimed, 4}, {Unit(3), Kind::NoRow, 0},  // every row is taken
      {Unit(1), Kind::Held, 3},                                // a second attempt gets the same row
  };
  for (const Step& step : steps) {
    const RowClaim claim = this->Claim(*record, batch, step.unit);
    EXPECT_EQ(claim.kind, step.kind) << step.unit.gsn;
    EXPECT_EQ(claim.row ? claim.row->line : 0, step.line) << step.unit.gsn;
  }
  const RowClaim held = this->Claim(*record, batch, Unit(1));
  ASSERT_TRUE(held.row);
  EXPECT_EQ(*held.row, Row(3));

  this->Record(*record, Result(batch, Unit(1), held.row, RecordOutcome::Ok));
  const RowClaim done = this->Claim(*record, batch, Unit(1));
  EXPECT_EQ(done.kind, Kind::AlreadyOk);
  EXPECT_EQ(done.row->line, 3);
  int left = -1;
  ASSERT_TRUE(record->RowsLeft(batch, left).ok());
  EXPECT_EQ(left, 2);

  EXPECT_EQ(this->Claim(*record, batch, RecordedUnit{}).kind, Kind::Unidentified);
}

TYPED_TEST(ProductionRecordTest, ANothingWrittenOutcomeFreesTheRowOthersKeepIt) {
  auto record = this->Open();
  std::int64_t batch = this->Start(*record, Batch({Row(2), Row(3)}));
  const struct {
    RecordOutcome outcome;
    bool freed;
  } cases[] = {
      {RecordOutcome::Rejected, true},  {RecordOutcome::Refused, true},
      {RecordOutcome::Mismatch, false}, {RecordOutcome::NoAnswer, false},
      {RecordOutcome::Vanished, false},
  };
  int unit = 10;
  for (const auto& c : cases) {
    const RowClaim first = this->Claim(*record, batch, Unit(unit));
    ASSERT_EQ(first.kind, Kind::Claimed);
    this->Record(*record, Result(batch, Unit(unit), first.row, c.outcome));
    const RowClaim next = this->Claim(*record, batch, Unit(unit + 1));
    const RowClaim again = this->Claim(*record, batch, Unit(unit));
    if (c.freed) {
      EXPECT_EQ(next.row->line, first.row->line) << OutcomeName(c.outcome);
      EXPECT_NE(again.row ? again.row->line : 0, first.row->line) << OutcomeName(c.outcome);
    } else {
      EXPECT_NE(next.row ? next.row->line : 0, first.row->line) << OutcomeName(c.outcome);
      EXPECT_EQ(again.kind, Kind::Held) << OutcomeName(c.outcome);
    }
    // A fresh batch for every case.
    BatchHandle fresh;
    ASSERT_TRUE(record->EndBatch(batch, At(1)).ok());
    ASSERT_TRUE(record->StartBatch(Batch({Row(2), Row(3)}), fresh).ok());
    batch = fresh.id;
    unit += 2;
  }
}

TYPED_TEST(ProductionRecordTest, TheDatabaseKeepsOneOkPerUnitAndPerRow) {
  auto record = this->Open();
  const std::int64_t batch = this->Start(*record, Batch({Row(2), Row(3)}));
  const RowClaim claim = this->Claim(*record, batch, Unit(1));
  this->Record(*record, Result(batch, Unit(1), claim.row, RecordOutcome::Ok));

  // Past the claims, as a tool with a fault of its own might try.
  const ResultEntry cases[] = {
      Result(batch, Unit(1), claim.row, RecordOutcome::Ok),  // the same unit twice
      Result(batch, Unit(2), claim.row, RecordOutcome::Ok),  // the same row to another unit
      Result(batch, Unit(3), Row(3), RecordOutcome::Ok),     // a row the unit never claimed
      Result(batch, Unit(3), std::nullopt, RecordOutcome::Ok),
  };
  for (const ResultEntry& entry : cases) {
    const RecordError error = record->RecordResult(entry);
    EXPECT_EQ(error.failure, RecordFailure::Refused) << entry.unit.gsn;
    EXPECT_NE(error.message.find(entry.unit.gsn), std::string::npos) << error.message;
  }
  std::vector<StoredResult> all;
  ASSERT_TRUE(record->AllResults(all).ok());
  EXPECT_EQ(all.size(), 1u);
}

TYPED_TEST(ProductionRecordTest, AResultRecordedAgainIsKeptOnce) {
  auto record = this->Open();
  const std::int64_t batch = this->Start(*record, Batch({Row(2)}));
  const RowClaim claim = this->Claim(*record, batch, Unit(1));
  const ResultEntry entry = Result(batch, Unit(1), claim.row, RecordOutcome::Ok);
  this->Record(*record, entry);
  this->Record(*record, entry);
  std::vector<StoredResult> all;
  ASSERT_TRUE(record->AllResults(all).ok());
  EXPECT_EQ(all.size(), 1u);
}

TYPED_TEST(ProductionRecordTest, AUnitsResultsComeBackWithTheirBlocksAndChangedFields) {
  auto record = this->Open();
  const std::int64_t batch = this->Start(*record, Batch({Row(2)}));
  const RecordedUnit unit = Unit(1);
  ResultEntry failed = Result(batch, unit, std::nullopt, RecordOutcome::NoAnswer, 0, 5000);
  failed.message = "读取参数时单元没有回答";
  this->Record(*record, failed);

  const RowClaim claim = this->Claim(*record, batch, unit, kStationB);
  ResultEntry ok = Result(batch, unit, claim.row, RecordOutcome::Ok, 10, 1234, kStationB);
  ok.before = test::GprsBlock();
  ok.after = test::GprsBlock();
  ok.after->set_device_number(102);
  ok.after->set_apn("cmiot");
  this->Record(*record, ok);
  this->Record(*record, Result(batch, Unit(2), std::nullopt, RecordOutcome::NoRow));

  std::vector<StoredResult> results;
  ASSERT_TRUE(record->UnitResults(unit.gsn, results).ok());
  ASSERT_EQ(results.size(), 2u);
  EXPECT_EQ(results[0].entry.outcome, RecordOutcome::NoAnswer);
  EXPECT_FALSE(results[0].entry.row);
  EXPECT_EQ(results[0].entry.message, "读取参数时单元没有回答");
  EXPECT_LT(results[0].number, results[1].number);
  const ResultEntry& back = results[1].entry;
  EXPECT_EQ(back.id, ok.id);
  EXPECT_EQ(back.where.station, "station-b");
  EXPECT_EQ(back.where.port, "/dev/ttyUSB1");
  EXPECT_EQ(back.unit.board_serial, "ZB1");
  EXPECT_EQ(back.unit.firmware, "V3.6.2");
  EXPECT_EQ(back.row, Row(2));
  EXPECT_EQ(back.before->bytes(), ok.before->bytes());
  EXPECT_EQ(back.after->bytes(), ok.after->bytes());
  EXPECT_EQ(back.started, At(10));
  EXPECT_EQ(back.duration, milliseconds(1234));
  EXPECT_EQ(results[1].changed_fields, (std::vector<std::string>{"device_number", "apn"}));

  ASSERT_TRUE(record->UnitResults("869123049999999", results).ok());
  EXPECT_TRUE(results.empty());
}

TYPED_TEST(ProductionRecordTest, TheReportCountsEachBatchAndStation) {
  auto record = this->Open();
  std::vector<BatchRow> rows;
  for (int line = 2; line < 12; ++line) rows.push_back(Row(line));
  const std::int64_t batch = this->Start(*record, Batch(rows));
  // Station A: four ok units taking 1, 2, 3 and 10 s, one after the other over 16 s, and one
  // rejected; station B: a unit that stopped answering and one skipped.
  int unit = 1, at = 0;
  for (const int seconds : {1, 2, 3, 10}) {
    const RowClaim claim = this->Claim(*record, batch, Unit(unit));
    this->Record(*record,
                 Result(batch, Unit(unit++), claim.row, RecordOutcome::Ok, at, seconds * 1000));
    at += seconds;
  }
  this->Record(*record, Result(batch, Unit(unit++), std::nullopt, RecordOutcome::Rejected, at, 0));
  this->Record(*record, Result(batch, Unit(unit++), std::nullopt, RecordOutcome::NoAnswer, 0, 5000,
                               kStationB));
  this->Record(*record,
               Result(batch, Unit(1), std::nullopt, RecordOutcome::Skipped, 100, 500, kStationB));

  std::vector<BatchReport> report;
  ASSERT_TRUE(record->Report({}, report).ok());
  ASSERT_EQ(report.size(), 1u);
  EXPECT_EQ(report[0].batch.rows, 10);
  EXPECT_EQ(report[0].batch.rows_done, 4);
  EXPECT_EQ(report[0].batch.operator_name, "alice");
  ASSERT_EQ(report[0].stations.size(), 2u);
  const StationFigures& a = report[0].stations[0];
  EXPECT_EQ(a.station, "station-a");
  EXPECT_EQ(a.results, 5);
  EXPECT_EQ(a.count(RecordOutcome::Ok), 4);
  EXPECT_EQ(a.count(RecordOutcome::Rejected), 1);
  EXPECT_DOUBLE_EQ(*a.yield, 0.8);
  EXPECT_EQ(*a.median, milliseconds(2500));
  EXPECT_EQ(*a.p95, milliseconds(10000));
  EXPECT_DOUBLE_EQ(*a.units_per_hour, 4 * 3600.0 / 16);
  const StationFigures& b = report[0].stations[1];
  EXPECT_EQ(b.count(RecordOutcome::Skipped), 1);
  EXPECT_DOUBLE_EQ(*b.yield, 0.0);
  EXPECT_FALSE(b.median);

  ASSERT_TRUE(record->Report({std::nullopt, At(50)}, report).ok());
  ASSERT_EQ(report.size(), 1u);
  ASSERT_EQ(report[0].stations.size(), 1u);
  EXPECT_EQ(report[0].stations[0].results, 1);
  ASSERT_TRUE(record->Report({batch + 1, std::nullopt}, report).ok());
  EXPECT_TRUE(report.empty());
}

// Two stations at once, each on its own connection: every row goes to one unit, every unit
// gets one row, and both find the one batch.
TYPED_TEST(ProductionRecordTest, TwoWritersAtOnceNeverShareARow) {
  constexpr int kUnitsEach = 12;
  std::vector<BatchRow> rows;
  for (int line = 2; line < 2 + 2 * kUnitsEach; ++line) rows.push_back(Row(line));
  auto first = this->Open();
  auto second = this->Open();
  std::vector<std::int64_t> batches(2);
  std::vector<std::vector<int>> lines(2);
  std::latch together(2);
  auto station = [&](ProductionRecord& record, int s) {
    together.arrive_and_wait();
    BatchHandle batch;
    ASSERT_TRUE(record.StartBatch(Batch(rows), batch).ok());
    batches[s] = batch.id;
    for (int n = 0; n < kUnitsEach; ++n) {
      const RecordedUnit unit = Unit(100 * (s + 1) + n);
      RowClaim claim;
      ASSERT_TRUE(record.ClaimRow(batch.id, unit, s ? kStationB : kStationA, claim).ok());
      ASSERT_EQ(claim.kind, Kind::Claimed);
      lines[s].push_back(claim.row->line);
      ASSERT_TRUE(record.RecordResult(Result(batch.id, unit, claim.row, RecordOutcome::Ok)).ok());
    }
  };
  {
    std::jthread a(station, std::ref(*first), 0);
    std::jthread b(station, std::ref(*second), 1);
  }
  EXPECT_EQ(batches[0], batches[1]);
  std::set<int> all(lines[0].begin(), lines[0].end());
  all.insert(lines[1].begin(), lines[1].end());
  EXPECT_EQ(all.size(), rows.size());
  int left = -1;
  ASSERT_TRUE(first->RowsLeft(batches[0], left).ok());
  EXPECT_EQ(left, 0);
}

TYPED_TEST(ProductionRecordTest, TheSameUnitOnTwoStationsAtOnceGetsOneRow) {
  auto first = this->Open();
  auto second = this->Open();
  const std::int64_t batch = this->Start(*first, Batch({Row(2), Row(3), Row(4)}));
  RowClaim claims[2];
  std::latch together(2);
  {
    std::jthread a([&] {
      together.arrive_and_wait();
      first->ClaimRow(batch, Unit(1), kStationA, claims[0]);
    });
    std::jthread b([&] {
      together.arrive_and_wait();
      second->ClaimRow(batch, Unit(1), kStationB, claims[1]);
    });
  }
  ASSERT_TRUE(claims[0].row && claims[1].row);
  EXPECT_EQ(claims[0].row->line, claims[1].row->line);
  EXPECT_NE(claims[0].kind, claims[1].kind);  // one claimed it, the other found it held
}

TYPED_TEST(ProductionRecordTest, RefusesWhatIsNotARecordItCanRead) {
  EXPECT_EQ(this->OpenFails(ProductionRecord::Access::Read).failure, RecordFailure::Missing);
  EXPECT_EQ(this->OpenFails(ProductionRecord::Access::Write).failure, RecordFailure::Missing);
  {
    auto raw = TypeParam::Raw(this->destination_);
    raw->Query("CREATE TABLE other (x INTEGER)");
  }
  const RecordError other = this->OpenFails(ProductionRecord::Access::Create);
  EXPECT_EQ(other.failure, RecordFailure::NotARecord);
  EXPECT_NE(other.message.find("not a production record"), std::string::npos) << other.message;
}

TYPED_TEST(ProductionRecordTest, ARecordOfANewerVersionIsRefused) {
  this->Open().reset();
  TypeParam::Raw(this->destination_)
      ->Query("INSERT INTO record_version (version, applied_ms) VALUES ($1, 0)",
              {std::int64_t{kRecordVersion + 1}});
  for (const auto access : {ProductionRecord::Access::Create, ProductionRecord::Access::Read}) {
    const RecordError error = this->OpenFails(access);
    EXPECT_EQ(error.failure, RecordFailure::TooNew);
    EXPECT_NE(error.message.find("newer version"), std::string::npos) << error.message;
    EXPECT_NE(error.message.find("record version " + std::to_string(kRecordVersion + 1)),
              std::string::npos)
        << error.message;
  }
}

TYPED_TEST(ProductionRecordTest, ALockHeldPastTheBusyTimeOutIsReported) {
  auto record = this->Open(ProductionRecord::Access::Create, milliseconds(200));
  const std::int64_t batch = this->Start(*record, Batch({Row(2)}));
  auto other = TypeParam::Raw(this->destination_);
  other->BeginWrite();
  if (TypeParam::kServer) other->Query("LOCK TABLE claims IN ACCESS EXCLUSIVE MODE");
  RowClaim claim;
  const RecordError locked = record->ClaimRow(batch, Unit(1), kStationA, claim);
  EXPECT_EQ(locked.failure, RecordFailure::Locked);
  EXPECT_NE(locked.message.find("locked for longer than the busy time-out (0.2 s)"),
            std::string::npos)
      << locked.message;
  other->Rollback();
  EXPECT_EQ(this->Claim(*record, batch, Unit(1)).kind, Kind::Claimed);
}

// Every row of a batch written in one transaction, whatever the number of rows.
TYPED_TEST(ProductionRecordTest, ABatchOfManyRowsIsKeptWhole) {
  auto record = this->Open();
  std::vector<BatchRow> rows;
  for (int line = 2; line < 2002; ++line) rows.push_back(Row(line));
  rows.push_back(Row(2));  // a key given twice: the batch is refused and nothing kept
  BatchHandle batch;
  EXPECT_EQ(record->StartBatch(Batch(rows), batch).failure, RecordFailure::Refused);
  rows.pop_back();
  std::vector<BatchInfo> batches;
  ASSERT_TRUE(record->Batches(batches).ok());
  EXPECT_TRUE(batches.empty());
  const std::int64_t id = this->Start(*record, Batch(rows));
  int left = 0;
  ASSERT_TRUE(record->RowsLeft(id, left).ok());
  EXPECT_EQ(left, 2000);
}

// A record the station may read but not write is refused before any unit is touched.
TYPED_TEST(ProductionRecordTest, ARecordThatCannotBeWrittenIsRefusedAtOpening) {
  this->Open().reset();
  RecordError error;
  if constexpr (TypeParam::kServer) {
    ProductionRecord::Open(this->destination_ + " options='-c default_transaction_read_only=on'",
                           ProductionRecord::Access::Write, error);
  } else {
    // A file without write permission: opened by a user who may not write it (the tests may
    // run as root, whom no permission stops).
    ::chmod(this->destination_.c_str(), 0444);
    const pid_t child = ::fork();
    if (child == 0) {
      if (::getuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0)) ::_exit(100);
      RecordError seen;
      ProductionRecord::Open(this->destination_, ProductionRecord::Access::Write, seen);
      const bool named = seen.message.find("read-only") != std::string::npos;
      ::_exit(static_cast<int>(seen.failure) + (named ? 0 : 50));
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    error.failure = static_cast<RecordFailure>(WEXITSTATUS(status));
  }
  EXPECT_EQ(error.failure, RecordFailure::ReadOnly) << error.message;
  // Reading it still works.
  EXPECT_NE(this->Open(ProductionRecord::Access::Read), nullptr);
}

TEST(ProductionRecordServerTest, AnUnreachableServerIsNamed) {
  RecordError error;
  EXPECT_EQ(ProductionRecord::Open("host=/nonexistent/dtu dbname=line",
                                   ProductionRecord::Access::Create, error),
            nullptr);
  EXPECT_EQ(error.failure, RecordFailure::Unreachable);
  EXPECT_NE(error.message.find("cannot connect"), std::string::npos) << error.message;
}

class ProductionRecordOnServerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    DTU_REQUIRE_POSTGRES_SERVER(server);
    server_ = server;
    destination_ = server->NewDatabase();
    RecordError error;
    record_ = ProductionRecord::Open(destination_, ProductionRecord::Access::Create, error);
    ASSERT_TRUE(error.ok()) << error.message;
    BatchStart start = Batch({Row(2), Row(3)});
    ASSERT_TRUE(record_->StartBatch(start, batch_).ok());
  }
  std::size_t ResultCount() {
    std::vector<StoredResult> all;
    EXPECT_TRUE(record_->AllResults(all).ok());
    return all.size();
  }

  test::PostgresServer* server_ = nullptr;
  std::string destination_;
  std::unique_ptr<ProductionRecord> record_;
  BatchHandle batch_;
};

// The server stops mid-batch: the call fails saying nothing was recorded; once the server is
// back the same call records the result, once.
TEST_F(ProductionRecordOnServerTest, AServerThatGoesAwayMidBatchLosesNothing) {
  RowClaim claim;
  ASSERT_TRUE(record_->ClaimRow(batch_.id, Unit(1), kStationA, claim).ok());
  const ResultEntry entry = Result(batch_.id, Unit(1), claim.row, RecordOutcome::Ok);
  ASSERT_TRUE(server_->Stop());
  const RecordError lost = record_->RecordResult(entry);
  const bool restarted = server_->Start();
  ASSERT_TRUE(restarted);
  EXPECT_EQ(lost.failure, RecordFailure::ConnectionLost);
  EXPECT_NE(lost.message.find("nothing of this was recorded"), std::string::npos) << lost.message;
  EXPECT_EQ(ResultCount(), 0u);

  EXPECT_TRUE(record_->RecordResult(entry).ok());
  EXPECT_TRUE(record_->RecordResult(entry).ok());
  EXPECT_EQ(ResultCount(), 1u);
  RowClaim again;
  ASSERT_TRUE(record_->ClaimRow(batch_.id, Unit(1), kStationA, again).ok());
  EXPECT_EQ(again.kind, RowClaim::Kind::AlreadyOk);
}

// A connection the server ended between two calls (a restart while the station waited for
// its next unit) is made again without the caller seeing it.
TEST_F(ProductionRecordOnServerTest, AConnectionEndedBetweenCallsIsMadeAgain) {
  PostgresConnection admin(destination_, std::chrono::seconds(5));
  admin.Query(
      "SELECT pg_terminate_backend(pid) FROM pg_stat_activity WHERE datname = current_database() "
      "AND pid <> pg_backend_pid()");
  RowClaim claim;
  const RecordError error = record_->ClaimRow(batch_.id, Unit(1), kStationA, claim);
  EXPECT_TRUE(error.ok()) << error.message;
  EXPECT_EQ(claim.kind, RowClaim::Kind::Claimed);
}

}  // namespace
}  // namespace dtu
