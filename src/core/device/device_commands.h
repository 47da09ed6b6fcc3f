#pragma once

#include <string>
#include <string_view>

#include "core/block/parameter_block.h"

namespace dtu {

// What the tool sends to a DTU. Nothing is appended to any of them: no line end, no terminator.
inline constexpr std::string_view kGetParametersCommand = "$$$AT+GETPARA?";
inline constexpr std::string_view kGetSignalCommand = "$$$AT+GET1?";
inline constexpr std::string_view kSetParametersPrefix = "$$$AT+SETPARA";

// Length of a complete parameter frame: the prefix and two hex digits per block byte.
inline constexpr std::size_t kParameterFrameSize = kSetParametersPrefix.size() + 2 * kBlockSize;

// Seals the block (so the caller's copy carries the length and checksum that were sent) and
// returns the 1,333-byte frame that writes it to a DTU.
std::string BuildParameterFrame(ParameterBlock& block);

}  // namespace dtu
