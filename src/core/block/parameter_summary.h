#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "core/block/parameter_block.h"

namespace dtu {

// The readable summary of a block, line by line, as UTF-8 without line ends: the three section
// heads with the basic, serial and (empty) forwarding lines of the block's work mode.
std::vector<std::string> PrintSummary(const ParameterBlock& block);

// "0xXX " per byte, upper-case digits; nothing for no bytes.
std::string FormatByteList(std::span<const std::uint8_t> bytes);

}  // namespace dtu
