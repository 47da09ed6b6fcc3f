#pragma once

#include <cstdint>
#include <string>

#include "core/block/parameter_block.h"
#include "core/history/history_event.h"
#include "core/record/record_entries.h"

namespace dtu {

// What the units' history holds, as its callers hand it over and get it back. Times are the
// record's (system clock, to the millisecond).

// A unit as the history tells units apart: by its board serial and module serial together. A
// unit that reports neither is an unknown unit, told apart only by the port it was on.
struct HistoryUnit {
  std::string board_serial;   // "XuLieHao:"
  std::string module_serial;  // "GSN:"
  std::string unknown_port;   // an unknown unit's port; empty for a unit with a serial

  // The unit that reported these serials on `port`.
  static HistoryUnit Of(std::string board_serial, std::string module_serial, std::string port);

  bool known() const { return !board_serial.empty() || !module_serial.empty(); }
  bool operator==(const HistoryUnit&) const = default;
};

// One block read from or sent to a unit, as a read or a write hands it to the history.
struct SeenBlock {
  std::string board_serial;   // as the unit reported it ("XuLieHao:"); may be empty
  std::string module_serial;  // "GSN:"; may be empty
  std::string firmware;       // "VER:"; may be empty
  std::string port;           // the serial port the unit is on
  HistoryEvent event = HistoryEvent::Read;
  ParameterBlock block;  // the 660 bytes as read, or as sent
  RecordTime time;       // when the block came, or when the unit answered the write

  HistoryUnit unit() const { return HistoryUnit::Of(board_serial, module_serial, port); }
};

// An entry of the history. Identical consecutive reads of a unit are one entry: `count` reads,
// the first at `first_time`, the last at `time`.
struct HistoryEntry {
  std::int64_t id = 0;  // never used again for another entry, also after clearing
  HistoryUnit unit;
  std::string firmware;
  std::string port;  // the port of the last read
  HistoryEvent event = HistoryEvent::Read;
  RecordTime first_time;
  RecordTime time;
  int count = 1;
  ParameterBlock block;
};

// A unit the history holds entries of.
struct HistoryUnitInfo {
  HistoryUnit unit;
  RecordTime last_seen;
  int entries = 0;
};

}  // namespace dtu
