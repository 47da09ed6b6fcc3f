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

#include "core/atomic_file.h"
#include "core/file_handle.h"
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

FileResult WritingFailed(int error, std::string_view what) {
  return {FileStatus::WriteFailed, "写入" + std::string(what) + "失败：" + SystemReason(error)};
}

FileResult ReadOnlyTarget(std::string_view what) {
  return {FileStatus::WriteFailed, std::string(what) + "是只读的，未改动。"};
}

FileResult OwnerNotKept(int error, std::string_view what) {
  return {FileStatus::WriteFailed, std::string(what) +
                                       "属于另一个用户或组，替换它会改变它的所有者，未改动：" +
                                       SystemReason(error)};
}

FileResult ReplacingFailed(int error, std::string_view what) {
  return {FileStatus::WriteFailed, "替换" + std::string(what) + "失败：" + SystemReason(error)};
}

FileResult TextTooLong(std::size_t limit) {
  return {FileStatus::ReadFailed,
          "文件太长：超过 " + std::to_string(limit) + " 字节的上限，未读取。"};
}

FileResult WrongKind(FileKind kind) {
  return {FileStatus::WrongKind, WrongKindMessage(kind), kind};
}

// What a failed atomic write says, in the words of the file it was to write.
FileResult WriteOutcome(const AtomicWriteResult& written, std::string_view what) {
  switch (written.failed) {
    case AtomicWriteStep::None:
      return {};
    case AtomicWriteStep::NotRegular:
      return written.error != 0 ? OpenForWritingFailed(written.error, what)
                                : NotARegularFile(FileStatus::WriteFailed, what);
    case AtomicWriteStep::ReadOnly:
      return ReadOnlyTarget(what);
    case AtomicWriteStep::Owner:
      return OwnerNotKept(written.error, what);
    case AtomicWriteStep::Inspect:
    case AtomicWriteStep::Create:
      return OpenForWritingFailed(written.error, what);
    case AtomicWriteStep::Write:
      return WritingFailed(written.error, what);
    case AtomicWriteStep::Rename:
      return ReplacingFailed(written.error, what);
  }
  return WritingFailed(written.error, what);
}

// ---- File descriptors ---------------------------------------------------------------------

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
  const auto size = static_cast<std::size_t>(n);
  const ParameterBlock read(bytes);
  // A text never passes for a block: the checksum's high byte is 0x00, which no text holds.
  const FileKind kind = SniffFileKind({reinterpret_cast<const char*>(bytes.data()), size});
  if (kind != FileKind::ParameterFile && (size < kBlockSize || !VerifyBlock(read)))
    return WrongKind(kind);
  if (size < kBlockSize) return TooShort(size);

  block = read;
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

std::string WrongKindMessage(FileKind kind, std::string_view hint) {
  std::string message =
      "这是" + std::string(FileKindName(kind)) + "，不是" + std::string(kParameterFile);
  if (!hint.empty()) message += "；" + std::string(hint);
  return message + "。";
}

bool ParameterFileExists(const std::filesystem::path& path) {
  FileHandle file(::open(path.c_str(), O_RDWR | kOpenFlags));
  return file.valid();
}

std::string OverwriteQuestion(const std::filesystem::path& path) {
  return path.string() + std::string(kOverwriteQuestionSuffix);
}

FileResult WriteParameterFile(const std::filesystem::path& path, const ParameterBlock& block) {
  return WriteOutcome(WriteFileAtomically(path, AsChars(block.bytes()), OldTail::Kept),
                      kParameterFile);
}

FileResult ReplaceParameterFile(const std::filesystem::path& path, const ParameterBlock& block) {
  return WriteOutcome(WriteFileAtomically(path, AsChars(block.bytes())), kParameterFile);
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
  return WriteOutcome(WriteFileAtomically(path, text), kTextFile);
}

}  // namespace dtu
