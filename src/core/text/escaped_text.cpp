#include "core/text/escaped_text.h"

#include <cstdint>
#include <optional>

#include "core/text/gbk_codec.h"

namespace dtu {
namespace {

constexpr char kHexDigits[] = "0123456789ABCDEF";

void AppendByteEscape(std::string& out, std::uint8_t byte) {
  out += "\\x";
  out += kHexDigits[byte >> 4];
  out += kHexDigits[byte & 0x0F];
}

// The byte GbkToUtf8 carries as U+F780 to U+F7FF (UTF-8 EF 9E 80 to EF 9F BF) at `pos`, if any.
std::optional<std::uint8_t> CarriedByte(std::string_view utf8, std::size_t pos) {
  if (pos + 2 >= utf8.size() || static_cast<std::uint8_t>(utf8[pos]) != 0xEF) return std::nullopt;
  const auto second = static_cast<std::uint8_t>(utf8[pos + 1]);
  const auto third = static_cast<std::uint8_t>(utf8[pos + 2]);
  if (second != 0x9E && second != 0x9F) return std::nullopt;
  return static_cast<std::uint8_t>(0x80 | ((second & 0x01) << 6) | (third & 0x3F));
}

std::optional<std::uint8_t> HexValue(char c) {
  if (c >= '0' && c <= '9') return static_cast<std::uint8_t>(c - '0');
  if (c >= 'A' && c <= 'F') return static_cast<std::uint8_t>(c - 'A' + 10);
  if (c >= 'a' && c <= 'f') return static_cast<std::uint8_t>(c - 'a' + 10);
  return std::nullopt;
}

// A bad escape as a message shows it: the backslash and at most three plain ASCII characters
// after it, so that no character is ever cut.
std::string EscapeShown(std::string_view rest) {
  std::size_t end = 1;
  while (end < rest.size() && end < 4 && static_cast<std::uint8_t>(rest[end]) < 0x80 &&
         rest[end] != '\\')
    ++end;
  return std::string(rest.substr(0, end));
}

}  // namespace

std::string EscapeGbk(std::string_view gbk) {
  const std::string utf8 = GbkToUtf8(gbk);
  std::string out;
  out.reserve(utf8.size());
  for (std::size_t pos = 0; pos < utf8.size();) {
    if (const std::optional<std::uint8_t> byte = CarriedByte(utf8, pos)) {
      AppendByteEscape(out, *byte);
      pos += 3;
      continue;
    }
    if (utf8[pos] == '\0') {
      AppendByteEscape(out, 0);
    } else if (utf8[pos] == '\\') {
      out += "\\\\";
    } else {
      out += utf8[pos];
    }
    ++pos;
  }
  return out;
}

UnescapedGbk UnescapeGbk(std::string_view text) {
  UnescapedGbk result;
  std::size_t plain_start = 0;
  // Plain text runs are converted whole, so that a character is never cut.
  const auto flush_plain = [&](std::size_t end) {
    const GbkText gbk = Utf8ToGbk(text.substr(plain_start, end - plain_start));
    result.bytes += gbk.bytes;
    if (!gbk.ok())
      result.problem = "字符 " + DescribeCharacter(*gbk.unencodable) + " 无法用GBK编码保存";
    return gbk.ok();
  };
  for (std::size_t pos = 0; pos < text.size(); ++pos) {
    if (text[pos] != '\\') continue;
    if (!flush_plain(pos)) return result;
    const std::string_view rest = text.substr(pos);
    if (rest.starts_with("\\\\")) {
      result.bytes += '\\';
      pos += 1;
    } else if (rest.size() >= 4 && rest[1] == 'x' && HexValue(rest[2]) && HexValue(rest[3])) {
      result.bytes += static_cast<char>((*HexValue(rest[2]) << 4) | *HexValue(rest[3]));
      pos += 3;
    } else {
      result.problem =
          "转义 \"" + EscapeShown(rest) + "\" 无效（反斜杠后只能是 \\ 或 x 加两位十六进制数字）";
      return result;
    }
    plain_start = pos + 1;
  }
  flush_plain(text.size());
  return result;
}

}  // namespace dtu
