// Reading arbitrary input as the text form of a parameter block: a text starting with '{' goes
// through ImportBlockText (once complete, once over a base block), anything else is taken as
// "NAME=VALUE" lines for SetBlockFields. Every input is either refused with a message or gives a
// sealed block (its length word as the text gives it) that exports to a text which imports back
// to the same block and the same text.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/block/parameter_text.h"
#include "core/editing/page_rules.h"
#include "core/message_language.h"
#include "fuzz_check.h"

namespace {

using dtu::fuzz::IsWellFormedUtf8;
using dtu::fuzz::Require;

// A base block whose every byte differs, so that a member written to the wrong place shows.
const dtu::ParameterBlock& Base() {
  static const dtu::ParameterBlock base = [] {
    dtu::ParameterBlock block;
    for (std::size_t i = 0; i < dtu::kBlockSize; ++i)
      block.bytes()[i] = static_cast<std::uint8_t>(i * 7 + 3);
    dtu::SealBlock(block);
    return block;
  }();
  return base;
}

std::vector<std::string> Lines(std::string_view text) {
  std::vector<std::string> lines;
  while (!text.empty()) {
    const std::size_t end = text.find('\n');
    lines.emplace_back(text.substr(0, end));
    if (end == std::string_view::npos) break;
    text.remove_prefix(end + 1);
  }
  return lines;
}

void CheckOutcome(const dtu::TextImport& imported) {
  if (!imported.ok()) {
    Require(!imported.error.empty(), "a refused text says why");
    Require(IsWellFormedUtf8(imported.error), "the refusal is well-formed UTF-8");
    Require(imported.error.size() < 1024, "a refusal shows only the start of a long value");
    return;
  }
  const dtu::ParameterBlock& block = *imported.block;
  const bool length_given = std::ranges::find(imported.rows, "length") != imported.rows.end();
  Require(dtu::VerifyBlock(block) && (length_given || block.length() == dtu::kBlockSize),
          "the block is sealed, its length word 660 unless the text gives one");
  for (const std::string& warning : dtu::PageRuleWarnings(block, imported.rows))
    Require(IsWellFormedUtf8(warning), "a warning is well-formed UTF-8");

  const std::string text = dtu::ExportBlockText(block);
  Require(IsWellFormedUtf8(text), "the text form is well-formed UTF-8");
  const dtu::TextImport again = dtu::ImportBlockText(text, std::nullopt);
  Require(again.ok(), "an exported text imports");
  Require(again.block->bytes() == block.bytes(), "the exported text gives back every byte");
  Require(dtu::ExportBlockText(*again.block) == text, "the text form is stable");
}

// The same reading in English: the same verdict and the same block.
template <typename Read>
dtu::TextImport InBothLanguages(Read&& read) {
  dtu::SetMessageLanguage(dtu::MessageLanguage::kEnglish);
  const dtu::TextImport english = read();
  dtu::SetMessageLanguage(dtu::MessageLanguage::kChinese);
  dtu::TextImport chinese = read();
  Require(english.ok() == chinese.ok(), "the language changes no verdict");
  Require(!chinese.ok() || english.block->bytes() == chinese.block->bytes(),
          "the language changes no byte");
  Require(IsWellFormedUtf8(english.error), "the English refusal is well-formed UTF-8");
  return chinese;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  if (dtu::LooksLikeBlockText(input)) {
    CheckOutcome(InBothLanguages([&] { return dtu::ImportBlockText(input, std::nullopt); }));
    CheckOutcome(InBothLanguages([&] { return dtu::ImportBlockText(input, Base()); }));
  } else {
    const std::vector<std::string> assignments = Lines(input);
    CheckOutcome(InBothLanguages([&] { return dtu::SetBlockFields(Base(), assignments); }));
  }
  return 0;
}
