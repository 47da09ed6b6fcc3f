#pragma once

#include <span>
#include <string_view>

#include "core/record/sql_connection.h"

namespace dtu {

// A database's tables by version: `steps[v - 1]` are the statements that bring version v - 1 to
// version v (the first creates the tables, the version table among them), so the version this
// build writes is the number of steps. A database of a newer version is refused, never guessed
// at. In the statements {id} and {blob} stand for the dialect's key and byte columns.
struct SqlSchema {
  std::string_view version_table;  // its columns: version INTEGER, applied_ms BIGINT
  StoreName store;
  std::span<const std::span<const std::string_view>> steps;

  int version() const { return static_cast<int>(steps.size()); }
};

enum class SchemaAccess {
  Create,  // a new database gets the tables; an older one is brought up to date
  Use,     // the tables must be there; an older version is brought up to date
  Read,    // the tables must be there at this version or an older one; nothing is changed
};

// Checks the database's version and creates or migrates its tables as `access` allows, each
// migration in one transaction. Throws SqlFailure: Missing (no tables where they must be),
// NotARecord (a database that holds other tables), TooNew.
void PrepareSchema(SqlConnection& connection, const SqlSchema& schema, SchemaAccess access);

}  // namespace dtu
