#include "core/atomic_file.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cerrno>
#include <filesystem>
#include <string>
#include <vector>

#include "support/file_size_limit.h"
#include "support/temp_dir.h"

namespace dtu {
namespace {

namespace fs = std::filesystem;
using test::TempDir;

std::string ReadText(const fs::path& path) {
  const std::vector<std::uint8_t> bytes = test::ReadAllBytes(path);
  return {bytes.begin(), bytes.end()};
}

std::size_t EntriesIn(const fs::path& folder) {
  return static_cast<std::size_t>(
      std::distance(fs::directory_iterator(folder), fs::directory_iterator()));
}

mode_t ModeOf(const fs::path& path) {
  struct stat info {};
  EXPECT_EQ(::stat(path.c_str(), &info), 0);
  return info.st_mode & 07777;
}

// A write that fails half-way leaves the old file, or none, and nothing else.
TEST(WriteFileAtomically, AFailedWriteLeavesTheOldFileAndNoStray) {
  struct Case {
    const char* name;
    std::string old_content;  // empty: no old file
    std::string content;
    OldTail tail;
  };
  const std::vector<Case> cases = {
      {"new file", "", std::string(2000, 'n'), OldTail::Dropped},
      {"over a text", "old text\n", std::string(2000, 'n'), OldTail::Dropped},
      {"over a block keeping its tail", std::string(700, 'o'), std::string(660, 'n'),
       OldTail::Kept},
      {"a tail past the limit", std::string(3000, 'o'), std::string(100, 'n'), OldTail::Kept},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TempDir dir;
    const fs::path path = dir / "out";
    if (!c.old_content.empty()) test::WriteAllBytes(path, c.old_content);
    AtomicWriteResult result;
    {
      const test::FileSizeLimit full_disk(512);
      result = WriteFileAtomically(path, c.content, c.tail);
    }
    EXPECT_EQ(result.failed, AtomicWriteStep::Write);
    EXPECT_EQ(result.error, EFBIG);
    EXPECT_EQ(fs::exists(path), !c.old_content.empty());
    if (!c.old_content.empty()) {
      EXPECT_EQ(ReadText(path), c.old_content);
    }
    EXPECT_EQ(EntriesIn(dir.path()), c.old_content.empty() ? 0u : 1u);
  }
}

// A new file gets what any new file in the folder gets, not the temporary file's 0600.
TEST(WriteFileAtomically, MakesANewFileAsAnyNewFileIsMade) {
  TempDir dir;
  const mode_t mask = ::umask(027);
  const bool written = WriteFileAtomically(dir / "fresh", "x").ok();
  ::umask(mask);
  ASSERT_TRUE(written);
  EXPECT_EQ(ModeOf(dir / "fresh"), 0640u);
}

}  // namespace
}  // namespace dtu
