#include "core/text/escaped_text.h"

#include <cstdint>
#include <optional>

#include "core/message_language.h"
#include "core/text/gbk_codec.h"
#include "core/text/hex_text.h"
#include "core/text/utf8_text.h"

namespace dtu {
namespace {

void AppendByteEscape(std::string& out, std::uint8_t byte) {
  out += "\\x";
  AppendHexPair(out, byte);
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
    const Utf8Char c = DecodeUtf8At(utf8, pos);
    if (const std::optional<std::uint8_t> byte = CarriedGbkByte(c.code)) {
      AppendByteEscape(out, *byte);
      pos += c.length;
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
      result.problem =
          Say("字符 " + DescribeCharacter(*gbk.unencodable) + " 无法用GBK编码保存",
              "the character " + DescribeCharacter(*gbk.unencodable) + " cannot be kept in GBK");
    return gbk.ok();
  };
  for (std::size_t pos = 0; pos < text.size(); ++pos) {
    if (text[pos] != '\\') continue;
    if (!flush_plain(pos)) return result;
    const std::string_view rest = text.substr(pos);
    if (rest.starts_with("\\\\")) {
      result.bytes += '\\';
      pos += 1;
    } else if (rest.size() >= 4 && rest[1] == 'x' && HexDigitValue(rest[2]) >= 0 &&
               HexDigitValue(rest[3]) >= 0) {
      result.bytes += static_cast<char>(HexPairToByte(rest[2], rest[3]));
      pos += 3;
    } else {
      result.problem = Say(
          "转义 \"" + EscapeShown(rest) + "\" 无效（反斜杠后只能是 \\ 或 x 加两位十六进制数字）",
          "the escape \"" + EscapeShown(rest) +
              "\" is not valid (a backslash is followed only by \\ or x and two hex digits)");
      return result;
    }
    plain_start = pos + 1;
  }
  flush_plain(text.size());
  return result;
}

}  // namespace dtu
