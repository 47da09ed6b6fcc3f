#include "gui/production/production_runner.h"

#include <QMetaObject>

#include <chrono>

#include "gui/platform/qt_text.h"

namespace dtu {

ProductionRunner::ProductionRunner(QObject* parent)
    : QObject(parent), control_(std::make_unique<RunControl>(0)) {}

ProductionRunner::~ProductionRunner() {
  Abort();
  if (thread_.joinable()) thread_.join();
}

InputFault ProductionRunner::Prepare(const ProductionChoices& choices,
                                     std::vector<std::string>& notes) {
  if (const std::string fault = PortsFault(choices.ports); !fault.empty())
    return {MessageKind::Error, fault, false};
  TemplateInput read_template = ReadProvisionTemplate(choices.template_path);
  if (!read_template.block) return read_template.fault;
  template_block_ = read_template.block;
  TableInput units = ReadProvisionTable(choices.units_path, *template_block_);
  if (!units.table) return units.fault;
  notes.insert(notes.end(), units.notes.begin(), units.notes.end());
  table_ = std::move(units.table);
  record_ = OpenProvisionRecord(choices.record);
  if (!record_.record) return record_.fault;
  StartProvisionBatch(record_, *table_, *template_block_, choices.units_path, choices.operator_name,
                      choices.station);
  if (!record_.error.ok()) return record_.fault;
  notes.push_back(record_.note);
  recorded_ =
      std::make_unique<RecordedRun>(*record_.record, *table_, record_.batch.id, choices.station);
  ports_ = choices.ports;
  destination_ = choices.record;
  control_ = std::make_unique<RunControl>(ports_.size());
  settings_ = {ports_, choices.line, std::chrono::seconds(choices.timeout_seconds), false,
               control_.get()};
  return {};
}

void ProductionRunner::Start() {
  ended_ = false;
  thread_ = std::jthread([this](std::stop_token) {
    const ProvisionOutcome outcome =
        RunRecordedProvisioning(settings_, *table_, *recorded_, nullptr, *this, stop_.get_token());
    Ended(outcome);
  });
}

void ProductionRunner::Abort() {
  stop_.request_stop();
  control_->Finish();
}

// From the ports' threads: handed to the window's thread, where the receivers live.
void ProductionRunner::SlotChanged(std::size_t port_index, const SlotEvent& event) {
  QMetaObject::invokeMethod(
      this, [this, port_index, event] { emit slotChanged(static_cast<int>(port_index), event); },
      Qt::QueuedConnection);
}

void ProductionRunner::UnitEnded(std::size_t port_index, const LogEntry& entry) {
  QMetaObject::invokeMethod(
      this, [this, port_index, entry] { emit unitEnded(static_cast<int>(port_index), entry); },
      Qt::QueuedConnection);
}

void ProductionRunner::Ended(const ProvisionOutcome& outcome) {
  const QString fault = FromUtf8(RunEndFault(outcome));
  QMetaObject::invokeMethod(
      this,
      [this, fault] {
        ended_ = true;
        emit ended(fault);
      },
      Qt::QueuedConnection);
}

std::string RunEndFault(const ProvisionOutcome& outcome) {
  if (outcome.open_error)
    return *outcome.unopened_port + ": " + outcome.open_error->message + NothingWrittenText();
  if (!outcome.record_error.ok())
    return outcome.record_error.message +
           "; the station was stopped, the unit it was on is logged not-recorded";
  return {};
}

}  // namespace dtu
