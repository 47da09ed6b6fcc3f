#include "core/record/record_export.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/text/csv_reader.h"

namespace dtu {
namespace {

// What a unit reports goes into the CSV as text, never as a formula a spreadsheet would run.
TEST(RecordExport, WritesFormulaLikeCellsAsText) {
  StoredResult stored;
  stored.number = 1;
  stored.entry.unit = {"=HYPERLINK(\"http://x\")", "+ZB01", "@V3"};
  stored.entry.message = "-1";
  const CsvDocument table = ReadCsv(ExportCsv({stored}));
  ASSERT_TRUE(table.ok()) << table.error;
  ASSERT_EQ(table.records.size(), 2u);
  const std::vector<std::string>& cells = table.records[1].fields;
  EXPECT_EQ(cells[0], "1");
  EXPECT_EQ(cells[4], "'=HYPERLINK(\"http://x\")");
  EXPECT_EQ(cells[5], "'+ZB01");
  EXPECT_EQ(cells[6], "'@V3");
  EXPECT_EQ(cells[12], "'-1");
}

}  // namespace
}  // namespace dtu
