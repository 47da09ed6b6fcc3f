#pragma once

#include <atomic>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "core/production/provision_log.h"

namespace dtu {

// What a production run has done so far: the log lines of its units, each appended to the log
// as the unit ends (any thread). Once a line cannot be logged the run is to end.
class ProvisionRecord {
 public:
  // Every line carries the fingerprints of the run's table and template.
  ProvisionRecord(ProvisionLog& log, std::string table_fingerprint,
                  std::string template_fingerprint)
      : log_(log),
        table_fingerprint_(std::move(table_fingerprint)),
        template_fingerprint_(std::move(template_fingerprint)) {}

  // Logs the unit's line; false when the log could not be written.
  bool Add(LogEntry entry);

  bool log_failed() const { return log_failed_.load(); }
  std::string log_error() const;
  std::vector<LogEntry> entries() const;

 private:
  ProvisionLog& log_;
  const std::string table_fingerprint_;
  const std::string template_fingerprint_;
  mutable std::mutex mutex_;
  std::vector<LogEntry> entries_;  // guarded by mutex_
  std::string log_error_;          // guarded by mutex_
  std::atomic<bool> log_failed_{false};
};

// The last line of each unit, in the order of those lines: what the run leaves each unit as. A
// unit is known by its serials; lines of units that reported none stand each for a unit of
// their own.
std::vector<LogEntry> LastAttemptPerUnit(const std::vector<LogEntry>& entries);

}  // namespace dtu
