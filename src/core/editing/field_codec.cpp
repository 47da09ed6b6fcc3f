#include "core/editing/field_codec.h"

#include <algorithm>
#include <vector>

#include "core/block/block_codes.h"
#include "core/editing/entry_checks.h"
#include "core/editing/entry_rules.h"
#include "core/editing/field_labels.h"
#include "core/editing/field_rules.h"
#include "core/editing/page_rules.h"
#include "core/text/gbk_codec.h"
#include "core/text/hex_text.h"
#include "core/text/utf8_text.h"

namespace dtu {
namespace {

constexpr std::size_t kMaxIdDigits = 8;  // bytes 95 to 98

const ChoiceRule* ChoiceOf(const FieldRow& field) {
  for (const ChoiceRule& rule : kChoiceRules)
    if (rule.field.offset == field.offset) return &rule;
  return nullptr;
}

const RangeRule* RangeOf(const FieldRow& field) {
  for (const RangeRule& rule : kRangeRules)
    if (rule.field.offset == field.offset && rule.field.size == field.size) return &rule;
  return nullptr;
}

EntryOutcome Refused(std::string message) {
  EntryOutcome outcome;
  outcome.refusal = std::move(message);
  return outcome;
}

EntryOutcome Stored(std::string substitution = {}) {
  EntryOutcome outcome;
  outcome.substitution = std::move(substitution);
  return outcome;
}

// The digits of a whole-number entry in `base`, blanks around them allowed; nothing for an
// empty text or any other character (a sign, a letter, a 0x prefix).
std::optional<WrittenNumber> ReadDigits(std::string_view text, int base) {
  text = TrimCBlanks(text);
  if (text.empty()) return std::nullopt;
  WrittenNumber number;
  number.base = base;
  for (char c : text) {
    const int value = HexDigitValue(c);
    if (value < 0 || value >= base) return std::nullopt;
    if (number.digits.empty() && value == 0) continue;  // no leading zeros
    number.digits += static_cast<char>(c >= 'a' ? c - 'a' + 'A' : c);
  }
  return number;
}

std::optional<std::uint32_t> ValueWithin(const WrittenNumber& number, std::uint32_t max) {
  constexpr std::size_t kMaxDigits = 12;  // more than any 32-bit value needs in either base
  if (number.digits.size() > kMaxDigits) return std::nullopt;
  std::uint64_t value = 0;
  for (char c : number.digits)
    value = value * static_cast<std::uint64_t>(number.base) +
            static_cast<std::uint64_t>(HexDigitValue(c));
  if (value > max) return std::nullopt;
  return static_cast<std::uint32_t>(value);
}

std::string NotANumberMessage(std::string_view name, std::string_view text, int base) {
  const std::string quoted = "“" + std::string(text) + "”";
  if (TrimCBlanks(text).empty()) return std::string(name) + "没有填写：请填写一个数。";
  if (base == 16)
    return std::string(name) + quoted + "不是十六进制数：设备标识只能填写 0-9、A-F，最多 " +
           std::to_string(kMaxIdDigits) + " 位。";
  return std::string(name) + quoted + "不是十进制数：只能填写数字 0-9。";
}

std::string RangeRuleMessage(const FieldEntry& row, const RangeRule& rule) {
  const std::string message =
      rule.message.empty() ? EnterRangeMessage(rule.min, rule.max) : std::string(rule.message);
  // A field checked as the user leaves it has a message without its name; at collection the
  // field is named.
  if (row.Has(kCheckedOnLeaving)) return EntryName(row) + "：" + message;
  return message;
}

// A number of `base` within 0 to `max` and the row's range rule, then its zero rules.
EntryOutcome StoreNumber(const FieldEntry& row, const FieldRow& field, std::string_view text,
                         int base, std::uint32_t max, ParameterBlock& block) {
  const std::string name = EntryName(row);
  const std::optional<WrittenNumber> number = ReadDigits(text, base);
  if (!number) return Refused(NotANumberMessage(name, text, base));
  const std::optional<std::uint32_t> value = ValueWithin(*number, max);
  if (!value) return Refused(OutOfWidthMessage(name, number->digits, max, base));
  if (const RangeRule* rule = RangeOf(field); rule != nullptr && !rule->Holds(*value))
    return Refused(RangeRuleMessage(row, *rule));
  const RuledNumber ruled = ApplyNumberRules(row.rules, name, *value, block.Get(field));
  if (ruled.stored) block.Set(field, *ruled.stored);
  return Stored(ruled.note);
}

std::optional<std::string> GbkOf(const FieldEntry& row, std::string_view utf8,
                                 std::string& refusal) {
  GbkText gbk = Utf8ToGbk(utf8);
  if (gbk.ok()) return std::move(gbk.bytes);
  refusal = UnencodableEntryMessage(EntryName(row), *gbk.unencodable);
  return std::nullopt;
}

std::string TooLongMessage(std::string_view name, std::size_t bytes, std::size_t max) {
  return std::string(name) + "最多" + std::to_string(max) + "个字节，填写的有" +
         std::to_string(bytes) + "个字节。";
}

EntryOutcome StoreText(const FieldEntry& row, std::string_view text, ParameterBlock& block) {
  const RuledText ruled = ApplyTextRules(row.rules, EntryName(row), text);
  std::string refusal;
  const std::optional<std::string> gbk = GbkOf(row, ruled.text, refusal);
  if (!gbk) return Refused(refusal);
  if (gbk->size() > TextCapacity(row.field))
    return Refused(TooLongMessage(EntryName(row), gbk->size(), TextCapacity(row.field)));
  block.SetText(row.field, *gbk);
  return Stored(ruled.note);
}

const CountedRow& CountedOf(const FieldRow& area) {
  return *std::ranges::find_if(kCountedFields,
                               [&](const CountedRow& c) { return c.area.offset == area.offset; });
}

EntryOutcome StoreCounted(const FieldEntry& row, std::string_view text, bool hex,
                          ParameterBlock& block) {
  const CountedRow& counted = CountedOf(row.field);
  if (text.empty()) {
    if (row.Has(kEmptyClearsArea) || row.Has(kEmptyZeroesCount)) block.Set(counted.length, 0);
    if (row.Has(kEmptyClearsArea)) block.Area(counted.area)[0] = 0;
    return Stored();
  }
  std::string refusal;
  const std::optional<std::string> gbk = GbkOf(row, text, refusal);
  if (!gbk) return Refused(refusal);
  std::vector<std::uint8_t> bytes;
  if (hex) {
    // Only whole bytes of hex digits: a foreign character or an odd digit would be read as
    // something the user never wrote.
    if (const auto problem = HexDumpProblem(text))
      return Refused(HexDumpMessage(EntryName(row), *problem));
    bytes = ParseHexDump(*gbk);
  } else {
    bytes.assign(gbk->begin(), gbk->end());
  }
  if (bytes.size() > counted.area.size)
    return Refused(TooLongMessage(EntryName(row), bytes.size(), counted.area.size));
  block.SetCounted(counted, bytes);
  return Stored();
}

EntryOutcome StoreAddress(const FieldEntry& row, std::string_view text, ParameterBlock& block) {
  const auto address = ReadAddressEntry(text);
  if (!address) return Refused(AddressEntryMessage(EntryName(row), text));
  block.SetIPv4(row.field, *address);
  return Stored();
}

}  // namespace

std::string EntryName(const FieldEntry& row) {
  return std::string(row.name.empty() ? FieldLabel(row.field) : row.name);
}

std::string ShownText(const FieldEntry& row, const ParameterBlock& block) {
  switch (row.form) {
    case FieldForm::Text:
      return GbkToUtf8(block.GetText(row.field));
    case FieldForm::Counted:
      return FormatHexDump(block.GetCounted(CountedOf(row.field)));
    case FieldForm::DeviceNumber:
      // Under protocol 9 bytes 95 to 98 are one hexadecimal identifier, typed with its letters.
      if (ProtocolEditsDeviceId(block.protocol())) return FormatUpperHex(block.device_id());
      return FormatDecimal(block.device_number());
    case FieldForm::Address:
      return FormatDottedIPv4(block.GetIPv4(row.field));
    default:
      return FormatDecimal(block.Get(row.field));
  }
}

std::optional<std::size_t> ChoiceEntry(const FieldEntry& row, std::uint32_t value) {
  const ChoiceRule* rule = ChoiceOf(row.field);
  if (rule == nullptr) return std::nullopt;
  if (rule->values.empty()) {
    if (value < rule->entries) return value;
    return std::nullopt;
  }
  const auto found = std::ranges::find(rule->values, value);
  if (found == rule->values.end()) return std::nullopt;
  return static_cast<std::size_t>(found - rule->values.begin());
}

std::optional<std::uint32_t> ChoiceValue(const FieldEntry& row, std::size_t entry) {
  const ChoiceRule* rule = ChoiceOf(row.field);
  if (rule == nullptr) return std::nullopt;
  if (rule->values.empty()) {
    if (entry < rule->entries) return static_cast<std::uint32_t>(entry);
    return std::nullopt;
  }
  if (entry < rule->values.size()) return rule->values[entry];
  return std::nullopt;
}

void CopyRowBytes(const FieldEntry& row, const ParameterBlock& from, ParameterBlock& to) {
  const auto copy = [&](const FieldRow& field) {
    std::ranges::copy(from.Area(field), to.Area(field).begin());
  };
  if (row.form == FieldForm::DeviceNumber && ProtocolEditsDeviceId(from.protocol())) {
    copy(field::device_id);
    return;
  }
  copy(row.field);
  if (row.form == FieldForm::Counted) copy(CountedOf(row.field).length);
}

bool RowIsStored(const FieldEntry& row, const ParameterBlock& block) {
  if (row.Has(kShownOnly)) return false;
  return !(row.Has(kWithoutDeviceId) && ProtocolEditsDeviceId(block.protocol()));
}

EntryOutcome StoreEntry(const FieldEntry& row, std::string_view text, bool hex,
                        ParameterBlock& block) {
  switch (row.form) {
    case FieldForm::Text:
      return StoreText(row, text, block);
    case FieldForm::Counted:
      return StoreCounted(row, text, hex, block);
    case FieldForm::Address:
      return StoreAddress(row, text, block);
    case FieldForm::DeviceNumber:
      if (ProtocolEditsDeviceId(block.protocol()))
        return StoreNumber(row, field::device_id, text, 16, FieldMaxValue(field::device_id), block);
      return StoreNumber(row, field::device_number, text, 10, FieldMaxValue(field::device_number),
                         block);
    case FieldForm::Decimal:
      return StoreNumber(row, row.field, text, 10, FieldMaxValue(row.field), block);
    default:
      return Stored();  // lists, boxes and radios store codes (StoreCode)
  }
}

std::string OutOfWidthMessage(std::string_view name, std::string_view digits, std::uint32_t max,
                              int base) {
  constexpr std::size_t kShownDigits = 20;
  std::string shown = digits.empty() ? std::string("0") : std::string(digits);
  if (shown.size() > kShownDigits) shown = shown.substr(0, kShownDigits) + "…";
  return std::string(name) + "的数值 " + shown + " 超出范围（最大 " +
         (base == 16 ? FormatUpperHex(max) : FormatDecimal(max)) + "）。";
}

std::string UnencodableEntryMessage(std::string_view name, char32_t c) {
  return std::string(name) + "中的字符 " + DescribeCharacter(c) + " 无法用GBK编码保存，请修改。";
}

}  // namespace dtu
