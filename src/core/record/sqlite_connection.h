#pragma once

#include <chrono>
#include <filesystem>
#include <memory>
#include <string>

#include "core/record/sql_connection.h"

struct sqlite3;

namespace dtu {

// A production record in an SQLite file: in WAL mode, so that readers never wait for a writer
// and several processes on one machine can write in turn, each waiting up to the busy time-out
// for the others.
class SqliteConnection final : public SqlConnection {
 public:
  enum class Mode { Create, Write, Read };

  // Opens the file at `path`: Create makes it when it does not exist, Write and Read want it
  // there. Throws SqlFailure (Missing, ReadOnly, NotARecord, Failed) naming the file.
  SqliteConnection(const std::filesystem::path& path, Mode mode,
                   std::chrono::milliseconds busy_timeout);
  ~SqliteConnection() override;

  std::vector<SqlRow> Execute(std::string_view sql, std::span<const SqlValue> params) override;
  void BeginWrite() override;
  void Rollback() noexcept override;
  const SqlDialect& dialect() const override;
  const std::string& name() const override { return name_; }

 private:
  void Connect(const std::string& file, int flags);
  [[noreturn]] void Fail(int code, std::string_view doing) const;

  struct Closer {
    void operator()(sqlite3* db) const;
  };
  std::unique_ptr<sqlite3, Closer> db_;
  std::string name_;
  std::chrono::milliseconds busy_timeout_;
};

}  // namespace dtu
