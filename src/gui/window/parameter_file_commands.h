#pragma once

#include <filesystem>
#include <functional>
#include <optional>

#include "core/block/parameter_block.h"
#include "core/user_messages.h"

namespace dtu {

class BlockTransfer;
class FileChooser;

// The steps every save of the working block starts with: collects the pages (a refused
// collection ends the save, its message shown), seals the block, asks for a file with `choose`
// and, when that file exists, whether to overwrite it ("<path> 已存在,覆盖?", caption "保存文件").
// The file to write the block to, or nothing when the save ends here.
std::optional<std::filesystem::path> PrepareSave(
    ParameterBlock& working, BlockTransfer& transfer, UserMessages& messages,
    const std::function<std::optional<std::filesystem::path>()>& choose);

// The file menu's two commands on the working block: "保存参数(&S)" collects the pages and writes
// the sealed block to a parameter file, "打开参数文件(&O)" reads one and shows it.
class ParameterFileCommands {
 public:
  // All four must outlive this object.
  ParameterFileCommands(ParameterBlock& working, BlockTransfer& transfer, UserMessages& messages,
                        FileChooser& chooser);

  // Collects the pages; a refused collection ends the save (its message was shown), so that no
  // block that could never be opened again is written. Then seals the block, asks for a file
  // name, asks before overwriting an existing file ("<path> 已存在,覆盖?", caption "保存文件")
  // and writes the 660 bytes over the start of the file. A failed write is reported.
  // Returns whether the block was written.
  bool Save();

  // Asks for a file and reads it: a missing file says "无此文件!", a short or unreadable one is
  // refused with the reason. The file's block is then loaded (and checked) as every block is;
  // a cancelled or refused open changes nothing on the pages or in the working block.
  void Open();

  // Reads the given file exactly as Open() reads the one chosen in its dialog.
  void Open(const std::filesystem::path& path);

 private:
  // Open's reading and showing; nothing to read when the dialog was cancelled.
  void Load(const std::optional<std::filesystem::path>& path);

  ParameterBlock& working_;
  BlockTransfer& transfer_;
  UserMessages& messages_;
  FileChooser& chooser_;
};

}  // namespace dtu
