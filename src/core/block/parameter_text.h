#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/block/parameter_block.h"

namespace dtu {

// The text form of a parameter block: a JSON object with the format tag and version first, then
// one member per field of the layout in block order, named as the layout names it. Numbers are
// JSON numbers, addresses dotted quads, texts strings (escaped as core/text/escaped_text.h says,
// trailing 0x00 bytes left out), counted areas objects {"hex", "text"} with "length" and "after"
// where the count byte or the bytes past the used ones need them, reserved areas hex digits.
// Under protocol 9 the bytes 95 to 98 are written as "device_id" in hex instead of
// "device_number" and "centre_number". `checksum` is no member: a text becomes a sealed block.
// `length` is written only when it is not 660; a text without it gives 660. Exporting a block
// and importing the text gives back all 660 bytes whenever the block's checksum holds.

inline constexpr std::string_view kTextFormTag = "dtuconfig-parameters";
inline constexpr int kTextFormVersion = 1;
// A text form is a few kilobytes; much more than this is no text form and is not read.
inline constexpr std::size_t kTextFormLimit = 1024 * 1024;

// One member of a block's text form and its value as the form writes it (compact JSON).
struct TextMember {
  std::string name;
  std::string value;
};

// A text read into a block, or why it was refused.
struct TextImport {
  std::optional<ParameterBlock> block;  // sealed; present when the text was accepted
  std::string error;                    // the first refusal: the member, its value and the rule
  std::vector<std::string> rows;        // the layout rows the text gave values to, in block order
  bool complete = false;                // the text gave every field: the base made no difference
  std::vector<std::string> warnings;    // what was taken but looks like a mistake (a counted
                                        // area's "text" that is not what its "hex" says)

  bool ok() const { return block.has_value(); }
};

// The text form, one member a line, ending with a line break.
std::string ExportBlockText(const ParameterBlock& block);

// The members of the text form in their order (without the format tag and version).
std::vector<TextMember> BlockTextMembers(const ParameterBlock& block);

// Reads a text form. Every member is checked against what its field can hold; the first that
// does not fit refuses the whole text, as do unknown and repeated members (or parts of one),
// values nested deeper than any member's and numbers too large to read. A counted area's "text"
// is not read: one that differs from its "hex" is warned about. Without a base every
// field must be given; with one, the members given replace the base block's fields.
TextImport ImportBlockText(std::string_view text, const std::optional<ParameterBlock>& base);

// Changes fields of `base` by "NAME=VALUE" assignments, with the checks of ImportBlockText. A
// VALUE is read as its member's kind reads it: a number as a JSON number, a counted area as hex
// digits (or a JSON object like the exported one), anything else as the string it is.
TextImport SetBlockFields(const ParameterBlock& base, std::span<const std::string> assignments);

// True when `name` is a member of the text form (device_id and the fields it overlays included).
bool IsBlockTextMember(std::string_view name);

// True when the bytes look like a text form rather than a parameter file: the first character
// after white space is '{'.
bool LooksLikeBlockText(std::string_view bytes);

// A member whose value differs between two blocks; "-" stands for a member one of them lacks.
struct MemberDifference {
  std::string name;
  std::string first;
  std::string second;
};

// The differing members of two blocks' text forms, in block order.
std::vector<MemberDifference> DiffBlockTexts(const ParameterBlock& first,
                                             const ParameterBlock& second);

}  // namespace dtu
