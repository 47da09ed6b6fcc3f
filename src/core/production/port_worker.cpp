#include "core/production/port_worker.h"

#include <condition_variable>
#include <mutex>

#include "core/production/provision_record.h"
#include "core/production/unit_provisioner.h"

namespace dtu {
namespace {

// How often an idle port asks whether a unit is there, and the reply limit of that question.
constexpr std::chrono::milliseconds kPollInterval{1000};
constexpr std::chrono::milliseconds kPollAnswerTime{1000};

std::string Describe(const LogEntry& entry) {
  std::string text = UnitName(entry.unit);
  if (entry.row_line > 0) text += " 第 " + std::to_string(entry.row_line) + " 行";
  return text + "：" + std::string(ResultName(entry.result)) + " " + entry.message;
}

}  // namespace

bool SleepUnlessStopped(std::chrono::milliseconds duration, std::stop_token stop) {
  std::mutex mutex;
  std::condition_variable_any never;
  std::unique_lock lock(mutex);
  return !never.wait_for(lock, stop, duration, [] { return false; }) && !stop.stop_requested();
}

PortWorker::PortWorker(std::size_t index, PortChannel& channel, RowAssigner& rows,
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
  return stop.stop_requested() || record_.log_failed() || rows_.AllDone();
}

void PortWorker::Run(std::stop_token stop) {
  if (settings_.once) {
    ProvisionOne(stop);
    return;
  }
  while (!Finished(stop)) {
    if (!WaitForUnit(stop) || !ProvisionOne(stop) || Finished(stop)) break;
    WaitForDeparture(stop);
  }
  if (!stop.stop_requested() && rows_.AllDone()) Show("表中的行都已完成");
}

// False when the run is to end: stopped, or the log could not be written.
bool PortWorker::ProvisionOne(std::stop_token stop) {
  UnitProvisioner provisioner(channel_, rows_, settings_.timeout,
                              [this](std::string_view step) { Show(step); });
  const std::optional<LogEntry> entry = provisioner.Provision(stop);
  if (!entry) return false;
  const bool logged = record_.Add(*entry);
  Show(Describe(*entry));
  progress_.UnitEnded(index_, *entry);
  return logged;
}

ExchangeOutcome PortWorker::Poll(std::stop_token stop) {
  return channel_.Ask(ReadSignalRequest(kPollAnswerTime), stop).outcome;
}

// True once a unit answers; false when the run ends first.
bool PortWorker::WaitForUnit(std::stop_token stop) {
  Show("等待单元");
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

// Until the unit just handled no longer answers (or its port is gone).
void PortWorker::WaitForDeparture(std::stop_token stop) {
  Show("请换下一个单元");
  while (!Finished(stop) && channel_.is_open()) {
    if (Poll(stop) != ExchangeOutcome::Completed) return;
    if (!SleepUnlessStopped(kPollInterval, stop)) return;
  }
}

// Opens a vanished port again once it is back; false when the run ends first.
bool PortWorker::Reopen(std::stop_token stop) {
  Show("端口不见了，等它回来");
  while (!Finished(stop)) {
    if (!channel_.Open()) {
      Show("等待单元");
      return true;
    }
    if (!SleepUnlessStopped(kPollInterval, stop)) return false;
  }
  return false;
}

}  // namespace dtu
