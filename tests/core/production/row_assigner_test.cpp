// How rows are handed to units: by module serial, in file order, again to the unit that ended
// well with them before, with rows inserted, moved or removed between runs, and units that
// cannot be told apart.
#include "core/production/row_assigner.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/production/unit_table.h"
#include "support/sample_blocks.h"

namespace dtu {
namespace {

using ::testing::HasSubstr;

UnitTable Table(const std::string& csv) {
  UnitTable table = LoadUnitTable(csv, test::GprsBlock());
  EXPECT_TRUE(table.ok()) << table.error;
  return table;
}

// One unit turning up: what it should get (the row's device number, 0 for none) and how it ends.
struct Step {
  Step(UnitIdentity unit, int gets, UnitResult refusal_or_end = UnitResult::Ok,
       bool done_before = false, std::string why = {})
      : unit(std::move(unit)),
        gets(gets),
        refusal_or_end(refusal_or_end),
        done_before(done_before),
        why(std::move(why)) {}
  UnitIdentity unit;
  int gets;
  UnitResult refusal_or_end;  // the refusal when it gets none, else how it ends
  bool done_before;
  std::string why;  // a phrase of the refusal
};

void Play(RowAssigner& rows, const std::vector<Step>& steps, const std::string& label) {
  for (std::size_t i = 0; i < steps.size(); ++i) {
    const Step& step = steps[i];
    const std::string where = label + ", step " + std::to_string(i + 1);
    const RowAssigner::Claim claim = rows.ClaimRow(step.unit);
    EXPECT_EQ(claim.row == nullptr ? 0 : claim.row->block.device_number(), step.gets) << where;
    if (claim.row == nullptr) {
      EXPECT_EQ(claim.refusal, step.refusal_or_end) << where;
      EXPECT_THAT(claim.why_none, HasSubstr(step.why)) << where;
      continue;
    }
    EXPECT_EQ(claim.done_before, step.done_before) << where;
    rows.Finish(*claim.row, step.refusal_or_end);
  }
}

const UnitIdentity kA{"B", "8601"}, kB{"B", "8602"}, kC{"B", "8603"}, kD{"B", "8604"};
const UnitIdentity kNoSerial{"", ""};

TEST(RowAssigner, GivesKeyedRowsByModuleSerialAndTheRestInFileOrder) {
  const UnitTable table = Table("gsn,device_number\n,1\n8602,2\n,3\n8604,4\n");
  RowAssigner rows(table, {}, false);
  EXPECT_EQ(rows.ClaimRow(kD).row, &table.rows[3]);
  EXPECT_EQ(rows.ClaimRow({"B", "7777"}).row, &table.rows[0]);
  EXPECT_EQ(rows.ClaimRow({"B", "7778"}).row, &table.rows[2]);
  EXPECT_EQ(rows.ClaimRow({"B", "7779"}).why_none, "表中的行都已用完或正在使用");
  EXPECT_EQ(rows.ClaimRow(kB).row, &table.rows[1]);
  EXPECT_THAT(rows.ClaimRow(kB).why_none, HasSubstr("另一个端口"));

  // A failed unit frees its row for the next; done rows stay done.
  rows.Finish(table.rows[0], UnitResult::Rejected);
  for (const UnitRow& row : {table.rows[1], table.rows[2], table.rows[3]})
    rows.Finish(row, UnitResult::Ok);
  EXPECT_FALSE(rows.AllDone());
  EXPECT_EQ(rows.ClaimRow({"B", "7780"}).row, &table.rows[0]);
  rows.Finish(table.rows[0], UnitResult::Skipped);
  EXPECT_TRUE(rows.AllDone());
}

// An earlier run handed out rows of `before`; this run works from `after` (both pass
// ResumeEarlierRuns) and sees `steps`.
TEST(RowAssigner, GivesEachRowToOneUnitAcrossRunsAndChangesOfTheTable) {
  struct Case {
    std::string label, before;
    std::vector<std::pair<UnitIdentity, int>> earlier;  // unit and its row's line in `before`
    std::string after;
    bool once;
    std::vector<Step> steps;
  };
  const std::string plain = "device_number\n101\n102\n";
  const std::vector<Case> cases = {
      {"a row inserted at the top",
       plain,
       {{kA, 2}},
       "device_number\n100\n101\n102\n",
       false,
       {{kB, 100}, {kA, 101, UnitResult::Skipped, true}, {kC, 102}, {kD, 0, UnitResult::NoRow}}},
      {"rows swapped",
       plain,
       {{kA, 3}},
       "device_number\n102\n101\n",
       false,
       {{kB, 101}, {kA, 102, UnitResult::Ok, true}, {kC, 0, UnitResult::NoRow, false, "用完"}}},
      {"a row again among equal ones",
       "device_number\n7\n7\n",
       {{kA, 2}},
       "device_number\n7\n7\n7\n",
       false,
       {{kB, 7}, {kC, 7}, {kD, 0, UnitResult::NoRow}, {kA, 7, UnitResult::Ok, true}}},
      {"a unit's keyed row removed",
       "gsn,device_number\n8601,101\n,102\n",
       {{kA, 2}},
       "gsn,device_number\n,102\n",
       false,
       {{kA, 0, UnitResult::NoRow, false, "已没有这一行"}, {kB, 102}}},
      {"a unit's keyed row changed",
       "gsn,device_number\n8601,101\n",
       {{kA, 2}},
       "gsn,device_number\n8601,105\n",
       false,
       {{kA, 105, UnitResult::Ok, true}}},
      {"no row for a gsn",
       "gsn,device_number\n8601,101\n",
       {},
       "gsn,device_number\n8601,101\n",
       false,
       {{kB, 0, UnitResult::NoRow, false, "没有这个单元的 gsn"}}},
      {"a unit whose row stays its own though it failed this time",
       plain,
       {{kA, 2}},
       plain,
       false,
       {{kA, 101, UnitResult::Mismatch, true},
        {kB, 102},
        {kC, 0, UnitResult::NoRow},
        {kA, 101, UnitResult::Ok, true}}},
      {"a unit seated again in the same run",
       plain,
       {},
       plain,
       false,
       {{kA, 101}, {kA, 101, UnitResult::Skipped, true}, {kB, 102}}},
      {"a unit without serials",
       plain,
       {},
       plain,
       false,
       {{kNoSerial, 0, UnitResult::Unidentified, false, "--once"}, {kA, 101}}},
      {"units without serials, each taken once",
       plain,
       {},
       plain,
       true,
       {{kNoSerial, 101}, {kNoSerial, 102}, {kNoSerial, 0, UnitResult::NoRow}}},
      {"a unit without serials, once, but the table keyed",
       "gsn,device_number\n8601,101\n,102\n",
       {},
       "gsn,device_number\n8601,101\n,102\n",
       true,
       {{kNoSerial, 0, UnitResult::Unidentified, false, "gsn"}}},
  };
  for (const Case& c : cases) {
    const UnitTable before = Table(c.before);
    const UnitTable after = Table(c.after);
    std::vector<LoggedSuccess> history;
    for (const auto& [unit, line] : c.earlier)
      history.push_back({unit, line, before.rows.at(line - 2).key, {}, {}, 2});
    RowAssigner rows(after, history, c.once);
    Play(rows, c.steps, c.label);
  }
}

}  // namespace
}  // namespace dtu
