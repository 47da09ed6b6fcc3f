#include "loaded_block_checks.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "core/block/block_check.h"
#include "core/block/parameter_summary.h"
#include "core/block/summary_pane.h"
#include "core/device/device_commands.h"
#include "core/text/gbk_codec.h"
#include "core/text/hex_text.h"
#include "fuzz_check.h"

namespace dtu::fuzz {
namespace {

// Generous bounds on a summary: about 60 lines, none longer than a pattern with the longest
// field in it, each byte of which may take three bytes of UTF-8.
constexpr std::size_t kMaxSummaryLines = 100;
constexpr std::size_t kMaxSummaryLineBytes = 512;

// The bytes NormaliseBlock may change: the last byte of each text and the count byte of each
// counted area. A counted area itself keeps every byte.
std::array<bool, kBlockSize> NormalisableBytes() {
  std::array<bool, kBlockSize> mask{};
  for (const FieldRow& text : kTextFields) mask[text.offset + text.size - 1u] = true;
  for (const CountedRow& counted : kCountedFields) mask[counted.length.offset] = true;
  return mask;
}

void CheckRejected(const ParameterBlock& arrived, const ParameterBlock& prepared) {
  Require(
      std::equal(arrived.bytes().begin() + 2, arrived.bytes().end(), prepared.bytes().begin() + 2),
      "a rejected block keeps every byte but the length word");
}

void CheckNormalised(const ParameterBlock& arrived, const ParameterBlock& prepared) {
  static const std::array<bool, kBlockSize> normalisable = NormalisableBytes();
  for (std::size_t i = 2; i < kBlockSize; ++i)
    Require(normalisable[i] || arrived.bytes()[i] == prepared.bytes()[i],
            "normalising changes only terminators and length bytes");
  for (const FieldRow& text : kTextFields)
    Require(prepared.GetText(text).size() < text.size, "every text ends inside its field");
  for (const CountedRow& counted : kCountedFields) {
    Require(prepared.Get(counted.length) <= counted.area.size,
            "every counted length fits its area");
    Require(prepared.GetCounted(counted).size() == prepared.Get(counted.length),
            "a counted field holds as many bytes as its length says");
  }
  ParameterBlock again = prepared;
  NormaliseBlock(again);
  Require(again == prepared, "normalising twice changes nothing more");
}

// Returns the largest GBK size of a line.
std::size_t CheckSummary(const ParameterBlock& block) {
  const std::vector<std::string> lines = PrintSummary(block);
  Require(!lines.empty() && lines.size() <= kMaxSummaryLines, "the summary has a bounded length");
  std::size_t longest_line = 0;
  for (const std::string& line : lines) {
    Require(line.size() <= kMaxSummaryLineBytes, "a summary line has a bounded length");
    Require(IsWellFormedUtf8(line), "a summary line is well-formed UTF-8");
    const GbkText gbk = Utf8ToGbk(line);
    Require(gbk.ok(), "a summary line can be counted in GBK");
    longest_line = std::max(longest_line, gbk.bytes.size());
  }
  return longest_line;
}

// Summaries in a row go into the pane, which is emptied on the way when it grows long.
void CheckSummaryPane(const ParameterBlock& block, std::size_t longest_line) {
  SummaryPane pane;
  for (int i = 0; i < 4; ++i) {
    pane.AppendSummary(block);
    Require(pane.gbk_bytes() <= SummaryPane::kMaxGbkBytes + longest_line + 2,
            "the pane never grows far past its limit");
  }
  Require(pane.gbk_bytes() == SummaryPane::CountGbkBytes(pane.text()),
          "the pane keeps its GBK count up to date");
}

void CheckFrame(const ParameterBlock& block) {
  ParameterBlock sent = block;
  const std::string frame = BuildParameterFrame(sent);
  Require(frame.size() == kParameterFrameSize, "a parameter frame is 1333 bytes");
  Require(frame.starts_with(kSetParametersPrefix), "a parameter frame starts with its command");
  const std::vector<std::uint8_t> bytes =
      DecodeHexText(std::string_view(frame).substr(kSetParametersPrefix.size()));
  Require(std::equal(bytes.begin(), bytes.end(), sent.bytes().begin(), sent.bytes().end()),
          "the frame's digits are the sealed block");
  Require(VerifyBlock(sent) && sent.length() == kBlockSize, "a sent block is sealed");
}

}  // namespace

bool CheckLoadedBlockPath(const ParameterBlock& arrived) {
  // Whatever arrives, the summary must print without harm (the command line prints files that
  // fail the check, too).
  CheckSummary(arrived);

  ParameterBlock prepared = arrived;
  const bool accepted = PrepareLoadedBlock(prepared);
  Require(prepared.length() == kBlockSize, "a loaded block always has length 660");
  Require(accepted == (arrived.checksum() == BlockChecksum(arrived)),
          "a block is accepted exactly when its checksum matches");
  if (!accepted) {
    CheckRejected(arrived, prepared);
    return false;
  }
  CheckNormalised(arrived, prepared);
  CheckSummaryPane(prepared, CheckSummary(prepared));
  CheckFrame(prepared);
  return true;
}

}  // namespace dtu::fuzz
