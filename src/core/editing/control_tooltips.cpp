#include "core/editing/control_tooltips.h"

#include <algorithm>
#include <string_view>

#include "core/editing/field_labels.h"
#include "core/editing/field_rules.h"
#include "core/editing/page_rules.h"

namespace dtu {
namespace {

constexpr std::string_view kLineBreak = "\r\n";
constexpr std::string_view kHexBoxText = "16进制";

template <typename Entry>
const Entry* FindById(std::span<const Entry> entries, int id) {
  const auto found =
      std::find_if(entries.begin(), entries.end(), [id](const Entry& e) { return e.id == id; });
  return found == entries.end() ? nullptr : &*found;
}

const ControlEntry* FindControl(const PageTable& page, int id) {
  return FindById(page.controls, id);
}

const FieldLimit* LimitOfField(const PageTable& page, int field_id) {
  for (const FieldLimit& limit : page.limits)
    if (limit.field == field_id) return &limit;
  return nullptr;
}

const FieldLimit* LimitOfHexBox(const PageTable& page, int box_id) {
  for (const FieldLimit& limit : page.limits)
    if (limit.hex_box != 0 && limit.hex_box == box_id) return &limit;
  return nullptr;
}

const ControlField* FieldOf(const PageTable& page, int id) {
  return FindById(page.fields, id);
}

std::string NameOf(const ControlField& control) {
  return std::string(control.name.empty() ? FieldLabel(control.field) : control.name);
}

std::string Number(std::uint32_t value) {
  return std::to_string(value);
}

std::string BytesText(const FieldLimit& limit) {
  std::string text =
      "最多" + Number(static_cast<std::uint32_t>(limit.max_bytes)) + "个字节（一个汉字占2个字节";
  if (limit.hex_box != 0) text += "；勾选“" + std::string(kHexBoxText) + "”时按字节数计";
  return text + "）";
}

std::string RangeText(const RangeRule& rule) {
  std::string text = Number(rule.min) + " 到 " + Number(rule.max);
  if (rule.zero_switches_off) text = "0（不使用）或 " + text;
  return text;
}

std::string ChoiceText(const ChoiceRule& rule) {
  if (rule.values.empty())
    return "从列表的" + Number(static_cast<std::uint32_t>(rule.entries)) + "项中选择";
  std::string text = "可选 ";
  for (std::size_t i = 0; i < rule.values.size(); ++i)
    text += (i == 0 ? "" : "、") + Number(rule.values[i]);
  return text;
}

const RangeRule* RangeOf(const FieldRow& field) {
  for (const RangeRule& rule : kRangeRules)
    if (rule.field.offset == field.offset && rule.field.size == field.size) return &rule;
  return nullptr;
}

const ChoiceRule* ChoiceOf(const FieldRow& field) {
  for (const ChoiceRule& rule : kChoiceRules)
    if (rule.field.offset == field.offset) return &rule;
  return nullptr;
}

std::string NumberText(const FieldRow& field) {
  if (const RangeRule* rule = RangeOf(field)) return RangeText(*rule);
  return "0 到 " + Number(FieldMaxValue(field));
}

// The first line of an editable control's tooltip.
std::string SettingLine(const PageTable& page, const ControlEntry& entry,
                        const ControlField& control) {
  const std::string name = NameOf(control);
  if (entry.kind == ControlKind::Radio) return name + "：选择“" + std::string(entry.text) + "”";
  if (entry.kind == ControlKind::CheckBox && control.field.type == FieldType::Flag)
    return name + "：勾选为启用，不勾选为不启用";
  const std::string limit = FieldLimitText(page, control);
  return limit.empty() ? name : name + "：" + limit;
}

// A "16进制" box: what it switches and the field's limit counted in bytes.
std::string HexBoxLine(const PageTable& page, const FieldLimit& limit) {
  const ControlField* field = FieldOf(page, limit.field);
  const std::string name = field != nullptr ? NameOf(*field) : std::string();
  return std::string(kHexBoxText) + "：勾选后" + name +
         "以16进制字节显示和输入（每字节两位数字，如“41 42”），最多" +
         Number(static_cast<std::uint32_t>(limit.max_bytes)) + "个字节";
}

}  // namespace

bool IsEditableControl(const ControlEntry& control) {
  switch (control.kind) {
    case ControlKind::Edit:
      return (control.flags & (kReadOnly | kDisabled)) == 0;
    case ControlKind::List:
    case ControlKind::CheckBox:
    case ControlKind::Radio:
      return (control.flags & kDisabled) == 0;
    default:
      return false;
  }
}

std::string FieldLimitText(const PageTable& page, const ControlField& control) {
  if (const FieldLimit* limit = LimitOfField(page, control.id)) return BytesText(*limit);
  switch (control.field.type) {
    case FieldType::IPv4:
      return "IPv4地址，以点分隔的四个 0 到 255 的数，如 192.168.1.10";
    case FieldType::Text:
      return "最多" + Number(static_cast<std::uint32_t>(TextCapacity(control.field))) + "个字节";
    case FieldType::Counted:
      return "最多" + Number(static_cast<std::uint32_t>(CountedCapacity(control.field))) + "个字节";
    case FieldType::Reserved:
      return {};
    default:
      break;
  }
  if (const ChoiceRule* rule = ChoiceOf(control.field)) return ChoiceText(*rule);
  return NumberText(control.field);
}

std::optional<std::string> ControlTooltip(const PageTable& page, int id) {
  std::string text;
  if (const FieldLimit* limit = LimitOfHexBox(page, id)) {
    text = HexBoxLine(page, *limit);
  } else if (const ControlField* field = FieldOf(page, id)) {
    if (const ControlEntry* entry = FindControl(page, id); entry && IsEditableControl(*entry))
      text = SettingLine(page, *entry, *field);
  }
  if (const TooltipEntry* description = FindById(page.tooltips, id)) {
    if (!text.empty()) text += kLineBreak;
    text += description->text;
  }
  if (text.empty()) return std::nullopt;
  return text;
}

}  // namespace dtu
