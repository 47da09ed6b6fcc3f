#pragma once

#include "core/block/parameter_block.h"
#include "core/user_messages.h"

namespace dtu {

struct BlockOrigin;
class EditorTabSet;
class PagesSource;
class SummaryPaneView;

// The two transfers between a parameter block and the editor: LoadBlock shows a block on the
// pages and prints its summary; CollectBlock reads the pages back into the working block,
// validating as it goes. Runs on the GUI thread; every message goes through UserMessages.
class BlockTransfer {
 public:
  // `source`, when given, learns where every accepted block came from.
  BlockTransfer(EditorTabSet& tabs, SummaryPaneView& summary, UserMessages& messages,
                PagesSource* source = nullptr);

  // Every block that arrives (from a unit or a file) comes through here. The block's length is
  // forced to 660 and its checksum verified. A block that fails shows "参数设置有误，请重新设置"
  // and, on the next line, whether the unit's block was damaged on the way or the file is
  // damaged; it changes nothing: not the pages, tabs, radios or summary, not `working`, and not
  // the pages' source. An accepted block is normalised, becomes `working`, and fills the pages,
  // the tabs and mode radios for its work mode, and the summary; `origin` becomes the pages'
  // source. Returns whether the block was accepted.
  bool LoadBlock(const ParameterBlock& incoming, ParameterBlock& working,
                 const BlockOrigin& origin);

  // Reads the pages into a copy of `working` field by field. Returns false after showing the
  // refusal's message, with `working` exactly as it was; nothing may be sent or saved. On
  // success `working` holds the pages' values and `length` 660 (not yet sealed).
  bool CollectBlock(ParameterBlock& working);

 private:
  EditorTabSet& tabs_;
  SummaryPaneView& summary_;
  UserMessages& messages_;
  PagesSource* source_;
};

}  // namespace dtu
