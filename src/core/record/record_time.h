#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "core/record/record_entries.h"

namespace dtu {

// Times as the record stores them (milliseconds since 1970 UTC) and as it shows them.

std::int64_t ToRecordMillis(RecordTime time);
RecordTime FromRecordMillis(std::int64_t millis);
RecordTime RecordNow();

// ISO 8601 in local time with its offset, to the second: 2026-12-07T13:00:00+08:00.
std::string FormatRecordTime(RecordTime time);

// "0.25 s", "5 s", "1.4 s": a duration to at most two decimals.
std::string FormatSeconds(std::chrono::milliseconds duration);

// A date or time in local time as a report's --since takes it: 2026-12-07, 2026-12-07T13:00
// or 2026-12-07T13:00:05 (a space may stand for the T). Nothing for any other text.
std::optional<RecordTime> ParseRecordDate(std::string_view text);

}  // namespace dtu
