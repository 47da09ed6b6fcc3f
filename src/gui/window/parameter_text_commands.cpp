#include "gui/window/parameter_text_commands.h"

#include <optional>
#include <string>
#include <vector>

#include "core/block/parameter_file.h"
#include "core/block/parameter_text.h"
#include "core/editing/entry_rules.h"
#include "core/editing/page_rules.h"
#include "core/file_chooser.h"
#include "gui/window/block_origin.h"
#include "gui/window/block_transfer.h"
#include "gui/window/parameter_file_commands.h"

namespace dtu {

ParameterTextCommands::ParameterTextCommands(ParameterBlock& working, BlockTransfer& transfer,
                                             UserMessages& messages, FileChooser& chooser)
    : working_(working), transfer_(transfer), messages_(messages), chooser_(chooser) {}

bool ParameterTextCommands::Export() {
  const std::optional<std::filesystem::path> path =
      PrepareSave(working_, transfer_, messages_, [this] { return chooser_.ChooseTextSave(); });
  if (!path) return false;
  const FileResult written = WriteTextFile(*path, ExportBlockText(working_));
  if (!written.ok()) messages_.Show(MessageKind::Warning, written.message, kSaveFileCaption);
  return written.ok();
}

std::optional<TextImport> ParameterTextCommands::ReadOverWindow(const std::string& text) {
  TextImport imported = ImportBlockText(text, working_);
  // A few fields go over the values the pages show, which the working block may not hold yet;
  // they are entries, stored by the pages' rules as the pages store them.
  if (imported.ok() && !imported.complete) {
    if (!transfer_.CollectBlock(working_)) return std::nullopt;
    imported = ImportBlockText(text, working_);
    if (imported.ok()) {
      const EntryRulesOutcome ruled = ApplyEntryRules(working_, *imported.block, imported.rows);
      if (!ruled.error.empty()) imported = TextImport{std::nullopt, ruled.error, {}, false, {}};
      entry_notes_ = ruled.notes;
    }
  }
  if (imported.ok()) return imported;
  messages_.Show(MessageKind::Warning, imported.error, kImportTextCaption);
  return std::nullopt;
}

void ParameterTextCommands::Import() {
  const std::optional<std::filesystem::path> path = chooser_.ChooseTextOpen();
  if (!path) return;
  std::string text;
  const FileResult read = ReadTextFile(*path, text, kTextFormLimit);
  if (!read.ok()) {
    messages_.Show(MessageKind::Warning, read.message, kImportTextCaption);
    return;
  }
  entry_notes_.clear();
  const std::optional<TextImport> imported = ReadOverWindow(text);
  if (!imported) return;
  std::string message;
  for (const std::string& warning : imported->warnings) message += warning + "\n";
  std::vector<std::string> warnings = entry_notes_;
  for (std::string& warning : PageRuleWarnings(*imported->block, imported->rows))
    warnings.push_back(std::move(warning));
  if (!warnings.empty()) message += kRulesBrokenMessage;
  for (const std::string& warning : warnings) message += "\n" + warning;
  if (message.ends_with('\n')) message.pop_back();
  if (!message.empty()) messages_.Show(MessageKind::Warning, message, kImportTextCaption);
  // A copy is handed in, as for an opened file: the block loaded is never the one replaced.
  const ParameterBlock incoming = *imported->block;
  transfer_.LoadBlock(incoming, working_, {BlockOrigin::Kind::TextFile, {}, path->string()});
}

}  // namespace dtu
