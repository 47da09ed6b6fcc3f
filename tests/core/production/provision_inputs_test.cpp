// What a production run checks before any unit is touched, on real files, with each fault as
// every front end names it.
#include <gtest/gtest.h>

#include "core/block/block_check.h"
#include "core/block/parameter_file.h"
#include "core/block/parameter_text.h"
#include "core/production/provision_inputs.h"
#include "support/sample_blocks.h"
#include "support/temp_dir.h"

namespace dtu {
namespace {

TEST(ReadProvisionTemplate, TakesAParameterFileOrItsTextFormAndNamesWhatIsWrong) {
  test::TempDir dir;
  const ParameterBlock block = test::GprsBlock();
  ASSERT_TRUE(WriteParameterFile(dir / "t.mts", block).ok());
  ASSERT_TRUE(WriteTextFile(dir / "t.json", ExportBlockText(block)).ok());
  ParameterBlock broken = block;
  broken.bytes()[2] ^= 0xFF;  // its checksum no longer holds
  ASSERT_TRUE(WriteParameterFile(dir / "broken.mts", broken).ok());
  ASSERT_TRUE(WriteTextFile(dir / "bad.json", "{\"apn\": 5}").ok());
  struct Case {
    std::string file;
    bool read;
    MessageKind kind;
    std::string fault;  // the beginning of it
  };
  const std::vector<Case> cases{
      {"t.mts", true, MessageKind::Error, ""},
      {"t.json", true, MessageKind::Error, ""},
      {"missing.mts", false, MessageKind::Warning, (dir / "missing.mts").string() + ": "},
      {"broken.mts", false, MessageKind::Plain,
       (dir / "broken.mts").string() + ": " + std::string(kBlockMismatchMessage)},
      {"bad.json", false, MessageKind::Error, (dir / "bad.json").string() + ": "},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file);
    const TemplateInput input = ReadProvisionTemplate((dir / c.file).string());
    EXPECT_EQ(input.block.has_value(), c.read);
    EXPECT_EQ(input.fault.ok(), c.read);
    if (c.read) {
      EXPECT_EQ(input.block->apn(), block.apn());
      continue;
    }
    EXPECT_EQ(input.fault.kind, c.kind);
    EXPECT_TRUE(input.fault.text.starts_with(c.fault)) << input.fault.text;
    EXPECT_EQ(input.fault.checksum, c.file == "broken.mts");
  }
}

TEST(ReadProvisionTable, RefusesTheWholeTableAtItsFirstFault) {
  test::TempDir dir;
  const ParameterBlock block = test::GprsBlock();
  ASSERT_TRUE(WriteTextFile(dir / "good.csv", "device_number\n101\n102\n").ok());
  ASSERT_TRUE(WriteTextFile(dir / "bad.csv", "device_number,nonsense\n101,1\n").ok());
  const TableInput good = ReadProvisionTable((dir / "good.csv").string(), block);
  ASSERT_TRUE(good.table.has_value());
  EXPECT_EQ(good.table->rows.size(), 2u);
  EXPECT_TRUE(good.fault.ok());
  for (const char* file : {"bad.csv", "missing.csv"}) {
    SCOPED_TRACE(file);
    const TableInput refused = ReadProvisionTable((dir / file).string(), block);
    EXPECT_FALSE(refused.table.has_value());
    EXPECT_TRUE(refused.fault.text.starts_with((dir / file).string() + ": "));
    EXPECT_EQ(refused.fault.text.ends_with(NothingWrittenText()), std::string(file) == "bad.csv");
  }
}

TEST(PortsFault, APortGivenTwiceIsRefused) {
  EXPECT_EQ(PortsFault({"/dev/ttyUSB0", "/dev/ttyUSB1"}), "");
  EXPECT_EQ(PortsFault({"/dev/ttyUSB0", "/dev/ttyUSB0"}), "有一个端口给了两次");
}

TEST(OpenProvisionRecord, ARecordThatCannotBeMadeTouchesNoUnit) {
  test::TempDir dir;
  const RecordInput missing = OpenProvisionRecord((dir / "no/such/line.db").string());
  EXPECT_EQ(missing.record, nullptr);
  EXPECT_FALSE(missing.error.ok());
  EXPECT_TRUE(missing.fault.text.ends_with(NothingWrittenText())) << missing.fault.text;

  RecordInput opened = OpenProvisionRecord((dir / "line.db").string());
  ASSERT_NE(opened.record, nullptr);
  ASSERT_TRUE(WriteTextFile(dir / "units.csv", "device_number\n101\n").ok());
  const TableInput units = ReadProvisionTable((dir / "units.csv").string(), test::GprsBlock());
  ASSERT_TRUE(units.table.has_value());
  StartProvisionBatch(opened, *units.table, test::GprsBlock(), "units.csv", "wang", "bench1");
  EXPECT_TRUE(opened.error.ok()) << opened.error.message;
  EXPECT_EQ(opened.note, opened.record->name() + ": 批次 1 由工位 bench1 开始");
}

}  // namespace
}  // namespace dtu
