#include "core/production/port_worker.h"

#include <condition_variable>
#include <mutex>

#include "core/message_language.h"
#include "core/production/provision_record.h"
#include "core/production/unit_provisioner.h"

namespace dtu {
namespace {

// How often an idle port asks whether a unit is there, and the reply limit of that question.
constexpr std::chrono::milliseconds kPollInterval{1000};
constexpr std::chrono::milliseconds kPollAnswerTime{1000};
// How often a paused port looks whether the run goes on.
constexpr std::chrono::milliseconds kPauseLook{200};

std::string Describe(const LogEntry& entry) {
  std::string text = UnitName(entry.unit);
  if (entry.row_line > 0)
    text += Say(" 第 " + std::to_string(entry.row_line) + " 行",
                " line " + std::to_string(entry.row_line));
  return text + Say("：", ": ") + std::string(ResultName(entry.result)) + " " + entry.message;
}

}  // namespace

bool SleepUnlessStopped(std::chrono::milliseconds duration, std::stop_token stop) {
  std::mutex mutex;
  std::condition_variable_any never;
  std::unique_lock lock(mutex);
  return !never.wait_for(lock, stop, duration, [] { return false; }) && !stop.stop_requested();
}

PortWorker::PortWorker(std::size_t index, PortChannel& channel, RowSource& rows,
                       ProvisionRecord& record, ProvisionProgress& progress, Settings settings,
                       RunControl* control)
    : index_(index),
      channel_(channel),
      rows_(rows),
      record_(record),
      progress_(progress),
      settings_(settings),
      own_control_(control == nullptr ? std::make_unique<RunControl>(index + 1) : nullptr),
      control_(control == nullptr ? *own_control_ : *control) {}

void PortWorker::Show(std::string_view text) {
  progress_.Update(index_, text);
}

void PortWorker::Show(SlotStep step, std::string_view text) {
  SlotEvent event;
  event.step = step;
  Show(event, text);
}

void PortWorker::Show(const SlotEvent& event, std::string_view text) {
  progress_.SlotChanged(index_, event);
  progress_.Update(index_, text);
}

bool PortWorker::Finished(const std::stop_token& wait) const {
  return wait.stop_requested() || record_.failed() || rows_.AllDone();
}

void PortWorker::Run(std::stop_token stop) {
  if (settings_.once) {
    ProvisionOne(stop);
    return;
  }
  // Waiting ends at the run's stop and at the control's finish; a unit under way only at the
  // run's stop.
  const std::stop_callback tie(stop, [this] { control_.Finish(); });
  const std::stop_token wait = control_.finish_token();
  bool next_unit_there = false;
  while (!Finished(wait)) {
    if (control_.paused()) next_unit_there = false;
    if (!next_unit_there && !WaitForUnit(wait)) break;
    if (!ProvisionOne(stop) || Finished(wait)) break;
    next_unit_there = WaitForDeparture(wait);
  }
  if (!stop.stop_requested() && rows_.AllDone())
    Show(SlotStep::RowsFinished, Say("表中的行都已完成", "every row of the table is done"));
}

// False when the run is to end: stopped, or the log or the record could not be written. The
// unit is reported once its line is logged and recorded, as the line was kept.
bool PortWorker::ProvisionOne(const std::stop_token& stop) {
  UnitProvisioner provisioner(
      channel_, rows_, settings_.timeout,
      [this](const SlotEvent& event, std::string_view text) { Show(event, text); });
  std::optional<UnitAttempt> attempt = provisioner.Provision(stop);
  if (!attempt) return false;
  last_unit_ = attempt->entry.unit;
  const bool kept = record_.Add(*attempt);
  SlotEvent ended;
  const LogEntry& entry = attempt->entry;
  ended.step = Succeeded(entry.result) ? SlotStep::Done : SlotStep::Failed;
  ended.unit = entry.unit;
  ended.row_line = entry.row_line;
  ended.result = entry.result;
  ended.message = entry.message;
  Show(ended, Describe(entry));
  progress_.UnitEnded(index_, attempt->entry);
  return kept;
}

ExchangeOutcome PortWorker::Poll(const std::stop_token& wait) {
  return channel_.Ask(ReadSignalRequest(kPollAnswerTime), wait).outcome;
}

// While the run is paused; false when it ends first.
bool PortWorker::WaitWhilePaused(const std::stop_token& wait) {
  Show(SlotStep::Paused, Say("已暂停", "paused"));
  while (control_.paused())
    if (!SleepUnlessStopped(kPauseLook, wait)) return false;
  return true;
}

// True once a unit answers while the run is not paused; false when the run ends first.
bool PortWorker::WaitForUnit(const std::stop_token& wait) {
  bool told = false;
  while (!Finished(wait)) {
    if (control_.paused()) {
      if (!WaitWhilePaused(wait)) return false;
      told = false;
    }
    if (!channel_.is_open()) {
      if (!Reopen(wait)) return false;
      told = false;
    }
    if (!told) Show(SlotStep::WaitingForUnit, Say("等待单元", "waiting for a unit"));
    told = true;
    const ExchangeOutcome outcome = Poll(wait);
    if (outcome == ExchangeOutcome::Completed) {
      if (!control_.paused()) return true;
      continue;
    }
    if (outcome == ExchangeOutcome::TimedOut || outcome == ExchangeOutcome::Overlong) continue;
    if (outcome == ExchangeOutcome::Cancelled || !SleepUnlessStopped(kPollInterval, wait))
      return false;
  }
  return false;
}

// Until the unit just handled no longer answers (or its port is gone); true when another unit
// answers in its place (swapped within a question's silence), or the unit is to be tried again.
bool PortWorker::WaitForDeparture(const std::stop_token& wait) {
  control_.TakeRetry(index_);  // a retry asked for before the unit ended is none
  Show(Say("请换下一个单元", "put the next unit on"));
  while (!Finished(wait) && channel_.is_open()) {
    if (control_.TakeRetry(index_)) return true;
    const ExchangeResult answer = channel_.Ask(ReadParametersRequest(kPollAnswerTime), wait);
    if (answer.outcome != ExchangeOutcome::Completed) return false;
    const UnitIdentity unit = ReportOf(answer).unit;
    if (last_unit_.known() && unit != last_unit_) return true;
    if (!SleepUnlessStopped(kPollInterval, wait)) return false;
  }
  return false;
}

// Opens a vanished port again once it is back; false when the run ends first.
bool PortWorker::Reopen(const std::stop_token& wait) {
  Show(SlotStep::PortGone,
       Say("端口不见了，等它回来", "the port is gone; waiting for it to come back"));
  while (!Finished(wait)) {
    if (!channel_.Open()) {
      SlotEvent back;
      back.step = SlotStep::PortBack;
      progress_.SlotChanged(index_, back);
      return true;
    }
    if (!SleepUnlessStopped(kPollInterval, wait)) return false;
  }
  return false;
}

}  // namespace dtu
