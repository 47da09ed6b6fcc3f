#pragma once

#include <cstddef>
#include <string_view>

#include "core/production/provision_log.h"

namespace dtu {

// Where a production run tells what its ports are doing. Called from the ports' threads at once,
// so an implementation must be thread-safe.
class ProvisionProgress {
 public:
  virtual ~ProvisionProgress() = default;

  // The port numbered `port_index` (in the order the ports were given) is at a new step; the
  // text names the unit, its row and the step or result.
  virtual void Update(std::size_t port_index, std::string_view text) = 0;

  // A unit has ended and its line has been logged.
  virtual void UnitEnded(std::size_t port_index, const LogEntry& entry) = 0;
};

}  // namespace dtu
