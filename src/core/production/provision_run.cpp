#include "core/production/provision_run.h"

#include <latch>
#include <memory>
#include <mutex>
#include <system_error>
#include <thread>

#include "core/message_language.h"
#include "core/production/port_worker.h"
#include "core/production/provision_record.h"
#include "core/production/recorded_run.h"
#include "core/production/row_assigner.h"
#include "core/production/run_control.h"

namespace dtu {
namespace {

// The ports' threads meet here once each has tried to open its port: if any failed, none goes
// on.
class OpeningGate {
 public:
  explicit OpeningGate(std::size_t ports) : latch_(static_cast<std::ptrdiff_t>(ports)) {}

  // True when every port opened.
  bool Arrive(const std::string& port, const std::optional<ChannelOpenError>& error) {
    if (error) {
      std::lock_guard lock(mutex_);
      if (!failed_port_) {
        failed_port_ = port;
        error_ = error;
      }
    }
    latch_.arrive_and_wait();
    std::lock_guard lock(mutex_);
    return !failed_port_;
  }

  // A port whose thread could not be started counts as one that did not open.
  void Abandon(const std::string& port, std::size_t remaining) {
    {
      std::lock_guard lock(mutex_);
      if (!failed_port_) {
        failed_port_ = port;
        error_ = ChannelOpenError{PortOpenFailure::Other,
                                  Say("无法为它启动线程", "no thread could be started for it")};
      }
    }
    latch_.count_down(static_cast<std::ptrdiff_t>(remaining));
  }

  void Report(ProvisionOutcome& outcome) const {
    std::lock_guard lock(mutex_);
    outcome.unopened_port = failed_port_;
    outcome.open_error = error_;
  }

 private:
  std::latch latch_;
  mutable std::mutex mutex_;
  std::optional<std::string> failed_port_;
  std::optional<ChannelOpenError> error_;
};

ProvisionOutcome RunPorts(const ProvisionSettings& settings, RowSource& rows,
                          ProvisionRecord& record, ProvisionProgress& progress,
                          std::stop_token stop) {
  OpeningGate gate(settings.ports.size());
  const PortWorker::Settings worker_settings{settings.timeout, settings.once};
  RunControl own_control(settings.ports.size());
  RunControl& control = settings.control != nullptr ? *settings.control : own_control;
  {
    std::vector<std::jthread> threads;
    for (std::size_t i = 0; i < settings.ports.size(); ++i) {
      try {
        threads.emplace_back([&, i] {
          // The channel lives and dies on its port's thread, as the engine wants its owner to.
          PortChannel channel(settings.ports[i], settings.line);
          if (!gate.Arrive(settings.ports[i], channel.Open())) return;
          PortWorker(i, channel, rows, record, progress, worker_settings, &control).Run(stop);
        });
      } catch (const std::system_error&) {
        gate.Abandon(settings.ports[i], settings.ports.size() - i);
        break;
      }
    }
  }
  ProvisionOutcome outcome;
  gate.Report(outcome);
  outcome.entries = record.entries();
  outcome.last_attempts = LastAttemptPerUnit(outcome.entries);
  outcome.log_error = record.log_error();
  return outcome;
}

}  // namespace

ProvisionOutcome RunProvisioning(const ProvisionSettings& settings, const UnitTable& table,
                                 const EarlierRuns& earlier, ProvisionLog& log,
                                 ProvisionProgress& progress, std::stop_token stop) {
  RowAssigner assigner(table, earlier.successes, settings.once);
  ProvisionRecord record(&log, table.fingerprint, table.template_fingerprint);
  return RunPorts(settings, assigner, record, progress, stop);
}

ProvisionOutcome RunRecordedProvisioning(const ProvisionSettings& settings, const UnitTable& table,
                                         RecordedRun& recorded, ProvisionLog* log,
                                         ProvisionProgress& progress, std::stop_token stop) {
  ProvisionRecord record(log, table.fingerprint, table.template_fingerprint, &recorded);
  ProvisionOutcome outcome = RunPorts(settings, recorded, record, progress, stop);
  outcome.record_error = recorded.failure();
  return outcome;
}

}  // namespace dtu
