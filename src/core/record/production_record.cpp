#include "core/record/production_record.h"

#include <pwd.h>
#include <unistd.h>

#include <array>
#include <map>
#include <random>

#include "core/block/parameter_text.h"
#include "core/message_language.h"
#include "core/record/postgres_connection.h"
#include "core/record/record_destination.h"
#include "core/record/record_schema.h"
#include "core/record/record_text.h"
#include "core/record/record_time.h"
#include "core/record/sqlite_connection.h"
#include "core/text/hex_text.h"

namespace dtu {
namespace {

// The columns of a batch's row, in this order, in every statement that reads one.
constexpr std::string_view kRowColumns = "r.row_key, r.row_line, r.unit_gsn, r.row_values";

BatchRow RowFrom(const SqlRow& row, std::size_t first) {
  return {row.Text(first), static_cast<int>(row.Int(first + 1)), row.Text(first + 2),
          RowValuesFrom(row.Text(first + 3))};
}

std::optional<ParameterBlock> BlockFrom(const SqlRow& row, std::size_t column) {
  if (row.IsNull(column)) return std::nullopt;
  const std::string bytes = row.Text(column);
  if (bytes.size() != kBlockSize) return std::nullopt;
  BlockBytes block{};
  std::copy(bytes.begin(), bytes.end(), block.begin());
  return ParameterBlock(block);
}

SqlValue BlobOf(const std::optional<ParameterBlock>& block) {
  if (!block) return nullptr;
  return SqlBlob{block->bytes()};
}

std::string UnitText(const RecordedUnit& unit) {
  if (!unit.gsn.empty()) return Say("单元 ", "unit ") + unit.gsn;
  if (!unit.board_serial.empty())
    return Say("板卡序列号为 " + unit.board_serial + " 的单元",
               "unit with board serial " + unit.board_serial);
  return Say("未报序列号的单元", "a unit that reported no serial");
}

std::vector<std::string> ChangedFields(const ResultEntry& entry) {
  std::vector<std::string> names;
  if (entry.before && entry.after)
    for (const MemberDifference& difference : DiffBlockTexts(*entry.before, *entry.after))
      names.push_back(difference.name);
  return names;
}

// The units table's id of `unit`, entered when new; the firmware it reports now is kept.
std::int64_t UnitId(SqlConnection& connection, const RecordedUnit& unit) {
  const auto rows = connection.Query(
      "INSERT INTO units (gsn, board_serial, firmware) VALUES ($1, $2, $3) "
      "ON CONFLICT (gsn, board_serial) DO UPDATE SET firmware = "
      "CASE WHEN excluded.firmware = '' THEN units.firmware ELSE excluded.firmware END "
      "RETURNING id",
      {std::string_view(unit.gsn), std::string_view(unit.board_serial),
       std::string_view(unit.firmware)});
  return rows.at(0).Int(0);
}

std::optional<BatchRow> FirstRow(const std::vector<SqlRow>& rows) {
  if (rows.empty()) return std::nullopt;
  return RowFrom(rows.front(), 0);
}

void RequireOpenBatch(SqlConnection& connection, std::int64_t batch_id) {
  const auto rows = connection.Query("SELECT ended_ms FROM batches WHERE id = $1", {batch_id});
  if (rows.empty())
    throw SqlFailure(RecordFailure::Refused, connection.name() + Say("：没有批次 ", ": no batch ") +
                                                 std::to_string(batch_id));
  if (!rows[0].IsNull(0))
    throw SqlFailure(RecordFailure::Refused,
                     connection.name() +
                         Say("：批次 " + std::to_string(batch_id) + " 已于 ",
                             ": batch " + std::to_string(batch_id) + " was ended at ") +
                         FormatRecordTime(FromRecordMillis(rows[0].Int(0))) + Say(" 结束", ""));
}

// One attempt at the row a unit is to get; nothing when another station took the row just
// now (the caller looks again).
std::optional<RowClaim> TryClaim(SqlConnection& connection, std::int64_t batch_id,
                                 std::int64_t unit_id, const RecordedUnit& unit,
                                 const StationPort& where) {
  const std::string columns(kRowColumns);
  if (auto done = FirstRow(
          connection.Query("SELECT " + columns +
                               " FROM batch_rows r JOIN results s ON s.batch_id = r.batch_id AND "
                               "s.row_key = r.row_key WHERE s.batch_id = $1 AND s.unit_id = $2 AND "
                               "s.outcome = 'ok'",
                           {batch_id, unit_id})))
    return RowClaim{RowClaim::Kind::AlreadyOk, std::move(done), {}};
  if (auto held = FirstRow(
          connection.Query("SELECT " + columns +
                               " FROM batch_rows r JOIN claims c ON c.batch_id = r.batch_id AND "
                               "c.row_key = r.row_key WHERE c.batch_id = $1 AND c.unit_id = $2",
                           {batch_id, unit_id})))
    return RowClaim{RowClaim::Kind::Held, std::move(held), {}};

  std::optional<BatchRow> row;
  if (!unit.gsn.empty())
    row = FirstRow(connection.Query("SELECT " + columns +
                                        " FROM batch_rows r WHERE r.batch_id = $1 AND "
                                        "r.unit_gsn = $2",
                                    {batch_id, std::string_view(unit.gsn)}));
  const bool tied = row.has_value();
  if (!row)
    row = FirstRow(connection.Query(
        "SELECT " + columns +
            " FROM batch_rows r WHERE r.batch_id = $1 AND r.unit_gsn = '' AND NOT EXISTS "
            "(SELECT 1 FROM claims c WHERE c.batch_id = r.batch_id AND c.row_key = r.row_key) "
            "ORDER BY r.row_line LIMIT 1",
        {batch_id}));
  if (!row) {
    const auto untied = connection.Query(
        "SELECT count(*) FROM batch_rows WHERE batch_id = $1 AND unit_gsn = ''", {batch_id});
    const bool keyed_only = untied.at(0).Int(0) == 0;
    return RowClaim{RowClaim::Kind::NoRow, std::nullopt,
                    keyed_only ? Say("表中没有这个单元的模块序列号的行",
                                     "the table has no row for this unit's module serial")
                               : Say("表中的行都已完成或被别的单元占用",
                                     "every row of the table is done or held by another unit")};
  }
  const auto inserted = connection.Query(
      "INSERT INTO claims (batch_id, row_key, unit_id, station, port, claimed_ms) "
      "VALUES ($1, $2, $3, $4, $5, $6) ON CONFLICT DO NOTHING RETURNING row_key",
      {batch_id, std::string_view(row->key), unit_id, std::string_view(where.station),
       std::string_view(where.port), ToRecordMillis(RecordNow())});
  if (!inserted.empty()) return RowClaim{RowClaim::Kind::Claimed, std::move(row), {}};
  if (tied)
    return RowClaim{RowClaim::Kind::NoRow, std::nullopt,
                    Say("这个模块序列号的第 " + std::to_string(row->line) + " 行被别的单元占用",
                        "the row of line " + std::to_string(row->line) +
                            " for this module serial is held by another unit")};
  return std::nullopt;
}

}  // namespace

ProductionRecord::ProductionRecord(std::unique_ptr<SqlConnection> connection)
    : connection_(std::move(connection)), name_(connection_->name()) {}

ProductionRecord::~ProductionRecord() = default;

std::unique_ptr<ProductionRecord> ProductionRecord::Open(std::string_view destination,
                                                         Access access, RecordError& error,
                                                         std::chrono::milliseconds busy_timeout) {
  RecordDestination where;
  error = ParseDestination(destination, where);
  if (!error.ok()) return nullptr;
  try {
    std::unique_ptr<SqlConnection> connection;
    if (where.kind == RecordDestination::Kind::Server) {
      connection = std::make_unique<PostgresConnection>(where.text, busy_timeout);
    } else {
      const auto mode = access == Access::Create  ? SqliteConnection::Mode::Create
                        : access == Access::Write ? SqliteConnection::Mode::Write
                                                  : SqliteConnection::Mode::Read;
      connection = std::make_unique<SqliteConnection>(where.text, mode, busy_timeout);
    }
    PrepareRecordSchema(*connection, access == Access::Create  ? SchemaAccess::Create
                                     : access == Access::Write ? SchemaAccess::Use
                                                               : SchemaAccess::Read);
    if (access != Access::Read && !connection->dialect().may_write.empty()) {
      const auto rows = connection->Query(connection->dialect().may_write);
      if (rows.empty() || rows[0].Text(0) != "t")
        throw SqlFailure(RecordFailure::ReadOnly,
                         connection->name() + Say("：记录在这里是只读的（这个连接不能写它的表）",
                                                  ": the record is read-only here (this connection "
                                                  "may not write its tables)"));
    }
    return std::unique_ptr<ProductionRecord>(new ProductionRecord(std::move(connection)));
  } catch (const SqlFailure& failure) {
    error = {failure.failure(), failure.what()};
    return nullptr;
  }
}

template <typename Work>
RecordError ProductionRecord::Guarded(Work&& work) {
  std::lock_guard lock(mutex_);
  // Every call may be made again without harm (a result is recorded once, a unit's claim is
  // found again, a batch is joined), so a connection the server dropped since the last call (a
  // restart) is made again and the call repeated once.
  std::string first_loss;
  for (;;) {
    try {
      connection_->Revive();
      work(*connection_);
      return {};
    } catch (const SqlFailure& failure) {
      if (failure.failure() != RecordFailure::ConnectionLost)
        return {failure.failure(), failure.what()};
      if (!first_loss.empty())
        return {RecordFailure::ConnectionLost,
                first_loss + Say("；再也连不上", "; it cannot be reached again")};
      first_loss = failure.what();
    } catch (const std::exception& failure) {
      return {RecordFailure::Failed, name_ + ": " + failure.what()};
    }
  }
}

RecordError ProductionRecord::StartBatch(const BatchStart& start, BatchHandle& batch) {
  return Guarded([&](SqlConnection& connection) {
    batch = InWriteTransaction(connection, [&] {
      const auto open = [&] {
        return connection.Query(
            "SELECT id, started_ms FROM batches WHERE template_hash = $1 AND table_hash = $2 "
            "AND ended_ms IS NULL",
            {std::string_view(start.template_hash), std::string_view(start.table_hash)});
      };
      if (const auto found = open(); !found.empty())
        return BatchHandle{found[0].Int(0), true, FromRecordMillis(found[0].Int(1))};
      const auto made = connection.Query(
          "INSERT INTO batches (template_block, template_hash, table_name, table_hash, "
          "operator_name, station, started_ms) VALUES ($1, $2, $3, $4, $5, $6, $7) "
          "ON CONFLICT (template_hash, table_hash) WHERE ended_ms IS NULL DO NOTHING "
          "RETURNING id",
          {SqlBlob{start.template_block.bytes()}, std::string_view(start.template_hash),
           std::string_view(start.table_name), std::string_view(start.table_hash),
           std::string_view(start.operator_name), std::string_view(start.station),
           ToRecordMillis(start.started)});
      // Another station started it a moment ago: the server waited for it, and now it is there.
      if (made.empty()) {
        const auto found = open();
        return BatchHandle{found.at(0).Int(0), true, FromRecordMillis(found.at(0).Int(1))};
      }
      const std::int64_t id = made[0].Int(0);
      for (const BatchRow& row : start.rows) {
        const std::string values = RowValuesText(row.values);
        connection.Query(
            "INSERT INTO batch_rows (batch_id, row_key, row_line, unit_gsn, row_values) "
            "VALUES ($1, $2, $3, $4, $5)",
            {id, std::string_view(row.key), std::int64_t{row.line}, std::string_view(row.unit_gsn),
             std::string_view(values)});
      }
      return BatchHandle{id, false, start.started};
    });
  });
}

RecordError ProductionRecord::EndBatch(std::int64_t batch_id, RecordTime ended) {
  return Guarded([&](SqlConnection& connection) {
    InWriteTransaction(connection, [&] {
      RequireOpenBatch(connection, batch_id);
      connection.Query("UPDATE batches SET ended_ms = $1 WHERE id = $2",
                       {ToRecordMillis(ended), batch_id});
    });
  });
}

RecordError ProductionRecord::ClaimRow(std::int64_t batch_id, const RecordedUnit& unit,
                                       const StationPort& where, RowClaim& claim) {
  if (unit.gsn.empty() && unit.board_serial.empty()) {
    claim = {RowClaim::Kind::Unidentified, std::nullopt,
             Say("单元既没有报告模块序列号，也没有报告板卡序列号",
                 "the unit reported neither its module serial nor its board serial")};
    return {};
  }
  return Guarded([&](SqlConnection& connection) {
    claim = InWriteTransaction(connection, [&] {
      RequireOpenBatch(connection, batch_id);
      const std::int64_t unit_id = UnitId(connection, unit);
      // Each round that finds nothing saw another station take the row it looked at.
      for (;;)
        if (std::optional<RowClaim> got = TryClaim(connection, batch_id, unit_id, unit, where))
          return std::move(*got);
    });
  });
}

RecordError ProductionRecord::RecordResult(const ResultEntry& entry) {
  return Guarded([&](SqlConnection& connection) {
    InWriteTransaction(connection, [&] {
      if (!connection
               .Query("SELECT 1 FROM results WHERE result_key = $1", {std::string_view(entry.id)})
               .empty())
        return;  // recorded by an earlier call whose answer was lost
      const std::int64_t unit_id = UnitId(connection, entry.unit);
      const std::string where = connection.name() + ": " + UnitText(entry.unit) + ": ";
      if (entry.id.empty())
        throw SqlFailure(RecordFailure::Refused,
                         where + Say("结果需要一个标识", "a result needs an id"));
      if (entry.outcome == RecordOutcome::Ok &&
          (!entry.row || connection
                             .Query("SELECT 1 FROM claims WHERE batch_id = $1 AND row_key = $2 "
                                    "AND unit_id = $3",
                                    {entry.batch_id, std::string_view(entry.row->key), unit_id})
                             .empty()))
        throw SqlFailure(RecordFailure::Refused,
                         where + Say("ok 的结果需要这个单元在批次 " +
                                         std::to_string(entry.batch_id) + " 中自己的行",
                                     "an ok result needs the unit's own row of batch " +
                                         std::to_string(entry.batch_id)));
      const std::string changed = JoinedNames(ChangedFields(entry));
      const std::string values = entry.row ? RowValuesText(entry.row->values) : std::string();
      const SqlValue no_value = nullptr;
      try {
        connection.Query(
            "INSERT INTO results (result_key, batch_id, station, port, unit_id, firmware, "
            "row_key, row_line, row_values, outcome, block_before, block_after, changed_fields, "
            "message, started_ms, duration_ms) VALUES ($1, $2, $3, $4, $5, $6, $7, $8, $9, $10, "
            "$11, $12, $13, $14, $15, $16)",
            {std::string_view(entry.id), entry.batch_id, std::string_view(entry.where.station),
             std::string_view(entry.where.port), unit_id, std::string_view(entry.unit.firmware),
             entry.row ? SqlValue(std::string_view(entry.row->key)) : no_value,
             entry.row ? SqlValue(std::int64_t{entry.row->line}) : no_value,
             entry.row ? SqlValue(std::string_view(values)) : no_value,
             std::string_view(OutcomeName(entry.outcome)), BlobOf(entry.before),
             BlobOf(entry.after), std::string_view(changed), std::string_view(entry.message),
             ToRecordMillis(entry.started), std::int64_t{entry.duration.count()}});
      } catch (const SqlFailure& failure) {
        if (failure.failure() != RecordFailure::Refused) throw;
        throw SqlFailure(RecordFailure::Refused,
                         where +
                             Say("记录中批次 " + std::to_string(entry.batch_id) +
                                     " 的每个单元、每一行只有一个 ok 结果（",
                                 "the record keeps one ok result per unit and per row of batch " +
                                     std::to_string(entry.batch_id) + " (") +
                             failure.what() + Say("）", ")"));
      }
      if (entry.row && LeavesRowFree(entry.outcome))
        connection.Query("DELETE FROM claims WHERE batch_id = $1 AND row_key = $2 AND unit_id = $3",
                         {entry.batch_id, std::string_view(entry.row->key), unit_id});
    });
  });
}

RecordError ProductionRecord::RowsLeft(std::int64_t batch_id, int& rows_left) {
  return Guarded([&](SqlConnection& connection) {
    const auto rows = connection.Query(
        "SELECT count(*) FROM batch_rows r WHERE r.batch_id = $1 AND NOT EXISTS "
        "(SELECT 1 FROM results s WHERE s.batch_id = r.batch_id AND s.row_key = r.row_key AND "
        "s.outcome = 'ok')",
        {batch_id});
    rows_left = static_cast<int>(rows.at(0).Int(0));
  });
}

RecordError ProductionRecord::Batches(std::vector<BatchInfo>& batches) {
  return Guarded([&](SqlConnection& connection) {
    batches.clear();
    for (const SqlRow& row : connection.Query(
             "SELECT b.id, b.template_hash, b.table_name, b.table_hash, b.operator_name, "
             "b.station, b.started_ms, b.ended_ms, "
             "(SELECT count(*) FROM batch_rows r WHERE r.batch_id = b.id), "
             "(SELECT count(*) FROM results s WHERE s.batch_id = b.id AND s.outcome = 'ok') "
             "FROM batches b ORDER BY b.id")) {
      BatchInfo info{row.Int(0),
                     row.Text(1),
                     row.Text(2),
                     row.Text(3),
                     row.Text(4),
                     row.Text(5),
                     FromRecordMillis(row.Int(6)),
                     std::nullopt,
                     static_cast<int>(row.Int(8)),
                     static_cast<int>(row.Int(9))};
      if (const auto ended = row.OptionalInt(7)) info.ended = FromRecordMillis(*ended);
      batches.push_back(std::move(info));
    }
  });
}

RecordError ProductionRecord::Report(const ReportFilter& filter, std::vector<BatchReport>& report) {
  std::vector<BatchInfo> batches;
  if (RecordError error = Batches(batches); !error.ok()) return error;
  return Guarded([&](SqlConnection& connection) {
    report.clear();
    const std::int64_t since = filter.since ? ToRecordMillis(*filter.since) : INT64_MIN;
    std::map<std::int64_t, std::map<std::string, std::vector<FigureSample>>> samples;
    for (const SqlRow& row :
         connection.Query("SELECT batch_id, station, outcome, started_ms, duration_ms FROM results "
                          "WHERE started_ms >= $1 ORDER BY id",
                          {since})) {
      samples[row.Int(0)][row.Text(1)].push_back(
          {OutcomeFromName(row.Text(2)).value_or(RecordOutcome::Refused),
           FromRecordMillis(row.Int(3)), std::chrono::milliseconds(row.Int(4))});
    }
    for (const BatchInfo& batch : batches) {
      if (filter.batch_id && batch.id != *filter.batch_id) continue;
      const auto found = samples.find(batch.id);
      const bool started_since = !filter.since || batch.started >= *filter.since;
      if (found == samples.end() && !started_since) continue;
      BatchReport entry{batch, {}};
      if (found != samples.end())
        for (const auto& [station, results] : found->second)
          entry.stations.push_back(ComputeFigures(station, results));
      report.push_back(std::move(entry));
    }
  });
}

std::vector<StoredResult> ProductionRecord::SelectResults(std::string_view where,
                                                          std::string_view gsn) {
  std::vector<StoredResult> results;
  const std::string sql =
      "SELECT s.id, s.result_key, s.batch_id, s.station, s.port, u.gsn, u.board_serial, "
      "s.firmware, s.row_key, s.row_line, r.unit_gsn, s.row_values, s.outcome, s.block_before, "
      "s.block_after, s.changed_fields, s.message, s.started_ms, s.duration_ms "
      "FROM results s JOIN units u ON u.id = s.unit_id LEFT JOIN batch_rows r ON "
      "r.batch_id = s.batch_id AND r.row_key = s.row_key " +
      std::string(where) + " ORDER BY s.id";
  const auto rows =
      gsn.empty() ? connection_->Query(sql) : connection_->Query(sql, {SqlValue(gsn)});
  for (const SqlRow& row : rows) {
    StoredResult stored;
    stored.number = row.Int(0);
    ResultEntry& entry = stored.entry;
    entry.id = row.Text(1);
    entry.batch_id = row.Int(2);
    entry.where = {row.Text(3), row.Text(4)};
    entry.unit = {row.Text(5), row.Text(6), row.Text(7)};
    if (!row.IsNull(8)) entry.row = RowFrom(row, 8);
    entry.outcome = OutcomeFromName(row.Text(12)).value_or(RecordOutcome::Refused);
    entry.before = BlockFrom(row, 13);
    entry.after = BlockFrom(row, 14);
    stored.changed_fields = SplitNames(row.Text(15));
    entry.message = row.Text(16);
    entry.started = FromRecordMillis(row.Int(17));
    entry.duration = std::chrono::milliseconds(row.Int(18));
    results.push_back(std::move(stored));
  }
  return results;
}

RecordError ProductionRecord::UnitResults(std::string_view gsn,
                                          std::vector<StoredResult>& results) {
  return Guarded([&](SqlConnection&) { results = SelectResults("WHERE u.gsn = $1", gsn); });
}

RecordError ProductionRecord::AllResults(std::vector<StoredResult>& results) {
  return Guarded([&](SqlConnection&) { results = SelectResults("", {}); });
}

std::string NewResultId() {
  std::random_device source;
  std::array<std::uint8_t, 16> bytes{};
  for (std::uint8_t& byte : bytes) byte = static_cast<std::uint8_t>(source());
  return EncodeHexText(bytes);
}

std::string DefaultOperator() {
  std::array<char, 256> name{};
  if (::getlogin_r(name.data(), name.size()) == 0 && name[0] != '\0') return name.data();
  passwd entry{};
  passwd* found = nullptr;
  std::array<char, 4096> buffer{};
  if (::getpwuid_r(::geteuid(), &entry, buffer.data(), buffer.size(), &found) == 0 &&
      found != nullptr)
    return found->pw_name;
  return "uid " + std::to_string(::geteuid());
}

std::string DefaultStation() {
  std::array<char, 256> name{};
  if (::gethostname(name.data(), name.size() - 1) != 0 || name[0] == '\0') return "localhost";
  return name.data();
}

}  // namespace dtu
