#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/block/parameter_block.h"
#include "core/editing/page_table.h"

namespace dtu {

// The rules by which the pages store an entry as something other than what it says, written
// once for the window, `dtuctl set` and `dtuctl import`: a device or centre number of 0 stores
// 8000, a project number of 0 keeps the one the field has, blanks around the APN and the dial
// string are not stored, and a protocol moving to or from 9 carries the device number into the
// other form (the decimal device number, or the hexadecimal identifier of bytes 95 to 98).
// Which fields follow which rule is said by the pages' field tables (FieldEntry::rules). Each
// rule that changes a value gives a note: the window's write question lists them, the command
// line prints them.

inline constexpr std::uint32_t kNumberForZero = 8000;

// A number entered into a field with `rules`: what it stores (nothing: the field keeps `old`) and
// the note when that is not the entry itself.
struct RuledNumber {
  std::optional<std::uint32_t> stored;
  std::string note;
};
RuledNumber ApplyNumberRules(unsigned rules, std::string_view name, std::uint32_t entry,
                             std::uint32_t old);

// A text entered into a field with `rules` (UTF-8 or GBK alike: blanks are ASCII in both).
struct RuledText {
  std::string text;
  std::string note;
};
RuledText ApplyTextRules(unsigned rules, std::string_view name, std::string_view text);

// The device number in the other form when the protocol moves to or from 9: the same number as
// the identifier, or the identifier as the decimal device number; nothing when it does not fit
// (an identifier above 65535).
std::optional<std::uint32_t> DeviceNumberInOtherForm(std::uint32_t value, bool to_identifier);

// The pages' row of a block field (by its layout name), whichever page shows it; nullptr for a
// field no page shows.
const FieldEntry* EditorRowOf(std::string_view field_name);

// The rules applied to a block made from a text form's members over `base` (`rows`: the layout
// rows the members gave, TextImport::rows). A member that leaves its field as `base` has it is
// no entry and keeps its value; so does every member of a text that gives all fields, which is a
// faithful copy and is not passed here. Notes name the members.
struct EntryRulesOutcome {
  std::string error;  // the change cannot be stored as meant; `block` is then not to be used
  std::vector<std::string> notes;
};
EntryRulesOutcome ApplyEntryRules(const ParameterBlock& base, ParameterBlock& block,
                                  std::span<const std::string> rows);

}  // namespace dtu
