#include "core/production/table_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <system_error>

#include "core/message_language.h"
#include "core/system_error_text.h"

namespace dtu {
namespace {

// A lock file holds three short lines; anything past this is not ours to show.
constexpr std::size_t kHolderLimit = 4096;
// A run that gives up the lock removes its file; one that finds the file gone after locking it
// tries again with a new file, this many times at most.
constexpr int kAttempts = 8;

std::string Holder(const std::filesystem::path& log) {
  std::array<char, 256> host{};
  if (::gethostname(host.data(), host.size() - 1) != 0) host[0] = '\0';
  std::error_code ignored;
  const std::filesystem::path absolute = std::filesystem::absolute(log, ignored);
  return "pid=" + std::to_string(::getpid()) + "\nhost=" + host.data() +
         "\nlog=" + (absolute.empty() ? log : absolute).string() + "\n";
}

std::string Field(std::string_view text, std::string_view name) {
  const std::string start = std::string(name) + "=";
  for (std::size_t pos = 0; pos < text.size();) {
    std::size_t end = text.find('\n', pos);
    if (end == std::string_view::npos) end = text.size();
    const std::string_view line = text.substr(pos, end - pos);
    if (line.starts_with(start)) return std::string(line.substr(start.size()));
    pos = end + 1;
  }
  return {};
}

// Who holds the lock, as far as its file says.
std::string DescribeHolder(int fd) {
  std::string text(kHolderLimit, '\0');
  const ssize_t n = ::pread(fd, text.data(), text.size(), 0);
  text.resize(n > 0 ? static_cast<std::size_t>(n) : 0);
  const std::string pid = Field(text, "pid");
  if (pid.empty()) return {};
  std::string who = Say("进程 ", "process ") + pid;
  const std::string host = Field(text, "host");
  const std::string log = Field(text, "log");
  if (!host.empty()) who += Say("，主机 ", ", host ") + host;
  if (!log.empty()) who += Say("，日志 ", ", log ") + log;
  return Say("（" + who + "）", " (" + who + ")");
}

bool SameFile(int fd, const std::filesystem::path& path) {
  struct stat opened {};
  struct stat named {};
  return ::fstat(fd, &opened) == 0 && ::stat(path.c_str(), &named) == 0 &&
         opened.st_dev == named.st_dev && opened.st_ino == named.st_ino;
}

bool WriteHolder(int fd, const std::string& holder) {
  return ::ftruncate(fd, 0) == 0 &&
         ::pwrite(fd, holder.data(), holder.size(), 0) == static_cast<ssize_t>(holder.size());
}

}  // namespace

std::filesystem::path TableLockPath(const std::filesystem::path& table) {
  std::error_code ignored;
  std::filesystem::path real = std::filesystem::weakly_canonical(table, ignored);
  if (real.empty()) real = table;
  return real += ".lock";
}

std::unique_ptr<TableLock> TableLock::Acquire(const std::filesystem::path& table,
                                              const std::filesystem::path& log,
                                              std::string& error) {
  const std::filesystem::path path = TableLockPath(table);
  for (int attempt = 0; attempt < kAttempts; ++attempt) {
    const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0644);
    if (fd < 0) {
      const std::string reason = SystemErrorText(errno);
      error = Say("不能建立单元表的锁文件 " + path.string() + "：" + reason +
                      "（它让两次 provision 不会把同一行交出两次）",
                  "cannot make the table's lock file " + path.string() + ": " + reason +
                      " (it keeps two provision runs from handing out one row twice)");
      return nullptr;
    }
    std::unique_ptr<TableLock> lock(new TableLock(fd, path));
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
      error =
          errno == EWOULDBLOCK
              ? Say("另一个 provision 正在使用这个单元表" + DescribeHolder(fd) + "；锁文件 ",
                    "another provision is using this table" + DescribeHolder(fd) + "; lock file ") +
                    path.string()
              : SystemErrorText(errno);
      lock->path_.clear();  // not ours to remove
      return nullptr;
    }
    // The run before may have removed the file between our open and our lock.
    if (!SameFile(fd, path)) {
      lock->path_.clear();
      continue;
    }
    if (!WriteHolder(fd, Holder(log))) {
      error = Say("不能写入单元表的锁文件 " + path.string() + "：",
                  "cannot write the table's lock file " + path.string() + ": ") +
              SystemErrorText(errno);
      return nullptr;
    }
    return lock;
  }
  error = Say("不能锁住单元表：锁文件 " + path.string() + " 一再被别的程序换掉",
              "cannot lock the table: its lock file " + path.string() +
                  " is replaced by another program again and again");
  return nullptr;
}

// Removed while still locked, so that a run that opened it meanwhile sees it gone and makes
// a new one.
TableLock::~TableLock() {
  if (!path_.empty()) ::unlink(path_.c_str());
  ::close(fd_);
}

}  // namespace dtu
