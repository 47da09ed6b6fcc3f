#include "core/editing/page_rules.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/block/parameter_text.h"
#include "core/editing/field_labels.h"
#include "support/sample_blocks.h"

namespace dtu {
namespace {

using ::testing::ElementsAre;

struct Warned {
  const char* rule;
  std::string text;
  std::string warning;  // empty: the value keeps the rule
};

std::vector<std::string> WarningsAfter(const std::string& text) {
  ParameterBlock base = test::BaseBlock();
  SealBlock(base);
  const TextImport imported = ImportBlockText(text, base);
  EXPECT_TRUE(imported.ok()) << imported.error;
  if (!imported.ok()) return {};
  return PageRuleWarnings(*imported.block, imported.rows);
}

// One row per kind of rule: the value is stored all the same, with a warning naming the rule.
TEST(PageRuleWarnings, NameTheRuleAValueBreaks) {
  const std::vector<Warned> rows = {
      {"range", R"({"heartbeat_interval": 2})",
       "heartbeat_interval 的值 2 不合页面的规则：请输入5到3600之间的数"},
      {"range kept", R"({"heartbeat_interval": 3600})", ""},
      {"exchange range", R"({"receiver_count": 0})",
       "receiver_count 的值 0 不合页面的规则：“请填入一个在1和32之间的整数。”"},
      {"zero switches off", R"({"poll_interval": 0})", ""},
      {"minimum", R"({"poll_interval": 3})",
       "poll_interval 的值 3 不合页面的规则：串口自动发送命令间隔最小5秒!"},
      {"list entry", R"({"protocol": 15})",
       "protocol 的值 15 不合页面的规则：列表只有 15 项（0 到 14）"},
      {"list value", R"({"data_bits": 6})", "data_bits 的值 6 不合页面的规则：列表只有 8、7"},
      {"baud rate", R"({"baud_rate": 9601})", "baud_rate 的值 9601 不合页面的规则：列表只有 110、"},
      {"flag", R"({"fixed_dns": 2})", "fixed_dns 的值 2 不合页面的规则：勾选框只存 0 或 1"},
      {"text room", R"({"ppp_user": "123456789"})",
       "ppp_user 的 9 字节不合页面的规则：最大长度8个字节！"},
      {"count", R"({"gprs_notice": {"hex": "00 00 00 00 00 00 00 00 00 00", "length": 11}})",
       "gprs_notice 的计数 11 不合页面的规则：最大长度10个字节！"},
  };
  for (const Warned& row : rows) {
    SCOPED_TRACE(row.rule);
    const std::vector<std::string> warnings = WarningsAfter(row.text);
    if (row.warning.empty()) {
      EXPECT_THAT(warnings, ::testing::IsEmpty());
    } else {
      ASSERT_EQ(warnings.size(), 1u);
      EXPECT_THAT(warnings[0], ::testing::StartsWith(row.warning));
    }
  }
}

TEST(PageRuleWarnings, OnlyTheMembersGivenAreJudged) {
  ParameterBlock block = test::BaseBlock();
  block.set_protocol(99);
  block.set_heartbeat_interval(1);
  const std::vector<std::string> rows = {"heartbeat_interval", "apn"};
  EXPECT_THAT(PageRuleWarnings(block, rows),
              ElementsAre(::testing::StartsWith("heartbeat_interval 的值 1")));
}

// Every label belongs to a member of the text form, so that diff finds it.
TEST(FieldLabels, NameMembersOfTheTextForm) {
  ParameterBlock protocol9 = test::BaseBlock();
  protocol9.set_protocol(9);
  std::vector<std::string> names;
  for (const ParameterBlock& block : {test::BaseBlock(), protocol9})
    for (const TextMember& member : BlockTextMembers(block)) names.push_back(member.name);
  for (const FieldLabelEntry& entry : kFieldLabels)
    EXPECT_THAT(names, ::testing::Contains(std::string(entry.field)));
  EXPECT_EQ(FieldLabel(field::apn), "接入点名称（APN）");
  EXPECT_EQ(FieldLabel("reserved620"), "");
}

}  // namespace
}  // namespace dtu
