#pragma once

#include <optional>
#include <string>
#include <vector>

#include "core/block/parameter_block.h"
#include "core/block/parameter_text.h"
#include "core/user_messages.h"

namespace dtu {

class BlockTransfer;
class FileChooser;

// Texts of the two text commands of the file menu.
inline constexpr std::string_view kExportTextItem = "导出文本...";
inline constexpr std::string_view kImportTextItem = "导入文本...";
inline constexpr std::string_view kImportTextCaption = "导入文本";
inline constexpr std::string_view kRulesBrokenMessage =
    "文本中的以下值不合页面的规则，已照原值导入（或按页面的规则写入）：";

// The file menu's commands on a block's text form (core/block/parameter_text.h), beside the
// parameter-file commands and through the same steps.
class ParameterTextCommands {
 public:
  // All four must outlive this object.
  ParameterTextCommands(ParameterBlock& working, BlockTransfer& transfer, UserMessages& messages,
                        FileChooser& chooser);

  // "导出文本...": collects the pages as saving does (a refused collection ends the export),
  // seals the block, asks for a file name, asks before overwriting an existing file and writes
  // the block's text form. A failed write is reported.
  // Returns whether the block was written.
  bool Export();

  // "导入文本...": asks for a text file and reads it. A text that gives every field replaces the
  // working block whole; one that gives a few fields changes only those of what the pages show,
  // which are collected first (a refused collection ends the import). A refused text says why
  // and changes nothing. A few fields are entries: the pages' rules apply to them as to what is
  // typed (entry_rules.h). Those rules' changes and the values the pages would not accept are
  // listed in one warning; the latter are kept.
  // The block is then shown as an opened parameter file is.
  void Import();

 private:
  // The text read over what the window holds, or nothing after a message.
  std::optional<TextImport> ReadOverWindow(const std::string& text);

  ParameterBlock& working_;
  BlockTransfer& transfer_;
  UserMessages& messages_;
  FileChooser& chooser_;
  std::vector<std::string> entry_notes_;  // what the pages' rules changed in the last import
};

}  // namespace dtu
