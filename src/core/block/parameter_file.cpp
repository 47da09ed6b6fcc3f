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

#include "core/system_error_text.h"

namespace dtu {
namespace {

// ---- Messages -------------------------------------------------------------------------------
// Every text these operations report, in one place.

std::string SystemReason(int error) {
  return SystemErrorText(error);
}

FileResult NotFound() {
  return {FileStatus::NotFound, std::string(kNoSuchFileMessage)};
}

FileResult TooShort(std::size_t size) {
  return {FileStatus::TooShort, "参数文件只有 " + std::to_string(size) + " 字节，不足 " +
                                    std::to_string(kBlockSize) + " 字节，未读取。"};
}

// The kind of file a message is about.
constexpr std::string_view kParameterFile = "参数文件";
constexpr std::string_view kTextFile = "文本文件";

FileResult OpenForReadingFailed(int error, std::string_view what = kParameterFile) {
  return {FileStatus::ReadFailed, "无法打开" + std::string(what) + "：" + SystemReason(error)};
}

FileResult ReadingFailed(int error, std::string_view what = kParameterFile) {
  return {FileStatus::ReadFailed, "读取" + std::string(what) + "失败：" + SystemReason(error)};
}

FileResult NotARegularFile(FileStatus status, std::string_view what = kParameterFile) {
  return {status, "不是普通文件，不能用作" + std::string(what) + "。"};
}

FileResult OpenForWritingFailed(int error, std::string_view what = kParameterFile) {
  return {FileStatus::WriteFailed,
          "无法创建或打开" + std::string(what) + "：" + SystemReason(error)};
}

FileResult WritingFailed(int error, std::string_view what = kParameterFile) {
  return {FileStatus::WriteFailed, "写入" + std::string(what) + "失败：" + SystemReason(error)};
}

FileResult WritingStopped(std::size_t written, std::size_t size, std::string_view what) {
  return {FileStatus::WriteFailed, "写入" + std::string(what) + "失败：只写入了 " +
                                       std::to_string(written) + " 字节，应为 " +
                                       std::to_string(size) + " 字节。"};
}

FileResult TextTooLong(std::size_t limit) {
  return {FileStatus::ReadFailed,
          "文本文件超过 " + std::to_string(limit) + " 字节，不是参数块的文本形式，未读取。"};
}

FileResult ReplacingFailed(int error) {
  return {FileStatus::WriteFailed, "替换参数文件失败：" + SystemReason(error)};
}

// ---- File descriptors ---------------------------------------------------------------------

// Owns one open file descriptor. Close() reports the result of closing (a write error may only
// show up there); the destructor closes silently on the failure paths.
class FileHandle {
 public:
  explicit FileHandle(int fd) : fd_(fd) {}
  FileHandle(const FileHandle&) = delete;
  FileHandle& operator=(const FileHandle&) = delete;
  FileHandle(FileHandle&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
  FileHandle& operator=(FileHandle&& other) noexcept {
    if (this != &other) {
      if (fd_ >= 0) ::close(fd_);
      fd_ = std::exchange(other.fd_, -1);
    }
    return *this;
  }
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

// Writes all the bytes to an open file from its current position, flushes them to the disk and
// closes the file.
FileResult WriteAndClose(FileHandle& file, std::string_view bytes, std::string_view what) {
  std::size_t written = 0;
  while (written < bytes.size()) {
    const ssize_t n = ::write(file.get(), bytes.data() + written, bytes.size() - written);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return WritingFailed(errno, what);
    if (n == 0) return WritingStopped(written, bytes.size(), what);
    written += static_cast<std::size_t>(n);
  }
  // A full disk or a lost network share may only report itself when the data reaches the disk.
  if (::fsync(file.get()) != 0) return WritingFailed(errno, what);
  if (const int close_error = file.Close(); close_error != 0)
    return WritingFailed(close_error, what);
  return {};
}

// Opens a file for writing with `flags` and makes sure it is a regular file.
FileResult OpenForWriting(const std::filesystem::path& path, int flags, std::string_view what,
                          FileHandle& file) {
  file = FileHandle(::open(path.c_str(), O_WRONLY | O_CREAT | kOpenFlags | flags, 0666));
  if (!file.valid()) return OpenForWritingFailed(errno, what);
  int error = 0;
  if (!IsRegularFile(file.get(), error))
    return error != 0 ? WritingFailed(error, what) : NotARegularFile(FileStatus::WriteFailed, what);
  return {};
}

std::string_view AsChars(const BlockBytes& bytes) {
  return {reinterpret_cast<const char*>(bytes.data()), bytes.size()};
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

std::string LongFileNote(const std::filesystem::path& path) {
  std::error_code error;
  const std::uintmax_t size = std::filesystem::file_size(path, error);
  if (error || size <= kBlockSize) return {};
  return "参数文件有 " + std::to_string(size) + " 字节，比一个参数块（" +
         std::to_string(kBlockSize) + " 字节）长：只载入了前 " + std::to_string(kBlockSize) +
         " 字节，后面的 " + std::to_string(size - kBlockSize) + " 字节不属于参数块，没有读取。";
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
  FileHandle file(-1);
  if (FileResult opened = OpenForWriting(path, 0, kParameterFile, file); !opened.ok())
    return opened;
  return WriteAndClose(file, AsChars(block.bytes()), kParameterFile);
}

FileResult ReplaceParameterFile(const std::filesystem::path& path, const ParameterBlock& block) {
  // Through a link the file it leads to is replaced, not the link.
  std::error_code error;
  const std::filesystem::path target = std::filesystem::weakly_canonical(path, error);
  if (error) return ReplacingFailed(error.value());
  struct stat original {};
  if (::stat(target.c_str(), &original) != 0) return ReplacingFailed(errno);

  std::string temporary = target.string() + ".XXXXXX";
  FileHandle file(::mkostemp(temporary.data(), O_CLOEXEC));
  if (!file.valid()) return ReplacingFailed(errno);
  const auto discard = [&](FileResult failure) {
    ::unlink(temporary.c_str());
    return failure;
  };
  if (::fchmod(file.get(), original.st_mode & 07777) != 0) return discard(ReplacingFailed(errno));
  if (FileResult written = WriteAndClose(file, AsChars(block.bytes()), kParameterFile);
      !written.ok())
    return discard(written);
  if (::rename(temporary.c_str(), target.c_str()) != 0) return discard(ReplacingFailed(errno));
  // The new name itself reaches the disk with its directory.
  FileHandle directory(::open(target.parent_path().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (directory.valid()) ::fsync(directory.get());
  return {};
}

FileResult ReadTextFile(const std::filesystem::path& path, std::string& text, std::size_t limit) {
  FileHandle file(::open(path.c_str(), O_RDONLY | kOpenFlags));
  if (!file.valid()) return errno == ENOENT ? NotFound() : OpenForReadingFailed(errno, kTextFile);
  int error = 0;
  if (!IsRegularFile(file.get(), error))
    return error != 0 ? ReadingFailed(error, kTextFile)
                      : NotARegularFile(FileStatus::ReadFailed, kTextFile);
  std::string content(limit + 1, '\0');
  const ssize_t n =
      ReadFully(file.get(), reinterpret_cast<std::uint8_t*>(content.data()), content.size());
  if (n < 0) return ReadingFailed(errno, kTextFile);
  if (static_cast<std::size_t>(n) > limit) return TextTooLong(limit);
  content.resize(static_cast<std::size_t>(n));
  text = std::move(content);
  return {};
}

FileResult WriteTextFile(const std::filesystem::path& path, std::string_view text) {
  FileHandle file(-1);
  if (FileResult opened = OpenForWriting(path, O_TRUNC, kTextFile, file); !opened.ok())
    return opened;
  return WriteAndClose(file, text, kTextFile);
}

}  // namespace dtu
