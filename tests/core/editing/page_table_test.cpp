#include "core/editing/page_table.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>
#include <string_view>

#include "core/editing/control_tooltips.h"
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
  }
}

ControlKind KindOfForm(FieldForm form) {
  switch (form) {
    case FieldForm::List:
      return ControlKind::List;
    case FieldForm::Check:
      return ControlKind::CheckBox;
    case FieldForm::Radio:
      return ControlKind::Radio;
    default:
      return ControlKind::Edit;
  }
}

// Each field row names a control of its own page that can show its form, and every control the
// user can change is some row's (or a row's "16进制" box): nothing typed escapes the collection.
TEST(PageTable, FieldRowsCoverTheEditableControls) {
  for (const auto& [name, table] : kTables) {
    const auto controls = ById(table);
    for (const FieldEntry& row : table.fields) {
      ASSERT_TRUE(controls.contains(row.id)) << name << ": field of " << row.id;
      EXPECT_EQ(controls.at(row.id)->kind, KindOfForm(row.form)) << name << ": " << row.id;
      if (row.form == FieldForm::Radio) {
        ASSERT_TRUE(controls.contains(row.partner)) << name << ": " << row.partner;
        EXPECT_EQ(controls.at(row.partner)->kind, ControlKind::Radio) << name << ": " << row.id;
      } else if (row.form == FieldForm::Counted && row.partner != 0) {
        ASSERT_TRUE(controls.contains(row.partner)) << name << ": hex box " << row.partner;
        EXPECT_EQ(controls.at(row.partner)->kind, ControlKind::CheckBox) << name << ": " << row.id;
      }
      if (ByteLimit(row)) {
        EXPECT_GT(*ByteLimit(row), 0u) << name << ": " << row.id;
      }
    }
    for (const ControlEntry& entry : table.controls) {
      if (entry.id <= 0 || !IsEditableControl(entry)) continue;
      EXPECT_TRUE(FieldOf(table.fields, entry.id) != nullptr ||
                  RowOfHexBox(table.fields, entry.id) != nullptr)
          << name << ": control " << entry.id << " sets no field";
    }
  }
}

// The three pages together set every field the editor writes, each from one control: all but
// the length and checksum words, the count bytes (written with their areas) and the reserved
// bytes.
TEST(PageTable, EveryEditedFieldHasOneRow) {
  std::map<std::string_view, int> rows;
  for (const auto& [name, table] : kTables)
    for (const FieldEntry& row : table.fields) ++rows[row.field.name];
  std::set<std::string_view> counts;
  for (const CountedRow& counted : kCountedFields) counts.insert(counted.length.name);
  for (const FieldRow& field : kBlockLayout) {
    const bool unedited = field.type == FieldType::Reserved || counts.contains(field.name) ||
                          field.name == "length" || field.name == "checksum" ||
                          field.name == "work_mode";  // the main window's radios
    EXPECT_EQ(rows[field.name], unedited ? 0 : 1) << field.name;
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
