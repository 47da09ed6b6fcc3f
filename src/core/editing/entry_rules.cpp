#include "core/editing/entry_rules.h"

#include <algorithm>
#include <array>

#include "core/block/block_codes.h"
#include "core/editing/gprs_page_table.h"
#include "core/editing/serial_page_table.h"
#include "core/editing/sms_page_table.h"
#include "core/message_language.h"
#include "core/text/hex_text.h"

namespace dtu {
namespace {

constexpr std::uint32_t kMaxDeviceNumber = 0xFFFF;

bool Given(std::span<const std::string> rows, std::string_view name) {
  return std::ranges::find(rows, name) != rows.end();
}

bool SameBytes(const ParameterBlock& a, const ParameterBlock& b, const FieldRow& field) {
  return std::ranges::equal(a.Area(field), b.Area(field));
}

std::string CarriedNote(bool to_identifier, std::uint32_t from, std::uint32_t to) {
  if (to_identifier)
    return Say("device_id：协议改为 9，设备编号 " + FormatDecimal(from) +
                   " 按页面的规则写为十六进制设备标识 " + FormatUpperHex(to),
               "device_id: the protocol became 9, so by the pages' rule the device number " +
                   FormatDecimal(from) + " is written as the hex device identifier " +
                   FormatUpperHex(to));
  return Say("device_number：协议不再是 9，设备标识 " + FormatUpperHex(from) +
                 " 按页面的规则写为十进制设备编号 " + FormatDecimal(to),
             "device_number: the protocol is no longer 9, so by the pages' rule the device "
             "identifier " +
                 FormatUpperHex(from) + " is written as the decimal device number " +
                 FormatDecimal(to));
}

// Between protocol 9 and any other the same device number moves into the other form, as the
// network page converts its field when another protocol is chosen.
std::string CarryDeviceNumber(const ParameterBlock& base, ParameterBlock& block,
                              std::vector<std::string>& notes) {
  const bool to_identifier = ProtocolEditsDeviceId(block.protocol());
  const std::uint32_t from = to_identifier ? base.device_number() : base.device_id();
  const std::optional<std::uint32_t> to = DeviceNumberInOtherForm(from, to_identifier);
  if (!to)
    return Say("protocol：协议不再是 9，设备标识 " + FormatUpperHex(from) +
                   " 大于十进制设备编号的上限 65535，无法换算；请同时给出 device_number",
               "protocol: the protocol is no longer 9 and the device identifier " +
                   FormatUpperHex(from) +
                   " is above 65535, the largest decimal device number, so it cannot be "
                   "carried over; give device_number as well");
  if (to_identifier) {
    block.set_device_id(*to);
  } else {
    const RuledNumber ruled =
        ApplyNumberRules(EditorRowOf(field::device_number.name)->rules, field::device_number.name,
                         *to, base.device_number());
    block.set_device_number(static_cast<std::uint16_t>(ruled.stored.value_or(*to)));
    if (!ruled.note.empty()) notes.push_back(ruled.note);
  }
  notes.push_back(CarriedNote(to_identifier, from, *to));
  return {};
}

void ApplyRowRules(const FieldEntry& row, std::string_view name, const ParameterBlock& base,
                   ParameterBlock& block, std::vector<std::string>& notes) {
  std::string note;
  if (row.form == FieldForm::Text) {
    const RuledText ruled = ApplyTextRules(row.rules, name, block.GetText(row.field));
    if (ruled.note.empty()) return;
    std::ranges::fill(block.Area(row.field), std::uint8_t{0});
    block.SetText(row.field, ruled.text);
    note = ruled.note;
  } else if (row.form == FieldForm::Decimal || row.form == FieldForm::DeviceNumber) {
    // The decimal numbers of bytes 95 to 98 follow their rules only where they are numbers.
    const bool overlaid = row.form == FieldForm::DeviceNumber || row.Has(kWithoutDeviceId);
    if (overlaid && ProtocolEditsDeviceId(block.protocol())) return;
    const RuledNumber ruled =
        ApplyNumberRules(row.rules, name, block.Get(row.field), base.Get(row.field));
    block.Set(row.field, ruled.stored.value_or(base.Get(row.field)));
    note = ruled.note;
  }
  if (!note.empty()) notes.push_back(note);
}

}  // namespace

RuledNumber ApplyNumberRules(unsigned rules, std::string_view name, std::uint32_t entry,
                             std::uint32_t old) {
  RuledNumber ruled{entry, {}};
  if (entry != 0) return ruled;
  if ((rules & kZeroStores8000) != 0) {
    ruled.stored = kNumberForZero;
    ruled.note = std::string(name) +
                 Say("：0 按页面的规则写为 ", ": by the pages' rule 0 is written as ") +
                 FormatDecimal(kNumberForZero);
  } else if ((rules & kZeroKeepsField) != 0) {
    ruled.stored.reset();
    ruled.note = std::string(name) +
                 Say("：0 按页面的规则不写入，保留原来的 ",
                     ": by the pages' rule 0 is not written, the field keeps its ") +
                 FormatDecimal(old);
  }
  return ruled;
}

RuledText ApplyTextRules(unsigned rules, std::string_view name, std::string_view text) {
  RuledText ruled{std::string(text), {}};
  if ((rules & kTrimBlanks) == 0) return ruled;
  const std::string_view trimmed = TrimCBlanks(text);
  if (trimmed.size() == text.size()) return ruled;
  ruled.text = std::string(trimmed);
  ruled.note = std::string(name) +
               Say("：首尾的空白按页面的规则不写入，写为“" + ruled.text + "”",
                   ": by the pages' rule the blanks around it are not written, it is written "
                   "as \"" +
                       ruled.text + "\"");
  return ruled;
}

std::optional<std::uint32_t> DeviceNumberInOtherForm(std::uint32_t value, bool to_identifier) {
  if (!to_identifier && value > kMaxDeviceNumber) return std::nullopt;
  return value;
}

const FieldEntry* EditorRowOf(std::string_view field_name) {
  for (const PageTable* table : {&kGprsPageTable, &kSmsPageTable, &kSerialPageTable})
    for (const FieldEntry& row : table->fields)
      if (row.field.name == field_name) return &row;
  return nullptr;
}

EntryRulesOutcome ApplyEntryRules(const ParameterBlock& base, ParameterBlock& block,
                                  std::span<const std::string> rows) {
  EntryRulesOutcome outcome;
  const bool numbers_given =
      Given(rows, field::device_number.name) || Given(rows, field::centre_number.name);
  const bool form_changed =
      ProtocolEditsDeviceId(base.protocol()) != ProtocolEditsDeviceId(block.protocol());
  if (Given(rows, field::protocol.name) && form_changed && !numbers_given) {
    outcome.error = CarryDeviceNumber(base, block, outcome.notes);
    if (!outcome.error.empty()) return outcome;
  }
  for (const std::string& name : rows) {
    const FieldEntry* row = EditorRowOf(name);
    if (row == nullptr || SameBytes(base, block, row->field)) continue;
    ApplyRowRules(*row, name, base, block, outcome.notes);
  }
  SealBlock(block);
  return outcome;
}

}  // namespace dtu
