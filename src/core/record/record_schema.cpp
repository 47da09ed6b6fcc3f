#include "core/record/record_schema.h"

#include <array>
#include <span>

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

constexpr std::array<std::span<const std::string_view>, 1> kSteps{kVersion1};
static_assert(kSteps.size() == kRecordVersion);

constexpr SqlSchema kRecordSchema{"record_version", kRecordName, kSteps};

}  // namespace

void PrepareRecordSchema(SqlConnection& connection, SchemaAccess access) {
  PrepareSchema(connection, kRecordSchema, access);
}

}  // namespace dtu
