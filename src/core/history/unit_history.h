#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <mutex>
#include <optional>
#include <string_view>
#include <vector>

#include "core/history/history_entries.h"
#include "core/history/history_error.h"

namespace dtu {

class SqlConnection;

// How many entries of each unit the history keeps unless told otherwise, and at most.
inline constexpr int kDefaultKeptPerUnit = 100;
inline constexpr int kMostKeptPerUnit = 100000;

// How long a call waits for another program that is writing the history: short, since a read
// or write of a unit never waits for its history longer than this.
inline constexpr std::chrono::milliseconds kHistoryBusyTimeout{1000};

// The units' history: every block read from or written to a unit, by unit, in an SQLite file
// (history_location.h). Identical consecutive reads of a unit are one entry with their count
// and the last time. Each unit keeps its newest kept_per_unit entries, and never loses the
// entry of the block it holds now (see Add).
//
// The file and its folder are made at the first block kept, for the user alone; calls that
// only read find a history not made yet empty. Every call is one transaction and either does
// all of its work or none: a call that fails returns the failure, names the file and has
// changed nothing. Calls may come from any thread; they take turns.
class UnitHistory {
 public:
  explicit UnitHistory(std::filesystem::path path,
                       std::chrono::milliseconds busy_timeout = kHistoryBusyTimeout);
  ~UnitHistory();
  UnitHistory(const UnitHistory&) = delete;
  UnitHistory& operator=(const UnitHistory&) = delete;

  const std::filesystem::path& path() const { return path_; }

  // Keeps a block read from or sent to a unit; `id` is its entry. A read of the same block and
  // firmware as the unit's newest entry, itself a read, is counted in that entry (its time and
  // port become this read's). Then the unit's oldest entries beyond kept_per_unit go, except
  // its newest read or verified entry and its newest entry of a block it held (not refused).
  HistoryError Add(const SeenBlock& seen, std::int64_t& id);

  // What the unit held before entry `id` (a write, say): the newest earlier entry of the same
  // unit whose block the unit held after it (read, written or verified). Nothing when there is
  // none or no entry `id`.
  HistoryError HeldBefore(std::int64_t id, std::optional<HistoryEntry>& entry);
  // The block the unit holds now as far as the history knows: its newest entry that is not a
  // refused write. Nothing for a unit the history has not seen.
  HistoryError HeldNow(const HistoryUnit& unit, std::optional<HistoryEntry>& entry);

  // One entry; nothing when there is no entry `id`.
  HistoryError Entry(std::int64_t id, std::optional<HistoryEntry>& entry);
  // The units seen, the one seen longest ago first.
  HistoryError Units(std::vector<HistoryUnitInfo>& units);
  // The entries of the units named by `unit` (a module serial, a board serial or an unknown
  // unit's port; empty for every unit), in the order they were first kept.
  HistoryError Entries(std::string_view unit, std::vector<HistoryEntry>& entries);

  // Removes the entries of the units named by `unit` (empty: all), overwriting their bytes in
  // the file; `removed` counts the entries. A history not made yet stays so.
  HistoryError Clear(std::string_view unit, int& removed);

  // How many entries each unit keeps (kDefaultKeptPerUnit until set). Setting it takes effect
  // at once and is kept in the file, for every program that uses it; 1 to kMostKeptPerUnit.
  HistoryError KeptPerUnit(int& count);
  HistoryError SetKeptPerUnit(int count);

 private:
  enum class Need {
    Read,    // a history not made yet is empty
    Change,  // writes to the history there is; one not made yet is left so
    Write,   // makes the history when there is none
  };
  // Opens the file as a call needs it; false when there is no history and none is made.
  bool Ready(Need need);
  template <typename Work>
  HistoryError Guarded(Need need, Work&& work);

  std::filesystem::path path_;
  std::chrono::milliseconds busy_timeout_;
  std::unique_ptr<SqlConnection> connection_;  // guarded by mutex_
  bool writable_ = false;
  std::mutex mutex_;
};

}  // namespace dtu
