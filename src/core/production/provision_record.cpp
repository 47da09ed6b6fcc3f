#include "core/production/provision_record.h"

namespace dtu {

bool ProvisionRecord::Add(LogEntry entry) {
  entry.table_fingerprint = table_fingerprint_;
  entry.template_fingerprint = template_fingerprint_;
  std::string error;
  const bool logged = log_.Append(entry, error);
  std::lock_guard lock(mutex_);
  entries_.push_back(std::move(entry));
  if (!logged && log_error_.empty()) log_error_ = error;
  if (!logged) log_failed_ = true;
  return logged;
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
