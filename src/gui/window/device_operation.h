#pragma once

#include <QObject>
#include <QTimer>

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

#include "core/device/device_exchange.h"

namespace dtu {

// The command under way with the unit, if any: a read or a write that waits for its answer.
// Only one at a time: the window starts none while busy(). It ends when the answer has arrived
// (Finish(Completed), called by the window), when the port is closed or vanishes, or by itself
// when no byte has arrived for the reply limit (finished(TimedOut)). The wait for the first
// byte also allows the time the line needs to carry the command.
//
// What shows the operation (buttons, cursor, a progress bar, a status bar or a traffic log)
// follows started(), progressed() and finished(). The last exchange stays readable after it has
// ended, for the message that tells what happened.
class DeviceOperation : public QObject {
  Q_OBJECT

 public:
  explicit DeviceOperation(QObject* parent = nullptr);

  bool busy() const { return busy_; }
  // The exchange under way, or the last one once it has ended; nothing before the first.
  const std::optional<DeviceExchange>& exchange() const { return exchange_; }

  std::chrono::milliseconds replyLimit() const { return reply_limit_; }
  void setReplyLimit(std::chrono::milliseconds limit) { reply_limit_ = limit; }

  // Starts an exchange; `sent` is what went to the unit.
  void Start(ExchangeKind kind, std::string_view sent, std::chrono::milliseconds transmit_time);
  // A byte from the unit, and the block digits the device link has counted after it.
  void ByteReceived(std::uint8_t byte);
  void BlockDigitsCounted(std::size_t digits);
  // Ends the exchange under way (nothing when none is).
  void Finish(ExchangeOutcome outcome);

  // What the progress shows: the block's digits for a read, the frame's bytes for a write.
  static int ProgressTotal(ExchangeKind kind);

 signals:
  void started(dtu::ExchangeKind kind);
  void progressed(int done, int total);
  void finished(dtu::ExchangeOutcome outcome);

 private:
  QTimer silence_;
  std::chrono::milliseconds reply_limit_{std::chrono::seconds(kDefaultReplySeconds)};
  std::optional<DeviceExchange> exchange_;
  bool busy_ = false;
  int shown_progress_ = -1;
};

}  // namespace dtu
