#include "core/text/gbk_codec.h"

#include <iconv.h>

#include <array>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <utility>

#include "core/text/utf8_text.h"

namespace dtu {
namespace {

constexpr char32_t kEscapeBase = 0xF700;  // U+F700 + byte stands for a byte that is no character

// One iconv conversion descriptor per thread and direction, opened on first use.
class Converter {
 public:
  Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
  ~Converter() {
    if (valid()) iconv_close(cd_);
  }
  Converter(const Converter&) = delete;
  Converter& operator=(const Converter&) = delete;

  // Converts one whole character; nothing when the target cannot hold it.
  std::optional<std::string> Convert(std::string_view in) {
    if (!valid()) return std::nullopt;
    iconv(cd_, nullptr, nullptr, nullptr, nullptr);  // reset the shift state
    std::array<char, 16> out{};
    char* in_ptr = const_cast<char*>(in.data());
    std::size_t in_left = in.size();
    char* out_ptr = out.data();
    std::size_t out_left = out.size();
    if (iconv(cd_, &in_ptr, &in_left, &out_ptr, &out_left) == static_cast<std::size_t>(-1) ||
        in_left != 0)
      return std::nullopt;
    return std::string(out.data(), out.size() - out_left);
  }

 private:
  bool valid() const { return cd_ != reinterpret_cast<iconv_t>(-1); }
  iconv_t cd_;
};

Converter& ToGbk() {
  thread_local Converter converter("GBK", "UTF-8");
  return converter;
}

Converter& FromGbk() {
  thread_local Converter converter("UTF-8", "GBK");
  return converter;
}

bool IsLeadByte(std::uint8_t b) {
  return b >= 0x81 && b <= 0xFE;
}
bool IsTrailByte(std::uint8_t b) {
  return b >= 0x40 && b <= 0xFE && b != 0x7F;
}

// The byte length of the GBK character at `pos`: 2 for a lead byte with a trail byte, else 1.
std::size_t GbkCharLength(std::string_view gbk, std::size_t pos) {
  const auto lead = static_cast<std::uint8_t>(gbk[pos]);
  if (IsLeadByte(lead) && pos + 1 < gbk.size() &&
      IsTrailByte(static_cast<std::uint8_t>(gbk[pos + 1])))
    return 2;
  return 1;
}

}  // namespace

GbkText Utf8ToGbk(std::string_view utf8) {
  GbkText result;
  result.bytes.reserve(utf8.size());
  for (std::size_t pos = 0; pos < utf8.size();) {
    const auto [c, length] = DecodeUtf8At(utf8, pos);
    if (c < 0x80) {
      result.bytes += static_cast<char>(c);
    } else if (const std::optional<std::uint8_t> carried = CarriedGbkByte(c)) {
      result.bytes += static_cast<char>(*carried);
    } else if (auto gbk = c == kReplacementCharacter ? std::nullopt
                                                     : ToGbk().Convert(utf8.substr(pos, length))) {
      result.bytes += *gbk;
    } else {
      result.unencodable = c;
      return result;
    }
    pos += length;
  }
  return result;
}

std::string GbkToUtf8(std::string_view gbk) {
  std::string out;
  out.reserve(gbk.size() * 3 / 2);
  for (std::size_t pos = 0; pos < gbk.size();) {
    const auto b = static_cast<std::uint8_t>(gbk[pos]);
    if (b < 0x80) {
      out += static_cast<char>(b);
      ++pos;
      continue;
    }
    const std::size_t length = GbkCharLength(gbk, pos);
    if (auto utf8 = FromGbk().Convert(gbk.substr(pos, length))) {
      out += *utf8;
      pos += length;
    } else {
      AppendUtf8(out, kEscapeBase + b);  // not a character: keep the byte itself
      ++pos;
    }
  }
  return out;
}

std::optional<std::uint8_t> CarriedGbkByte(char32_t c) {
  if (c < kEscapeBase + 0x80 || c > kEscapeBase + 0xFF) return std::nullopt;
  return static_cast<std::uint8_t>(c - kEscapeBase);
}

std::optional<std::size_t> GbkLength(std::string_view utf8) {
  GbkText gbk = Utf8ToGbk(utf8);
  if (!gbk.ok()) return std::nullopt;
  return gbk.bytes.size();
}

std::size_t GbkCutPoint(std::string_view gbk, std::size_t max) {
  std::size_t pos = 0;
  while (pos < gbk.size()) {
    const std::size_t length = GbkCharLength(gbk, pos);
    if (pos + length > max) break;
    pos += length;
  }
  return pos;
}

std::string CutGbk(std::string_view gbk, std::size_t max) {
  return std::string(gbk.substr(0, GbkCutPoint(gbk, max)));
}

std::string CutUtf8ToGbkLength(std::string_view utf8, std::size_t max) {
  std::size_t gbk_length = 0;
  std::size_t pos = 0;
  while (pos < utf8.size()) {
    const auto [c, length] = DecodeUtf8At(utf8, pos);
    const auto gbk = GbkLength(utf8.substr(pos, length));
    if (!gbk || gbk_length + *gbk > max) break;
    gbk_length += *gbk;
    pos += length;
  }
  return std::string(utf8.substr(0, pos));
}

std::string DescribeCharacter(char32_t c) {
  // A value that is no character (a surrogate, beyond U+10FFFF) would make the message invalid
  // UTF-8; it is shown as the replacement character, its number still given.
  const bool is_character = c <= 0x10FFFF && !(c >= 0xD800 && c <= 0xDFFF);
  std::string out = "\"";
  AppendUtf8(out, is_character ? c : kReplacementCharacter);
  std::array<char, 16> code{};
  std::snprintf(code.data(), code.size(), "\" (U+%04X)", static_cast<unsigned>(c));
  return out + code.data();
}

}  // namespace dtu
