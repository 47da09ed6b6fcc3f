#include "core/history/history_schema.h"

#include <array>
#include <span>

namespace dtu {
namespace {

// The tables of version 1 (the history is an SQLite file only).
//
// A unit is its board serial and module serial; an unknown unit (neither) is its port. Entry
// ids are never given again (AUTOINCREMENT), so that an id once shown names the same block or
// none, also after a clear. The settings hold kept_per_unit.
constexpr std::array<std::string_view, 5> kVersion1{
    R"(CREATE TABLE history_version (version INTEGER NOT NULL, applied_ms BIGINT NOT NULL))",
    R"(CREATE TABLE history_settings (name TEXT PRIMARY KEY, value INTEGER NOT NULL))",
    R"(CREATE TABLE units (
         id INTEGER PRIMARY KEY,
         board_serial TEXT NOT NULL,
         module_serial TEXT NOT NULL,
         unknown_port TEXT NOT NULL,
         UNIQUE (board_serial, module_serial, unknown_port)))",
    R"(CREATE TABLE entries (
         id INTEGER PRIMARY KEY AUTOINCREMENT,
         unit_id INTEGER NOT NULL REFERENCES units (id),
         event TEXT NOT NULL CHECK (event IN ('read', 'written', 'refused', 'verified')),
         firmware TEXT NOT NULL,
         port TEXT NOT NULL,
         first_ms BIGINT NOT NULL,
         last_ms BIGINT NOT NULL,
         count INTEGER NOT NULL CHECK (count >= 1),
         block BLOB NOT NULL CHECK (length(block) = 660)))",
    R"(CREATE INDEX entries_unit ON entries (unit_id, id))",
};

constexpr std::array<std::span<const std::string_view>, 1> kSteps{kVersion1};
static_assert(kSteps.size() == kHistoryVersion);

constexpr SqlSchema kHistorySchema{"history_version", kHistoryName, kSteps};

}  // namespace

void PrepareHistorySchema(SqlConnection& connection, SchemaAccess access) {
  PrepareSchema(connection, kHistorySchema, access);
}

}  // namespace dtu
