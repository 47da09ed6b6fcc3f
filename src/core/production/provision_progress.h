#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "core/device/unit_identity.h"
#include "core/production/provision_log.h"
#include "core/production/unit_result.h"

namespace dtu {

// Where a port of a production run is, as a window's slot shows it.
enum class SlotStep {
  WaitingForUnit,  // asking now and then whether a unit is there
  Paused,          // the run is paused: no unit is started on this port
  Reading,         // reading the unit's status and block
  Writing,         // sending the unit its row's block
  Checking,        // reading the block back to compare it
  Done,            // the unit ended ok or skipped
  Failed,          // the unit ended otherwise (`result` says how)
  PortGone,        // the port vanished; it is opened again once it is back
  PortBack,        // the vanished port is open again
  RowsFinished,    // every row of the table is done: the port's work has ended
};

// The steps of one unit, for a slot's progress: reading, writing, checking.
inline constexpr int kUnitSteps = 3;

// One step of a port, typed: what the text of ProvisionProgress::Update says in words.
struct SlotEvent {
  SlotStep step = SlotStep::WaitingForUnit;
  int step_number = 0;               // 1..kUnitSteps for Reading, Writing and Checking; 0 otherwise
  UnitIdentity unit;                 // as far as it is known yet
  int row_line = 0;                  // the row given to the unit; 0 while it has none
  std::optional<UnitResult> result;  // for Done and Failed
  std::string message;               // for Done and Failed: the log's message
};

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

  // The same steps typed, told just before the Update that says them in words (a step told
  // only in words, "请换下一个单元", leaves the slot as it was).
  virtual void SlotChanged(std::size_t /*port_index*/, const SlotEvent& /*event*/) {}
};

}  // namespace dtu
