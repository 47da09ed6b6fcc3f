#include "gui/window/parameter_file_commands.h"

#include <optional>

#include "core/block/parameter_file.h"
#include "core/file_chooser.h"
#include "gui/window/block_transfer.h"

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

void ParameterFileCommands::Save() {
  const std::optional<std::filesystem::path> path =
      PrepareSave(working_, transfer_, messages_, [this] { return chooser_.ChooseSave(); });
  if (!path) return;
  const FileResult written = WriteParameterFile(*path, working_);
  if (!written.ok()) messages_.Show(MessageKind::Warning, written.message, kSaveFileCaption);
}

void ParameterFileCommands::Open() {
  Load(chooser_.ChooseOpen());
}

void ParameterFileCommands::Open(const std::filesystem::path& path) {
  Load(path);
}

void ParameterFileCommands::Load(const std::optional<std::filesystem::path>& path) {
  std::optional<ParameterBlock> from_file;
  if (path) {
    ParameterBlock block = working_;
    const FileResult read = ReadParameterFile(*path, block);
    if (read.ok()) {
      from_file = block;
    } else if (read.status == FileStatus::NotFound) {
      messages_.Show(MessageKind::Warning, kNoSuchFileMessage);
    } else {
      messages_.Show(MessageKind::Warning, read.message);
    }
  }
  // The editor shows a block after every open, also a cancelled or failed one. A copy is handed
  // in, so that the block being loaded is never the one being replaced.
  const ParameterBlock incoming = from_file ? *from_file : working_;
  transfer_.LoadBlock(incoming, working_);
}

}  // namespace dtu
