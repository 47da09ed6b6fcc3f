#pragma once

#include <string>

namespace dtu {

// What went wrong with the production record, by what the caller can do about it.
enum class RecordFailure {
  None,
  BadDestination,  // not a file path, postgresql://... or a libpq connection string
  Missing,         // no record there (a report on a file that does not exist)
  NotARecord,      // a file or database that holds something else
  TooNew,          // made by a newer version of the tool, whose record this one cannot read
  ReadOnly,        // the record may be read but not written
  Locked,          // another program held the record longer than the busy time-out
  Unreachable,     // the server could not be reached or refused the connection
  ConnectionLost,  // the server went away during the call: nothing of the call was recorded
  Refused,         // the database refused the change: it would break one of its rules
  Failed,          // any other fault of the file or the server (disk full, I/O error)
};

// A failure and its message in the tool's words, naming the record and what failed. A call
// that returns a failure has changed nothing in the record (its transaction was rolled back).
struct RecordError {
  RecordFailure failure = RecordFailure::None;
  std::string message;

  bool ok() const { return failure == RecordFailure::None; }
};

}  // namespace dtu
