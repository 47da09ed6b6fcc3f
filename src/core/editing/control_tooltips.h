#pragma once

#include <optional>
#include <string>

#include "core/editing/page_table.h"

namespace dtu {

// The tooltips of the editor pages' controls. For every editable control (an edit the user may
// change, a list, a check box, a radio button) the first line says what the control sets and
// its limit, worked out from the rows that hold the checks: the page's field table (the form,
// the "16进制" box, the entry rules), the block layout (what a field can store), the page rules
// (ranges, list choices) and the field labels. So a tooltip cannot announce a limit the field
// does not have. The page's description of the control, if it has one, follows on the next
// line. "\r\n" separates lines.

// The limit of the field a row sets, as the tooltip states it: "最多16个字节（…）",
// "5 到 3600", "IPv4地址…", the list's choices, what 0 stands for; empty when there is none to
// state.
std::string FieldLimitText(const FieldEntry& row);

// The tooltip of control `id` of `page`, or nothing for a control that has none (a label, a
// group, a read-only edit without a description).
std::optional<std::string> ControlTooltip(const PageTable& page, int id);

// Whether the user can change the control: an enabled edit that is not read-only, list, check
// box or radio button.
bool IsEditableControl(const ControlEntry& control);

}  // namespace dtu
