#include "block_text_support.h"

#include <array>
#include <cstdio>
#include <vector>

#include "command.h"
#include "command_support.h"
#include "core/block/block_check.h"
#include "core/block/parameter_file.h"
#include "core/editing/entry_rules.h"
#include "core/editing/field_labels.h"
#include "core/editing/page_rules.h"
#include "core/message_language.h"

namespace dtuctl {
namespace {

std::optional<std::string> ReadStandardInput(dtu::UserMessages& messages) {
  std::string text;
  std::array<char, 4096> buffer;
  while (text.size() <= dtu::kTextFormLimit) {
    const std::size_t n = std::fread(buffer.data(), 1, buffer.size(), stdin);
    text.append(buffer.data(), n);
    if (n < buffer.size()) break;
  }
  if (std::ferror(stdin)) {
    messages.Show(dtu::MessageKind::Error,
                  dtu::Say("无法读取标准输入", "cannot read standard input"));
    return std::nullopt;
  }
  return text;
}

}  // namespace

BlockSource ReadCheckedBlockFile(const std::string& path, dtu::UserMessages& messages) {
  std::optional<dtu::ParameterBlock> block = ReadBlockFile(path, messages);
  if (!block) return {std::nullopt, kExitFailure};
  if (!dtu::VerifyBlock(*block)) {
    messages.Show(dtu::MessageKind::Plain, path + ": " + dtu::BlockMismatchMessage());
    return {std::nullopt, kExitChecksum};
  }
  return {block, kExitOk};
}

BlockSource ReadBlockOrText(const std::string& path, dtu::UserMessages& messages) {
  dtu::ParameterBlock block;
  const dtu::FileResult read = dtu::ReadParameterFile(path, block);
  if (read.status != dtu::FileStatus::WrongKind || read.kind != dtu::FileKind::TextForm)
    return ReadCheckedBlockFile(path, messages);
  const std::optional<std::string> text = ReadTextOperand(path, messages);
  if (!text) return {std::nullopt, kExitFailure};
  const dtu::TextImport imported = dtu::ImportBlockText(*text, std::nullopt);
  if (!imported.ok()) {
    messages.Show(dtu::MessageKind::Error, path + ": " + imported.error);
    return {std::nullopt, kExitFailure};
  }
  return {imported.block, kExitOk};
}

std::optional<std::string> ReadTextOperand(const std::string& path, dtu::UserMessages& messages) {
  if (path == "-") return ReadStandardInput(messages);
  std::string text;
  const dtu::FileResult read = dtu::ReadTextFile(path, text, dtu::kTextFormLimit);
  if (!read.ok()) {
    messages.Show(dtu::MessageKind::Error, path + ": " + read.message);
    return std::nullopt;
  }
  return text;
}

std::optional<dtu::ParameterBlock> TakeImport(const dtu::TextImport& imported,
                                              std::string_view source, dtu::UserMessages& messages,
                                              const std::optional<dtu::ParameterBlock>& base) {
  const std::string prefix = source.empty() ? "" : std::string(source) + ": ";
  if (!imported.ok()) {
    messages.Show(dtu::MessageKind::Error, prefix + imported.error);
    return std::nullopt;
  }
  dtu::ParameterBlock block = *imported.block;
  // A text that gives every field is a faithful copy: nothing of it is an entry.
  if (base && !imported.complete) {
    const dtu::EntryRulesOutcome ruled = dtu::ApplyEntryRules(*base, block, imported.rows);
    if (!ruled.error.empty()) {
      messages.Show(dtu::MessageKind::Error, prefix + ruled.error);
      return std::nullopt;
    }
    for (const std::string& note : ruled.notes)
      messages.Show(dtu::MessageKind::Information, dtu::Say("注意：", "note: ") + note);
  }
  std::vector<std::string> warnings = imported.warnings;
  for (std::string& warning : dtu::PageRuleWarnings(block, imported.rows))
    warnings.push_back(std::move(warning));
  for (const std::string& warning : warnings)
    messages.Show(dtu::MessageKind::Information, dtu::Say("警告：", "warning: ") + warning);
  return block;
}

bool SaveBlock(const std::string& path, const dtu::ParameterBlock& block,
               dtu::UserMessages& messages) {
  const dtu::FileResult written = dtu::WriteParameterFile(path, block);
  if (!written.ok()) messages.Show(dtu::MessageKind::Error, path + ": " + written.message);
  return written.ok();
}

bool SaveUnitBlock(const std::string& path, const dtu::ParameterBlock& received,
                   dtu::UserMessages& messages) {
  dtu::ParameterBlock saved = received;
  saved.set_length(static_cast<std::uint16_t>(dtu::kBlockSize));
  return SaveBlock(path, saved, messages);
}

std::string DifferenceLine(const dtu::MemberDifference& difference) {
  // The labels are the window's Chinese words; an English line names the member alone.
  const std::string_view label = dtu::CurrentMessageLanguage() == dtu::MessageLanguage::kChinese
                                     ? dtu::FieldLabel(difference.name)
                                     : std::string_view();
  std::string line = difference.name;
  if (!label.empty()) line += " (" + std::string(label) + ")";
  return line + ": " + difference.first + " -> " + difference.second + "\n";
}

int PrintDifferences(std::string_view name, const dtu::ParameterBlock& first,
                     const dtu::ParameterBlock& second) {
  std::string lines;
  for (const dtu::MemberDifference& difference : dtu::DiffBlockTexts(first, second))
    lines += DifferenceLine(difference);
  if (lines.empty()) return kExitOk;
  return WriteToStdout(name, lines) ? kExitDiffers : kExitFailure;
}

}  // namespace dtuctl
