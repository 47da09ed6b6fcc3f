#include "core/atomic_file.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

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

TEST(WriteFileAtomically, ReplacesWholeOrKeepsTheTail) {
  TempDir dir;
  test::WriteAllBytes(dir / "f", std::string("0123456789"));
  ASSERT_TRUE(WriteFileAtomically(dir / "f", "abc", OldTail::Kept).ok());
  EXPECT_EQ(ReadText(dir / "f"), "abc3456789");
  ASSERT_TRUE(WriteFileAtomically(dir / "f", "xy").ok());
  EXPECT_EQ(ReadText(dir / "f"), "xy");
  EXPECT_EQ(EntriesIn(dir.path()), 1u);
}

TEST(WriteFileAtomically, KeepsTheReplacedFilesModeAndFollowsLinks) {
  TempDir dir;
  test::WriteAllBytes(dir / "f", std::string("old"));
  ASSERT_EQ(::chmod((dir / "f").c_str(), 0640), 0);
  fs::create_symlink(dir / "f", dir / "link");
  ASSERT_TRUE(WriteFileAtomically(dir / "link", "new").ok());
  EXPECT_TRUE(fs::is_symlink(dir / "link"));
  EXPECT_EQ(ReadText(dir / "f"), "new");
  EXPECT_EQ(ModeOf(dir / "f"), 0640u);

  const mode_t mask = ::umask(027);
  ASSERT_TRUE(WriteFileAtomically(dir / "fresh", "x").ok());
  ::umask(mask);
  EXPECT_EQ(ModeOf(dir / "fresh"), 0640u) << "a new file is made as any new file is";
}

TEST(WriteFileAtomically, RefusesWhatItMayNotReplace) {
  TempDir dir;
  fs::create_directory(dir / "folder");
  ASSERT_EQ(::mkfifo((dir / "fifo").c_str(), 0600), 0);
  test::WriteAllBytes(dir / "plain", std::string("p"));
  test::WriteAllBytes(dir / "read-only", std::string("r"));
  ASSERT_EQ(::chmod((dir / "read-only").c_str(), 0444), 0);
  struct Case {
    fs::path path;
    AtomicWriteStep step;
    int error;
  };
  std::vector<Case> cases = {
      {dir / "folder", AtomicWriteStep::NotRegular, EISDIR},
      {dir / "fifo", AtomicWriteStep::NotRegular, 0},
      {dir / "missing" / "f", AtomicWriteStep::Create, ENOENT},
      {"/dev/null", AtomicWriteStep::NotRegular, 0},
  };
  if (::geteuid() != 0)  // root may write any file
    cases.push_back({dir / "read-only", AtomicWriteStep::ReadOnly, EACCES});
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    const AtomicWriteResult result = WriteFileAtomically(c.path, "x");
    EXPECT_EQ(result.failed, c.step);
    EXPECT_EQ(result.error, c.error);
  }
  EXPECT_EQ(ReadText(dir / "read-only"), "r");
  EXPECT_EQ(EntriesIn(dir.path()), 4u);
  EXPECT_TRUE(fs::is_empty(dir / "folder"));
}

TEST(IsSameFile, SeesOneFileThroughEveryPath) {
  TempDir dir;
  test::WriteAllBytes(dir / "f", std::string("f"));
  test::WriteAllBytes(dir / "g", std::string("f"));
  fs::create_directory(dir / "sub");
  fs::create_symlink(dir / "f", dir / "sub" / "link");
  fs::create_hard_link(dir / "f", dir / "hard");
  struct Case {
    fs::path other;
    bool same;
  };
  const std::vector<Case> cases = {
      {dir / "f", true},
      {dir / "sub" / ".." / "f", true},
      {dir / "sub" / "link", true},
      {dir / "hard", true},
      {dir / "g", false},
      {dir / "absent", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.other);
    EXPECT_EQ(IsSameFile(dir / "f", c.other), c.same);
  }
}

}  // namespace
}  // namespace dtu
