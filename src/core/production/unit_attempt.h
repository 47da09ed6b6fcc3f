#pragma once

#include <chrono>
#include <optional>

#include "core/block/parameter_block.h"
#include "core/production/provision_log.h"

namespace dtu {

// One attempt at one unit as the run keeps it: its log line, and for the production record the
// blocks it held and when and how long the attempt took.
struct UnitAttempt {
  LogEntry entry;
  std::optional<ParameterBlock> before;  // the block as read before the write
  std::optional<ParameterBlock> after;   // the block as read back after it
  std::chrono::system_clock::time_point started;
  std::chrono::milliseconds duration{0};
};

}  // namespace dtu
