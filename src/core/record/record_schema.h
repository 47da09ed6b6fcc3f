#pragma once

#include "core/record/sql_connection.h"

namespace dtu {

// The version of the record's tables this build writes. Every change to them is a new version
// with its migration; a record of a newer version than this is refused, never guessed at.
inline constexpr int kRecordVersion = 1;

enum class SchemaAccess {
  Create,  // a new database gets the tables; an older record is brought up to date
  Use,     // the record must be there; an older one is brought up to date
  Read,    // the record must be there at this version or an older one; nothing is changed
};

// Checks the record's version and creates or migrates its tables as `access` allows, each
// migration in one transaction. Throws SqlFailure: Missing (no record where one must be),
// NotARecord (a database that holds other tables), TooNew.
void PrepareRecordSchema(SqlConnection& connection, SchemaAccess access);

}  // namespace dtu
