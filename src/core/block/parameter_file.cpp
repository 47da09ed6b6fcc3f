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
#include "core/message_language.h"
#include "core/system_error_text.h"

namespace dtu {
namespace {

// ---- Messages -------------------------------------------------------------------------------
// Every text these operations report, in one place.

std::string SystemReason(int error) {
  return SystemErrorText(error);
}

FileResult NotFound() {
  return {FileStatus::NotFound, Say(std::string(kNoSuchFileMessage), "no such file")};
}

FileResult TooShort(std::size_t size) {
  const std::string has = std::to_string(size);
  const std::string needs = std::to_string(kBlockSize);
  return {
      FileStatus::TooShort,
      Say("参数文件只有 " + has + " 字节，不足 " + needs + " 字节，未读取。",
          "the parameter file has only " + has + " bytes, fewer than " + needs + "; not read.")};
}

// The kind of file a message is about, in both languages.
struct FileWord {
  std::string_view chinese;
  std::string_view english;
};
constexpr FileWord kParameterFile{"参数文件", "parameter file"};
constexpr FileWord kTextFile{"文本文件", "text file"};

std::string Chinese(const FileWord& what) {
  return std::string(what.chinese);
}

std::string English(const FileWord& what) {
  return std::string(what.english);
}

FileResult OpenForReadingFailed(int error, const FileWord& what = kParameterFile) {
  return {FileStatus::ReadFailed,
          Say("无法打开" + Chinese(what) + "：", "cannot open the " + English(what) + ": ") +
              SystemReason(error)};
}

FileResult ReadingFailed(int error, const FileWord& what = kParameterFile) {
  return {FileStatus::ReadFailed,
          Say("读取" + Chinese(what) + "失败：", "cannot read the " + English(what) + ": ") +
              SystemReason(error)};
}

FileResult NotARegularFile(FileStatus status, const FileWord& what = kParameterFile) {
  return {status, Say("不是普通文件，不能用作" + Chinese(what) + "。",
                      "not a regular file; it cannot serve as a " + English(what) + ".")};
}

FileResult OpenForWritingFailed(int error, const FileWord& what = kParameterFile) {
  return {FileStatus::WriteFailed, Say("无法创建或打开" + Chinese(what) + "：",
                                       "cannot create or open the " + English(what) + ": ") +
                                       SystemReason(error)};
}

FileResult WritingFailed(int error, const FileWord& what) {
  return {FileStatus::WriteFailed,
          Say("写入" + Chinese(what) + "失败：", "cannot write the " + English(what) + ": ") +
              SystemReason(error)};
}

FileResult ReadOnlyTarget(const FileWord& what) {
  return {FileStatus::WriteFailed, Say(Chinese(what) + "是只读的，未改动。",
                                       "the " + English(what) + " is read-only; left as it was.")};
}

FileResult OwnerNotKept(int error, const FileWord& what) {
  return {FileStatus::WriteFailed,
          Say(Chinese(what) + "属于另一个用户或组，替换它会改变它的所有者，未改动：",
              "the " + English(what) +
                  " belongs to another user or group, and replacing it would change its owner; "
                  "left as it was: ") +
              SystemReason(error)};
}

FileResult ReplacingFailed(int error, const FileWord& what) {
  return {FileStatus::WriteFailed,
          Say("替换" + Chinese(what) + "失败：", "cannot replace the " + English(what) + ": ") +
              SystemReason(error)};
}

FileResult TextTooLong(std::size_t limit) {
  const std::string bytes = std::to_string(limit);
  return {FileStatus::ReadFailed,
          Say("文件太长：超过 " + bytes + " 字节的上限，未读取。",
              "the file is too long: over the limit of " + bytes + " bytes; not read.")};
}

FileResult WrongKind(FileKind kind) {
  return {FileStatus::WrongKind, WrongKindMessage(kind), kind};
}

// What a failed atomic write says, in the words of the file it was to write.
FileResult WriteOutcome(const AtomicWriteResult& written, const FileWord& what) {
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
  const std::string has = std::to_string(size);
  const std::string block = std::to_string(kBlockSize);
  const std::string rest = std::to_string(size - kBlockSize);
  return Say("参数文件有 " + has + " 字节，比一个参数块（" + block + " 字节）长：只载入了前 " +
                 block + " 字节，后面的 " + rest + " 字节不属于参数块，没有读取。",
             "the parameter file has " + has + " bytes, more than a parameter block (" + block +
                 " bytes): only the first " + block + " were loaded; the " + rest +
                 " bytes after them are not part of the block and were not read.");
}

std::string WrongKindMessage(FileKind kind, std::string_view hint) {
  std::string message = Say("这是" + FileKindName(kind) + "，不是" + Chinese(kParameterFile),
                            "this is " + FileKindName(kind) + ", not a " + English(kParameterFile));
  if (!hint.empty()) message += Say("；", "; ") + std::string(hint);
  return message + Say("。", ".");
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
