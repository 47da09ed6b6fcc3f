#include "core/editing/field_rules.h"

#include <algorithm>
#include <cstdint>
#include <vector>

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
  return "最大长度" + std::to_string(max_bytes) + "个字节！";
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

}  // namespace dtu
