#include "core/record/sql_schema.h"

#include <optional>
#include <string>

#include "core/message_language.h"
#include "core/record/record_time.h"

namespace dtu {
namespace {

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

// The database's version; nothing when it has none of the schema's tables yet.
std::optional<int> ReadVersion(SqlConnection& connection, const SqlSchema& schema) {
  const auto tables = connection.Query(connection.dialect().has_table, {schema.version_table});
  if (tables.empty()) return std::nullopt;
  const auto rows =
      connection.Query("SELECT max(version) FROM " + std::string(schema.version_table));
  return rows.empty() ? std::nullopt : std::optional<int>(static_cast<int>(rows[0].Int(0)));
}

bool HoldsOtherTables(SqlConnection& connection) {
  const auto rows = connection.Query(connection.dialect().count_tables);
  return !rows.empty() && rows[0].Int(0) > 0;
}

void RefuseNewer(const SqlConnection& connection, const SqlSchema& schema, int version) {
  if (version <= schema.version()) return;
  const std::string noun(schema.store.noun);
  const std::string chinese(schema.store.chinese_noun);
  const std::string made = std::to_string(version);
  const std::string known = std::to_string(schema.version());
  throw SqlFailure(
      RecordFailure::TooNew,
      connection.name() +
          Say("：这个" + chinese + "由更新版本的 dtuconfig 建立（" + chinese + "版本 " + made +
                  "；本版本最多认识 " + known + "）：请使用那个版本或更新的版本",
              ": the " + noun + " was made by a newer version of dtuconfig (" + noun + " version " +
                  made + "; this one knows up to " + known + "): use that version or a newer one"));
}

// A database without the schema's version table: refused unless it is empty and may be made.
void RefuseForeign(SqlConnection& connection, const SqlSchema& schema, bool may_create) {
  const std::string kind(schema.store.kind);
  const std::string chinese(schema.store.chinese_kind);
  if (HoldsOtherTables(connection))
    throw SqlFailure(RecordFailure::NotARecord,
                     connection.name() + Say("：存的是别的表，不是" + chinese,
                                             ": holds other tables, not a " + kind));
  if (!may_create)
    throw SqlFailure(RecordFailure::Missing,
                     connection.name() + Say("：其中没有" + chinese, ": holds no " + kind));
}

void Migrate(SqlConnection& connection, const SqlSchema& schema, bool may_create) {
  InWriteTransaction(connection, [&] {
    if (!connection.dialect().lock_schema.empty())
      connection.Query(connection.dialect().lock_schema);
    // Read again under the lock: another station may have done it meanwhile.
    const std::optional<int> version = ReadVersion(connection, schema);
    if (version) RefuseNewer(connection, schema, *version);
    if (version.value_or(0) >= schema.version()) return;
    if (!version) RefuseForeign(connection, schema, may_create);
    for (int step = version.value_or(0); step < schema.version(); ++step)
      for (std::string_view statement : schema.steps[static_cast<std::size_t>(step)])
        connection.Query(InDialect(statement, connection.dialect()));
    connection.Query("INSERT INTO " + std::string(schema.version_table) +
                         " (version, applied_ms) VALUES ($1, $2)",
                     {std::int64_t{schema.version()}, ToRecordMillis(RecordNow())});
  });
}

}  // namespace

void PrepareSchema(SqlConnection& connection, const SqlSchema& schema, SchemaAccess access) {
  const std::optional<int> version = ReadVersion(connection, schema);
  if (version) RefuseNewer(connection, schema, *version);
  if (version && *version == schema.version()) return;
  if (access == SchemaAccess::Read) {
    if (!version) RefuseForeign(connection, schema, false);
    return;  // an older database is read as it is
  }
  Migrate(connection, schema, access == SchemaAccess::Create);
}

}  // namespace dtu
