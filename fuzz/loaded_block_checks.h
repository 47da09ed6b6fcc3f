#pragma once

#include "core/block/parameter_block.h"

namespace dtu::fuzz {

// Takes a block that has just arrived (from a unit or a parameter file) the way the tool takes
// it: forces the length, verifies the checksum and, when it matches, normalises the block, prints
// its summary into the summary pane and builds the frame that would send it back. Aborts when a
// step breaks its promise. Returns whether the block was accepted.
bool CheckLoadedBlockPath(const ParameterBlock& arrived);

}  // namespace dtu::fuzz
