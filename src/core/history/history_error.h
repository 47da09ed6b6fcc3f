#pragma once

#include <string>

namespace dtu {

// What went wrong with the units' history, by what the caller can do about it. A failure never
// stops the read or write the history was to keep: it is shown once (HistoryNotice).
enum class HistoryFailure {
  None,
  Unwritable,   // the file or its folder may not be written (read-only, a file in the way)
  Full,         // the disk is full, or the file may grow no further
  Locked,       // another program held the history longer than the busy time-out
  NotAHistory,  // the file holds something else
  TooNew,       // made by a newer version of the tool, whose history this one cannot read
  BadValue,     // a setting out of its range
  Failed,       // any other fault of the file (an I/O error)
};

// A failure and its message, naming the file and what failed. A call that returns a failure has
// changed nothing in the history.
struct HistoryError {
  HistoryFailure failure = HistoryFailure::None;
  std::string message;

  bool ok() const { return failure == HistoryFailure::None; }
};

}  // namespace dtu
