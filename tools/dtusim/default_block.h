#pragma once

#include "core/block/parameter_block.h"

namespace dtusim {

// The sealed block a fresh simulated unit starts with: a GPRS unit on protocol 1 with one
// centre, plausible network, SMS and serial settings and the usual notices.
dtu::ParameterBlock MakeDefaultBlock();

}  // namespace dtusim
