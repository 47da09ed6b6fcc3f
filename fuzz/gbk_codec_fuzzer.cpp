// The GBK codec on arbitrary bytes, read both as GBK (from a unit or a file) and as UTF-8 (typed
// or pasted by the user). GBK must survive the trip through UTF-8 byte for byte, and a cut must
// stay within its maximum without ever splitting a character.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "core/block/summary_pane.h"
#include "core/text/gbk_codec.h"
#include "fuzz_check.h"

namespace {

using dtu::fuzz::IsWellFormedUtf8;
using dtu::fuzz::Require;

bool IsLeadByte(std::uint8_t b) {
  return b >= 0x81 && b <= 0xFE;
}
bool IsTrailByte(std::uint8_t b) {
  return b >= 0x40 && b <= 0xFE && b != 0x7F;
}

// The byte length of the GBK character at `pos` as a unit reads it: a lead byte followed by a
// trail byte is one character, anything else a single byte.
std::size_t GbkCharLengthAt(std::string_view gbk, std::size_t pos) {
  const bool pair = pos + 1 < gbk.size() && IsLeadByte(static_cast<std::uint8_t>(gbk[pos])) &&
                    IsTrailByte(static_cast<std::uint8_t>(gbk[pos + 1]));
  return pair ? 2 : 1;
}

// The byte length of the UTF-8 sequence at `pos`, 1 for a byte that starts no valid sequence.
std::size_t Utf8CharLengthAt(std::string_view utf8, std::size_t pos) {
  for (std::size_t length = 4; length >= 2; --length)
    if (pos + length <= utf8.size() && IsWellFormedUtf8(utf8.substr(pos, length))) return length;
  return 1;
}

void CheckRoundTrip(std::string_view gbk) {
  const std::string utf8 = dtu::GbkToUtf8(gbk);
  Require(IsWellFormedUtf8(utf8), "GbkToUtf8 gives well-formed UTF-8");
  const dtu::GbkText back = dtu::Utf8ToGbk(utf8);
  Require(back.ok(), "GBK read from a unit can always be written back");
  Require(back.bytes == gbk, "GBK -> UTF-8 -> GBK keeps every byte");
  Require(dtu::GbkLength(utf8) == gbk.size(), "GbkLength counts the bytes the text came from");
}

void CheckGbkCut(std::string_view gbk, std::size_t max) {
  const std::size_t cut = dtu::GbkCutPoint(gbk, max);
  Require(cut <= max && cut <= gbk.size(), "GbkCutPoint never exceeds its maximum");
  std::size_t boundary = 0;
  while (boundary < cut) boundary += GbkCharLengthAt(gbk, boundary);
  Require(boundary == cut, "GbkCutPoint never splits a character");
  if (cut < gbk.size())
    Require(cut + GbkCharLengthAt(gbk, cut) > max, "GbkCutPoint keeps every character that fits");
  Require(dtu::CutGbk(gbk, max) == gbk.substr(0, cut), "CutGbk cuts at GbkCutPoint");
}

void CheckUtf8Cut(std::string_view utf8, std::size_t max) {
  const std::string cut = dtu::CutUtf8ToGbkLength(utf8, max);
  Require(utf8.substr(0, cut.size()) == cut, "CutUtf8ToGbkLength keeps a prefix");
  const std::optional<std::size_t> length = dtu::GbkLength(cut);
  Require(length.has_value() && *length <= max, "the cut text fits its GBK maximum");
  // Invalid UTF-8 counts as a character GBK cannot hold, so the cut always ends before it.
  Require(IsWellFormedUtf8(cut), "CutUtf8ToGbkLength never splits a character");
  if (cut.size() == utf8.size()) return;
  const std::size_t next_length = Utf8CharLengthAt(utf8, cut.size());
  const std::optional<std::size_t> next = dtu::GbkLength(utf8.substr(cut.size(), next_length));
  Require(!next || *length + *next > max, "CutUtf8ToGbkLength keeps every character that fits");
}

void CheckUtf8Input(std::string_view utf8) {
  const dtu::GbkText gbk = dtu::Utf8ToGbk(utf8);
  if (gbk.ok()) {
    Require(IsWellFormedUtf8(utf8), "only well-formed UTF-8 converts without complaint");
    Require(dtu::Utf8ToGbk(dtu::GbkToUtf8(gbk.bytes)).bytes == gbk.bytes,
            "converted text is stable");
    Require(dtu::SummaryPane::CountGbkBytes(utf8) == gbk.bytes.size(),
            "the summary pane counts GBK bytes");
  } else {
    Require(dtu::GbkLength(utf8) == std::nullopt, "GbkLength refuses what Utf8ToGbk refuses");
    Require(IsWellFormedUtf8(dtu::DescribeCharacter(*gbk.unencodable)),
            "the refused character is named in well-formed UTF-8");
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  CheckRoundTrip(text);
  CheckUtf8Input(text);

  // The maxima: the first byte, half the input and one past its end.
  const std::size_t first = size > 0 ? data[0] : 0;
  for (std::size_t max : {first, size / 2, size + 1}) {
    CheckGbkCut(text, max);
    CheckUtf8Cut(text, max);
    CheckUtf8Cut(dtu::GbkToUtf8(text), max);
  }

  if (size >= 4) {
    const char32_t c = static_cast<char32_t>(data[0]) << 24 | static_cast<char32_t>(data[1]) << 16 |
                       static_cast<char32_t>(data[2]) << 8 | data[3];
    Require(IsWellFormedUtf8(dtu::DescribeCharacter(c)), "DescribeCharacter gives UTF-8");
  }
  return 0;
}
