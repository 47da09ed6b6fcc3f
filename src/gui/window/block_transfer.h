#pragma once

#include <array>
#include <string>
#include <vector>

#include "core/block/parameter_block.h"
#include "core/user_messages.h"

namespace dtu {

struct BlockOrigin;
class EditorPage;
class EditorTabSet;
class PagesSource;
class SummaryPaneView;

// The two transfers between a parameter block and the editor: LoadBlock shows a block on the
// pages and prints its summary; CollectBlock reads the pages back into the working block,
// validating as it goes. Both run over the pages' field tables (page_exchange.h): a field the
// user has left as it was loaded keeps its bytes, so a block read and written back without an
// edit is the block the unit holds. Runs on the GUI thread; every message goes through
// UserMessages.
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
  // refusal's message (the field's page brought forward, the focus on the field), with
  // `working` exactly as it was; nothing may be sent or saved. On success `working` holds the
  // pages' values and `length` 660 (not yet sealed).
  bool CollectBlock(ParameterBlock& working);

  // The entries the last successful collection stored as something other than they say (a
  // device number of 0 as 8000, a project number of 0 keeping the old one...), one line each,
  // for the question before a write.
  const std::vector<std::string>& SubstitutionLines() const { return substitutions_; }

 private:
  std::array<EditorPage*, 3> Pages() const;
  void BringPageForward(const EditorPage& page);

  EditorTabSet& tabs_;
  SummaryPaneView& summary_;
  UserMessages& messages_;
  PagesSource* source_;
  std::vector<std::string> substitutions_;
};

// The part of the question before a write that lists the substitutions of the last collection
// (BlockTransfer::SubstitutionLines), starting with an empty line; empty when there are none.
std::string SubstitutionNotice(const std::vector<std::string>& lines);

}  // namespace dtu
