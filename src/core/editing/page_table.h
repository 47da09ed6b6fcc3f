#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/block/block_layout.h"

namespace dtu {

// The declarative description of an editor page: every control with its ID, kind, text, place,
// flags and initial text in one table, plus the page's tooltips and its field table (the block
// field behind each editable control, how it is shown and read, its checks). `EditorPage`
// builds the widgets from it; nothing else on a page creates a control.

enum class ControlKind { Group, Label, Edit, List, CheckBox, Radio };

// Flags of a control (or-ed together).
enum ControlFlag : unsigned {
  kNoFlags = 0,
  kHidden = 1u << 0,      // created hidden
  kDisabled = 1u << 1,    // created disabled
  kDigitsOnly = 1u << 2,  // an edit of a text that accepts digits only (a number field's row
                          // gives it its digits by itself)
  kReadOnly = 1u << 3,    // an edit the user cannot change
  kCentred = 1u << 4,     // an edit whose text is centred
  kNarrow = 1u << 5,      // an edit for a short number: kept narrow
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
  std::string_view initial;       // an edit: the page's own initial text
};

constexpr ControlEntry GroupBox(int key, std::string_view title, Cell cell, unsigned flags = 0) {
  return {ControlKind::Group, key, title, cell, flags, 0, nullptr, {}};
}
constexpr ControlEntry Label(int id, std::string_view text, int buddy, Cell cell,
                             unsigned flags = 0) {
  return {ControlKind::Label, id, text, cell, flags, buddy, nullptr, {}};
}
constexpr ControlEntry Edit(int id, Cell cell, unsigned flags = 0, std::string_view initial = {}) {
  return {ControlKind::Edit, id, {}, cell, flags, 0, nullptr, initial};
}
constexpr ControlEntry List(int id, ListEntries entries, Cell cell, unsigned flags = 0) {
  return {ControlKind::List, id, {}, cell, flags, 0, entries, {}};
}
constexpr ControlEntry CheckBox(int id, std::string_view text, Cell cell, unsigned flags = 0) {
  return {ControlKind::CheckBox, id, text, cell, flags, 0, nullptr, {}};
}
constexpr ControlEntry Radio(int id, std::string_view text, Cell cell, unsigned flags = 0) {
  return {ControlKind::Radio, id, text, cell, flags, 0, nullptr, {}};
}

// The text shown when the mouse rests on a control; "\r\n" inside it is a line break.
struct TooltipEntry {
  int id = 0;
  std::string_view text;
};

// How a control shows its block field and how what the user enters there is stored again
// (field_codec.h reads and writes the block; the pages apply it to their widgets).
enum class FieldForm : std::uint8_t {
  Text,          // an edit: a text field's GBK text, at most TextCapacity bytes
  Counted,       // an edit: a counted area's used bytes as text, or as a hex dump while its
                 // "16进制" box (`partner`) is checked
  Decimal,       // an edit of decimal digits: a number within the field's width and range rule
  DeviceNumber,  // an edit: the decimal device number, or under protocol 9 bytes 95 to 98 as one
                 // hexadecimal identifier
  Address,       // an edit: a dotted IPv4 address
  List,          // a list whose entries stand for the field's codes (ChoiceRule); a stored value
                 // none stands for shows as an extra entry, the unit's own value
  Check,         // a check box: 1 checked, 0 clear; only 1 loads as checked
  Radio,         // a pair of radio buttons (the row's control and `partner`) for `codes`
};

// What an entry's field does beyond its form (or-ed together): the encoding rules the window,
// `dtuctl set` and `dtuctl import` apply alike (entry_rules.h).
enum EntryRule : unsigned {
  kNoEntryRule = 0,
  kTrimBlanks = 1u << 0,        // blanks around the text are not stored (APN, dial string)
  kZeroStores8000 = 1u << 1,    // an entry of 0 stores 8000 (device and centre numbers)
  kZeroKeepsField = 1u << 2,    // an entry of 0 leaves the field as it was (project number)
  kEmptyClearsArea = 1u << 3,   // an empty counted field sets its count and first byte to 0 (the
                                // notices); any other empty counted field is left as it was...
  kEmptyZeroesCount = 1u << 4,  // ...but for its count, set to 0 (the timed command)
  kShownOnly = 1u << 5,         // shown when a block is loaded, never stored (heartbeat retries)
  kWithoutDeviceId = 1u << 6,   // stored only while the protocol has no hexadecimal identifier
  kUnsignedEntry = 1u << 7,     // the page's exchange asks for "“请填入一个正整数。”"
  kByteEntry = 1u << 8,         // the page's exchange asks for a byte within the range rule
  kCheckedOnLeaving = 1u << 9,  // the range rule is checked as the user leaves the field
};

// One row of a page's field table: the control, the block field it shows and sets, how, and
// its checks. Loading a block into the page and collecting it back run over these rows; the
// tooltips are worked out from them.
struct FieldEntry {
  int id = 0;  // the control (a radio pair: its first button)
  FieldRow field;
  FieldForm form = FieldForm::Text;
  unsigned rules = kNoEntryRule;
  int partner = 0;        // Counted: its "16进制" box (0: none); Radio: the second button
  std::string_view name;  // what tooltips and messages call it; empty: the field's label
  std::array<std::uint8_t, 2> codes{};  // Radio: the codes of the first and the second button

  bool Has(EntryRule rule) const { return (rules & rule) != 0; }
};

constexpr FieldEntry TextField(int id, const FieldRow& field, unsigned rules = kNoEntryRule,
                               std::string_view name = {}) {
  return {id, field, FieldForm::Text, rules, 0, name, {}};
}
constexpr FieldEntry CountedField(int id, const FieldRow& area, int hex_box,
                                  std::string_view name = {}, unsigned rules = kNoEntryRule) {
  return {id, area, FieldForm::Counted, rules, hex_box, name, {}};
}
constexpr FieldEntry NumberField(int id, const FieldRow& field, unsigned rules = kNoEntryRule,
                                 std::string_view name = {}) {
  return {id, field, FieldForm::Decimal, rules, 0, name, {}};
}
constexpr FieldEntry AddressField(int id, const FieldRow& field) {
  return {id, field, FieldForm::Address, kNoEntryRule, 0, {}, {}};
}
constexpr FieldEntry ListField(int id, const FieldRow& field, std::string_view name = {}) {
  return {id, field, FieldForm::List, kNoEntryRule, 0, name, {}};
}
constexpr FieldEntry CheckField(int id, const FieldRow& field, std::string_view name = {}) {
  return {id, field, FieldForm::Check, kNoEntryRule, 0, name, {}};
}
constexpr FieldEntry RadioField(int first, int second, const FieldRow& field,
                                std::array<std::uint8_t, 2> codes, std::string_view name) {
  return {first, field, FieldForm::Radio, kNoEntryRule, second, name, codes};
}

// The byte limit of an edit's text: a text field's capacity, a counted area's size; nothing for
// the other forms.
std::optional<std::size_t> ByteLimit(const FieldEntry& row);

// The row of a page that sets control `id` (a radio pair's second button included; a
// "16进制" box is no row of its own), or nullptr.
const FieldEntry* FieldOf(std::span<const FieldEntry> rows, int id);
// The counted row whose "16进制" box is `box_id`, or nullptr.
const FieldEntry* RowOfHexBox(std::span<const FieldEntry> rows, int box_id);

struct PageTable {
  std::span<const ControlEntry> controls;
  std::span<const TooltipEntry> tooltips;
  std::span<const FieldEntry> fields;  // in the order the page is collected
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
