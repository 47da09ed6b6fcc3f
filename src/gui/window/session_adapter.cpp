#include "gui/window/session_adapter.h"

#include <algorithm>
#include <utility>

#include "core/block/parameter_block.h"
#include "core/device/device_commands.h"

namespace dtu {

SessionAdapter::SessionAdapter(QObject* parent, std::unique_ptr<PortBackend> backend)
    : QObject(parent),
      session_(std::move(backend)),
      wakeup_(session_.wakeup_fd(), QSocketNotifier::Read) {
  session_.SetObserver(this);
  deadline_.setSingleShot(true);
  connect(&deadline_, &QTimer::timeout, this, &SessionAdapter::Run);
  connect(&wakeup_, &QSocketNotifier::activated, this, &SessionAdapter::Run);
}

SessionAdapter::~SessionAdapter() {
  // Nobody is told anything any more: the window going away owns what the signals reach.
  session_.SetObserver(nullptr);
  session_.Close();
}

std::optional<SessionOpenError> SessionAdapter::Open(const PortSettings& settings) {
  return session_.Open(settings.device, settings.line());
}

void SessionAdapter::Close() {
  session_.Close();
  ArmTimer();
}

bool SessionAdapter::Start(const ExchangeRequest& request) {
  if (!session_.Begin(request)) return false;
  shown_progress_ = -1;
  emit started(request.kind);
  // The engine does not tell how far a write has got: the frame shows as sent.
  const int total = ProgressTotal(request.kind);
  emit progressed(request.kind == ExchangeKind::ReadParameters ? 0 : total, total);
  ArmTimer();
  return true;
}

const DeviceExchange* SessionAdapter::exchange() const {
  if (const DeviceExchange* current = session_.current()) return current;
  return last_ ? &*last_ : nullptr;
}

int SessionAdapter::ProgressTotal(ExchangeKind kind) {
  return static_cast<int>(kind == ExchangeKind::ReadParameters ? 2 * kBlockSize
                                                               : kParameterFrameSize);
}

void SessionAdapter::Run() {
  session_.Pump();
  ShowProgress();
  ArmTimer();
}

// The timer fires when the time rule may end the exchange under way.
void SessionAdapter::ArmTimer() {
  const std::optional<UnitSession::Clock::time_point> until = session_.deadline();
  if (!until) {
    deadline_.stop();
    return;
  }
  const auto left =
      std::chrono::ceil<std::chrono::milliseconds>(*until - UnitSession::Clock::now());
  deadline_.start(static_cast<int>(std::clamp<std::chrono::milliseconds::rep>(
      left.count(), 0, std::chrono::milliseconds::rep{24 * 3600 * 1000})));
}

// One signal per change of the block's digits, not per byte of the values before the block.
void SessionAdapter::ShowProgress() {
  const DeviceExchange* current = session_.current();
  if (current == nullptr || current->kind() != ExchangeKind::ReadParameters) return;
  const int done = static_cast<int>(current->block_digits());
  if (done == shown_progress_) return;
  shown_progress_ = done;
  emit progressed(done, ProgressTotal(ExchangeKind::ReadParameters));
}

void SessionAdapter::Sent(std::string_view bytes) {
  emit sent(std::string(bytes));
}

void SessionAdapter::Received(std::string_view bytes, bool late) {
  emit received(std::string(bytes), late);
}

void SessionAdapter::Recognised(const DeviceEvent& event) {
  emit recognised(event);
}

void SessionAdapter::Ended(const ExchangeResult& result) {
  last_ = result.exchange;
  shown_progress_ = -1;
  // A complete block has all its digits, also the last one, which ended the read.
  if (result.outcome == ExchangeOutcome::Completed &&
      result.exchange.kind() == ExchangeKind::ReadParameters) {
    const int total = ProgressTotal(ExchangeKind::ReadParameters);
    emit progressed(total, total);
  }
  emit finished(result);
}

void SessionAdapter::PortFailed(const PortFailure&, std::string_view report) {
  emit portFailed(std::string(report));
}

void SessionAdapter::PortLost(const PortLoss& loss) {
  emit portLost(loss);
}

}  // namespace dtu
