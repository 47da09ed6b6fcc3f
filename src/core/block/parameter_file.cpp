#include "core/block/parameter_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <string>
#include <system_error>
#include <utility>

namespace dtu {
namespace {

// ---- Messages -------------------------------------------------------------------------------
// Every text these operations report, in one place.

std::string SystemReason(int error) {
  return std::generic_category().message(error);
}

FileResult NotFound() {
  return {FileStatus::NotFound, std::string(kNoSuchFileMessage)};
}

FileResult TooShort(std::size_t size) {
  return {FileStatus::TooShort, "参数文件只有 " + std::to_string(size) + " 字节，不足 " +
                                    std::to_string(kBlockSize) + " 字节，未读取。"};
}

FileResult OpenForReadingFailed(int error) {
  return {FileStatus::ReadFailed, "无法打开参数文件：" + SystemReason(error)};
}

FileResult ReadingFailed(int error) {
  return {FileStatus::ReadFailed, "读取参数文件失败：" + SystemReason(error)};
}

FileResult NotARegularFile(FileStatus status) {
  return {status, "不是普通文件，不能用作参数文件。"};
}

FileResult OpenForWritingFailed(int error) {
  return {FileStatus::WriteFailed, "无法创建或打开参数文件：" + SystemReason(error)};
}

FileResult WritingFailed(int error) {
  return {FileStatus::WriteFailed, "写入参数文件失败：" + SystemReason(error)};
}

FileResult WritingStopped(std::size_t written) {
  return {FileStatus::WriteFailed, "写入参数文件失败：只写入了 " + std::to_string(written) +
                                       " 字节，应为 " + std::to_string(kBlockSize) + " 字节。"};
}

// ---- File descriptors ---------------------------------------------------------------------

// Owns one open file descriptor. Close() reports the result of closing (a write error may only
// show up there); the destructor closes silently on the failure paths.
class FileHandle {
 public:
  explicit FileHandle(int fd) : fd_(fd) {}
  FileHandle(const FileHandle&) = delete;
  FileHandle& operator=(const FileHandle&) = delete;
  ~FileHandle() {
    if (fd_ >= 0) ::close(fd_);
  }

  int get() const { return fd_; }
  bool valid() const { return fd_ >= 0; }

  // 0 on success, otherwise the error number.
  int Close() {
    const int fd = std::exchange(fd_, -1);
    return ::close(fd) == 0 ? 0 : errno;
  }

 private:
  int fd_;
};

// O_NONBLOCK keeps open() from waiting on a FIFO; such paths are then refused as not regular.
constexpr int kOpenFlags = O_CLOEXEC | O_NOCTTY | O_NONBLOCK;

bool IsRegularFile(int fd, int& error) {
  struct stat info {};
  if (::fstat(fd, &info) != 0) {
    error = errno;
    return false;
  }
  error = S_ISDIR(info.st_mode) ? EISDIR : 0;
  return S_ISREG(info.st_mode);
}

// Reads until the buffer is full or the file ends; the count read, or -1 with errno set.
ssize_t ReadFully(int fd, std::uint8_t* buffer, std::size_t size) {
  std::size_t done = 0;
  while (done < size) {
    const ssize_t n = ::read(fd, buffer + done, size - done);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return -1;
    if (n == 0) break;
    done += static_cast<std::size_t>(n);
  }
  return static_cast<ssize_t>(done);
}

}  // namespace

FileResult ReadParameterFile(const std::filesystem::path& path, ParameterBlock& block) {
  FileHandle file(::open(path.c_str(), O_RDONLY | kOpenFlags));
  if (!file.valid()) return errno == ENOENT ? NotFound() : OpenForReadingFailed(errno);

  int error = 0;
  if (!IsRegularFile(file.get(), error))
    return error != 0 ? ReadingFailed(error) : NotARegularFile(FileStatus::ReadFailed);

  BlockBytes bytes{};
  const ssize_t n = ReadFully(file.get(), bytes.data(), bytes.size());
  if (n < 0) return ReadingFailed(errno);
  if (static_cast<std::size_t>(n) < kBlockSize) return TooShort(static_cast<std::size_t>(n));

  block = ParameterBlock(bytes);
  return {};
}

bool ParameterFileExists(const std::filesystem::path& path) {
  FileHandle file(::open(path.c_str(), O_RDWR | kOpenFlags));
  return file.valid();
}

std::string OverwriteQuestion(const std::filesystem::path& path) {
  return path.string() + std::string(kOverwriteQuestionSuffix);
}

FileResult WriteParameterFile(const std::filesystem::path& path, const ParameterBlock& block) {
  // No O_TRUNC: an existing file is overwritten from its start and keeps any bytes after 660.
  FileHandle file(::open(path.c_str(), O_WRONLY | O_CREAT | kOpenFlags, 0666));
  if (!file.valid()) return OpenForWritingFailed(errno);

  int error = 0;
  if (!IsRegularFile(file.get(), error))
    return error != 0 ? WritingFailed(error) : NotARegularFile(FileStatus::WriteFailed);

  const BlockBytes& bytes = block.bytes();
  std::size_t written = 0;
  while (written < bytes.size()) {
    const ssize_t n = ::write(file.get(), bytes.data() + written, bytes.size() - written);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return WritingFailed(errno);
    if (n == 0) return WritingStopped(written);
    written += static_cast<std::size_t>(n);
  }

  // A full disk or a lost network share may only report itself when the data reaches the disk.
  if (::fsync(file.get()) != 0) return WritingFailed(errno);
  if (const int close_error = file.Close(); close_error != 0) return WritingFailed(close_error);
  return {};
}

}  // namespace dtu
