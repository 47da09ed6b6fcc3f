#include "core/production/provision_record.h"

#include "core/message_language.h"
#include "core/production/recorded_run.h"

namespace dtu {

bool ProvisionRecord::Add(UnitAttempt& attempt) {
  LogEntry& entry = attempt.entry;
  entry.table_fingerprint = table_fingerprint_;
  entry.template_fingerprint = template_fingerprint_;
  bool recorded = true;
  if (recorded_ != nullptr && !recorded_->Record(attempt)) {
    recorded = false;
    // The unit holds what its line says; only the record lacks it.
    if (entry.result != UnitResult::NotRecorded)
      entry.message = std::string(ResultName(entry.result)) + Say("：", ": ") + entry.message +
                      Say("；结果没能记入生产记录：",
                          "; the result could not be kept in the production record: ") +
                      recorded_->failure().message;
    entry.result = UnitResult::NotRecorded;
  }
  std::string error;
  const bool logged = log_ == nullptr || log_->Append(entry, error);
  std::lock_guard lock(mutex_);
  entries_.push_back(entry);
  if (!logged && log_error_.empty()) log_error_ = error;
  if (!logged) log_failed_ = true;
  return logged && recorded;
}

bool ProvisionRecord::failed() const {
  return log_failed_.load() || (recorded_ != nullptr && recorded_->failed());
}

std::string ProvisionRecord::log_error() const {
  std::lock_guard lock(mutex_);
  return log_error_;
}

std::vector<LogEntry> ProvisionRecord::entries() const {
  std::lock_guard lock(mutex_);
  return entries_;
}

std::vector<LogEntry> LastAttemptPerUnit(const std::vector<LogEntry>& entries) {
  std::vector<LogEntry> last;
  for (const LogEntry& entry : entries) {
    if (entry.unit.known())
      std::erase_if(last, [&](const LogEntry& earlier) { return earlier.unit == entry.unit; });
    last.push_back(entry);
  }
  return last;
}

}  // namespace dtu
