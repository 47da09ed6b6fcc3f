#include "gui/window/parameter_file_commands.h"

#include <optional>

#include "core/block/parameter_file.h"
#include "core/file_chooser.h"
#include "gui/window/block_origin.h"
#include "gui/window/block_transfer.h"
#include "gui/window/parameter_text_commands.h"

namespace dtu {

std::optional<std::filesystem::path> PrepareSave(
    ParameterBlock& working, BlockTransfer& transfer, UserMessages& messages,
    const std::function<std::optional<std::filesystem::path>()>& choose) {
  if (!transfer.CollectBlock(working)) return std::nullopt;
  SealBlock(working);

  std::optional<std::filesystem::path> path = choose();
  if (path && ParameterFileExists(*path) &&
      messages.Ask(OverwriteQuestion(*path), kSaveFileCaption, Answer::No) != Answer::Yes)
    return std::nullopt;
  return path;
}

ParameterFileCommands::ParameterFileCommands(ParameterBlock& working, BlockTransfer& transfer,
                                             UserMessages& messages, FileChooser& chooser)
    : working_(working), transfer_(transfer), messages_(messages), chooser_(chooser) {}

bool ParameterFileCommands::Save() {
  const std::optional<std::filesystem::path> path =
      PrepareSave(working_, transfer_, messages_, [this] { return chooser_.ChooseSave(); });
  if (!path) return false;
  const FileResult written = WriteParameterFile(*path, working_);
  if (!written.ok()) messages_.Show(MessageKind::Warning, written.message, kSaveFileCaption);
  return written.ok();
}

void ParameterFileCommands::Open() {
  Load(chooser_.ChooseOpen());
}

void ParameterFileCommands::Open(const std::filesystem::path& path) {
  Load(path);
}

void ParameterFileCommands::Load(const std::optional<std::filesystem::path>& path) {
  // Cancelling, or a file that cannot be read, leaves the pages and the working block as they
  // are: nothing was opened, so nothing is shown anew.
  if (!path) return;
  ParameterBlock block;
  const FileResult read = ReadParameterFile(*path, block);
  if (!read.ok()) {
    // "无此文件!" for a missing one; a text form is for the text import.
    const bool text_form = read.status == FileStatus::WrongKind && read.kind == FileKind::TextForm;
    const std::string hint = "请用“" + std::string(kImportTextItem) + "”打开它";
    messages_.Show(MessageKind::Warning,
                   text_form ? WrongKindMessage(read.kind, hint) : read.message);
    return;
  }
  if (!transfer_.LoadBlock(block, working_, {BlockOrigin::Kind::ParameterFile, {}, path->string()}))
    return;
  if (const std::string note = LongFileNote(*path); !note.empty())
    messages_.Show(MessageKind::Information, note);
}

}  // namespace dtu
