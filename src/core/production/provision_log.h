#pragma once

#include <array>
#include <filesystem>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "core/production/unit_result.h"

namespace dtu {

// The record of a production run: one CSV line per unit handled, appended as soon as the unit
// is done. The file is created with a header when new and never truncated; earlier runs' lines
// tell a new run which units and rows are done already.

inline constexpr std::array<std::string_view, 12> kLogColumns{
    "time", "port",   "board_serial", "module_serial", "firmware",          "signal",
    "row",  "result", "message",      "row_key",       "table_fingerprint", "template_fingerprint"};
// A log begun by an earlier dtuctl has only the first nine columns: its lines name a row by its
// line in the units' table alone. Lines added to it have all twelve.
inline constexpr std::size_t kLineOnlyLogColumns = 9;

struct LogEntry {
  std::string time;  // ISO 8601 local time with its offset, e.g. 2024-05-01T10:22:33+08:00
  std::string port;
  UnitIdentity unit;
  std::string firmware;  // "VER:"
  std::string signal;    // "RSSI:"
  int row_line = 0;      // the units' CSV line of the row given to the unit; 0 for none
  UnitResult result = UnitResult::Ok;
  std::string message;
  std::string row_key;               // the row's key (row_identity.h); empty for none
  std::string table_fingerprint;     // of the units' table the run worked from
  std::string template_fingerprint;  // of its template
};

// A unit an earlier run left as its row wants it (logged ok or skipped).
struct LoggedSuccess {
  UnitIdentity unit;
  int row_line = 0;
  std::string row_key;  // empty on a line of a log begun by an earlier dtuctl
  std::string table_fingerprint;
  std::string template_fingerprint;
  int log_line = 0;  // the line of the log it was read from
};

// The current time as LogEntry::time writes it.
std::string LogTimeNow();

class ProvisionLog {
 public:
  // Opens the log at `path` for appending, creating it with its header line when it does not
  // exist or is empty, and reads the lines earlier runs left. Refused, with nullptr and the
  // reason in `error`, when the path is no regular file (a device, a serial port, a FIFO, a
  // folder: refused before it is opened), the file cannot be opened or read, is no log of this
  // kind, holds a line of another shape, or another run is using it. Cells that a spreadsheet
  // would take for a formula are written with an apostrophe before them, which reading takes
  // away.
  static std::unique_ptr<ProvisionLog> Open(const std::filesystem::path& path, std::string& error);

  ~ProvisionLog();
  ProvisionLog(const ProvisionLog&) = delete;
  ProvisionLog& operator=(const ProvisionLog&) = delete;

  // Appends one line and flushes it to the disk; any thread. A line that cannot be written
  // whole is taken back, so the file never holds half a line; false then, with the reason.
  bool Append(const LogEntry& entry, std::string& error);

  // The successes earlier runs logged, in the order of their lines.
  const std::vector<LoggedSuccess>& earlier_successes() const { return earlier_successes_; }

 private:
  explicit ProvisionLog(int fd) : fd_(fd) {}
  std::string ReadHistory(std::string_view text);

  int fd_;
  std::mutex mutex_;
  bool needs_line_end_ = false;  // the file's last line lacks its end (guarded by mutex_)
  std::vector<LoggedSuccess> earlier_successes_;
};

}  // namespace dtu
