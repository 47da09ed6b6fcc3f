#pragma once

#include <string>
#include <vector>

#include "core/history/history_entries.h"

namespace dtu {

// The history's entries for other programs: a JSON array in the order given, each entry an
// object with its id, the unit (board_serial, module_serial, unknown_unit), port, firmware,
// event, time (ISO 8601 in local time, and time_ms, milliseconds since 1970 UTC), first_time
// and count of identical reads, and the block as 1,320 hex digits.
std::string HistoryJson(const std::vector<HistoryEntry>& entries);

}  // namespace dtu
