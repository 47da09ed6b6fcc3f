#pragma once

#include <chrono>
#include <memory>
#include <string>

#include "core/record/sql_connection.h"

struct pg_conn;

namespace dtu {

// A production record in a PostgreSQL database, shared by the stations of a line. Row locks
// are waited for up to the busy time-out; a connection the server dropped (a restart) is made
// again before the next call.
class PostgresConnection final : public SqlConnection {
 public:
  // `conninfo`: postgresql://... or a libpq connection string. Throws SqlFailure (Unreachable,
  // Failed) with the server's reason.
  PostgresConnection(const std::string& conninfo, std::chrono::milliseconds busy_timeout);
  ~PostgresConnection() override;

  std::vector<SqlRow> Execute(std::string_view sql, std::span<const SqlValue> params) override;
  void BeginWrite() override;
  void Rollback() noexcept override;
  void Revive() override;
  const SqlDialect& dialect() const override;
  const std::string& name() const override { return name_; }

 private:
  void Prepare();
  [[noreturn]] void Fail(const std::string& reason, const char* state, bool committing) const;

  struct Closer {
    void operator()(pg_conn* connection) const;
  };
  std::unique_ptr<pg_conn, Closer> connection_;
  std::string name_;
  std::chrono::milliseconds busy_timeout_;
};

// A libpq connection string's mistake, or nothing when libpq takes it.
std::string CheckConnectionString(const std::string& conninfo);

}  // namespace dtu
