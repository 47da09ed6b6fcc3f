#pragma once

#include <chrono>
#include <optional>
#include <stop_token>
#include <string>
#include <vector>

#include "core/production/earlier_runs.h"
#include "core/production/port_channel.h"
#include "core/production/provision_log.h"
#include "core/production/provision_progress.h"
#include "core/production/unit_table.h"
#include "core/record/record_error.h"
#include "core/serial/line_settings.h"

namespace dtu {

class RecordedRun;
class RunControl;

struct ProvisionSettings {
  std::vector<std::string> ports;
  LineSettings line;
  std::chrono::milliseconds timeout{5000};  // how long a unit may take to answer
  bool once = false;  // one unit per port: each unit is taken once and not recognised again
  // Pauses the run, finishes it and has units tried again; nothing when no one asks (it must
  // outlive the run and have a place for every port).
  RunControl* control = nullptr;
};

struct ProvisionOutcome {
  // The first port that could not be opened: then no unit was touched on any port.
  std::optional<std::string> unopened_port;
  std::optional<ChannelOpenError> open_error;
  std::vector<LogEntry> entries;        // every unit's every attempt, in the order they ended
  std::vector<LogEntry> last_attempts;  // LastAttemptPerUnit of the entries
  std::string log_error;                // why the log could not be written, if it could not
  RecordError record_error;             // why the production record could not be written
};

// A production run: one thread per port, all opened before any unit is touched, each
// provisioning units from the rows of `table` and logging them to `log` until its work is done
// or `stop` is requested. `earlier` holds what earlier runs left (ResumeEarlierRuns). Returns
// when every port's thread has ended and every port is closed.
ProvisionOutcome RunProvisioning(const ProvisionSettings& settings, const UnitTable& table,
                                 const EarlierRuns& earlier, ProvisionLog& log,
                                 ProvisionProgress& progress, std::stop_token stop);

// The same with the rows and results in the production record of `recorded`, which also tells
// what earlier runs and other stations did; `log`, when given, gets every line as well.
ProvisionOutcome RunRecordedProvisioning(const ProvisionSettings& settings, const UnitTable& table,
                                         RecordedRun& recorded, ProvisionLog* log,
                                         ProvisionProgress& progress, std::stop_token stop);

}  // namespace dtu
