#pragma once

#include "core/record/sql_connection.h"
#include "core/record/sql_schema.h"

namespace dtu {

// How messages name the history: "cannot write the history", "not a units' history".
inline constexpr StoreName kHistoryName{"history", "units' history", "历史", "单元历史"};

// The version of the history's tables this build writes; a newer history is refused.
inline constexpr int kHistoryVersion = 1;

// Checks the history's version and creates or migrates its tables as `access` allows (see
// PrepareSchema).
void PrepareHistorySchema(SqlConnection& connection, SchemaAccess access);

}  // namespace dtu
