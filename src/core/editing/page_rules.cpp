#include "core/editing/page_rules.h"

#include <algorithm>
#include <optional>

#include "core/editing/entry_checks.h"
#include "core/editing/field_rules.h"
#include "core/message_language.h"

namespace dtu {
namespace {

std::string Broken(std::string_view name, std::string_view what, std::string_view rule) {
  return std::string(name) + " " + std::string(what) +
         Say("不合页面的规则：", "breaks the pages' rule: ") + std::string(rule);
}

std::string ValueWord(std::uint32_t value) {
  return Say("的值 " + std::to_string(value) + " ", "value " + std::to_string(value) + " ");
}

std::string ListOf(std::span<const std::uint32_t> values) {
  std::string list;
  for (std::uint32_t value : values)
    list += (list.empty() ? "" : Say("、", ", ")) + std::to_string(value);
  return list;
}

bool ChoiceHolds(const ChoiceRule& rule, std::uint32_t value) {
  if (rule.values.empty()) return value < rule.entries;
  return std::ranges::find(rule.values, value) != rule.values.end();
}

std::string ChoiceText(const ChoiceRule& rule) {
  if (!rule.values.empty()) return Say("列表只有 ", "the list holds only ") + ListOf(rule.values);
  const std::string entries = std::to_string(rule.entries);
  const std::string last = std::to_string(rule.entries - 1);
  return Say("列表只有 " + entries + " 项（0 到 " + last + "）",
             "the list holds only " + entries + " entries (0 to " + last + ")");
}

// The number rules of one row: its range or list, or the two values of a flag.
std::optional<std::string> NumberWarning(const ParameterBlock& block, const FieldRow& row) {
  const std::uint32_t value = block.Get(row);
  for (const RangeRule& rule : kRangeRules)
    if (rule.field.offset == row.offset && !rule.Holds(value))
      return Broken(row.name, ValueWord(value),
                    rule.message.empty()
                        ? EnterRangeMessage(rule.min, rule.max)
                        : Say(std::string(rule.message), EnterRangeMessage(rule.min, rule.max)));
  for (const ChoiceRule& rule : kChoiceRules)
    if (rule.field.offset == row.offset && !ChoiceHolds(rule, value))
      return Broken(row.name, ValueWord(value), ChoiceText(rule));
  if (row.type == FieldType::Flag && value > 1)
    return Broken(row.name, ValueWord(value),
                  Say("勾选框只存 0 或 1", "a check box holds only 0 or 1"));
  return std::nullopt;
}

// A text with no 0x00 inside its field: the pages keep one byte for it.
std::optional<std::string> TextWarning(const ParameterBlock& block, const FieldRow& row) {
  const std::size_t length = block.GetText(row).size();
  if (length <= TextCapacity(row)) return std::nullopt;
  return Broken(row.name,
                Say("的 " + std::to_string(length) + " 字节", std::to_string(length) + " bytes"),
                MaxLengthMessage(TextCapacity(row)));
}

std::optional<std::string> CountWarning(const ParameterBlock& block, const CountedRow& area) {
  const std::uint32_t count = block.Get(area.length);
  if (count <= CountedCapacity(area.area)) return std::nullopt;
  return Broken(area.area.name,
                Say("的计数 " + std::to_string(count) + " ", "count " + std::to_string(count)),
                MaxLengthMessage(CountedCapacity(area.area)));
}

std::optional<std::string> RowWarning(const ParameterBlock& block, const FieldRow& row) {
  switch (row.type) {
    case FieldType::Text:
      return TextWarning(block, row);
    case FieldType::Counted:
      for (const CountedRow& area : kCountedFields)
        if (area.area.offset == row.offset) return CountWarning(block, area);
      return std::nullopt;
    case FieldType::IPv4:
    case FieldType::Reserved:
      return std::nullopt;
    default:
      return NumberWarning(block, row);
  }
}

}  // namespace

std::vector<std::string> PageRuleWarnings(const ParameterBlock& block,
                                          std::span<const std::string> members) {
  std::vector<std::string> warnings;
  for (const FieldRow& row : kBlockLayout) {
    if (std::ranges::find(members, row.name) == members.end()) continue;
    if (std::optional<std::string> warning = RowWarning(block, row))
      warnings.push_back(std::move(*warning));
  }
  return warnings;
}

}  // namespace dtu
