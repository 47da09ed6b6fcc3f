#include "core/editing/control_tooltips.h"

#include <algorithm>
#include <string_view>

#include "core/block/block_codes.h"
#include "core/editing/entry_rules.h"
#include "core/editing/field_codec.h"
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

std::string Number(std::uint32_t value) {
  return std::to_string(value);
}

std::string BytesText(std::size_t max_bytes, bool hex_box) {
  std::string text =
      "最多" + Number(static_cast<std::uint32_t>(max_bytes)) + "个字节（一个汉字占2个字节";
  if (hex_box) text += "；勾选“" + std::string(kHexBoxText) + "”时按字节数计";
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

// What an entry of 0 stands for, where the rules make it stand for something.
std::string ZeroText(const FieldEntry& row) {
  if (row.Has(kZeroStores8000)) return "（填 0 时写入 " + Number(kNumberForZero) + "）";
  if (row.Has(kZeroKeepsField)) return "（填 0 时不写入，保留原来的值）";
  return {};
}

std::string NumberText(const FieldEntry& row) {
  const std::string zero = ZeroText(row);
  if (const RangeRule* rule = RangeOf(row.field)) return RangeText(*rule) + zero;
  return "0 到 " + Number(FieldMaxValue(row.field)) + zero;
}

std::string DeviceNumberText(const FieldEntry& row) {
  return NumberText(row) + "；协议为“" + std::string(kProtocolCodes[9].list_entry) +
         "”时为十六进制的设备标识，最多8位";
}

// The first line of an editable control's tooltip.
std::string SettingLine(const ControlEntry& entry, const FieldEntry& row) {
  const std::string name = EntryName(row);
  if (entry.kind == ControlKind::Radio) return name + "：选择“" + std::string(entry.text) + "”";
  if (entry.kind == ControlKind::CheckBox && row.field.type == FieldType::Flag)
    return name + "：勾选为启用，不勾选为不启用";
  const std::string limit = FieldLimitText(row);
  return limit.empty() ? name : name + "：" + limit;
}

// A "16进制" box: what it switches and the field's limit counted in bytes.
std::string HexBoxLine(const FieldEntry& row) {
  return std::string(kHexBoxText) + "：勾选后" + EntryName(row) +
         "以16进制字节显示和输入（每字节两位数字，如“41 42”），最多" +
         Number(static_cast<std::uint32_t>(ByteLimit(row).value_or(0))) + "个字节";
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

std::string FieldLimitText(const FieldEntry& row) {
  switch (row.form) {
    case FieldForm::Text:
    case FieldForm::Counted:
      return BytesText(ByteLimit(row).value_or(0), row.partner != 0);
    case FieldForm::Address:
      return "IPv4地址，以点分隔的四个 0 到 255 的数，如 192.168.1.10";
    case FieldForm::DeviceNumber:
      return DeviceNumberText(row);
    case FieldForm::Decimal:
      return NumberText(row);
    default:
      break;
  }
  if (const ChoiceRule* rule = ChoiceOf(row.field)) return ChoiceText(*rule);
  return {};
}

std::optional<std::string> ControlTooltip(const PageTable& page, int id) {
  std::string text;
  if (const FieldEntry* counted = RowOfHexBox(page.fields, id)) {
    text = HexBoxLine(*counted);
  } else if (const FieldEntry* row = FieldOf(page.fields, id)) {
    if (const ControlEntry* entry = FindControl(page, id); entry && IsEditableControl(*entry))
      text = SettingLine(*entry, *row);
  }
  if (const TooltipEntry* description = FindById(page.tooltips, id)) {
    if (!text.empty()) text += kLineBreak;
    text += description->text;
  }
  if (text.empty()) return std::nullopt;
  return text;
}

}  // namespace dtu
