// The units' table: every row applied to the template with the checks of `dtuctl set`, and the
// first bad row, header or serial refusing the whole table with its line named.
#include "core/production/unit_table.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/block/parameter_text.h"
#include "core/production/row_identity.h"
#include "support/sample_blocks.h"

namespace dtu {
namespace {

using ::testing::HasSubstr;
using ::testing::StartsWith;

TEST(UnitTable, AppliesEachRowToTheTemplate) {
  const ParameterBlock base = test::GprsBlock();
  const UnitTable table = LoadUnitTable(
      "gsn,device_number,sim_number,apn\n"
      "8601,101,13800000001,\n"
      ",102,\"13800000002\",中国移动\n",
      base);
  ASSERT_TRUE(table.ok()) << table.error;
  ASSERT_EQ(table.rows.size(), 2u);

  EXPECT_EQ(table.rows[0].line, 2);
  EXPECT_EQ(table.rows[0].gsn, "8601");
  EXPECT_EQ(table.rows[0].block.device_number(), 101);
  EXPECT_EQ(table.rows[0].block.sim_number(), "13800000001");
  EXPECT_EQ(table.rows[0].block.apn(), base.apn());  // an empty cell keeps the template's value

  EXPECT_EQ(table.rows[1].gsn, "");
  const std::vector<std::string> assignments = {"device_number=102", "sim_number=13800000002",
                                                "apn=中国移动"};
  EXPECT_EQ(table.rows[1].assignments, assignments);
  EXPECT_EQ(table.rows[1].block, *SetBlockFields(base, assignments).block);
  EXPECT_TRUE(VerifyBlock(table.rows[1].block));
}

TEST(UnitTable, RefusesTheWholeTableAtItsFirstProblem) {
  const std::vector<std::pair<std::string, std::vector<std::string>>> cases = {
      {"device_number\n", {"没有单元"}},
      {"device_number,devise\n1,2\n", {"第 1 行", "第 2 列", "devise"}},
      {"apn,apn\nx,y\n", {"第 1 行", "apn", "不止一次"}},
      {"apn,\nx,\n", {"第 1 行", "第 2 列没有名字"}},
      {"length\n660\n", {"第 1 行", "length", "总是 660"}},
      {"device_number\n1\n\n70000\n", {"第 4 行", "device_number", "70000"}},
      {"centre_ip1\n\"10.0.0.1\"\n10.0.0\n", {"第 3 行", "centre_ip1"}},
      {"apn\n\"first\nsecond\",x\n", {"第 2 行", "2 个值"}},
      {"gsn,port1\n86,1\n87,2\n 86 ,3\n", {"第 4 行", "gsn 86", "第 2 行"}},
      {"apn\n\"open\n", {"第 2 行", "引号"}},
  };
  for (const auto& [csv, phrases] : cases) {
    const UnitTable table = LoadUnitTable(csv, test::GprsBlock());
    EXPECT_FALSE(table.ok()) << csv;
    EXPECT_TRUE(table.rows.empty()) << csv;
    for (const std::string& phrase : phrases) EXPECT_THAT(table.error, HasSubstr(phrase)) << csv;
  }
}

TEST(UnitTable, WarnsOfThePagesRulesWithTheRowsLine) {
  const UnitTable table =
      LoadUnitTable("device_number,heartbeat_interval\n1,60\n2,1\n", test::GprsBlock());
  ASSERT_TRUE(table.ok()) << table.error;
  ASSERT_EQ(table.warnings.size(), 1u);
  EXPECT_THAT(table.warnings[0], StartsWith("第 3 行：警告："));
  EXPECT_THAT(table.warnings[0], HasSubstr("heartbeat_interval"));
}

// A row keeps its key whatever happens to the rows around it or to the order of the columns;
// its values, or its gsn, make it.
TEST(UnitTable, KeysEachRowByItsGsnOrItsValues) {
  struct Case {
    std::string before;
    int before_line;
    std::string after;
    int after_line;
    bool same_key;
  };
  const std::vector<Case> cases = {
      {"device_number\n101\n102\n", 2, "device_number\n100\n101\n102\n", 3, true},
      {"device_number\n101\n102\n", 3, "device_number\n102\n101\n", 2, true},
      {"device_number,apn\n101,x\n", 2, "apn,device_number\n\"x\",101\n", 2, true},
      {"device_number,apn\n101,\n", 2, "device_number\n101\n", 2, true},
      {"device_number\n101\n", 2, "device_number\n111\n", 2, false},
      {"device_number\n7\n7\n", 2, "device_number\n7\n7\n", 3, false},
      {"gsn,device_number\n8601,1\n", 2, "gsn,device_number\n,0\n8601,5\n", 3, true},
      {"gsn,device_number\n,1\n", 2, "device_number\n1\n", 2, true},
  };
  for (const Case& c : cases) {
    const UnitTable before = LoadUnitTable(c.before, test::GprsBlock());
    const UnitTable after = LoadUnitTable(c.after, test::GprsBlock());
    ASSERT_TRUE(before.ok() && after.ok()) << c.before << c.after;
    const std::string& a = before.rows.at(c.before_line - 2).key;
    const std::string& b = after.rows.at(c.after_line - 2).key;
    EXPECT_EQ(a == b, c.same_key) << c.before << " / " << c.after << ": " << a << " " << b;
  }
  const std::string csv = "gsn,device_number\r\n8601,1\r\n,2\r\n,2\r\n";
  const UnitTable table = LoadUnitTable(csv, test::GprsBlock());
  EXPECT_EQ(table.rows[0].key, "gsn:8601");
  EXPECT_EQ(table.rows[2].key, table.rows[1].key + "#2");
  EXPECT_FALSE(table.in_file_order());
  // The first 16 hex digits of SHA-256, as `sha256sum` prints them.
  EXPECT_EQ(Fingerprint(std::string_view("abc")), "ba7816bf8f01cfea");
  EXPECT_EQ(table.fingerprint, Fingerprint(csv));
  EXPECT_EQ(table.template_fingerprint, Fingerprint(test::GprsBlock().bytes()));
  EXPECT_NE(LoadUnitTable(csv, test::SmsBlock()).template_fingerprint, table.template_fingerprint);
}

}  // namespace
}  // namespace dtu
