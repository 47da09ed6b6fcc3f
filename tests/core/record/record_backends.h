#pragma once

// The two homes of a production record, as the record's tests and the tools' tests use them:
// a fresh SQLite file in a temporary folder, or a fresh database on the tests' PostgreSQL
// server (support/postgres_server.h).

#include <sys/stat.h>

#include <memory>
#include <string>

#include "core/record/postgres_connection.h"
#include "core/record/sqlite_connection.h"
#include "support/postgres_server.h"
#include "support/temp_dir.h"

namespace dtu::test {

struct SqliteBackend {
  static constexpr const char* kName = "SQLite";
  static constexpr bool kServer = false;
  TempDir folder;

  std::string NewDestination() {
    // Readable by others, so that a test can open it as another user.
    ::chmod(folder.path().c_str(), 0755);
    return (folder / "record.db").string();
  }
  static std::unique_ptr<SqlConnection> Raw(const std::string& destination) {
    return std::make_unique<SqliteConnection>(destination, SqliteConnection::Mode::Create,
                                              std::chrono::seconds(5));
  }
};

struct PostgresBackend {
  static constexpr const char* kName = "PostgreSQL";
  static constexpr bool kServer = true;
  PostgresServer* server = nullptr;

  std::string NewDestination() { return server->NewDatabase(); }
  static std::unique_ptr<SqlConnection> Raw(const std::string& destination) {
    return std::make_unique<PostgresConnection>(destination, std::chrono::seconds(5));
  }
};

}  // namespace dtu::test
