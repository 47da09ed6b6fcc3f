#include "core/editing/page_table.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string_view>

#include "core/editing/gprs_page_table.h"
#include "core/editing/serial_page_table.h"
#include "core/editing/sms_page_table.h"

namespace dtu {
namespace {

struct NamedTable {
  std::string_view name;
  const PageTable& table;
};

const NamedTable kTables[] = {
    {"network", kGprsPageTable}, {"SMS", kSmsPageTable}, {"serial", kSerialPageTable}};

// The controls of a table by ID (statics without an ID left out).
std::map<int, const ControlEntry*> ById(const PageTable& table) {
  std::map<int, const ControlEntry*> controls;
  for (const ControlEntry& entry : table.controls)
    if (entry.id != 0) controls.emplace(entry.id, &entry);
  return controls;
}

// What the page builder refuses at start-up is caught here already, without a window.
TEST(PageTable, EveryReferenceNamesAControlOfTheSamePage) {
  for (const auto& [name, table] : kTables) {
    const auto controls = ById(table);
    std::size_t with_id = 0;
    for (const ControlEntry& entry : table.controls) {
      if (entry.id != 0) ++with_id;
      if (entry.cell.container != kPageArea) {
        const auto group = controls.find(entry.cell.container);
        ASSERT_NE(group, controls.end()) << name << ": " << entry.id;
        EXPECT_EQ(group->second->kind, ControlKind::Group) << name << ": " << entry.id;
      }
      if (entry.kind == ControlKind::Label && entry.buddy != 0) {
        EXPECT_TRUE(controls.contains(entry.buddy)) << name << ": label of " << entry.buddy;
      }
    }
    EXPECT_EQ(controls.size(), with_id) << name << ": an ID appears twice";
    for (const TooltipEntry& tip : table.tooltips)
      EXPECT_TRUE(controls.contains(tip.id)) << name << ": tooltip of " << tip.id;
    for (const FieldLimit& limit : table.limits) {
      ASSERT_TRUE(controls.contains(limit.field)) << name << ": limit of " << limit.field;
      EXPECT_EQ(controls.at(limit.field)->kind, ControlKind::Edit) << name << ": " << limit.field;
      EXPECT_GT(limit.max_bytes, 0u) << name << ": " << limit.field;
      if (limit.hex_box != 0) {
        ASSERT_TRUE(controls.contains(limit.hex_box)) << name << ": hex box " << limit.hex_box;
        EXPECT_EQ(controls.at(limit.hex_box)->kind, ControlKind::CheckBox)
            << name << ": hex box " << limit.hex_box;
      }
    }
  }
}

// A group stands before the controls it holds, so that it exists when they are placed in it.
TEST(PageTable, GroupsComeBeforeTheirControls) {
  for (const auto& [name, table] : kTables) {
    for (std::size_t i = 0; i < table.controls.size(); ++i) {
      const int container = table.controls[i].cell.container;
      if (container == kPageArea) continue;
      const auto begin = table.controls.begin();
      const bool earlier = std::any_of(begin, begin + static_cast<std::ptrdiff_t>(i),
                                       [&](const ControlEntry& e) { return e.id == container; });
      EXPECT_TRUE(earlier) << name << ": " << table.controls[i].id;
    }
  }
}

}  // namespace
}  // namespace dtu
