#pragma once

#include "core/block/parameter_block.h"
#include "core/user_messages.h"

namespace dtu {

class EditorTabSet;
class SummaryPaneView;

// The two transfers between a parameter block and the editor: LoadBlock shows a block on the
// pages and prints its summary; CollectBlock reads the pages back into the working block,
// validating as it goes. Runs on the GUI thread; every message goes through UserMessages.
class BlockTransfer {
 public:
  BlockTransfer(EditorTabSet& tabs, SummaryPaneView& summary, UserMessages& messages);

  // Every block that arrives (from a unit or a file) comes through here. The block's length is
  // forced to 660 and its checksum verified. A block that fails shows "参数设置有误，请重新设置"
  // and changes nothing: not the pages, tabs, radios or summary, and not `working`. An accepted
  // block is normalised, becomes `working`, and fills the pages, the tabs and mode radios for its
  // work mode, and the summary. Returns whether the block was accepted.
  bool LoadBlock(const ParameterBlock& incoming, ParameterBlock& working);

  // Reads the pages into `working` field by field. Returns false after showing the refusal's
  // message; the fields collected before the refusal stay written, and nothing may be sent or
  // saved. On success `working` holds the pages' values and `length` 660 (not yet sealed).
  bool CollectBlock(ParameterBlock& working);

 private:
  EditorTabSet& tabs_;
  SummaryPaneView& summary_;
  UserMessages& messages_;
};

}  // namespace dtu
