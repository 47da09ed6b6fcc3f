#include "core/record/sqlite_connection.h"

#include "core/message_language.h"
#include "core/record/record_time.h"
#include "core/system_error_text.h"

#include <sqlite3.h>

#include <cerrno>
#include <system_error>
#include <type_traits>

namespace dtu {
namespace {

constexpr SqlDialect kSqliteDialect{
    "INTEGER PRIMARY KEY",
    "BLOB",
    "SELECT 1 FROM sqlite_master WHERE type = 'table' AND name = $1",
    "SELECT count(*) FROM sqlite_master WHERE type = 'table'",
    "",
    "",
};

// A prepared statement, finalised when it goes.
class Statement {
 public:
  Statement(sqlite3* db, std::string_view sql) {
    code_ = sqlite3_prepare_v2(db, sql.data(), static_cast<int>(sql.size()), &statement_, nullptr);
  }
  ~Statement() { sqlite3_finalize(statement_); }
  Statement(const Statement&) = delete;
  Statement& operator=(const Statement&) = delete;

  int code() const { return code_; }
  sqlite3_stmt* get() const { return statement_; }

 private:
  sqlite3_stmt* statement_ = nullptr;
  int code_;
};

int Bind(sqlite3_stmt* statement, int index, const SqlValue& value) {
  return std::visit(
      [&](const auto& v) -> int {
        using T = std::decay_t<decltype(v)>;
        if constexpr (std::is_same_v<T, std::nullptr_t>) {
          return sqlite3_bind_null(statement, index);
        } else if constexpr (std::is_same_v<T, std::int64_t>) {
          return sqlite3_bind_int64(statement, index, v);
        } else if constexpr (std::is_same_v<T, std::string_view>) {
          return sqlite3_bind_text64(statement, index, v.data(), v.size(), SQLITE_TRANSIENT,
                                     SQLITE_UTF8);
        } else {
          return sqlite3_bind_blob64(statement, index, v.bytes.data(), v.bytes.size(),
                                     SQLITE_TRANSIENT);
        }
      },
      value);
}

std::optional<std::string> Cell(sqlite3_stmt* statement, int column) {
  switch (sqlite3_column_type(statement, column)) {
    case SQLITE_NULL:
      return std::nullopt;
    case SQLITE_BLOB: {
      const auto* bytes = static_cast<const char*>(sqlite3_column_blob(statement, column));
      return std::string(bytes == nullptr ? "" : bytes,
                         static_cast<std::size_t>(sqlite3_column_bytes(statement, column)));
    }
    default: {
      const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(statement, column));
      return std::string(text == nullptr ? "" : text,
                         static_cast<std::size_t>(sqlite3_column_bytes(statement, column)));
    }
  }
}

// "file:/path?immutable=1", the path's own "%", "?" and "#" escaped.
std::string ImmutableUri(const std::filesystem::path& path) {
  std::string uri = "file:";
  for (const char c : std::filesystem::absolute(path).string()) {
    if (c == '%' || c == '?' || c == '#') {
      static constexpr char kDigits[] = "0123456789ABCDEF";
      uri += '%';
      uri += kDigits[(c >> 4) & 0xf];
      uri += kDigits[c & 0xf];
    } else {
      uri += c;
    }
  }
  return uri + "?immutable=1";
}

RecordFailure FailureOf(int code) {
  switch (code & 0xff) {
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
      return RecordFailure::Locked;
    case SQLITE_READONLY:
    case SQLITE_PERM:
      return RecordFailure::ReadOnly;
    case SQLITE_NOTADB:
    case SQLITE_CORRUPT:
      return RecordFailure::NotARecord;
    case SQLITE_CONSTRAINT:
      return RecordFailure::Refused;
    case SQLITE_FULL:
      return RecordFailure::Full;
    default:
      return RecordFailure::Failed;
  }
}

}  // namespace

SqliteConnection::SqliteConnection(const std::filesystem::path& path, Mode mode,
                                   std::chrono::milliseconds busy_timeout, StoreName store)
    : name_(path.string()), busy_timeout_(busy_timeout), store_(store) {
  const std::string noun(store_.noun);
  const std::string chinese(store_.chinese_noun);
  std::error_code error;
  const bool exists = std::filesystem::exists(path, error);
  if (error)
    throw SqlFailure(RecordFailure::Failed,
                     name_ +
                         Say("：无法打开" + chinese + "：", ": cannot open the " + noun + ": ") +
                         SystemErrorText(error.value()));
  if (!exists && mode != Mode::Create)
    throw SqlFailure(RecordFailure::Missing,
                     name_ + Say("：没有这个" + chinese, ": no such " + noun));
  if (exists && std::filesystem::is_directory(path, error))
    throw SqlFailure(RecordFailure::BadDestination,
                     name_ + Say("：是一个文件夹，不是" + chinese + "文件",
                                 ": is a folder, not a " + noun + " file"));
  int flags = SQLITE_OPEN_NOMUTEX;
  flags |= mode == Mode::Read ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE;
  if (mode == Mode::Create) flags |= SQLITE_OPEN_CREATE;
  Connect(name_, flags);
  if (mode != Mode::Read && sqlite3_db_readonly(db_.get(), "main") == 1)
    throw SqlFailure(
        RecordFailure::ReadOnly,
        name_ + Say("：" + chinese + "在这里是只读的（没有写它的权限）",
                    ": the " + noun + " is read-only here (no permission to write it)"));
  Query("PRAGMA foreign_keys = ON");
  // Reading the schema is the first access to the file: a file of another kind fails here.
  try {
    Query("SELECT count(*) FROM sqlite_master");
  } catch (const SqlFailure& failure) {
    // A reader who may not write the folder cannot make the file's shared-memory companion:
    // with no write-ahead log beside it (no writer at work) the file is read as it stands.
    std::filesystem::path log = path;
    log += "-wal";
    if (mode != Mode::Read || failure.failure() != RecordFailure::ReadOnly ||
        std::filesystem::exists(log, error))
      throw;
    Connect(ImmutableUri(path), flags | SQLITE_OPEN_URI);
    Query("SELECT count(*) FROM sqlite_master");
  }
  if (mode != Mode::Read) Query("PRAGMA journal_mode = WAL");
}

void SqliteConnection::Connect(const std::string& file, int flags) {
  sqlite3* db = nullptr;
  const int opened = sqlite3_open_v2(file.c_str(), &db, flags, nullptr);
  db_.reset(db);  // a handle comes back even when the file could not be opened
  if (opened != SQLITE_OK) {
    const std::filesystem::path folder = std::filesystem::path(name_).parent_path();
    std::error_code error;
    if (!std::filesystem::exists(folder.empty() ? "." : folder, error))
      throw SqlFailure(
          RecordFailure::Missing,
          name_ + Say("：无法建立" + std::string(store_.chinese_noun) + "：没有这个文件夹",
                      ": cannot create the " + std::string(store_.noun) + ": no such folder"));
    Fail(opened, Say("无法打开" + std::string(store_.chinese_noun),
                     "cannot open the " + std::string(store_.noun)));
  }
  sqlite3_extended_result_codes(db_.get(), 1);
  sqlite3_busy_timeout(db_.get(), static_cast<int>(busy_timeout_.count()));
}

SqliteConnection::~SqliteConnection() = default;

void SqliteConnection::Closer::operator()(sqlite3* db) const {
  sqlite3_close_v2(db);
}

void SqliteConnection::Fail(int code, std::string_view doing, int step_errno) const {
  RecordFailure failure = FailureOf(code);
  // A write the disk had no room for, or past the size a file may have, is an I/O error to
  // SQLite but a full disk to the user. SQLite keeps the system's reason only for some of its
  // calls; the statement's own is the other place to find it.
  int system_error = db_ != nullptr ? sqlite3_system_errno(db_.get()) : 0;
  if (system_error == 0) system_error = step_errno;
  if (failure == RecordFailure::Failed && (system_error == ENOSPC || system_error == EFBIG))
    failure = RecordFailure::Full;
  const std::string noun(store_.noun);
  const std::string chinese(store_.chinese_noun);
  std::string message = name_ + Say("：", ": ") + std::string(doing) + Say("：", ": ");
  const std::string library(sqlite3_errstr(code));
  if (failure == RecordFailure::Full) {
    const std::string reason = system_error != 0 ? SystemErrorText(system_error) : library;
    message +=
        Say("文件没有空间了（" + reason + "）", "no room left for the file (" + reason + ")");
  } else if (failure == RecordFailure::Locked) {
    const std::string limit = FormatSeconds(busy_timeout_);
    message += Say("另一个程序锁住" + chinese + "的时间超过了等待时限（" + limit + "）",
                   "another program kept the " + noun +
                       " locked for longer than the busy time-out (" + limit + ")");
  } else if (failure == RecordFailure::ReadOnly) {
    message += Say(chinese + "在这里是只读的（" + library + "）",
                   "the " + noun + " is read-only here (" + library + ")");
  } else if (failure == RecordFailure::NotARecord) {
    message += Say("这个文件不是" + std::string(store_.chinese_kind) + "（" + library + "）",
                   "the file is not a " + std::string(store_.kind) + " (" + library + ")");
  } else {
    message += db_ != nullptr ? sqlite3_errmsg(db_.get()) : sqlite3_errstr(code);
  }
  throw SqlFailure(failure, message);
}

std::vector<SqlRow> SqliteConnection::Execute(std::string_view sql,
                                              std::span<const SqlValue> params) {
  Statement statement(db_.get(), sql);
  if (statement.code() != SQLITE_OK)
    Fail(statement.code(), Say("无法读取" + std::string(store_.chinese_noun),
                               "cannot read the " + std::string(store_.noun)));
  for (std::size_t i = 0; i < params.size(); ++i) {
    std::string name = "$";
    name += std::to_string(i + 1);
    const int index = sqlite3_bind_parameter_index(statement.get(), name.c_str());
    if (index == 0) continue;
    if (const int bound = Bind(statement.get(), index, params[i]); bound != SQLITE_OK)
      Fail(bound, Say("无法写入" + std::string(store_.chinese_noun),
                      "cannot write the " + std::string(store_.noun)));
  }
  std::vector<SqlRow> rows;
  const int columns = sqlite3_column_count(statement.get());
  for (;;) {
    errno = 0;
    const int step = sqlite3_step(statement.get());
    if (step == SQLITE_DONE) return rows;
    if (step != SQLITE_ROW)
      Fail(step,
           Say("无法写入" + std::string(store_.chinese_noun),
               "cannot write the " + std::string(store_.noun)),
           errno);
    std::vector<std::optional<std::string>> cells;
    for (int c = 0; c < columns; ++c) cells.push_back(Cell(statement.get(), c));
    rows.emplace_back(std::move(cells));
  }
}

void SqliteConnection::BeginWrite() {
  Query("BEGIN IMMEDIATE");
}

void SqliteConnection::Rollback() noexcept {
  if (sqlite3_get_autocommit(db_.get()) == 0)
    sqlite3_exec(db_.get(), "ROLLBACK", nullptr, nullptr, nullptr);
}

const SqlDialect& SqliteConnection::dialect() const {
  return kSqliteDialect;
}

}  // namespace dtu
