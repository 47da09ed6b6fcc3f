#include "core/history/unit_history.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <system_error>

#include "core/history/history_location.h"
#include "core/history/history_schema.h"
#include "core/message_language.h"
#include "core/record/record_time.h"
#include "core/record/sqlite_connection.h"
#include "core/system_error_text.h"

namespace dtu {
namespace {

// The columns of an entry, in this order, in every statement that reads one.
constexpr std::string_view kEntryColumns =
    "SELECT e.id, u.board_serial, u.module_serial, u.unknown_port, e.firmware, e.port, e.event, "
    "e.first_ms, e.last_ms, e.count, e.block FROM entries e JOIN units u ON u.id = e.unit_id ";

// The units a selection names: a module serial, a board serial or an unknown unit's port.
constexpr std::string_view kUnitNamed =
    "(u.module_serial = $1 OR u.board_serial = $1 OR u.unknown_port = $1)";

constexpr std::string_view kKeptSetting = "kept_per_unit";

HistoryFailure FailureOf(RecordFailure failure) {
  switch (failure) {
    case RecordFailure::ReadOnly:
    case RecordFailure::Missing:  // no folder to make the file in
      return HistoryFailure::Unwritable;
    case RecordFailure::Full:
      return HistoryFailure::Full;
    case RecordFailure::Locked:
      return HistoryFailure::Locked;
    case RecordFailure::NotARecord:
    case RecordFailure::BadDestination:
      return HistoryFailure::NotAHistory;
    case RecordFailure::TooNew:
      return HistoryFailure::TooNew;
    default:
      return HistoryFailure::Failed;
  }
}

// A failure of the file system while the file or its folder is made, as the SQL layer reports
// its own.
[[noreturn]] void FailMaking(const std::filesystem::path& path, std::string_view what, int error) {
  const RecordFailure failure = error == ENOSPC || error == EDQUOT ? RecordFailure::Full
                                : error == EIO                     ? RecordFailure::Failed
                                                                   : RecordFailure::ReadOnly;
  throw SqlFailure(failure, path.string() +
                                Say("：无法建立" + std::string(what) + "：",
                                    ": cannot make " + std::string(what) + ": ") +
                                SystemErrorText(error));
}

// Makes the folders missing on the way to the file, each for the user alone (as the data
// folder should be), and the empty file itself, readable by the user alone: it holds every
// block, passwords and all.
void MakeFile(const std::filesystem::path& path) {
  std::vector<std::filesystem::path> missing;
  std::error_code error;
  for (std::filesystem::path folder = path.parent_path();
       !folder.empty() && !std::filesystem::exists(folder, error) && folder != folder.root_path();
       folder = folder.parent_path())
    missing.push_back(folder);
  for (auto folder = missing.rbegin(); folder != missing.rend(); ++folder)
    if (::mkdir(folder->c_str(), 0700) != 0 && errno != EEXIST)
      FailMaking(path, Say("它的文件夹 ", "its folder ") + folder->string(), errno);
  const int file = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
  if (file >= 0) {
    ::close(file);
  } else if (errno != EEXIST) {
    FailMaking(path, Say("历史", "the history"), errno);
  }
}

std::int64_t UnitId(SqlConnection& connection, const HistoryUnit& unit) {
  const auto rows = connection.Query(
      "INSERT INTO units (board_serial, module_serial, unknown_port) VALUES ($1, $2, $3) "
      "ON CONFLICT (board_serial, module_serial, unknown_port) DO UPDATE SET "
      "board_serial = excluded.board_serial RETURNING id",
      {std::string_view(unit.board_serial), std::string_view(unit.module_serial),
       std::string_view(unit.unknown_port)});
  return rows.at(0).Int(0);
}

int Kept(SqlConnection& connection) {
  const auto rows =
      connection.Query("SELECT value FROM history_settings WHERE name = $1", {kKeptSetting});
  return rows.empty() ? kDefaultKeptPerUnit : static_cast<int>(rows[0].Int(0));
}

// The unit's entries beyond its newest `kept` go, but never its newest read or verified
// entry, nor its newest entry of a block it held: one of them holds what the unit holds now.
void Prune(SqlConnection& connection, std::int64_t unit_id, int kept) {
  connection.Query(
      "DELETE FROM entries WHERE unit_id = $1 "
      "AND id NOT IN (SELECT id FROM entries WHERE unit_id = $1 ORDER BY id DESC LIMIT $2) "
      "AND id <> coalesce((SELECT max(id) FROM entries WHERE unit_id = $1 "
      "AND event IN ('read', 'verified')), 0) "
      "AND id <> coalesce((SELECT max(id) FROM entries WHERE unit_id = $1 "
      "AND event <> 'refused'), 0)",
      {unit_id, std::int64_t{kept}});
}

HistoryEntry EntryFrom(const SqlRow& row, const std::string& name) {
  HistoryEntry entry;
  entry.id = row.Int(0);
  entry.unit = {row.Text(1), row.Text(2), row.Text(3)};
  entry.firmware = row.Text(4);
  entry.port = row.Text(5);
  const std::optional<HistoryEvent> event = HistoryEventFromName(row.Text(6));
  const std::string bytes = row.Text(10);
  if (!event || bytes.size() != kBlockSize)
    throw SqlFailure(RecordFailure::NotARecord,
                     name + ": entry " + std::to_string(entry.id) + " is damaged");
  entry.event = *event;
  entry.first_time = FromRecordMillis(row.Int(7));
  entry.time = FromRecordMillis(row.Int(8));
  entry.count = static_cast<int>(row.Int(9));
  std::copy(bytes.begin(), bytes.end(), entry.block.bytes().begin());
  return entry;
}

std::vector<HistoryEntry> EntriesFrom(const std::vector<SqlRow>& rows, const std::string& name) {
  std::vector<HistoryEntry> entries;
  for (const SqlRow& row : rows) entries.push_back(EntryFrom(row, name));
  return entries;
}

std::optional<HistoryEntry> FirstEntry(const std::vector<SqlRow>& rows, const std::string& name) {
  if (rows.empty()) return std::nullopt;
  return EntryFrom(rows.front(), name);
}

}  // namespace

UnitHistory::UnitHistory(std::filesystem::path path, std::chrono::milliseconds busy_timeout)
    : path_(std::move(path)), busy_timeout_(busy_timeout) {}

UnitHistory::~UnitHistory() = default;

bool UnitHistory::Ready(Need need) {
  const bool write = need != Need::Read;
  if (connection_ && (!write || writable_)) return true;
  if (path_.empty())
    throw SqlFailure(RecordFailure::ReadOnly,
                     Say("历史无处存放：没有主文件夹（请设置 HOME，或用 " +
                             std::string(kHistoryFileVariable) + " 指定文件）",
                         "the history has no place: there is no home folder (set HOME, or name "
                         "the file with " +
                             std::string(kHistoryFileVariable) + ")"));
  std::error_code error;
  if (need != Need::Write && !std::filesystem::exists(path_, error)) return false;
  if (need == Need::Write) MakeFile(path_);
  connection_.reset();
  const bool make = need == Need::Write;
  auto connection = std::make_unique<SqliteConnection>(path_,
                                                       make    ? SqliteConnection::Mode::Create
                                                       : write ? SqliteConnection::Mode::Write
                                                               : SqliteConnection::Mode::Read,
                                                       busy_timeout_, kHistoryName);
  try {
    PrepareHistorySchema(*connection, make    ? SchemaAccess::Create
                                      : write ? SchemaAccess::Use
                                              : SchemaAccess::Read);
  } catch (const SqlFailure& failure) {
    // A file made by a run that could write nothing into it holds no history yet.
    if (!make && failure.failure() == RecordFailure::Missing) return false;
    throw;
  }
  // Removed entries leave no trace of their blocks in the file.
  connection->Query("PRAGMA secure_delete = ON");
  connection_ = std::move(connection);
  writable_ = write;
  return true;
}

template <typename Work>
HistoryError UnitHistory::Guarded(Need need, Work&& work) {
  std::lock_guard lock(mutex_);
  try {
    if (Ready(need)) work(*connection_);
    return {};
  } catch (const SqlFailure& failure) {
    return {FailureOf(failure.failure()), failure.what()};
  } catch (const std::exception& failure) {
    return {HistoryFailure::Failed, path_.string() + ": " + failure.what()};
  }
}

HistoryError UnitHistory::Add(const SeenBlock& seen, std::int64_t& id) {
  return Guarded(Need::Write, [&](SqlConnection& connection) {
    id = InWriteTransaction(connection, [&] {
      const std::int64_t unit_id = UnitId(connection, seen.unit());
      const SqlBlob block{seen.block.bytes()};
      const std::int64_t millis = ToRecordMillis(seen.time);
      if (seen.event == HistoryEvent::Read) {
        const auto newest = connection.Query(
            "SELECT id, event = 'read' AND firmware = $2 AND block = $3 FROM entries "
            "WHERE unit_id = $1 ORDER BY id DESC LIMIT 1",
            {unit_id, std::string_view(seen.firmware), block});
        if (!newest.empty() && newest[0].Int(1) == 1) {
          connection.Query(
              "UPDATE entries SET count = count + 1, last_ms = max(last_ms, $2), port = $3 "
              "WHERE id = $1",
              {newest[0].Int(0), millis, std::string_view(seen.port)});
          return newest[0].Int(0);
        }
      }
      const auto added = connection.Query(
          "INSERT INTO entries (unit_id, event, firmware, port, first_ms, last_ms, count, block) "
          "VALUES ($1, $2, $3, $4, $5, $5, 1, $6) RETURNING id",
          {unit_id, HistoryEventName(seen.event), std::string_view(seen.firmware),
           std::string_view(seen.port), millis, block});
      Prune(connection, unit_id, Kept(connection));
      return added.at(0).Int(0);
    });
  });
}

HistoryError UnitHistory::HeldBefore(std::int64_t id, std::optional<HistoryEntry>& entry) {
  entry.reset();
  return Guarded(Need::Read, [&](SqlConnection& connection) {
    entry = FirstEntry(connection.Query(std::string(kEntryColumns) +
                                            "WHERE e.unit_id = (SELECT unit_id FROM entries "
                                            "WHERE id = $1) AND e.id < $1 AND "
                                            "e.event <> 'refused' ORDER BY e.id DESC LIMIT 1",
                                        {id}),
                       connection.name());
  });
}

HistoryError UnitHistory::HeldNow(const HistoryUnit& unit, std::optional<HistoryEntry>& entry) {
  entry.reset();
  return Guarded(Need::Read, [&](SqlConnection& connection) {
    entry = FirstEntry(
        connection.Query(std::string(kEntryColumns) +
                             "WHERE u.board_serial = $1 AND u.module_serial = $2 AND "
                             "u.unknown_port = $3 AND e.event <> 'refused' "
                             "ORDER BY e.id DESC LIMIT 1",
                         {std::string_view(unit.board_serial), std::string_view(unit.module_serial),
                          std::string_view(unit.unknown_port)}),
        connection.name());
  });
}

HistoryError UnitHistory::Entry(std::int64_t id, std::optional<HistoryEntry>& entry) {
  entry.reset();
  return Guarded(Need::Read, [&](SqlConnection& connection) {
    entry = FirstEntry(connection.Query(std::string(kEntryColumns) + "WHERE e.id = $1", {id}),
                       connection.name());
  });
}

HistoryError UnitHistory::Units(std::vector<HistoryUnitInfo>& units) {
  units.clear();
  return Guarded(Need::Read, [&](SqlConnection& connection) {
    for (const SqlRow& row : connection.Query(
             "SELECT u.board_serial, u.module_serial, u.unknown_port, max(e.last_ms), "
             "count(e.id) FROM units u JOIN entries e ON e.unit_id = u.id GROUP BY u.id "
             "ORDER BY max(e.last_ms), u.id"))
      units.push_back({{row.Text(0), row.Text(1), row.Text(2)},
                       FromRecordMillis(row.Int(3)),
                       static_cast<int>(row.Int(4))});
  });
}

HistoryError UnitHistory::Entries(std::string_view unit, std::vector<HistoryEntry>& entries) {
  entries.clear();
  return Guarded(Need::Read, [&](SqlConnection& connection) {
    const std::string all = std::string(kEntryColumns) + "ORDER BY e.id";
    const std::string named =
        std::string(kEntryColumns) + "WHERE " + std::string(kUnitNamed) + " ORDER BY e.id";
    entries = EntriesFrom(unit.empty() ? connection.Query(all) : connection.Query(named, {unit}),
                          connection.name());
  });
}

HistoryError UnitHistory::Clear(std::string_view unit, int& removed) {
  removed = 0;
  return Guarded(Need::Change, [&](SqlConnection& connection) {
    removed = InWriteTransaction(connection, [&] {
      const std::string named =
          "DELETE FROM entries WHERE unit_id IN (SELECT u.id FROM units u "
          "WHERE " +
          std::string(kUnitNamed) + ") RETURNING id";
      const auto gone = unit.empty() ? connection.Query("DELETE FROM entries RETURNING id")
                                     : connection.Query(named, {unit});
      connection.Query(
          "DELETE FROM units WHERE NOT EXISTS (SELECT 1 FROM entries e WHERE e.unit_id = "
          "units.id)");
      return static_cast<int>(gone.size());
    });
    // The write-ahead log still holds the pages as they were: they go into the file and the log
    // is emptied.
    connection.Query("PRAGMA wal_checkpoint(TRUNCATE)");
  });
}

HistoryError UnitHistory::KeptPerUnit(int& count) {
  count = kDefaultKeptPerUnit;
  return Guarded(Need::Read, [&](SqlConnection& connection) { count = Kept(connection); });
}

HistoryError UnitHistory::SetKeptPerUnit(int count) {
  if (count < 1 || count > kMostKeptPerUnit)
    return {HistoryFailure::BadValue, Say("每个单元保留 1 到 " + std::to_string(kMostKeptPerUnit) +
                                              " 个条目，不能是 " + std::to_string(count),
                                          "a unit keeps 1 to " + std::to_string(kMostKeptPerUnit) +
                                              " entries, not " + std::to_string(count))};
  return Guarded(Need::Write, [&](SqlConnection& connection) {
    InWriteTransaction(connection, [&] {
      connection.Query(
          "INSERT INTO history_settings (name, value) VALUES ($1, $2) "
          "ON CONFLICT (name) DO UPDATE SET value = excluded.value",
          {kKeptSetting, std::int64_t{count}});
      for (const SqlRow& unit : connection.Query("SELECT id FROM units"))
        Prune(connection, unit.Int(0), count);
    });
  });
}

}  // namespace dtu
