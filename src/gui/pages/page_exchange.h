#pragma once

#include <string>
#include <vector>

#include "core/block/parameter_block.h"

namespace dtu {

class EditorPage;

// The exchange between a page's controls and a parameter block: one pass over the page's field
// table (FieldEntry rows), the same for every page. Each row says which control shows which
// block field and how (field_codec.h); the widgets are the page's.

// Shows every row of the block on the page: texts and numbers in their edits, counted areas as
// hex dumps with their "16进制" boxes checked, lists at the entry of the value (or the unit's
// own value as an extra entry), boxes and radios. The page's AfterLoad follows, and then the
// page remembers what it shows, so that what the user leaves alone is written back as it came.
void LoadPage(EditorPage& page, const ParameterBlock& block);

// What collecting a page came to.
struct PageCollection {
  int refused = 0;  // the control whose entry was refused (its message shown), 0 for none
  std::vector<std::string> substitutions;  // entries stored as something else, for the question
  bool ok() const { return refused == 0; }
};

// Stores the page's rows into `block`, in table order: first the page's exchange checks, then
// every row the user has changed since the last load (a row still as loaded gets back the bytes
// it was loaded with).
// The first refused entry shows its message and ends the collection; `block` may then hold the
// rows before it, so collect into a copy.
PageCollection CollectPage(EditorPage& page, ParameterBlock& block);

}  // namespace dtu
