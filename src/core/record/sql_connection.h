#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "core/record/record_error.h"

namespace dtu {

// The little of SQL the production record and the units' history need, over SQLite and
// PostgreSQL alike. Statements number their parameters $1, $2, ... in both; a failure throws
// SqlFailure.

// How messages name what a database holds: "cannot write the record", "not a production
// record".
struct StoreName {
  std::string_view noun;          // "record"
  std::string_view kind;          // "production record"
  std::string_view chinese_noun;  // "记录"
  std::string_view chinese_kind;  // "生产记录"
};
inline constexpr StoreName kRecordName{"record", "production record", "记录", "生产记录"};

struct SqlBlob {
  std::span<const std::uint8_t> bytes;
};
using SqlValue = std::variant<std::nullptr_t, std::int64_t, std::string_view, SqlBlob>;

// One row of a result: every cell as text, a blob's cell as its bytes, NULL as nothing.
class SqlRow {
 public:
  explicit SqlRow(std::vector<std::optional<std::string>> cells) : cells_(std::move(cells)) {}

  bool IsNull(std::size_t column) const { return !cells_.at(column).has_value(); }
  std::string Text(std::size_t column) const { return cells_.at(column).value_or(""); }
  std::int64_t Int(std::size_t column) const;
  std::optional<std::int64_t> OptionalInt(std::size_t column) const;

 private:
  std::vector<std::optional<std::string>> cells_;
};

// A statement the database refused, with how the record reports it. `failure` is Refused for a
// broken rule (a unique key), and a retry is worth it when `retry` is set (a deadlock the
// server broke).
class SqlFailure : public std::runtime_error {
 public:
  SqlFailure(RecordFailure failure, const std::string& message, bool retry = false)
      : std::runtime_error(message), failure_(failure), retry_(retry) {}
  RecordFailure failure() const { return failure_; }
  bool retry() const { return retry_; }

 private:
  RecordFailure failure_;
  bool retry_;
};

// Where the two dialects differ, in the record's schema and statements.
struct SqlDialect {
  std::string_view id_column;     // an integer key the database numbers itself
  std::string_view blob_type;     // a column of bytes
  std::string_view has_table;     // $1: a table's name; one row when it exists
  std::string_view count_tables;  // how many tables the database holds
  std::string_view lock_schema;   // serialises schema changes between stations ("" for none)
  std::string_view may_write;     // "t" when this connection may write the record ("": always)
};

class SqlConnection {
 public:
  virtual ~SqlConnection() = default;

  // Runs one statement and returns its rows.
  virtual std::vector<SqlRow> Execute(std::string_view sql, std::span<const SqlValue> params) = 0;
  std::vector<SqlRow> Query(std::string_view sql) { return Execute(sql, {}); }
  std::vector<SqlRow> Query(std::string_view sql, std::initializer_list<SqlValue> params) {
    return Execute(sql, std::span<const SqlValue>(params.begin(), params.size()));
  }

  // A transaction that writes: SQLite takes its write lock at once, so that two writers never
  // meet half-way.
  virtual void BeginWrite() = 0;
  void Commit() { Query("COMMIT"); }
  // Ends a transaction that failed; harmless when none is open or the connection is gone.
  virtual void Rollback() noexcept = 0;

  // Before a call: connects again if the connection was lost (a server that restarted).
  virtual void Revive() {}

  virtual const SqlDialect& dialect() const = 0;
  // How messages name the record: the file's path, or the server and database.
  virtual const std::string& name() const = 0;
};

// Runs `work` in a write transaction, committing it when it returns and rolling it back when
// it throws; a transaction the server broke off to undo a deadlock is tried again.
template <typename Work>
auto InWriteTransaction(SqlConnection& connection, Work&& work) {
  for (int attempt = 1;; ++attempt) {
    connection.BeginWrite();
    try {
      if constexpr (std::is_void_v<decltype(work())>) {
        work();
        connection.Commit();
        return;
      } else {
        auto result = work();
        connection.Commit();
        return result;
      }
    } catch (const SqlFailure& failure) {
      connection.Rollback();
      if (!failure.retry() || attempt == 5) throw;
    } catch (...) {
      connection.Rollback();
      throw;
    }
  }
}

}  // namespace dtu
