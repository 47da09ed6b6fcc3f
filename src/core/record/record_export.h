#pragma once

#include <string>
#include <vector>

#include "core/record/record_entries.h"

namespace dtu {

// The record's results for other programs: CSV, one line per result under a header, or JSON,
// the batches and the results. Blocks are 1,320 hex digits; times ISO 8601 in local time and,
// in JSON, also milliseconds since 1970 UTC.

std::string ExportCsv(const std::vector<StoredResult>& results);
std::string ExportJson(const std::vector<BatchInfo>& batches,
                       const std::vector<StoredResult>& results);

}  // namespace dtu
