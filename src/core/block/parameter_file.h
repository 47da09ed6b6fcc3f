#pragma once

#include <filesystem>
#include <string>
#include <string_view>

#include "core/block/file_kind.h"
#include "core/block/parameter_block.h"

namespace dtu {

// A parameter file holds the raw 660 bytes of one block: no header, no trailer. These functions
// do the file input and output; the window asks its questions and shows the messages.

// Texts of the save and open dialogs' exchanges with the user.
inline constexpr std::string_view kNoSuchFileMessage = "无此文件!";
inline constexpr std::string_view kOverwriteQuestionSuffix = " 已存在,覆盖?";
inline constexpr std::string_view kSaveFileCaption = "保存文件";

enum class FileStatus {
  Ok,
  NotFound,     // the file does not exist: show kNoSuchFileMessage
  TooShort,     // fewer than 660 bytes: nothing taken from it
  WrongKind,    // a file of another kind (a text form, a table...): nothing taken from it
  ReadFailed,   // the file exists but could not be read
  WriteFailed,  // the file could not be created or fully written
};

struct FileResult {
  FileStatus status = FileStatus::Ok;
  std::string message;  // UTF-8, ready to show; empty when the operation succeeded
  FileKind kind = FileKind::ParameterFile;  // what the file holds, for WrongKind

  bool ok() const { return status == FileStatus::Ok; }
};

// Reads the first 660 bytes of the file at `path` into `block`. A longer file's bytes after 660
// are ignored (LongFileNote says so). The block is replaced only on success: a shorter file is
// refused as a whole rather than merged into whatever the block held before, and so is a file
// of another kind (a text form, a table, a text: WrongKind, saying what it is) unless its first
// 660 bytes are a block whose checksum holds.
FileResult ReadParameterFile(const std::filesystem::path& path, ParameterBlock& block);

// For a file longer than a block: that only its first 660 bytes were read and how many after them
// were ignored; empty for any other.
std::string LongFileNote(const std::filesystem::path& path);

// What ReadParameterFile says of a file of another kind: "这是参数块的文本形式（JSON），不是参数
// 文件。", with "；" and the hint before the full stop when one is given.
std::string WrongKindMessage(FileKind kind, std::string_view hint = {});

// True when `path` can be opened for reading and writing without creating it: the save then
// asks OverwriteQuestion(path) before WriteParameterFile.
bool ParameterFileExists(const std::filesystem::path& path);

// The question asked before an existing file is overwritten (caption kSaveFileCaption).
std::string OverwriteQuestion(const std::filesystem::path& path);

// Writes the block's 660 bytes as they are (the caller seals it first) to the file, creating it
// if needed. An existing longer file is not shortened: its bytes after 660 stay. The file is
// never left half written: the new content is written beside it, flushed to the disk and renamed
// over it (core/atomic_file.h), so a failure leaves the old file as it was; a link is followed,
// and a replaced file keeps its permissions and owner (one that is read-only, or whose owner
// cannot be kept, is refused).
FileResult WriteParameterFile(const std::filesystem::path& path, const ParameterBlock& block);

// Replaces the parameter file at `path` by the block alone, as WriteParameterFile writes it but
// without the old file's bytes after 660.
FileResult ReplaceParameterFile(const std::filesystem::path& path, const ParameterBlock& block);

// Reads a whole text file (a block's text form, a table) of at most `limit` bytes; a longer one
// is refused unread as too long, with the limit.
FileResult ReadTextFile(const std::filesystem::path& path, std::string& text, std::size_t limit);

// Makes `text` the whole content of the file, created when absent, as WriteParameterFile writes:
// the old file stays as it was until the new one is complete on the disk.
FileResult WriteTextFile(const std::filesystem::path& path, std::string_view text);

}  // namespace dtu
