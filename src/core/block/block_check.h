#pragma once

#include <string>
#include <string_view>

#include "core/block/parameter_block.h"

namespace dtu {

// Shown when a block read from a unit or a file does not match its checksum.
inline constexpr std::string_view kBlockMismatchMessage = "参数设置有误，请重新设置";

// kBlockMismatchMessage in the messages' language, for the command-line tools.
std::string BlockMismatchMessage();

// Readies a block that has just arrived (from a unit or a parameter file) for display: forces
// `length` to 660, verifies the checksum and, only when it matches, normalises the block.
// Returns false on a mismatch; the caller then shows kBlockMismatchMessage and keeps its pages.
// Either way the block keeps `length` 660.
bool PrepareLoadedBlock(ParameterBlock& block);

}  // namespace dtu
