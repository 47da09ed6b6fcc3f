#include "core/serial/serial_port.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <chrono>
#include <cstddef>
#include <future>
#include <system_error>
#include <utility>

#include "core/serial/line_settings.h"
#include "core/serial/notification_handover.h"
#include "core/serial/port_error_report.h"
#include "core/serial/port_list.h"

namespace dtu {
namespace {

// Bounds every single read, write and stall of a write.
constexpr std::chrono::milliseconds kPortTimeout{1000};

// The most one read takes from the port's input queue: one batch for the owner.
constexpr std::size_t kBatchSize = 4096;

// This many failures of the wait or the read in a row, without a byte read in between, mean
// the port no longer works: the monitor reports the first and ends after the last.
constexpr int kConsecutiveFailureLimit = 8;

// The line events a comm wake-up announces, in the order they are sent.
constexpr std::array<std::pair<std::uint32_t, PortMessage>, 5> kLineEvents = {{
    {kPortEventCts, PortMessage::PortMsgCtsChanged},
    {kPortEventRxFlag, PortMessage::PortMsgEventChar},
    {kPortEventBreak, PortMessage::PortMsgBreak},
    {kPortEventLineError, PortMessage::PortMsgLineError},
    {kPortEventRing, PortMessage::PortMsgRing},
}};

// Errors after which the port is not coming back.
bool MeansPortGone(int error) {
  return error == EIO || error == ENXIO || error == ENODEV || error == EBADF;
}

}  // namespace

// Counts failures of the monitor in a row.
class SerialPort::FailureCount {
 public:
  // Counts one failure; true when it is the first of a run (the one to report).
  bool Add() { return ++count_ == 1; }
  bool Exhausted() const { return count_ >= kConsecutiveFailureLimit; }
  void Reset() { count_ = 0; }

 private:
  int count_ = 0;
};

PortOpenFailure PortOpenError::kind() const {
  switch (code) {
    case 0:
      return PortOpenFailure::None;
    case ENOENT:
      return PortOpenFailure::Missing;
    case EBUSY:
      return PortOpenFailure::Busy;
    case EACCES:
    case EPERM:
      return PortOpenFailure::NoPermission;
    case ENOTTY:
      return PortOpenFailure::NotATerminal;
    default:
      return PortOpenFailure::Other;
  }
}

SerialPort::SerialPort() : SerialPort(nullptr) {}

SerialPort::SerialPort(std::unique_ptr<PortBackend> backend)
    : backend_(backend ? std::move(backend) : MakePlatformPortBackend()) {}

SerialPort::~SerialPort() {
  ClosePort();
}

void SerialPort::ClosePort() {
  StopMonitor();
  std::lock_guard lock(io_mutex_);
  backend_->Close();
  open_ = false;
}

bool SerialPort::OpenPort(PortOwner& owner, std::string_view device, const LineSettings& line,
                          const PortWatch& watch) {
  StopMonitor();

  owner_ = &owner;
  port_number_ = PortNumberFromName(device);
  device_ = device;
  event_mask_ = watch.event_mask;
  announce_writes_ = watch.announce_writes;
  max_text_size_ =
      watch.write_buffer_size > 0 ? static_cast<std::size_t>(watch.write_buffer_size) - 1 : 0;
  open_error_ = {};
  setup_failure_ = {};
  {
    std::lock_guard lock(text_mutex_);
    pending_text_.clear();
  }

  std::lock_guard lock(io_mutex_);
  backend_->Close();
  open_ = false;

  int error = backend_->CreateWakeups();
  if (error == 0) error = backend_->Open(std::string(device));
  if (error != 0) {
    open_error_ = {error, backend_->ErrorText(error)};
    return false;
  }
  open_ = true;
  LineSettings asserted = line;
  asserted.rts_asserted = true;
  setup_failure_ = Configure(asserted);
  backend_->Purge();
  return true;
}

// A line the port cannot take leaves the port open as it was.
PortFailure SerialPort::Configure(const LineSettings& settings) {
  backend_->SetTimeouts(kPortTimeout);
  backend_->SetEventMask(event_mask_);
  return backend_->ApplyLineSettings(settings);
}

std::string SerialPort::DescribeFailure(const PortFailure& failure) const {
  return FormatPortErrorReport(failure.call, ErrorText(failure.error), device_);
}

std::string SerialPort::ErrorText(int code) const {
  return backend_->ErrorText(code);
}

bool SerialPort::StartMonitor() {
  if (!open_ || owner_ == nullptr) return false;
  if (alive_.load()) return true;
  StopMonitor();  // one that ended by itself

  // Set before the thread starts: an owner may dispatch from the monitor thread.
  handover_ = std::make_shared<NotificationHandover>(*owner_, port_number_);
  std::promise<void> started;
  std::future<void> running = started.get_future();
  try {
    monitor_ = std::jthread([this, handover = handover_, &started] {
      alive_.store(true);
      {
        std::lock_guard lock(io_mutex_);
        backend_->Purge();
      }
      started.set_value();
      MonitorThread(*handover);
      alive_.store(false);
    });
  } catch (const std::system_error&) {
    handover_.reset();
    return false;
  }
  running.wait();
  return true;
}

void SerialPort::StopMonitor() {
  if (!monitor_.joinable()) return;
  handover_->RequestStop();
  backend_->SignalShutdown();
  monitor_.join();
  handover_.reset();
}

void SerialPort::SendText(std::string_view text) {
  text = text.substr(0, std::min(text.find('\0'), text.size()));
  text = text.substr(0, std::min(text.size(), max_text_size_));
  if (text.empty() || !open_) return;
  {
    std::lock_guard lock(text_mutex_);
    pending_text_.assign(text);
  }
  backend_->SignalWrite();
}

void SerialPort::DispatchPending() {
  // The copy keeps the hand-over alive should the handler destroy this engine.
  const std::shared_ptr<NotificationHandover> handover = handover_;
  if (handover) handover->Dispatch();
}

void SerialPort::MonitorThread(NotificationHandover& handover) {
  FailureCount failures;
  for (;;) {
    const PortWaitResult wait = backend_->Wait();
    Flow flow = Flow::Continue;
    switch (wait.wakeup) {
      case PortWakeup::Shutdown:
        return;
      case PortWakeup::Comm:
        flow = OnCommWakeup(handover, failures);
        // A unit that never pauses keeps the port readable: a write waiting meanwhile goes out
        // between two batches.
        if (flow == Flow::Continue && WriteWaiting()) flow = WritePending(handover);
        break;
      case PortWakeup::Write:
        flow = WritePending(handover);
        break;
      case PortWakeup::Hangup:
        flow = EndAsGone(handover, wait.failure);
        break;
      case PortWakeup::Failed:
        if (wait.failure.error != EINTR) flow = OnFailure(handover, failures, wait.failure);
        break;
      case PortWakeup::Spurious:
        break;
    }
    if (flow == Flow::Stop) return;
  }
}

// One batch per wake-up: every configured line event (the test is on the configured mask, not
// on what happened), then whatever one read finds queued. Nothing more is read before the
// owner has handled the batch, so the engine never reads ahead by more than one batch.
SerialPort::Flow SerialPort::OnCommWakeup(NotificationHandover& handover, FailureCount& failures) {
  NotificationHandover::Batch batch;
  for (const auto& [bit, message] : kLineEvents) {
    if ((event_mask_ & bit) != 0) batch.notices.push_back({message, 0, 0, {}});
  }
  if ((event_mask_ & kPortEventRxChar) == 0) {
    if (!batch.empty() && !handover.Deliver(std::move(batch))) return Flow::Stop;
    // Nobody reads this input; left queued it would keep the port readable and the monitor
    // spinning. The next write would purge it anyway.
    std::lock_guard lock(io_mutex_);
    backend_->DiscardInput();
    return Flow::Continue;
  }

  std::array<std::uint8_t, kBatchSize> buffer;
  PortIoResult read;
  {
    std::lock_guard lock(io_mutex_);
    read = backend_->ReadQueued(buffer);
  }
  if (read.transferred > 0) {
    failures.Reset();
    batch.bytes.assign(buffer.begin(),
                       buffer.begin() + static_cast<std::ptrdiff_t>(read.transferred));
  }
  if (!batch.empty() && !handover.Deliver(std::move(batch))) return Flow::Stop;
  return read.failure ? OnFailure(handover, failures, read.failure) : Flow::Continue;
}

bool SerialPort::WriteWaiting() {
  std::lock_guard lock(text_mutex_);
  return !pending_text_.empty();
}

// Every write starts with clean queues: whatever the port still holds is purged first.
SerialPort::Flow SerialPort::WritePending(NotificationHandover& handover) {
  backend_->ClearWrite();
  std::string text;
  {
    std::lock_guard lock(text_mutex_);
    text.swap(pending_text_);
  }
  if (text.empty()) return Flow::Continue;

  PortIoResult written;
  {
    std::lock_guard lock(io_mutex_);
    backend_->Purge();
    written = backend_->Write(text);
  }
  // A write cut short by a time-out is not an error; a failed one is reported, not retried.
  if (!written.failure)
    return !announce_writes_ || Notify(handover, PortMessage::PortMsgWritten, {}) ? Flow::Continue
                                                                                  : Flow::Stop;
  if (MeansPortGone(written.failure.error)) return EndAsGone(handover, written.failure);
  return Notify(handover, PortMessage::PortMsgFailure, written.failure) ? Flow::Continue
                                                                        : Flow::Stop;
}

SerialPort::Flow SerialPort::OnFailure(NotificationHandover& handover, FailureCount& failures,
                                       const PortFailure& failure) {
  if (MeansPortGone(failure.error)) return EndAsGone(handover, failure);
  if (failures.Add() && !Notify(handover, PortMessage::PortMsgFailure, failure)) return Flow::Stop;
  if (!failures.Exhausted()) return Flow::Continue;
  return EndAsGone(handover, failure);
}

// The owner learns that the port is gone and why, and the monitor ends.
SerialPort::Flow SerialPort::EndAsGone(NotificationHandover& handover, const PortFailure& failure) {
  Notify(handover, PortMessage::PortMsgGone, failure);
  return Flow::Stop;
}

bool SerialPort::Notify(NotificationHandover& handover, PortMessage message,
                        const PortFailure& failure) {
  return handover.Deliver({{{message, 0, 0, failure}}, {}});
}

}  // namespace dtu
