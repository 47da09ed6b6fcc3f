#include "core/block/summary_pane.h"

#include <cstdint>

#include "core/text/gbk_codec.h"
#include "core/block/parameter_summary.h"

namespace dtu {
namespace {

// What GBK-less characters and broken bytes count: as much as the widest GBK character.
constexpr std::size_t kUncountableCharBytes = 2;

// The byte length of the well-formed UTF-8 sequence at `pos`, or 1 when it is not one.
std::size_t Utf8SequenceLength(std::string_view text, std::size_t pos) {
  const auto lead = static_cast<std::uint8_t>(text[pos]);
  std::size_t length = 1;
  if ((lead & 0xE0) == 0xC0)
    length = 2;
  else if ((lead & 0xF0) == 0xE0)
    length = 3;
  else if ((lead & 0xF8) == 0xF0)
    length = 4;
  if (pos + length > text.size()) return 1;
  for (std::size_t i = 1; i < length; ++i)
    if ((static_cast<std::uint8_t>(text[pos + i]) & 0xC0) != 0x80) return 1;
  return length;
}

}  // namespace

std::size_t SummaryPane::CountGbkBytes(std::string_view utf8) {
  if (const auto whole = GbkLength(utf8)) return *whole;
  // Something GBK cannot hold: count character by character.
  std::size_t count = 0;
  for (std::size_t pos = 0; pos < utf8.size();) {
    const std::size_t length = Utf8SequenceLength(utf8, pos);
    count += GbkLength(utf8.substr(pos, length)).value_or(kUncountableCharBytes);
    pos += length;
  }
  return count;
}

void SummaryPane::AppendSummaryLine(std::string_view line) {
  if (MustEmptyBefore(gbk_bytes_)) Clear();
  text_ += line;
  text_ += kLineEnd;
  gbk_bytes_ += CountGbkBytes(line) + kLineEnd.size();
}

void SummaryPane::AppendSummary(const ParameterBlock& block) {
  for (const std::string& line : PrintSummary(block)) AppendSummaryLine(line);
}

void SummaryPane::Clear() {
  text_.clear();
  gbk_bytes_ = 0;
}

void SummaryPane::SetText(std::string_view utf8) {
  text_ = utf8;
  gbk_bytes_ = CountGbkBytes(text_);
}

}  // namespace dtu
