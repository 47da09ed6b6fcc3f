#pragma once

#include "core/record/sql_connection.h"
#include "core/record/sql_schema.h"

namespace dtu {

// The version of the record's tables this build writes. Every change to them is a new version
// with its migration; a record of a newer version than this is refused, never guessed at.
inline constexpr int kRecordVersion = 1;

// Checks the record's version and creates or migrates its tables as `access` allows (see
// PrepareSchema).
void PrepareRecordSchema(SqlConnection& connection, SchemaAccess access);

}  // namespace dtu
