#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "core/block/parameter_block.h"
#include "core/record/record_outcome.h"

namespace dtu {

// What the production record holds, as its callers hand it over and get it back. Times are the
// system clock's, kept to the millisecond.
using RecordClock = std::chrono::system_clock;
using RecordTime = std::chrono::time_point<RecordClock, std::chrono::milliseconds>;

// A row's cells by column name, in the table's order; an empty cell keeps the template's value.
using RowValues = std::vector<std::pair<std::string, std::string>>;

// One row of the units' table as a batch keeps it.
struct BatchRow {
  std::string key;       // what identifies the row in its table; unique within the batch
  int line = 0;          // the line of the table the row begins on
  std::string unit_gsn;  // the module serial the row is tied to; empty: any unit
  RowValues values;

  bool operator==(const BatchRow&) const = default;
};

// Starting a batch: one template written with the rows of one units' table. Stations that
// start a batch with the same template hash and table hash while it is open join it.
struct BatchStart {
  ParameterBlock template_block;
  std::string template_hash;
  std::string table_name;
  std::string table_hash;
  std::string operator_name;  // who starts it (default the login name)
  std::string station;        // where (default the host name)
  RecordTime started;
  std::vector<BatchRow> rows;  // kept when the batch is created; joining stations add none
};

struct BatchInfo {
  std::int64_t id = 0;
  std::string template_hash;
  std::string table_name;
  std::string table_hash;
  std::string operator_name;
  std::string station;
  RecordTime started;
  std::optional<RecordTime> ended;
  int rows = 0;       // the rows of its table
  int rows_done = 0;  // the rows a unit ended ok with
};

// A batch as StartBatch found or made it.
struct BatchHandle {
  std::int64_t id = 0;
  bool joined = false;  // the batch was open already (another station, or an earlier run)
  RecordTime started;
};

// A unit as it reports itself.
struct RecordedUnit {
  std::string gsn;           // module serial, "GSN:"
  std::string board_serial;  // "XuLieHao:"
  std::string firmware;      // "VER:"
};

// Where a unit is handled.
struct StationPort {
  std::string station;
  std::string port;
};

// What ClaimRow gives a unit.
struct RowClaim {
  enum class Kind {
    Claimed,       // a row is now the unit's: write it
    Held,          // the unit holds this row already (an earlier attempt): write it again
    AlreadyOk,     // the unit ended ok with this row in this batch: record it skipped
    NoRow,         // no row for the unit (see `why_none`): record it no-row
    Unidentified,  // the unit reported neither serial: no row can be tied to it
  };
  Kind kind = Kind::NoRow;
  std::optional<BatchRow> row;  // for Claimed, Held and AlreadyOk
  std::string why_none;
};

// One unit's result, recorded in one transaction. `id` identifies the attempt: recording the
// same id again (after a lost connection, say) keeps one result.
struct ResultEntry {
  std::string id;  // NewResultId()
  std::int64_t batch_id = 0;
  StationPort where;
  RecordedUnit unit;
  std::optional<BatchRow> row;  // the row the unit got; none for no-row and early failures
  RecordOutcome outcome = RecordOutcome::Ok;
  std::optional<ParameterBlock> before;  // the block as read before the write
  std::optional<ParameterBlock> after;   // the block as read back after it
  std::string message;                   // the engine's or the unit's words
  RecordTime started;
  std::chrono::milliseconds duration{0};
};

// A result as the record gives it back.
struct StoredResult {
  std::int64_t number = 0;  // the order results were recorded in
  ResultEntry entry;
  std::vector<std::string> changed_fields;  // the text form's names of the fields that differ
};

}  // namespace dtu
