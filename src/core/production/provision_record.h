#pragma once

#include <atomic>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "core/production/provision_log.h"
#include "core/production/unit_attempt.h"

namespace dtu {

class RecordedRun;

// What a production run has done so far: the log lines of its units, each recorded in the
// production record (when the run keeps one) and then appended to the log (when it has one) as
// the unit ends (any thread). A unit whose result the record could not take is logged as not
// recorded. Once a line cannot be logged or recorded the run is to end.
class ProvisionRecord {
 public:
  // Every line carries the fingerprints of the run's table and template.
  ProvisionRecord(ProvisionLog* log, std::string table_fingerprint,
                  std::string template_fingerprint, RecordedRun* recorded = nullptr)
      : log_(log),
        recorded_(recorded),
        table_fingerprint_(std::move(table_fingerprint)),
        template_fingerprint_(std::move(template_fingerprint)) {}

  // Records and logs the unit's attempt; false when either could not be written. The
  // attempt's line is left as it was kept: not recorded, when the record failed.
  bool Add(UnitAttempt& attempt);

  // True once a line could not be logged or recorded.
  bool failed() const;
  std::string log_error() const;
  std::vector<LogEntry> entries() const;

 private:
  ProvisionLog* log_;
  RecordedRun* recorded_;
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
