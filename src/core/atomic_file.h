#pragma once

#include <cstddef>
#include <filesystem>
#include <string_view>

namespace dtu {

// Writing a file so that it is never found half written: the content goes into a new file beside
// the target, is flushed to the disk and only then renamed over the target. A failure at any step
// removes the new file and leaves the target as it was; a program killed half-way leaves at most
// a hidden ".NAME.XXXXXX" beside it, never a damaged target.

// The step that failed.
enum class AtomicWriteStep {
  None,        // written
  Inspect,     // the target or its folder could not be looked at
  NotRegular,  // the target exists and is no regular file (a directory, a device, a FIFO...)
  ReadOnly,    // the target exists and may not be written
  Owner,       // the target belongs to another user or group, which the new file cannot keep
  Create,      // the new file could not be made beside the target
  Write,       // writing or flushing the new file failed (a full disk, a size limit...)
  Rename,      // the new file could not take the target's place
};

struct AtomicWriteResult {
  AtomicWriteStep failed = AtomicWriteStep::None;
  int error = 0;  // the system's error number (EISDIR for a directory in the way)

  bool ok() const { return failed == AtomicWriteStep::None; }
};

// What becomes of the bytes of an existing target beyond the new content.
enum class OldTail {
  Dropped,  // the file is the content and nothing else
  Kept,     // an existing longer file keeps its bytes after the content, as if overwritten in place
};

// Makes `content` the content of the file at `path`, created when absent. A link is followed: the
// file it leads to is replaced, the link stays. A new file gets the permissions any new file gets
// (0666 less the umask); a replaced file keeps its permissions, its owner and its group, and a
// file that may not be written (read-only, or another's that cannot be given back to them) is
// refused rather than replaced.
AtomicWriteResult WriteFileAtomically(const std::filesystem::path& path, std::string_view content,
                                      OldTail tail = OldTail::Dropped);

// True when both paths name one existing file, however they reach it (another spelling, a
// symbolic or a hard link).
bool IsSameFile(const std::filesystem::path& first, const std::filesystem::path& second);

}  // namespace dtu
