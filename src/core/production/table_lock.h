#pragma once

#include <filesystem>
#include <memory>
#include <string>

namespace dtu {

// A production run's hold on its units' table, so that two runs (whatever their logs) never
// hand out the same rows: a lock file beside the table ("units.csv.lock", beside the file a
// link leads to), locked while the run lasts and removed at its end. It says which process
// holds it, for the run that finds it held. The lock ends with its process, so the file a
// killed run leaves blocks no one.
class TableLock {
 public:
  // Takes the table at `table` for the run logging to `log`; nullptr, with the reason in
  // `error`, when another run holds it or the lock file cannot be made.
  static std::unique_ptr<TableLock> Acquire(const std::filesystem::path& table,
                                            const std::filesystem::path& log, std::string& error);

  ~TableLock();
  TableLock(const TableLock&) = delete;
  TableLock& operator=(const TableLock&) = delete;

  const std::filesystem::path& path() const { return path_; }

 private:
  TableLock(int fd, std::filesystem::path path) : fd_(fd), path_(std::move(path)) {}

  int fd_;
  std::filesystem::path path_;
};

// Where the lock of the table at `table` lives.
std::filesystem::path TableLockPath(const std::filesystem::path& table);

}  // namespace dtu
