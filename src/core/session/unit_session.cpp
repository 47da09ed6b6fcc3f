#include "core/session/unit_session.h"

#include <poll.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <limits>
#include <type_traits>
#include <utility>

#include "core/message_language.h"
#include "core/system_error_text.h"

namespace dtu {
namespace {

SessionOpenError::Kind KindOf(PortOpenFailure failure) {
  switch (failure) {
    case PortOpenFailure::Missing:
      return SessionOpenError::Kind::Missing;
    case PortOpenFailure::Busy:
      return SessionOpenError::Kind::Busy;
    case PortOpenFailure::NoPermission:
      return SessionOpenError::Kind::NoPermission;
    case PortOpenFailure::NotATerminal:
      return SessionOpenError::Kind::NotATerminal;
    default:
      return SessionOpenError::Kind::Other;
  }
}

// Received characters only, a write buffer a parameter frame fits with room to spare, and word
// of each write, after which the answer may come.
constexpr PortWatch kWatch{kPortEventRxChar, 4096, true};

SessionOpenError NoMonitor(std::string reason) {
  SessionOpenError error;
  error.kind = SessionOpenError::Kind::NoMonitor;
  error.reason = std::move(reason);
  return error;
}

}  // namespace

UnitSession::UnitSession(std::unique_ptr<PortBackend> backend, ClockSource clock)
    : clock_(clock ? std::move(clock) : ClockSource(&Clock::now)),
      port_(std::make_unique<SerialPort>(std::move(backend))) {}

UnitSession::~UnitSession() {
  // The monitor first: nothing may signal or be handed over while the rest goes.
  port_->ClosePort();
}

std::optional<SessionOpenError> UnitSession::Open(std::string_view device,
                                                  const LineSettings& line) {
  Close();
  device_ = device;
  line_ = line;
  if (wakeup_.fd() < 0) return NoMonitor(Say("没有剩余的事件描述符", "no event descriptor left"));
  if (!port_->OpenPort(*this, device, line, kWatch)) {
    const PortOpenError& failed = port_->open_error();
    SessionOpenError error;
    error.kind = KindOf(failed.kind());
    error.code = failed.code;
    // The reason in the messages' language where the system's number is known.
    error.reason = failed.code != 0 ? SystemErrorText(failed.code) : failed.text;
    if (error.kind == SessionOpenError::Kind::NoPermission)
      error.group = DeviceOwnerGroup(std::filesystem::path(device));
    return error;
  }
  if (!port_->StartMonitor()) {
    port_->ClosePort();
    return NoMonitor(Say("监视线程没有启动", "the monitor thread did not start"));
  }
  open_ = true;
  lost_ = false;
  if (const PortFailure& setup = port_->setup_failure()) {
    SessionOpenError error;
    error.kind = SessionOpenError::Kind::LineRefused;
    error.code = setup.error;
    error.reason = SystemErrorText(setup.error);
    error.setup = setup;
    error.report = port_->DescribeFailure(setup);
    return error;
  }
  return std::nullopt;
}

void UnitSession::Close() {
  if (active_) {
    now_ = clock_();
    Finish(ExchangeOutcome::PortClosed);
  }
  port_->ClosePort();
  open_ = false;
  lost_ = false;
  FlushReceived();
  Deliver();
}

bool UnitSession::Begin(const ExchangeRequest& request) {
  if (!is_open() || active_) return false;
  // Whatever an earlier answer left half recognised goes: it is not this command's answer.
  link_.Reset();
  FlushReceived();
  now_ = clock_();
  active_.emplace(Active{
      ExchangeResult{ExchangeOutcome::Completed,
                     DeviceExchange(request.kind, request.command),
                     TimingFor(request.kind, request.command.size(), line_, request.reply_limit),
                     {},
                     {}},
      now_, now_, false});
  port_->SendText(request.command);
  told_.push_back(SentItem{request.command});
  Deliver();
  return true;
}

void UnitSession::Pump() {
  wakeup_.Clear();
  now_ = clock_();
  // Bytes handed over now count before the clock is looked at: they arrived in time.
  port_->DispatchPending();
  FlushReceived();
  CheckTime(now_);
  Deliver();
}

void UnitSession::Cancel() {
  if (!active_) return;
  FlushReceived();
  now_ = clock_();
  Finish(ExchangeOutcome::Cancelled);
  Deliver();
}

std::optional<UnitSession::Clock::time_point> UnitSession::deadline() const {
  if (!active_) return std::nullopt;
  const ReplyTiming& timing = active_->result.timing;
  return std::min(active_->last_byte + timing.silence, active_->started + timing.overall);
}

ExchangeResult UnitSession::Ask(const ExchangeRequest& request, std::stop_token stop,
                                int interrupt_fd) {
  if (stop.stop_requested()) return Unsent(request, ExchangeOutcome::Cancelled);
  if (!Begin(request))
    return Unsent(request, lost_ ? ExchangeOutcome::PortLost : ExchangeOutcome::PortClosed);
  // A stop wakes the wait; the loop then sees it.
  const std::stop_callback wake_on_stop(stop, [this] { wakeup_.Signal(); });
  while (active_) {
    AwaitWakeup(interrupt_fd);
    Pump();
    const bool interrupted = [&] {
      if (interrupt_fd < 0) return false;
      pollfd watched{interrupt_fd, POLLIN, 0};
      return ::poll(&watched, 1, 0) > 0;
    }();
    if (active_ && (stop.stop_requested() || interrupted)) Cancel();
  }
  return *last_result_;
}

// Until the monitor signals, the interrupt descriptor is readable or the deadline has come.
void UnitSession::AwaitWakeup(int interrupt_fd) {
  int timeout_ms = -1;
  if (const std::optional<Clock::time_point> until = deadline()) {
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(*until - clock_());
    timeout_ms = static_cast<int>(std::clamp<std::chrono::milliseconds::rep>(
        left.count(), 0, std::numeric_limits<int>::max()));
  }
  std::array<pollfd, 2> fds{{{wakeup_.fd(), POLLIN, 0}, {interrupt_fd, POLLIN, 0}}};
  const nfds_t count = interrupt_fd >= 0 ? 2 : 1;
  while (::poll(fds.data(), count, timeout_ms) < 0 && errno == EINTR) {
    // A signal that was caught: the interrupt descriptor says whether it is ours.
  }
}

// Monitor thread: only wakes the owner's thread.
void UnitSession::NotificationPending() {
  wakeup_.Signal();
}

// The owner's thread, inside DispatchPending().
void UnitSession::HandlePortMessage(const PortNotification& notification) {
  switch (notification.message) {
    case PortMessage::PortMsgRxChar:
      OnByte(notification.byte);
      break;
    case PortMessage::PortMsgWritten:
      // The time rule counts from the send: it allows for the command's line time already.
      if (active_) active_->written = true;
      break;
    case PortMessage::PortMsgFailure:
      FlushReceived();
      told_.push_back(
          FailedItem{notification.failure, port_->DescribeFailure(notification.failure)});
      break;
    case PortMessage::PortMsgGone:
      OnGone(notification.failure);
      break;
    default:
      break;  // the session watches received characters only
  }
}

void UnitSession::OnByte(std::uint8_t byte) {
  const bool late = !active_ || !active_->written;
  if (receiving_.late != late) FlushReceived();
  receiving_.late = late;
  receiving_.bytes += static_cast<char>(byte);
  if (late) return;
  active_->last_byte = now_;
  active_->result.exchange.AddReceived(byte);
  link_.FeedChar(byte);
  if (active_) active_->result.exchange.SetBlockDigits(link_.block_digits());
}

void UnitSession::OnGone(const PortFailure& failure) {
  FlushReceived();
  lost_ = true;
  PortLoss loss{failure, SystemErrorText(failure.error)};
  if (active_) {
    active_->result.loss = loss;
    Finish(ExchangeOutcome::PortLost);
  }
  told_.push_back(std::move(loss));
}

// Inside FeedChar: the byte has been fully recognised.
void UnitSession::Recognised(const DeviceEvent& event) {
  if (!active_) return;
  FlushReceived();  // the bytes before the event they make
  active_->result.events.push_back(event);
  if (Completes(event)) {
    const auto* answer = std::get_if<AcknowledgementEvent>(&event);
    const bool refused = answer != nullptr && answer->acknowledgement == Acknowledgement::Refused;
    if (std::holds_alternative<BlockEvent>(event))
      active_->result.exchange.SetBlockDigits(DeviceLink::kBlockHexSize);
    Finish(refused ? ExchangeOutcome::Refused : ExchangeOutcome::Completed);
  }
  told_.push_back(event);
}

bool UnitSession::Completes(const DeviceEvent& event) const {
  switch (active_->result.exchange.kind()) {
    case ExchangeKind::ReadParameters:
      return std::holds_alternative<BlockEvent>(event);
    case ExchangeKind::WriteParameters: {
      const auto* answer = std::get_if<AcknowledgementEvent>(&event);
      return answer != nullptr && answer->acknowledgement != Acknowledgement::CodeAccepted;
    }
    case ExchangeKind::ReadSignal: {
      const auto* status = std::get_if<StatusEvent>(&event);
      return status != nullptr && status->field == StatusField::Signal;
    }
  }
  return false;
}

void UnitSession::CheckTime(Clock::time_point now) {
  if (!active_) return;
  const ReplyTiming& timing = active_->result.timing;
  if (now - active_->started >= timing.overall ||
      active_->result.exchange.received_count() >= timing.most_bytes)
    Finish(ExchangeOutcome::Overlong);
  else if (now - active_->last_byte >= timing.silence)
    Finish(ExchangeOutcome::TimedOut);
}

void UnitSession::Finish(ExchangeOutcome outcome) {
  Active ended = std::move(*active_);
  active_.reset();
  ended.result.outcome = outcome;
  ended.result.took = std::chrono::ceil<std::chrono::milliseconds>(now_ - ended.started);
  last_result_ = ended.result;
  told_.push_back(std::move(ended.result));
}

ExchangeResult UnitSession::Unsent(const ExchangeRequest& request, ExchangeOutcome outcome) const {
  return {outcome,
          DeviceExchange(request.kind, request.command),
          TimingFor(request.kind, request.command.size(), line_, request.reply_limit),
          {},
          {}};
}

void UnitSession::FlushReceived() {
  if (receiving_.bytes.empty()) return;
  told_.push_back(std::move(receiving_));
  receiving_ = {{}, false};
}

// One item at a time from the front: an observer that lets the session go on from inside a call
// (a modal box's event loop) hears the rest from there, still in order.
void UnitSession::Deliver() {
  while (!told_.empty()) {
    const Item item = std::move(told_.front());
    told_.pop_front();
    Tell(item);
  }
}

void UnitSession::Tell(const Item& item) {
  if (observer_ == nullptr) return;
  std::visit(
      [this](const auto& told) {
        using Told = std::decay_t<decltype(told)>;
        if constexpr (std::is_same_v<Told, SentItem>)
          observer_->Sent(told.bytes);
        else if constexpr (std::is_same_v<Told, ReceivedItem>)
          observer_->Received(told.bytes, told.late);
        else if constexpr (std::is_same_v<Told, DeviceEvent>)
          observer_->Recognised(told);
        else if constexpr (std::is_same_v<Told, ExchangeResult>)
          observer_->Ended(told);
        else if constexpr (std::is_same_v<Told, FailedItem>)
          observer_->PortFailed(told.failure, told.report);
        else
          observer_->PortLost(told);
      },
      item);
}

}  // namespace dtu
