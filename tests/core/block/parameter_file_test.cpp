#include "core/block/parameter_file.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "core/block/block_check.h"
#include "support/temp_dir.h"

namespace dtu {
namespace {

using test::ReadAllBytes;
using test::TempDir;
using test::WriteAllBytes;
using ::testing::HasSubstr;
using Bytes = std::vector<std::uint8_t>;

// A sealed block whose bytes differ from their neighbours, so a shifted or partial write shows.
ParameterBlock SampleBlock() {
  ParameterBlock block;
  for (std::size_t i = 0; i < kBlockSize; ++i)
    block.bytes()[i] = static_cast<std::uint8_t>(i * 13 + 5);
  SealBlock(block);
  return block;
}

ParameterBlock FilledBlock(std::uint8_t value) {
  ParameterBlock block;
  block.bytes().fill(value);
  return block;
}

Bytes BlockBytesOf(const ParameterBlock& block) {
  return Bytes(block.bytes().begin(), block.bytes().end());
}

// ---------------------------------------------------------------------------------------------
// Reading

TEST(ReadParameterFile, ReadsBackWhatWasWritten) {
  TempDir dir;
  const ParameterBlock written = SampleBlock();
  ASSERT_TRUE(WriteParameterFile(dir / "unit.MTS", written).ok());

  const Bytes on_disk = ReadAllBytes(dir / "unit.MTS");
  ASSERT_EQ(on_disk.size(), kBlockSize);
  EXPECT_EQ(on_disk[0], 0x94);
  EXPECT_EQ(on_disk[1], 0x02);

  ParameterBlock read = FilledBlock(0xEE);
  const FileResult result = ReadParameterFile(dir / "unit.MTS", read);
  EXPECT_EQ(result.status, FileStatus::Ok);
  EXPECT_TRUE(result.message.empty());
  EXPECT_EQ(read, written);
}

TEST(ReadParameterFile, TakesTheFirst660BytesOfALongerFile) {
  TempDir dir;
  // Built at its full size: GCC 12's optimiser reports a false array bound on insert().
  Bytes content(1000, 0x5A);
  const Bytes block = BlockBytesOf(SampleBlock());
  std::copy(block.begin(), block.end(), content.begin());
  WriteAllBytes(dir / "long.MTS", content);

  ParameterBlock read;
  ASSERT_TRUE(ReadParameterFile(dir / "long.MTS", read).ok());
  EXPECT_EQ(read, SampleBlock());
}

// A short file would otherwise be merged into the previous parameters; it is refused whole.
TEST(ReadParameterFile, RefusesAShortFileAndKeepsTheBlock) {
  for (const std::size_t size :
       {std::size_t{0}, std::size_t{1}, std::size_t{100}, kBlockSize - 1}) {
    SCOPED_TRACE(size);
    TempDir dir;
    WriteAllBytes(dir / "short.MTS", Bytes(size, 0x11));

    ParameterBlock block = SampleBlock();
    const FileResult result = ReadParameterFile(dir / "short.MTS", block);
    EXPECT_EQ(result.status, FileStatus::TooShort);
    EXPECT_EQ(result.message,
              "参数文件只有 " + std::to_string(size) + " 字节，不足 660 字节，未读取。");
    EXPECT_EQ(block, SampleBlock());
  }
}

// A file of another kind is named for what it is, not taken for a block with a bad checksum.
TEST(ReadParameterFile, SaysWhatAFileOfAnotherKindIs) {
  const std::string text_form =
      "\xEF\xBB\xBF{\n  \"format\": \"dtuconfig-parameters\"" + std::string(1000, ' ') + "}\n";
  struct Case {
    const char* name;
    std::string content;
    FileKind kind;
    std::string message;
  };
  const std::vector<Case> cases = {
      {"a text form", text_form, FileKind::TextForm,
       "这是参数块的文本形式（JSON），不是参数文件。"},
      {"a short text form", "{\"apn\": \"x\"}", FileKind::TextForm,
       "这是参数块的文本形式（JSON），不是参数文件。"},
      {"a table", "gsn,apn\n8601,cmiot\n" + std::string(700, 'x'), FileKind::Table,
       "这是表格文件（CSV），不是参数文件。"},
      {"a text", "设备清单\n" + std::string(700, 'x') + "\n", FileKind::Text,
       "这是文本文件，不是参数文件。"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TempDir dir;
    WriteAllBytes(dir / "f", c.content);
    ParameterBlock block = SampleBlock();
    const FileResult result = ReadParameterFile(dir / "f", block);
    EXPECT_EQ(result.status, FileStatus::WrongKind);
    EXPECT_EQ(result.kind, c.kind);
    EXPECT_EQ(result.message, c.message);
    EXPECT_EQ(block, SampleBlock());
  }
}

TEST(ReadParameterFile, ReportsAMissingFileAsNoSuchFile) {
  TempDir dir;
  ParameterBlock block = SampleBlock();
  const FileResult result = ReadParameterFile(dir / "absent.MTS", block);
  EXPECT_EQ(result.status, FileStatus::NotFound);
  EXPECT_EQ(result.message, "无此文件!");
  EXPECT_EQ(block, SampleBlock());
}

TEST(ReadParameterFile, ReportsOtherFailuresWithTheSystemReason) {
  TempDir dir;
  WriteAllBytes(dir / "plain", Bytes(kBlockSize, 0));
  ASSERT_EQ(::mkfifo((dir / "fifo").c_str(), 0600), 0);
  struct Case {
    std::filesystem::path path;
    std::string reason;
  };
  const std::vector<Case> cases = {
      {dir.path(), "是一个目录"},
      {dir / "plain" / "below", "路径中有一项不是目录"},
      // A FIFO without a writer must neither block the window nor pass as a file.
      {dir / "fifo", "不是普通文件"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    ParameterBlock block = SampleBlock();
    const FileResult result = ReadParameterFile(c.path, block);
    EXPECT_EQ(result.status, FileStatus::ReadFailed);
    EXPECT_THAT(result.message, HasSubstr(c.reason));
    EXPECT_EQ(block, SampleBlock());
  }
}

// ---------------------------------------------------------------------------------------------
// Writing

// An existing file is overwritten from its start and never shortened.
TEST(WriteParameterFile, ReplacesTheFirst660BytesAndKeepsTheRest) {
  for (const std::size_t old_size :
       {std::size_t{0}, std::size_t{100}, kBlockSize, std::size_t{1000}}) {
    SCOPED_TRACE(old_size);
    TempDir dir;
    const Bytes old_content(old_size, 0xAA);
    WriteAllBytes(dir / "old.MTS", old_content);
    ASSERT_TRUE(ParameterFileExists(dir / "old.MTS"));

    const ParameterBlock block = SampleBlock();
    ASSERT_TRUE(WriteParameterFile(dir / "old.MTS", block).ok());

    const Bytes on_disk = ReadAllBytes(dir / "old.MTS");
    ASSERT_EQ(on_disk.size(), std::max(old_size, kBlockSize));
    EXPECT_EQ(Bytes(on_disk.begin(), on_disk.begin() + kBlockSize), BlockBytesOf(block));
    EXPECT_EQ(Bytes(on_disk.begin() + kBlockSize, on_disk.end()),
              Bytes(on_disk.size() - kBlockSize, 0xAA));
  }
}

TEST(WriteParameterFile, WritesTheBlockAsGivenWithoutSealingIt) {
  TempDir dir;
  ParameterBlock block = FilledBlock(0x33);  // length and checksum words deliberately wrong
  ASSERT_TRUE(WriteParameterFile(dir / "raw.MTS", block).ok());
  EXPECT_EQ(ReadAllBytes(dir / "raw.MTS"), Bytes(kBlockSize, 0x33));
}

TEST(WriteParameterFile, ReportsATargetThatCannotBeWritten) {
  TempDir dir;
  std::filesystem::create_directory(dir / "folder");
  ASSERT_EQ(::mkfifo((dir / "fifo").c_str(), 0600), 0);
  struct Case {
    std::filesystem::path path;
    std::string reason;
  };
  const std::vector<Case> cases = {
      {dir / "missing" / "unit.MTS", "没有那个文件或目录"},
      {dir / "folder", "是一个目录"},
      {dir / "fifo", "不是普通文件"},  // refused instead of waiting for a reader
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    const FileResult result = WriteParameterFile(c.path, SampleBlock());
    EXPECT_EQ(result.status, FileStatus::WriteFailed);
    EXPECT_THAT(result.message, HasSubstr(c.reason));
  }
  EXPECT_FALSE(std::filesystem::exists(dir / "missing"));
  EXPECT_TRUE(std::filesystem::is_empty(dir / "folder"));
}

TEST(ParameterFileExists, TellsWhetherTheSaveMustAsk) {
  TempDir dir;
  WriteAllBytes(dir / "there.MTS", Bytes(3, 1));
  std::filesystem::create_directory(dir / "folder");
  EXPECT_TRUE(ParameterFileExists(dir / "there.MTS"));
  EXPECT_FALSE(ParameterFileExists(dir / "absent.MTS"));
  EXPECT_FALSE(std::filesystem::exists(dir / "absent.MTS"));  // the test creates nothing
  EXPECT_FALSE(ParameterFileExists(dir / "folder"));          // a folder is not overwritten
  EXPECT_EQ(OverwriteQuestion("/home/a/unit.bpp"), "/home/a/unit.bpp 已存在,覆盖?");
}

// ---------------------------------------------------------------------------------------------
// Readying a loaded block

TEST(PrepareLoadedBlock, ForcesTheLengthThenVerifiesAndNormalises) {
  ParameterBlock block;
  for (std::size_t i = 99; i <= 115; ++i) block.bytes()[i] = 'a';
  block.set_frame_head_len(9);
  SealBlock(block);
  // The length word is outside the checksum; whatever a unit sends there does not matter.
  block.set_length(1234);
  const std::uint8_t checksum_before = block.bytes()[2];

  ASSERT_TRUE(PrepareLoadedBlock(block));
  EXPECT_EQ(block.length(), 660);
  EXPECT_EQ(block.apn(), std::string(16, 'a'));
  EXPECT_EQ(block.frame_head_len(), 8);
  EXPECT_EQ(block.bytes()[2], checksum_before);  // the stored checksum is not refreshed
}

TEST(PrepareLoadedBlock, RejectsAMismatchWithoutNormalising) {
  struct Case {
    const char* name;
    std::size_t offset;
    std::uint8_t flip;
  };
  const std::vector<Case> cases = {
      {"a covered byte changed", 300, 0x01},
      {"the checksum's high byte set", 3, 0x01},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ParameterBlock block;
    block.set_frame_head_len(9);
    SealBlock(block);
    block.bytes()[c.offset] ^= c.flip;
    block.set_length(0);

    EXPECT_FALSE(PrepareLoadedBlock(block));
    EXPECT_EQ(block.length(), 660);
    EXPECT_EQ(block.frame_head_len(), 9);
  }
  EXPECT_EQ(kBlockMismatchMessage, "参数设置有误，请重新设置");
}

}  // namespace
}  // namespace dtu
