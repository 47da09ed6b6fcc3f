#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/record/record_entries.h"
#include "core/record/record_error.h"
#include "core/record/record_figures.h"

namespace dtu {

class SqlConnection;

// How long a call waits for another station or process that holds the record.
inline constexpr std::chrono::milliseconds kDefaultBusyTimeout{5000};

// The production record: batches, the rows their units got and every unit's result, in an
// SQLite file or a PostgreSQL database that several stations share. The line's rules hold in
// the database itself, whichever station writes: a row of a batch goes to one unit, a unit gets
// one row of a batch and ends ok with it at most once, and a result is recorded once.
//
// Every call is one transaction and either does all of its work or none: a call that fails
// returns the failure and has recorded nothing. Calls may come from any thread; they take
// turns on the one connection.
class ProductionRecord {
 public:
  enum class Access {
    Create,  // provisioning: a new file or database gets the record's tables
    Write,   // the record must exist
    Read,    // reports: nothing is written
  };

  // Opens the record at `destination` (see record_destination.h); nothing and the reason when
  // it cannot be: bad syntax, missing, not a record, newer, read-only (for writing),
  // unreachable, locked.
  static std::unique_ptr<ProductionRecord> Open(
      std::string_view destination, Access access, RecordError& error,
      std::chrono::milliseconds busy_timeout = kDefaultBusyTimeout);
  ~ProductionRecord();
  ProductionRecord(const ProductionRecord&) = delete;
  ProductionRecord& operator=(const ProductionRecord&) = delete;

  // The file's path or the server and database, for messages.
  const std::string& name() const { return name_; }

  // Joins the open batch of the same template hash and table hash, or starts it with its rows.
  // Stations starting the same batch at the same moment end up in one.
  RecordError StartBatch(const BatchStart& start, BatchHandle& batch);
  // Closes a batch: a later StartBatch with the same template and table starts a new one.
  RecordError EndBatch(std::int64_t batch_id, RecordTime ended);

  // Gives `unit` its row of the batch: the row it holds already, else the row tied to its
  // module serial, else the first free row in line order that is tied to no unit. A unit that
  // ended ok in this batch gets AlreadyOk and its row. The row is the unit's until its result
  // frees it (see RecordResult).
  RecordError ClaimRow(std::int64_t batch_id, const RecordedUnit& unit, const StationPort& where,
                       RowClaim& claim);

  // Records one unit's result. An ok result needs the unit's claim on its row; refused and
  // rejected free the row for another unit, the other outcomes leave it with the unit (it may
  // hold some of it), whose next attempt gets it again. Recording an entry whose id is recorded
  // already changes nothing and succeeds: after a lost connection the call may be made again.
  RecordError RecordResult(const ResultEntry& entry);

  // How many rows of the batch no unit has ended ok with.
  RecordError RowsLeft(std::int64_t batch_id, int& rows_left);

  // The batches, oldest first, each with its rows and rows done.
  RecordError Batches(std::vector<BatchInfo>& batches);
  // The figures of every batch and station (see record_figures.h).
  RecordError Report(const ReportFilter& filter, std::vector<BatchReport>& report);
  // Every result of the unit with module serial `gsn`, in the order recorded.
  RecordError UnitResults(std::string_view gsn, std::vector<StoredResult>& results);
  // Every result, in the order recorded.
  RecordError AllResults(std::vector<StoredResult>& results);

 private:
  explicit ProductionRecord(std::unique_ptr<SqlConnection> connection);
  template <typename Work>
  RecordError Guarded(Work&& work);
  std::vector<StoredResult> SelectResults(std::string_view where, std::string_view gsn);

  std::unique_ptr<SqlConnection> connection_;  // guarded by mutex_
  std::string name_;
  std::mutex mutex_;
};

// A fresh attempt's id for ResultEntry::id: 32 random hex digits.
std::string NewResultId();

// The default operator (the login name) and station (the host name).
std::string DefaultOperator();
std::string DefaultStation();

}  // namespace dtu
