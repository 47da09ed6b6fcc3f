#pragma once

#include <QObject>

#include <memory>
#include <optional>
#include <stop_token>
#include <string>
#include <thread>
#include <vector>

#include "core/production/provision_inputs.h"
#include "core/production/provision_progress.h"
#include "core/production/provision_run.h"
#include "core/production/recorded_run.h"
#include "core/production/run_control.h"
#include "gui/production/production_choices.h"

namespace dtu {

// One production run of the window: everything checked as `dtuctl provision --record` checks it
// before any unit is touched, then the production core's run (one thread per port) on a thread
// of its own. What the ports' threads tell arrives on the window's thread as signals, queued:
// nothing here touches a widget.
class ProductionRunner : public QObject, private ProvisionProgress {
  Q_OBJECT

 public:
  explicit ProductionRunner(QObject* parent = nullptr);
  ~ProductionRunner() override;  // stops the run and waits for its threads

  // Checks the choices (the ports, the template, the table's rows, the record) and joins the
  // table's batch in the record; the first fault, as dtuctl names it, when one does not hold.
  // `notes` gets what the checks noted (the pages' rules a row breaks, the batch joined).
  InputFault Prepare(const ProductionChoices& choices, std::vector<std::string>& notes);
  // Starts the ports' work; after a Prepare that found nothing wrong.
  void Start();

  bool running() const { return thread_.joinable() && !ended_; }
  void SetPaused(bool paused) { control_->SetPaused(paused); }
  bool paused() const { return control_->paused(); }
  // Each port ends once the unit under way on it is finished and recorded.
  void Finish() { control_->Finish(); }
  // Ends at once: a unit whose block is not yet sent is left as it is.
  void Abort();
  void Retry(std::size_t port_index) { control_->RequestRetry(port_index); }

  const std::vector<std::string>& ports() const { return ports_; }
  std::size_t row_count() const { return table_ ? table_->rows.size() : 0; }
  std::int64_t batch_id() const { return record_.batch.id; }
  const std::string& record_destination() const { return destination_; }

 signals:
  void slotChanged(int port_index, const dtu::SlotEvent& event);
  void unitEnded(int port_index, const dtu::LogEntry& entry);
  // The run has ended; `fault` says why when it ended before its work was done (a port that
  // would not open, the record that broke off).
  void ended(const QString& fault);

 private:
  void Update(std::size_t, std::string_view) override {}
  void UnitEnded(std::size_t port_index, const LogEntry& entry) override;
  void SlotChanged(std::size_t port_index, const SlotEvent& event) override;
  void Ended(const ProvisionOutcome& outcome);

  ProvisionSettings settings_;
  std::vector<std::string> ports_;
  std::string destination_;
  std::optional<ParameterBlock> template_block_;
  std::optional<UnitTable> table_;
  RecordInput record_;
  std::unique_ptr<RecordedRun> recorded_;
  std::unique_ptr<RunControl> control_;
  std::stop_source stop_;
  std::jthread thread_;
  bool ended_ = false;
};

// What the run's end says about a run that ended before its work was done; empty otherwise.
std::string RunEndFault(const ProvisionOutcome& outcome);

}  // namespace dtu
