#pragma once

#include <chrono>
#include <cstddef>
#include <optional>
#include <stop_token>
#include <string>

#include "core/production/port_channel.h"
#include "core/production/provision_progress.h"
#include "core/production/row_assigner.h"

namespace dtu {

class ProvisionRecord;

// The work of one port in a production run, on the port's own thread: provisions the unit on
// it and, unless told to do one unit only, waits after each unit until that unit stops
// answering and a new one answers, until every row is done or a stop is requested. A port that
// vanishes while waiting is opened again as soon as it is back.
class PortWorker {
 public:
  struct Settings {
    std::chrono::milliseconds timeout{5000};  // how long a unit may take to answer
    bool once = false;                        // provision one unit and stop
  };

  PortWorker(std::size_t index, PortChannel& channel, RowAssigner& rows, ProvisionRecord& record,
             ProvisionProgress& progress, Settings settings);

  void Run(std::stop_token stop);

 private:
  bool ProvisionOne(std::stop_token stop);
  bool WaitForUnit(std::stop_token stop);
  void WaitForDeparture(std::stop_token stop);
  bool Reopen(std::stop_token stop);
  ExchangeOutcome Poll(std::stop_token stop);
  bool Finished(std::stop_token stop) const;
  void Show(std::string_view text);

  std::size_t index_;
  PortChannel& channel_;
  RowAssigner& rows_;
  ProvisionRecord& record_;
  ProvisionProgress& progress_;
  Settings settings_;
};

// Sleeps for `duration` or until `stop` is requested; false when it was.
bool SleepUnlessStopped(std::chrono::milliseconds duration, std::stop_token stop);

}  // namespace dtu
