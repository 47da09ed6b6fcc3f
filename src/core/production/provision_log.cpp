#include "core/production/provision_log.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <charconv>
#include <cstdio>
#include <ctime>

#include "core/message_language.h"
#include "core/system_error_text.h"
#include "core/text/csv_reader.h"
#include "core/text/csv_writer.h"

namespace dtu {
namespace {

// A log is a few hundred bytes per unit; one this large is no log of ours.
constexpr off_t kLogLimit = off_t{256} * 1024 * 1024;

std::string SystemError(int error) {
  return SystemErrorText(error);
}

std::string ReadAll(int fd, std::string& text) {
  struct stat info {};
  if (::fstat(fd, &info) != 0) return SystemError(errno);
  if (info.st_size > kLogLimit)
    return Say("文件太大，不像是 provision 的日志", "the file is too large to be a provision log");
  text.resize(static_cast<std::size_t>(info.st_size));
  std::size_t done = 0;
  while (done < text.size()) {
    const ssize_t n = ::pread(fd, text.data() + done, text.size() - done, static_cast<off_t>(done));
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return SystemError(errno);
    if (n == 0) break;
    done += static_cast<std::size_t>(n);
  }
  text.resize(done);
  return {};
}

// Writes all of `bytes` at the end of the file, or takes back what part of it was written.
std::string AppendWhole(int fd, std::string_view bytes) {
  struct stat before {};
  if (::fstat(fd, &before) != 0) return SystemError(errno);
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      const int error = n < 0 ? errno : ENOSPC;
      if (done > 0 && ::ftruncate(fd, before.st_size) != 0) {
        // Nothing more can be done: the reason of the write is the one to tell.
      }
      return SystemError(error);
    }
    done += static_cast<std::size_t>(n);
  }
  if (::fdatasync(fd) != 0) return SystemError(errno);
  return {};
}

std::vector<std::string> Fields(const LogEntry& entry) {
  std::vector<std::string> fields = {
      entry.time,
      entry.port,
      entry.unit.board_serial,
      entry.unit.module_serial,
      entry.firmware,
      entry.signal,
      entry.row_line > 0 ? std::to_string(entry.row_line) : std::string(),
      std::string(ResultName(entry.result)),
      entry.message,
      entry.row_key,
      entry.table_fingerprint,
      entry.template_fingerprint};
  for (std::string& field : fields) field = AsSpreadsheetText(std::move(field));
  return fields;
}

int ParseLine(std::string_view text) {
  int value = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  return ec == std::errc() && end == text.data() + text.size() && value > 0 ? value : 0;
}

std::string JoinedColumns(const std::vector<std::string>& columns) {
  std::string joined;
  for (const std::string& column : columns) joined += (joined.empty() ? "" : ",") + column;
  return joined;
}

}  // namespace

std::string LogTimeNow() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  ::localtime_r(&now, &local);
  std::array<char, 40> text{};
  std::size_t n = std::strftime(text.data(), text.size(), "%Y-%m-%dT%H:%M:%S", &local);
  const long offset_minutes = local.tm_gmtoff / 60;
  const long magnitude = offset_minutes < 0 ? -offset_minutes : offset_minutes;
  std::snprintf(text.data() + n, text.size() - n, "%c%02ld:%02ld", offset_minutes < 0 ? '-' : '+',
                magnitude / 60, magnitude % 60);
  return text.data();
}

std::unique_ptr<ProvisionLog> ProvisionLog::Open(const std::filesystem::path& path,
                                                 std::string& error) {
  // A disk would get the header over its first sector, a serial port down a unit's line: such a
  // path is refused before it is opened (opening a port may already disturb its unit), and again
  // if it became one meanwhile.
  struct stat existing {};
  if (::stat(path.c_str(), &existing) == 0 && !S_ISREG(existing.st_mode)) {
    error = Say("不是普通文件，不能用作日志", "not a regular file; it cannot serve as the log");
    return nullptr;
  }
  const int fd =
      ::open(path.c_str(), O_RDWR | O_APPEND | O_CREAT | O_CLOEXEC | O_NOCTTY | O_NONBLOCK, 0644);
  if (fd < 0) {
    error = SystemError(errno);
    return nullptr;
  }
  std::unique_ptr<ProvisionLog> log(new ProvisionLog(fd));
  if (::fstat(fd, &existing) != 0 || !S_ISREG(existing.st_mode)) {
    error = Say("不是普通文件，不能用作日志", "not a regular file; it cannot serve as the log");
    return nullptr;
  }
  // Two runs on one log would hand the same rows out twice.
  if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    error = errno == EWOULDBLOCK
                ? Say("另一个 provision 正在使用这个日志", "another provision is using this log")
                : SystemError(errno);
    return nullptr;
  }
  std::string text;
  if (error = ReadAll(fd, text); !error.empty()) return nullptr;
  if (text.empty()) {
    const std::vector<std::string> header(kLogColumns.begin(), kLogColumns.end());
    error = AppendWhole(fd, CsvLine(header));
    return error.empty() ? std::move(log) : nullptr;
  }
  if (error = log->ReadHistory(text); !error.empty()) return nullptr;
  return log;
}

std::string ProvisionLog::ReadHistory(std::string_view text) {
  const CsvDocument document = ReadCsv(text);
  if (!document.ok()) return document.error;
  const std::vector<std::string> columns(kLogColumns.begin(), kLogColumns.end());
  const std::vector<std::string> line_only(kLogColumns.begin(),
                                           kLogColumns.begin() + kLineOnlyLogColumns);
  const auto& records = document.records;
  if (records.empty() || (records.front().fields != columns && records.front().fields != line_only))
    return Say("不是 provision 的日志：第一行应为 ",
               "not a provision log: the first line must be ") +
           JoinedColumns(columns);
  for (std::size_t i = 1; i < records.size(); ++i) {
    std::vector<std::string> f = records[i].fields;
    // A line of another shape was not written here; read past it, a row it holds would be
    // handed out again.
    if (f.size() != kLineOnlyLogColumns && f.size() != kLogColumns.size())
      return Say("第 " + std::to_string(records[i].line) + " 行有 " + std::to_string(f.size()) +
                     " 个字段，provision 的日志每行有 " + std::to_string(kLogColumns.size()) +
                     " 个（旧版本写的行 " + std::to_string(kLineOnlyLogColumns) + " 个）",
                 "line " + std::to_string(records[i].line) + " has " + std::to_string(f.size()) +
                     " fields, a provision log's lines have " + std::to_string(kLogColumns.size()) +
                     " (lines of older versions " + std::to_string(kLineOnlyLogColumns) + ")");
    for (std::string& field : f) field = FromSpreadsheetText(std::move(field));
    const std::optional<UnitResult> result = ResultFromName(f[7]);
    const int row_line = ParseLine(f[6]);
    if (!result || !Succeeded(*result) || row_line == 0) continue;
    LoggedSuccess success{{f[2], f[3]}, row_line, {}, {}, {}, records[i].line};
    if (f.size() == kLogColumns.size()) {
      success.row_key = f[9];
      success.table_fingerprint = f[10];
      success.template_fingerprint = f[11];
    }
    earlier_successes_.push_back(std::move(success));
  }
  needs_line_end_ = !text.ends_with('\n') && !text.ends_with('\r');
  return {};
}

ProvisionLog::~ProvisionLog() {
  ::close(fd_);
}

bool ProvisionLog::Append(const LogEntry& entry, std::string& error) {
  std::lock_guard lock(mutex_);
  const std::string line = (needs_line_end_ ? "\r\n" : "") + CsvLine(Fields(entry));
  error = AppendWhole(fd_, line);
  if (error.empty()) needs_line_end_ = false;
  return error.empty();
}

}  // namespace dtu
