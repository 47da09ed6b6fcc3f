#include "core/editing/field_rules.h"

#include <algorithm>
#include <cstdint>
#include <vector>

#include "core/editing/entry_rules.h"
#include "core/message_language.h"
#include "core/text/gbk_codec.h"
#include "core/text/hex_text.h"
#include "core/text/utf8_text.h"

namespace dtu {
namespace {

// Calls `visit` with each character of a UTF-8 text.
template <typename Visit>
void ForEachCharacter(std::string_view text, Visit visit) {
  for (std::size_t pos = 0; pos < text.size();) {
    const std::size_t length = DecodeUtf8At(text, pos).length;
    visit(text.substr(pos, length));
    pos += length;
  }
}

std::size_t CharacterCount(std::string_view text) {
  std::size_t count = 0;
  ForEachCharacter(text, [&](std::string_view) { ++count; });
  return count;
}

// The text without the characters GBK cannot hold; `refused` receives the first of them.
std::string WithoutUnencodable(std::string_view text, std::optional<char32_t>& refused) {
  std::string kept;
  kept.reserve(text.size());
  ForEachCharacter(text, [&](std::string_view character) {
    const GbkText gbk = Utf8ToGbk(character);
    if (gbk.ok()) {
      kept += character;
    } else if (!refused) {
      refused = gbk.unencodable;
    }
  });
  return kept;
}

std::string WithoutSpaces(std::string_view text) {
  std::string digits(text);
  std::erase(digits, ' ');
  return digits;
}

std::size_t GbkSize(std::string_view text) {
  return Utf8ToGbk(text).bytes.size();
}

}  // namespace

std::string MaxLengthMessage(std::size_t max_bytes) {
  const std::string most = std::to_string(max_bytes);
  return Say("最大长度" + most + "个字节！", "at most " + most + " bytes!");
}

std::string UnencodableCharacterMessage(char32_t c) {
  return "不能输入字符 " + DescribeCharacter(c) + "：该字符无法用GBK编码保存。";
}

FieldCheck CheckFieldText(std::string_view text, std::optional<std::size_t> max_bytes, bool hex) {
  FieldCheck check;
  check.text = WithoutUnencodable(text, check.refused);
  check.rewrite = check.refused.has_value();
  if (!max_bytes) return check;
  if (hex) {
    const std::string digits = WithoutSpaces(check.text);
    if (GbkSize(digits) > 2 * *max_bytes) {
      check.text = CutUtf8ToGbkLength(digits, 2 * *max_bytes);
      check.cut = check.rewrite = true;
    }
  } else if (GbkSize(check.text) > *max_bytes) {
    check.text = CutUtf8ToGbkLength(check.text, *max_bytes);
    check.cut = check.rewrite = true;
  }
  return check;
}

std::optional<std::string> HexToggledText(std::string_view text, bool checked) {
  if (checked) {
    if (text.empty()) return std::nullopt;
    const std::string gbk = Utf8ToGbk(text).bytes;
    const auto* data = reinterpret_cast<const std::uint8_t*>(gbk.data());
    return FormatHexDump({data, gbk.size()});
  }
  if (CharacterCount(text) < 2) return std::nullopt;
  const std::vector<std::uint8_t> bytes = ParseHexDump(Utf8ToGbk(text).bytes);
  const auto end = std::find(bytes.begin(), bytes.end(), std::uint8_t{0});
  return GbkToUtf8(std::string(bytes.begin(), end));
}

std::size_t CommandByteLength(std::string_view text, bool hex) {
  return hex ? GbkSize(WithoutSpaces(text)) / 2 : GbkSize(text);
}

std::optional<std::array<std::uint8_t, 4>> ReadAddressEntry(std::string_view text) {
  text = TrimCBlanks(text);
  if (text.empty()) return std::array<std::uint8_t, 4>{};
  return ParseDottedQuad(text);
}

std::string AddressEntryMessage(std::string_view field_name, std::string_view text) {
  return std::string(field_name) + "“" + std::string(text) +
         "”不是有效的IP地址：应为四个0到255之间的十进制数，用点隔开，例如 192.168.1.10。";
}

bool IsDecimalDigits(std::string_view text) {
  return std::ranges::all_of(text, [](char c) { return c >= '0' && c <= '9'; });
}

bool IsHexDigits(std::string_view text) {
  return std::ranges::all_of(text, [](char c) { return HexDigitValue(c) >= 0; });
}

std::optional<std::string> DeviceNumberInOtherForm(std::string_view text, bool to_identifier) {
  text = TrimCBlanks(text);
  if (text.empty()) return std::string();
  const WrittenNumber number = ReadCNumber(text, to_identifier ? 10 : 16);
  constexpr std::size_t kMaxDigits = 10;
  if (number.negative || number.digits.size() > kMaxDigits) return std::nullopt;
  std::uint64_t value = 0;
  for (char c : number.digits)
    value = value * static_cast<std::uint64_t>(number.base) +
            static_cast<std::uint64_t>(HexDigitValue(c));
  if (value > 0xFFFFFFFFu) return std::nullopt;
  const auto carried = DeviceNumberInOtherForm(static_cast<std::uint32_t>(value), to_identifier);
  if (!carried) return std::nullopt;
  return to_identifier ? FormatUpperHex(*carried) : FormatDecimal(*carried);
}

std::string DeviceNumberDroppedMessage(std::string_view identifier) {
  return "设备编号 " + std::string(identifier) +
         " 是十六进制的设备标识，大于十进制设备编号的上限 65535，无法换算，已清空，请重新填写。";
}

bool IsHexDumpCharacters(std::string_view text) {
  return std::ranges::all_of(text, [](char c) { return c == ' ' || HexDigitValue(c) >= 0; });
}

std::optional<std::string> HexDumpProblem(std::string_view text) {
  if (!IsHexDumpCharacters(text)) return "只能填写16进制数字（0-9、A-F）和空格";
  if (WithoutSpaces(text).size() % 2 != 0) return "16进制数字的个数是奇数，每个字节要两位数字";
  return std::nullopt;
}

std::string HexDumpMessage(std::string_view field_name, std::string_view problem) {
  return std::string(field_name) + "（16进制）：" + std::string(problem) + "。";
}

std::string UnitOwnValueEntry(std::uint32_t value) {
  return std::to_string(value) + "（设备当前值）";
}

std::string UnitOwnValueTooltip(std::uint32_t value) {
  return "设备当前值 " + std::to_string(value) + "：列表中没有这一项；不改选时按原值写回设备";
}

}  // namespace dtu
