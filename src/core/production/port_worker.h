#pragma once

#include <chrono>
#include <cstddef>
#include <memory>
#include <optional>
#include <stop_token>
#include <string>

#include "core/production/port_channel.h"
#include "core/production/provision_progress.h"
#include "core/production/row_source.h"
#include "core/production/run_control.h"

namespace dtu {

class ProvisionRecord;

// The work of one port in a production run, on the port's own thread: provisions the unit on
// it and, unless told to do one unit only, waits after each unit until that unit stops
// answering and a new one answers, until every row is done or a stop is requested. While it
// waits, every question reads the unit's serials too, so a unit swapped for another quicker
// than the silence that tells a unit has gone is taken as the new unit it is. A port that
// vanishes while waiting is opened again as soon as it is back. The run's RunControl pauses it
// (no new unit is started), ends its waiting (the unit under way is finished first) and has the
// unit on it tried again.
class PortWorker {
 public:
  struct Settings {
    std::chrono::milliseconds timeout{5000};  // how long a unit may take to answer
    bool once = false;                        // provision one unit and stop
  };

  // Without a `control` the worker makes one of its own, which nothing else asks.
  PortWorker(std::size_t index, PortChannel& channel, RowSource& rows, ProvisionRecord& record,
             ProvisionProgress& progress, Settings settings, RunControl* control = nullptr);

  // `stop` cancels even a unit under way before its block is sent (nothing is then written to
  // it).
  void Run(std::stop_token stop);

 private:
  bool ProvisionOne(const std::stop_token& stop);
  bool WaitForUnit(const std::stop_token& wait);
  bool WaitWhilePaused(const std::stop_token& wait);
  bool WaitForDeparture(const std::stop_token& wait);
  bool Reopen(const std::stop_token& wait);
  ExchangeOutcome Poll(const std::stop_token& wait);
  bool Finished(const std::stop_token& wait) const;
  void Show(std::string_view text);
  void Show(SlotStep step, std::string_view text);
  void Show(const SlotEvent& event, std::string_view text);

  std::size_t index_;
  PortChannel& channel_;
  RowSource& rows_;
  ProvisionRecord& record_;
  ProvisionProgress& progress_;
  Settings settings_;
  std::unique_ptr<RunControl> own_control_;
  RunControl& control_;
  UnitIdentity last_unit_;  // the unit provisioned last
};

// Sleeps for `duration` or until `stop` is requested; false when it was.
bool SleepUnlessStopped(std::chrono::milliseconds duration, std::stop_token stop);

}  // namespace dtu
