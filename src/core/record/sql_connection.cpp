#include "core/record/sql_connection.h"

#include <charconv>

#include "core/message_language.h"

namespace dtu {

std::int64_t SqlRow::Int(std::size_t column) const {
  return OptionalInt(column).value_or(0);
}

std::optional<std::int64_t> SqlRow::OptionalInt(std::size_t column) const {
  const std::optional<std::string>& cell = cells_.at(column);
  if (!cell) return std::nullopt;
  std::int64_t value = 0;
  const auto [end, error] = std::from_chars(cell->data(), cell->data() + cell->size(), value);
  if (error != std::errc() || end != cell->data() + cell->size())
    throw SqlFailure(RecordFailure::NotARecord,
                     Say("记录中的一个数不是数：", "a number in the record is not one: ") + *cell);
  return value;
}

}  // namespace dtu
