#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/block/block_layout.h"

namespace dtu {

// The declarative description of an editor page: every control with its ID, kind, text, place
// and flags in one table, plus the page's tooltips, field limits and the block field behind each
// editable control. `EditorPage` builds the
// widgets from it; nothing else on a page creates a control.

enum class ControlKind { Group, Label, Edit, List, CheckBox, Radio };

// Flags of a control (or-ed together).
enum ControlFlag : unsigned {
  kNoFlags = 0,
  kHidden = 1u << 0,      // created hidden
  kDisabled = 1u << 1,    // created disabled
  kDigitsOnly = 1u << 2,  // an edit that accepts digits only
  kReadOnly = 1u << 3,    // an edit the user cannot change
  kCentred = 1u << 4,     // an edit whose text is centred
  kNarrow = 1u << 5,      // an edit for a short number: kept narrow
  kAddress = 1u << 6,     // an edit for an IPv4 address: a text that is none shows as a mistake
};

// The container key of the page itself. Groups with a control ID use it as their key; groups
// without one use a negative key private to the page.
inline constexpr int kPageArea = 0;

// Where a control sits: a cell of its group's grid. On the page itself (kPageArea) the groups
// stand in columns: `column` picks the column and `row` the order within it; spans are ignored.
struct Cell {
  int container = kPageArea;
  int row = 0;
  int column = 0;
  int column_span = 1;
  int row_span = 1;
};

constexpr Cell At(int container, int row, int column, int column_span = 1, int row_span = 1) {
  return Cell{container, row, column, column_span, row_span};
}

// The entries of a drop-down list, in list order.
using ListEntries = std::vector<std::string> (*)();

struct ControlEntry {
  ControlKind kind = ControlKind::Label;
  int id = 0;             // control ID; 0 for a static without one; a negative key for a group
  std::string_view text;  // caption of a group, label, check box or radio button
  Cell cell;
  unsigned flags = kNoFlags;
  int buddy = 0;                  // a label: the control it names
  ListEntries entries = nullptr;  // a drop-down list: its entries
};

constexpr ControlEntry GroupBox(int key, std::string_view title, Cell cell, unsigned flags = 0) {
  return {ControlKind::Group, key, title, cell, flags, 0, nullptr};
}
constexpr ControlEntry Label(int id, std::string_view text, int buddy, Cell cell,
                             unsigned flags = 0) {
  return {ControlKind::Label, id, text, cell, flags, buddy, nullptr};
}
constexpr ControlEntry Edit(int id, Cell cell, unsigned flags = 0) {
  return {ControlKind::Edit, id, {}, cell, flags, 0, nullptr};
}
constexpr ControlEntry List(int id, ListEntries entries, Cell cell, unsigned flags = 0) {
  return {ControlKind::List, id, {}, cell, flags, 0, entries};
}
constexpr ControlEntry CheckBox(int id, std::string_view text, Cell cell, unsigned flags = 0) {
  return {ControlKind::CheckBox, id, text, cell, flags, 0, nullptr};
}
constexpr ControlEntry Radio(int id, std::string_view text, Cell cell, unsigned flags = 0) {
  return {ControlKind::Radio, id, text, cell, flags, 0, nullptr};
}

// The text shown when the mouse rests on a control; "\r\n" inside it is a line break.
struct TooltipEntry {
  int id = 0;
  std::string_view text;
};

// The byte limit of a text field and the "16进制" box (0: none) that switches it to hex mode.
// Every field with a hex box is listed here; the box's clicks convert the field.
struct FieldLimit {
  int field = 0;
  std::size_t max_bytes = 0;
  int hex_box = 0;
};

// The block field an editable control sets, for its tooltip (control_tooltips.h). A
// "16进制" box is named through the FieldLimit of its field.
struct ControlField {
  int id = 0;
  FieldRow field;
  std::string_view name;  // what the tooltip calls it; empty: the field's label (field_labels.h)
};

struct PageTable {
  std::span<const ControlEntry> controls;
  std::span<const TooltipEntry> tooltips;
  std::span<const FieldLimit> limits;
  std::span<const ControlField> fields;
};

// One table from several parts, in order (a page's rows built by helper functions).
template <typename Row, std::size_t... N>
constexpr auto Join(const std::array<Row, N>&... parts) {
  std::array<Row, (N + ...)> all{};
  std::size_t next = 0;
  ((std::copy(parts.begin(), parts.end(), all.begin() + next), next += N), ...);
  return all;
}

}  // namespace dtu
