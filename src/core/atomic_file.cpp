#include "core/atomic_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <random>
#include <string>
#include <system_error>

#include "core/file_handle.h"

namespace dtu {
namespace {

namespace fs = std::filesystem;

constexpr AtomicWriteResult Failed(AtomicWriteStep step, int error) {
  return {step, error};
}

// A name beside the target that no file has yet: hidden, named after the target (cut so that
// the whole stays within a file name's limit) and ending in six random letters.
std::string TemporaryName(const fs::path& target) {
  static constexpr std::string_view kLetters =
      "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
  thread_local std::mt19937 random{std::random_device{}()};
  std::uniform_int_distribution<std::size_t> pick(0, kLetters.size() - 1);
  // Appended piece by piece: "." + string makes the optimiser of GCC 12 warn of an overlapping
  // copy (-Wrestrict) that cannot happen.
  std::string name(1, '.');
  name += target.filename().string().substr(0, 200);
  name += '.';
  for (int i = 0; i < 6; ++i) name += kLetters[pick(random)];
  return (target.parent_path() / name).string();
}

// The new file, removed again unless it has taken the target's place.
class Temporary {
 public:
  explicit Temporary(const fs::path& target) {
    // O_EXCL under a fresh name instead of mkstemp: the file gets the mode and default ACL that
    // any new file in the folder would get.
    for (int attempt = 0; attempt < 100 && !file_.valid(); ++attempt) {
      path_ = TemporaryName(target);
      file_ = FileHandle(
          ::open(path_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY, 0666));
      if (!file_.valid() && errno != EEXIST) break;
    }
    error_ = file_.valid() ? 0 : errno;
  }
  Temporary(const Temporary&) = delete;
  Temporary& operator=(const Temporary&) = delete;
  ~Temporary() {
    if (!kept_ && error_ == 0) ::unlink(path_.c_str());
  }

  int error() const { return error_; }
  FileHandle& file() { return file_; }
  const std::string& path() const { return path_; }
  void Keep() { kept_ = true; }

 private:
  FileHandle file_{-1};
  std::string path_;
  int error_ = 0;
  bool kept_ = false;
};

// Writes all the bytes; 0, or the error number.
int WriteAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t n = ::write(fd, bytes.data(), bytes.size());
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return errno;
    if (n == 0) return ENOSPC;
    bytes.remove_prefix(static_cast<std::size_t>(n));
  }
  return 0;
}

// Copies the bytes of `from` after `offset` to `fd`. The step and error number on failure.
AtomicWriteResult CopyTail(const fs::path& from, std::size_t offset, int fd) {
  FileHandle old(::open(from.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
  if (!old.valid()) return Failed(AtomicWriteStep::Inspect, errno);
  std::array<char, 64 * 1024> buffer;
  for (auto position = static_cast<off_t>(offset);;) {
    const ssize_t n = ::pread(old.get(), buffer.data(), buffer.size(), position);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return Failed(AtomicWriteStep::Inspect, errno);
    if (n == 0) return {};
    if (const int error = WriteAll(fd, {buffer.data(), static_cast<std::size_t>(n)}); error != 0)
      return Failed(AtomicWriteStep::Write, error);
    position += n;
  }
}

// Gives the new file the old one's owner, group and permissions, in that order (a change of
// owner may clear permission bits).
AtomicWriteResult KeepOwnerAndMode(int fd, const struct stat& old) {
  struct stat fresh {};
  if (::fstat(fd, &fresh) != 0) return Failed(AtomicWriteStep::Create, errno);
  if ((fresh.st_uid != old.st_uid || fresh.st_gid != old.st_gid) &&
      ::fchown(fd, old.st_uid, old.st_gid) != 0)
    return Failed(AtomicWriteStep::Owner, errno);
  if (::fchmod(fd, old.st_mode & 07777) != 0) return Failed(AtomicWriteStep::Owner, errno);
  return {};
}

}  // namespace

AtomicWriteResult WriteFileAtomically(const fs::path& path, std::string_view content,
                                      OldTail tail) {
  // Through a link the file it leads to is replaced, not the link.
  std::error_code resolve_error;
  const fs::path target = fs::weakly_canonical(path, resolve_error);
  if (resolve_error) return Failed(AtomicWriteStep::Inspect, resolve_error.value());
  struct stat old {};
  const bool exists = ::stat(target.c_str(), &old) == 0;
  if (!exists && errno != ENOENT) return Failed(AtomicWriteStep::Inspect, errno);
  if (exists && !S_ISREG(old.st_mode))
    return Failed(AtomicWriteStep::NotRegular, S_ISDIR(old.st_mode) ? EISDIR : 0);
  if (exists && ::faccessat(AT_FDCWD, target.c_str(), W_OK, AT_EACCESS) != 0)
    return Failed(errno == EACCES ? AtomicWriteStep::ReadOnly : AtomicWriteStep::Inspect, errno);

  Temporary temporary(target);
  if (temporary.error() != 0) return Failed(AtomicWriteStep::Create, temporary.error());
  const int fd = temporary.file().get();
  if (exists)
    if (const AtomicWriteResult kept = KeepOwnerAndMode(fd, old); !kept.ok()) return kept;
  if (const int error = WriteAll(fd, content); error != 0)
    return Failed(AtomicWriteStep::Write, error);
  if (exists && tail == OldTail::Kept && static_cast<std::size_t>(old.st_size) > content.size())
    if (const AtomicWriteResult copied = CopyTail(target, content.size(), fd); !copied.ok())
      return copied;
  // A full disk or a lost network share may only report itself when the data reaches the disk.
  if (::fsync(fd) != 0) return Failed(AtomicWriteStep::Write, errno);
  if (const int error = temporary.file().Close(); error != 0)
    return Failed(AtomicWriteStep::Write, error);
  if (::rename(temporary.path().c_str(), target.c_str()) != 0)
    return Failed(AtomicWriteStep::Rename, errno);
  temporary.Keep();
  // The new name itself reaches the disk with its folder.
  FileHandle folder(::open(target.parent_path().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (folder.valid()) ::fsync(folder.get());
  return {};
}

bool IsSameFile(const fs::path& first, const fs::path& second) {
  struct stat a {};
  struct stat b {};
  return ::stat(first.c_str(), &a) == 0 && ::stat(second.c_str(), &b) == 0 &&
         a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

}  // namespace dtu
