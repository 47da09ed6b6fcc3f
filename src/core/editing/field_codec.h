#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "core/block/parameter_block.h"
#include "core/editing/page_table.h"

namespace dtu {

// What a page's control shows of its block field and what its entry stores, row by row as the
// page's field table says (FieldEntry), free of any widget. Texts are UTF-8 as the controls hold
// them; the block holds GBK. The pages apply this to their widgets: a load shows every row, a
// collection stores every row the user has changed since the load.

// What messages and tooltips call the row's field: its row name, else its field's label.
std::string EntryName(const FieldEntry& row);

// The text an edit shows for its field: a text as it is, a counted area as the hex dump of its
// used bytes, a number in decimal, the device number in decimal or under protocol 9 the
// identifier in hex, an address as a.b.c.d.
std::string ShownText(const FieldEntry& row, const ParameterBlock& block);

// A list: the entry that stands for a value, or nothing when none does (the list then shows the
// value as the unit's own, UnitOwnValueEntry); the value an entry stands for.
std::optional<std::size_t> ChoiceEntry(const FieldEntry& row, std::uint32_t value);
std::optional<std::uint32_t> ChoiceValue(const FieldEntry& row, std::size_t entry);

// A radio pair: whether the first button stands for the value (any other value shows the
// second).
inline bool ShowsFirstButton(const FieldEntry& row, std::uint32_t value) {
  return value == row.codes[0];
}

// Whether a collection stores the row into `block` at all: not a field that is only shown, nor
// the centre number while the protocol (as `block` now holds it) has the identifier instead.
bool RowIsStored(const FieldEntry& row, const ParameterBlock& block);

// Copies the bytes a row shows from one block into another (a counted area with its count, the
// device number as `from` reads it): a row the user has left as it was loaded gets back the
// loaded bytes.
void CopyRowBytes(const FieldEntry& row, const ParameterBlock& from, ParameterBlock& to);

// What storing an edit's text came to.
struct EntryOutcome {
  std::optional<std::string> refusal;  // why nothing was stored, naming the field
  std::string substitution;            // what was stored in place of what the text says, for
                                       // the write question; empty when it is the text itself
  bool ok() const { return !refusal.has_value(); }
};

// Stores what an edit holds into its field of `block` by the row's form and rules; `hex` says
// whether a counted field's "16进制" box is checked. An entry that would be stored as something
// other than it says is refused (letters in a number, a number beyond its field or its range,
// a text longer than its field, a dump that is not whole bytes), except where the row's rules
// make it stand for something (0 for 8000, 0 keeping the field, blanks around a text), which
// the substitution then says. A refusal stores nothing.
EntryOutcome StoreEntry(const FieldEntry& row, std::string_view text, bool hex,
                        ParameterBlock& block);

// Stores a list's, check box's or radio pair's value.
inline void StoreCode(const FieldEntry& row, std::uint32_t value, ParameterBlock& block) {
  block.Set(row.field, value);
}

// "端口的数值 70000 超出范围（最大 65535）。"
std::string OutOfWidthMessage(std::string_view name, std::string_view digits, std::uint32_t max,
                              int base);

// "接入点名称（APN）中的字符 "😀" (U+1F600) 无法用GBK编码保存，请修改。"
std::string UnencodableEntryMessage(std::string_view name, char32_t c);

}  // namespace dtu
