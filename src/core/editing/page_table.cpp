#include "core/editing/page_table.h"

#include "core/editing/field_rules.h"

namespace dtu {

std::optional<std::size_t> ByteLimit(const FieldEntry& row) {
  switch (row.form) {
    case FieldForm::Text:
      return TextCapacity(row.field);
    case FieldForm::Counted:
      return CountedCapacity(row.field);
    default:
      return std::nullopt;
  }
}

const FieldEntry* FieldOf(std::span<const FieldEntry> rows, int id) {
  for (const FieldEntry& row : rows)
    if (row.id == id || (row.form == FieldForm::Radio && row.partner == id)) return &row;
  return nullptr;
}

const FieldEntry* RowOfHexBox(std::span<const FieldEntry> rows, int box_id) {
  for (const FieldEntry& row : rows)
    if (row.form == FieldForm::Counted && row.partner != 0 && row.partner == box_id) return &row;
  return nullptr;
}

}  // namespace dtu
