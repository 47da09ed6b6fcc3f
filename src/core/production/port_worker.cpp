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
                       ProvisionRecord& record, ProvisionProgress& progress, Settings settings)
    : index_(index),
      channel_(channel),
      rows_(rows),
      record_(record),
      progress_(progress),
      settings_(settings) {}

void PortWorker::Show(std::string_view text) {
  progress_.Update(index_, text);
}

bool PortWorker::Finished(std::stop_token stop) const {
  return stop.stop_requested() || record_.failed() || rows_.AllDone();
}

void PortWorker::Run(std::stop_token stop) {
  if (settings_.once) {
    ProvisionOne(stop);
    return;
  }
  bool next_unit_there = false;
  while (!Finished(stop)) {
    if (!next_unit_there && !WaitForUnit(stop)) break;
    if (!ProvisionOne(stop) || Finished(stop)) break;
    next_unit_there = WaitForDeparture(stop);
  }
  if (!stop.stop_requested() && rows_.AllDone())
    Show(Say("表中的行都已完成", "every row of the table is done"));
}

// False when the run is to end: stopped, or the log or the record could not be written. The
// unit is reported once its line is logged and recorded, as the line was kept.
bool PortWorker::ProvisionOne(std::stop_token stop) {
  UnitProvisioner provisioner(channel_, rows_, settings_.timeout,
                              [this](std::string_view step) { Show(step); });
  std::optional<UnitAttempt> attempt = provisioner.Provision(stop);
  if (!attempt) return false;
  last_unit_ = attempt->entry.unit;
  const bool kept = record_.Add(*attempt);
  Show(Describe(attempt->entry));
  progress_.UnitEnded(index_, attempt->entry);
  return kept;
}

ExchangeOutcome PortWorker::Poll(std::stop_token stop) {
  return channel_.Ask(ReadSignalRequest(kPollAnswerTime), stop).outcome;
}

// True once a unit answers; false when the run ends first.
bool PortWorker::WaitForUnit(std::stop_token stop) {
  Show(Say("等待单元", "waiting for a unit"));
  while (!Finished(stop)) {
    if (!channel_.is_open() && !Reopen(stop)) return false;
    const ExchangeOutcome outcome = Poll(stop);
    if (outcome == ExchangeOutcome::Completed) return true;
    if (outcome == ExchangeOutcome::TimedOut || outcome == ExchangeOutcome::Overlong) continue;
    if (outcome == ExchangeOutcome::Cancelled || !SleepUnlessStopped(kPollInterval, stop))
      return false;
  }
  return false;
}

// Until the unit just handled no longer answers (or its port is gone); true when another unit
// answers in its place (swapped within a question's silence).
bool PortWorker::WaitForDeparture(std::stop_token stop) {
  Show(Say("请换下一个单元", "put the next unit on"));
  while (!Finished(stop) && channel_.is_open()) {
    const ExchangeResult answer = channel_.Ask(ReadParametersRequest(kPollAnswerTime), stop);
    if (answer.outcome != ExchangeOutcome::Completed) return false;
    const UnitIdentity unit = ReportOf(answer).unit;
    if (last_unit_.known() && unit != last_unit_) return true;
    if (!SleepUnlessStopped(kPollInterval, stop)) return false;
  }
  return false;
}

// Opens a vanished port again once it is back; false when the run ends first.
bool PortWorker::Reopen(std::stop_token stop) {
  Show(Say("端口不见了，等它回来", "the port is gone; waiting for it to come back"));
  while (!Finished(stop)) {
    if (!channel_.Open()) {
      Show(Say("等待单元", "waiting for a unit"));
      return true;
    }
    if (!SleepUnlessStopped(kPollInterval, stop)) return false;
  }
  return false;
}

}  // namespace dtu
