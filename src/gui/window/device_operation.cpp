#include "gui/window/device_operation.h"

#include "core/block/parameter_block.h"
#include "core/device/device_commands.h"

namespace dtu {

DeviceOperation::DeviceOperation(QObject* parent) : QObject(parent) {
  silence_.setSingleShot(true);
  connect(&silence_, &QTimer::timeout, this, [this] { Finish(ExchangeOutcome::TimedOut); });
}

int DeviceOperation::ProgressTotal(ExchangeKind kind) {
  return static_cast<int>(kind == ExchangeKind::ReadParameters ? 2 * kBlockSize
                                                               : kParameterFrameSize);
}

void DeviceOperation::Start(ExchangeKind kind, std::string_view sent,
                            std::chrono::milliseconds transmit_time) {
  exchange_.emplace(kind, sent);
  busy_ = true;
  shown_progress_ = -1;
  silence_.start(transmit_time + reply_limit_);
  emit started(kind);
  // The engine does not tell how far a write has got: the frame shows as sent.
  const int total = ProgressTotal(kind);
  emit progressed(kind == ExchangeKind::ReadParameters ? 0 : total, total);
}

void DeviceOperation::ByteReceived(std::uint8_t byte) {
  if (!busy_) return;
  exchange_->AddReceived(byte);
  silence_.start(reply_limit_);
}

void DeviceOperation::BlockDigitsCounted(std::size_t digits) {
  if (!busy_ || exchange_->kind() != ExchangeKind::ReadParameters) return;
  exchange_->SetBlockDigits(digits);
  // One signal per change, not per byte of the labelled values before the block.
  const int done = static_cast<int>(digits);
  if (done == shown_progress_) return;
  shown_progress_ = done;
  emit progressed(done, ProgressTotal(ExchangeKind::ReadParameters));
}

void DeviceOperation::Finish(ExchangeOutcome outcome) {
  if (!busy_) return;
  busy_ = false;
  silence_.stop();
  // A complete block has all its digits, also the last one, which ended the read.
  if (outcome == ExchangeOutcome::Completed && exchange_->kind() == ExchangeKind::ReadParameters) {
    exchange_->SetBlockDigits(2 * kBlockSize);
    emit progressed(ProgressTotal(ExchangeKind::ReadParameters),
                    ProgressTotal(ExchangeKind::ReadParameters));
  }
  emit finished(outcome);
}

}  // namespace dtu
