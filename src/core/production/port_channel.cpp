#include "core/production/port_channel.h"

#include <algorithm>
#include <utility>

#include "core/device/status_ids.h"

namespace dtu {
namespace {

// The main window's write buffer: a parameter frame fits with room to spare.
constexpr int kWriteBufferSize = 4096;
// Bits a byte takes on the line: start, data, parity and stop bits, rounded up.
constexpr long long kBitsPerByte = 11;

}  // namespace

void PortChannel::EngineMessages::Show(MessageKind, std::string_view text, std::string_view) {
  last = std::string(text);
  ++count;
}

Answer PortChannel::EngineMessages::Ask(std::string_view, std::string_view, Answer default_answer) {
  return default_answer;
}

void PortChannel::ReportSink::Message(MessageKind, std::string_view text,
                                      std::string_view caption) {
  if (caption == kSetParametersCaption && !report.settings_answer)
    report.settings_answer = std::string(text);
}

void PortChannel::ReportSink::SetAddress(int, std::string_view) {}

void PortChannel::ReportSink::SetStatusText(int control_id, std::string_view text) {
  switch (control_id) {
    case main_id::kBoardSerial:
      report.unit.board_serial = text;
      break;
    case main_id::kModuleSerial:
      report.unit.module_serial = text;
      break;
    case main_id::kVersion:
      report.firmware = text;
      break;
    case main_id::kSignalText:
      report.signal = text;
      break;
    default:
      break;
  }
}

void PortChannel::ReportSink::SetSignal(int) {}

void PortChannel::ReportSink::BlockReceived(const ParameterBlock& block) {
  if (!report.block) report.block = block;
}

PortChannel::PortChannel(std::string device, LineSettings line)
    : device_(std::move(device)), line_(line) {}

PortChannel::~PortChannel() = default;

std::optional<ChannelOpenError> PortChannel::Open() {
  Close();
  port_ = std::make_unique<SerialPort>(messages_);
  const int reports_before = messages_.count;
  if (!port_->OpenPort(*this, device_, line_.baud_rate, line_.parity, line_.data_bits,
                       line_.stop_bits, kPortEventRxChar, kWriteBufferSize)) {
    ChannelOpenError error{port_->open_error().kind(), port_->open_error().text};
    port_.reset();
    return error;
  }
  // A unit on a wrongly set line would only seem not to answer.
  if (messages_.count != reports_before || !port_->StartMonitor()) {
    port_.reset();
    return ChannelOpenError{PortOpenFailure::Other, messages_.count != reports_before
                                                        ? messages_.last
                                                        : "the monitor thread did not start"};
  }
  lost_ = false;
  return std::nullopt;
}

std::chrono::milliseconds PortChannel::LineTime(std::size_t bytes) const {
  const long long bits = static_cast<long long>(bytes) * kBitsPerByte;
  return std::chrono::milliseconds(bits * 1000 / std::max(line_.baud_rate, 1) + 1);
}

void PortChannel::Close() {
  port_.reset();
  std::lock_guard lock(mutex_);
  notification_waiting_ = false;
}

PortChannel::Outcome PortChannel::Ask(std::string_view command, std::chrono::milliseconds limit,
                                      const AnsweredTest& answered, std::stop_token stop) {
  report_ = UnitReport{};
  link_.Reset();
  if (!is_open()) return Outcome::PortLost;
  const auto deadline = std::chrono::steady_clock::now() + limit;
  answered_ = &answered;
  port_->SendText(command);
  Outcome outcome = Outcome::Answered;
  while (!answered(report_)) {
    if (lost_) {
      outcome = Outcome::PortLost;
      break;
    }
    if (stop.stop_requested()) {
      outcome = Outcome::Stopped;
      break;
    }
    std::unique_lock lock(mutex_);
    // Checked before waiting, so that a unit that never stops talking still runs out of time.
    if (std::chrono::steady_clock::now() >= deadline ||
        !wakeup_.wait_until(lock, stop, deadline, [this] { return notification_waiting_; })) {
      outcome = stop.stop_requested() ? Outcome::Stopped : Outcome::NoAnswer;
      break;
    }
    notification_waiting_ = false;
    lock.unlock();
    port_->DispatchPending();
  }
  answered_ = nullptr;
  return outcome;
}

// Monitor thread: only wakes the channel's thread.
void PortChannel::NotificationPending() {
  {
    std::lock_guard lock(mutex_);
    notification_waiting_ = true;
  }
  wakeup_.notify_one();
}

// The channel's thread, inside DispatchPending().
void PortChannel::HandlePortMessage(const PortNotification& notification) {
  if (notification.message == PortMessage::PortMsgGone) {
    lost_ = true;
  } else if (notification.message == PortMessage::PortMsgRxChar && answered_ != nullptr &&
             !(*answered_)(report_)) {
    link_.FeedChar(notification.byte);
  }
}

}  // namespace dtu
