#include "core/history/history_export.h"

#include <nlohmann/json.hpp>

#include "core/record/record_time.h"
#include "core/text/hex_text.h"

namespace dtu {

std::string HistoryJson(const std::vector<HistoryEntry>& entries) {
  nlohmann::ordered_json document = nlohmann::ordered_json::array();
  for (const HistoryEntry& e : entries) {
    nlohmann::ordered_json entry;
    entry["id"] = e.id;
    entry["board_serial"] = e.unit.board_serial;
    entry["module_serial"] = e.unit.module_serial;
    entry["unknown_unit"] = !e.unit.known();
    entry["port"] = e.port;
    entry["firmware"] = e.firmware;
    entry["event"] = HistoryEventName(e.event);
    entry["time"] = FormatRecordTime(e.time);
    entry["time_ms"] = ToRecordMillis(e.time);
    entry["first_time"] = FormatRecordTime(e.first_time);
    entry["count"] = e.count;
    entry["block"] = EncodeHexText(e.block.bytes());
    document.push_back(std::move(entry));
  }
  // A unit's serials are its own bytes: any that are not UTF-8 are replaced, not refused.
  return document.dump(2, ' ', false, nlohmann::ordered_json::error_handler_t::replace) + "\n";
}

}  // namespace dtu
