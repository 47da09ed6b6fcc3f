#include "core/block/summary_pane.h"

#include <cstdint>

#include "core/block/parameter_summary.h"
#include "core/text/gbk_codec.h"
#include "core/text/utf8_text.h"

namespace dtu {
namespace {

// What GBK-less characters and broken bytes count: as much as the widest GBK character.
constexpr std::size_t kUncountableCharBytes = 2;

}  // namespace

std::size_t SummaryPane::CountGbkBytes(std::string_view utf8) {
  if (const auto whole = GbkLength(utf8)) return *whole;
  // Something GBK cannot hold: count character by character.
  std::size_t count = 0;
  for (std::size_t pos = 0; pos < utf8.size();) {
    const std::size_t length = DecodeUtf8At(utf8, pos).length;
    count += GbkLength(utf8.substr(pos, length)).value_or(kUncountableCharBytes);
    pos += length;
  }
  return count;
}

bool SummaryPane::AppendSummaryLine(std::string_view line) {
  const bool emptied = MustEmptyBefore(gbk_bytes_);
  if (emptied) Clear();
  text_ += line;
  text_ += kLineEnd;
  gbk_bytes_ += CountGbkBytes(line) + kLineEnd.size();
  return emptied;
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
