#include "core/record/record_schema.h"

#include <array>
#include <optional>
#include <string>

#include "core/record/record_time.h"

namespace dtu {
namespace {

// The tables of version 1. {id} and {blob} stand for the dialect's key and byte columns.
//
// The database keeps the line's rules, whichever station writes: one open batch per template
// and table (batches_open); a row of a batch claimed by one unit at a time and a unit holding
// one row of a batch (claims' keys); one ok result per unit and per row of a batch
// (results_unit_ok, results_row_ok); a result recorded once (result_key).
constexpr std::array<std::string_view, 12> kVersion1{
    R"(CREATE TABLE record_version (version INTEGER NOT NULL, applied_ms BIGINT NOT NULL))",
    R"(CREATE TABLE batches (
         id {id},
         template_block {blob} NOT NULL,
         template_hash TEXT NOT NULL,
         table_name TEXT NOT NULL,
         table_hash TEXT NOT NULL,
         operator_name TEXT NOT NULL,
         station TEXT NOT NULL,
         started_ms BIGINT NOT NULL,
         ended_ms BIGINT))",
    R"(CREATE UNIQUE INDEX batches_open ON batches (template_hash, table_hash)
         WHERE ended_ms IS NULL)",
    R"(CREATE TABLE batch_rows (
         batch_id BIGINT NOT NULL REFERENCES batches (id),
         row_key TEXT NOT NULL,
         row_line INTEGER NOT NULL,
         unit_gsn TEXT NOT NULL,
         row_values TEXT NOT NULL,
         PRIMARY KEY (batch_id, row_key)))",
    R"(CREATE INDEX batch_rows_line ON batch_rows (batch_id, row_line))",
    R"(CREATE TABLE units (
         id {id},
         gsn TEXT NOT NULL,
         board_serial TEXT NOT NULL,
         firmware TEXT NOT NULL,
         UNIQUE (gsn, board_serial)))",
    R"(CREATE TABLE claims (
         batch_id BIGINT NOT NULL,
         row_key TEXT NOT NULL,
         unit_id BIGINT NOT NULL REFERENCES units (id),
         station TEXT NOT NULL,
         port TEXT NOT NULL,
         claimed_ms BIGINT NOT NULL,
         PRIMARY KEY (batch_id, row_key),
         UNIQUE (batch_id, unit_id),
         FOREIGN KEY (batch_id, row_key) REFERENCES batch_rows (batch_id, row_key)))",
    R"(CREATE TABLE results (
         id {id},
         result_key TEXT NOT NULL UNIQUE,
         batch_id BIGINT NOT NULL REFERENCES batches (id),
         station TEXT NOT NULL,
         port TEXT NOT NULL,
         unit_id BIGINT NOT NULL REFERENCES units (id),
         firmware TEXT NOT NULL,
         row_key TEXT,
         row_line INTEGER,
         row_values TEXT,
         outcome TEXT NOT NULL,
         block_before {blob},
         block_after {blob},
         changed_fields TEXT NOT NULL,
         message TEXT NOT NULL,
         started_ms BIGINT NOT NULL,
         duration_ms BIGINT NOT NULL))",
    R"(CREATE UNIQUE INDEX results_unit_ok ON results (batch_id, unit_id) WHERE outcome = 'ok')",
    R"(CREATE UNIQUE INDEX results_row_ok ON results (batch_id, row_key) WHERE outcome = 'ok')",
    R"(CREATE INDEX results_unit ON results (unit_id))",
    R"(CREATE INDEX results_started ON results (started_ms))",
};

std::string InDialect(std::string_view sql, const SqlDialect& dialect) {
  std::string text(sql);
  for (const auto& [mark, replacement] :
       {std::pair{std::string_view("{id}"), dialect.id_column},
        std::pair{std::string_view("{blob}"), dialect.blob_type}}) {
    for (std::size_t at = text.find(mark); at != std::string::npos; at = text.find(mark, at))
      text.replace(at, mark.size(), replacement);
  }
  return text;
}

// The record's version; nothing when the database has no record yet.
std::optional<int> ReadVersion(SqlConnection& connection) {
  const auto tables =
      connection.Query(connection.dialect().has_table, {std::string_view("record_version")});
  if (tables.empty()) return std::nullopt;
  const auto rows = connection.Query("SELECT max(version) FROM record_version");
  return rows.empty() ? std::nullopt : std::optional<int>(static_cast<int>(rows[0].Int(0)));
}

bool HoldsOtherTables(SqlConnection& connection) {
  const auto rows = connection.Query(connection.dialect().count_tables);
  return !rows.empty() && rows[0].Int(0) > 0;
}

void RefuseNewer(const SqlConnection& connection, int version) {
  if (version > kRecordVersion)
    throw SqlFailure(RecordFailure::TooNew,
                     connection.name() +
                         ": the record was made by a newer version of dtuconfig "
                         "(record version " +
                         std::to_string(version) + "; this one knows up to " +
                         std::to_string(kRecordVersion) + "): use that version or a newer one");
}

void Migrate(SqlConnection& connection, bool may_create) {
  InWriteTransaction(connection, [&] {
    if (!connection.dialect().lock_schema.empty())
      connection.Query(connection.dialect().lock_schema);
    // Read again under the lock: another station may have done it meanwhile.
    const std::optional<int> version = ReadVersion(connection);
    if (version) RefuseNewer(connection, *version);
    if (version.value_or(0) >= kRecordVersion) return;
    if (!version && HoldsOtherTables(connection))
      throw SqlFailure(RecordFailure::NotARecord,
                       connection.name() + ": holds other tables, not a production record");
    if (!version && !may_create)
      throw SqlFailure(RecordFailure::Missing, connection.name() + ": holds no production record");
    // Version 1 is the first: later versions add their steps here, each after the last.
    for (std::string_view statement : kVersion1)
      connection.Query(InDialect(statement, connection.dialect()));
    connection.Query("INSERT INTO record_version (version, applied_ms) VALUES ($1, $2)",
                     {std::int64_t{kRecordVersion}, ToRecordMillis(RecordNow())});
  });
}

}  // namespace

void PrepareRecordSchema(SqlConnection& connection, SchemaAccess access) {
  const std::optional<int> version = ReadVersion(connection);
  if (version) RefuseNewer(connection, *version);
  if (version && *version == kRecordVersion) return;
  if (access == SchemaAccess::Read) {
    if (!version && HoldsOtherTables(connection))
      throw SqlFailure(RecordFailure::NotARecord,
                       connection.name() + ": holds other tables, not a production record");
    if (!version)
      throw SqlFailure(RecordFailure::Missing, connection.name() + ": holds no production record");
    return;  // an older record is read as it is
  }
  Migrate(connection, access == SchemaAccess::Create);
}

}  // namespace dtu
