// What the production record adds to each unit: claiming its row and recording its result,
// each one transaction, in an SQLite file and on a PostgreSQL server (a Unix socket on this
// machine, as the tests start it), beside the baseline of appending the unit's line to the
// CSV provisioning log.

#include <benchmark/benchmark.h>

#include <memory>
#include <string>

#include "core/production/provision_log.h"
#include "core/record/production_record.h"
#include "core/record/record_time.h"
#include "dtusim/default_block.h"
#include "support/postgres_server.h"
#include "support/temp_dir.h"

namespace {

// Units per run: enough for steady figures, few enough that the batch's rows are made at once.
constexpr int kUnits = 400;

dtu::BatchStart Batch() {
  dtu::BatchStart start;
  start.template_block = dtusim::MakeDefaultBlock();
  start.template_hash = "bench-template";
  start.table_name = "units.csv";
  start.table_hash = "bench-table";
  start.operator_name = "bench";
  start.station = "bench";
  start.started = dtu::RecordNow();
  for (int line = 2; line < 2 + kUnits; ++line)
    start.rows.push_back(
        {"row" + std::to_string(line),
         line,
         "",
         {{"device_number", std::to_string(line)}, {"sim_number", "13800000000"}}});
  return start;
}

// One unit: its row claimed, then its ok result with the blocks before and after.
void RecordUnits(benchmark::State& state, const std::string& destination) {
  dtu::RecordError error;
  auto record =
      dtu::ProductionRecord::Open(destination, dtu::ProductionRecord::Access::Create, error);
  dtu::BatchHandle batch;
  if (record) error = record->StartBatch(Batch(), batch);
  if (!error.ok()) {
    state.SkipWithError(error.message.c_str());
    return;
  }
  const dtu::ParameterBlock before = dtusim::MakeDefaultBlock();
  dtu::ParameterBlock after = before;
  int n = 0;
  for (auto _ : state) {
    const dtu::RecordedUnit unit{"8691230400" + std::to_string(10000 + n), "ZB" + std::to_string(n),
                                 "V3.6.2"};
    ++n;
    dtu::RowClaim claim;
    error = record->ClaimRow(batch.id, unit, {"bench", "/dev/ttyUSB0"}, claim);
    if (error.ok() && claim.kind != dtu::RowClaim::Kind::Claimed) error.message = "no row claimed";
    after.set_device_number(static_cast<std::uint32_t>(n));
    dtu::ResultEntry entry;
    entry.id = dtu::NewResultId();
    entry.batch_id = batch.id;
    entry.where = {"bench", "/dev/ttyUSB0"};
    entry.unit = unit;
    entry.row = claim.row;
    entry.before = before;
    entry.after = after;
    entry.message = "参数设置成功! 读回的参数与写入的相同";
    entry.started = dtu::RecordNow();
    entry.duration = std::chrono::milliseconds(1300);
    if (error.ok() && error.message.empty()) error = record->RecordResult(entry);
    if (!error.ok() || !error.message.empty()) {
      state.SkipWithError(error.message.c_str());
      return;
    }
  }
}

void BM_RecordUnitSqlite(benchmark::State& state) {
  dtu::test::TempDir folder;
  RecordUnits(state, (folder / "record.db").string());
}
BENCHMARK(BM_RecordUnitSqlite)->Iterations(kUnits)->UseRealTime()->Unit(benchmark::kMillisecond);

void BM_RecordUnitPostgres(benchmark::State& state) {
  dtu::test::PostgresServer* server = dtu::test::PostgresServer::Shared();
  if (server == nullptr) {
    state.SkipWithError(dtu::test::PostgresServer::why_not().c_str());
    return;
  }
  RecordUnits(state, server->NewDatabase());
}
BENCHMARK(BM_RecordUnitPostgres)->Iterations(kUnits)->UseRealTime()->Unit(benchmark::kMillisecond);

// The baseline: the unit's line appended to the CSV log and flushed to the disk.
void BM_ProvisionLogAppend(benchmark::State& state) {
  dtu::test::TempDir folder;
  std::string error;
  const auto log = dtu::ProvisionLog::Open(folder / "L.csv", error);
  if (!log) {
    state.SkipWithError(error.c_str());
    return;
  }
  dtu::LogEntry entry;
  entry.time = dtu::LogTimeNow();
  entry.port = "/dev/ttyUSB0";
  entry.unit = {"ZB001", "869123040000001"};
  entry.firmware = "V3.6.2";
  entry.signal = "23";
  entry.row_line = 2;
  entry.message = "参数设置成功! 读回的参数与写入的相同";
  for (auto _ : state) {
    if (!log->Append(entry, error)) {
      state.SkipWithError(error.c_str());
      return;
    }
  }
}
BENCHMARK(BM_ProvisionLogAppend)->Iterations(kUnits)->UseRealTime()->Unit(benchmark::kMillisecond);

}  // namespace
