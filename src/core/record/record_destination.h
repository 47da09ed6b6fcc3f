#pragma once

#include <string>
#include <string_view>

#include "core/record/record_error.h"

namespace dtu {

// Where a production record is: an SQLite file, or a PostgreSQL database given as
// postgresql://... (postgres://...) or as a libpq connection string ("host=... dbname=...").
struct RecordDestination {
  enum class Kind { File, Server };
  Kind kind = Kind::File;
  std::string text;  // the path, or the connection string as given
};

// Reads DEST; a text that is neither is refused with the reason (BadDestination).
RecordError ParseDestination(std::string_view text, RecordDestination& destination);

}  // namespace dtu
