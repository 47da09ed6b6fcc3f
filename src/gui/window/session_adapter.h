#pragma once

#include <QObject>
#include <QSocketNotifier>
#include <QTimer>

#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "core/device/device_event.h"
#include "core/device/device_exchange.h"
#include "core/serial/port_backend.h"
#include "core/session/exchange.h"
#include "core/session/reply_timing.h"
#include "core/session/session_observer.h"
#include "core/session/session_open_error.h"
#include "core/session/unit_session.h"
#include "gui/window/port_settings.h"

namespace dtu {

// The window's unit session: the core's one conversation with a unit, driven from Qt's event
// loop. A socket notifier on the session's wake-up descriptor runs the session whenever the
// engine's monitor has bytes, and a single-shot timer whenever the time rule needs a look, so
// everything the session tells arrives on the user-interface thread, in order, as signals.
//
// One exchange at a time (busy()); it ends when its answer is complete, by the session's time
// rule, by Cancel(), or when the port closes or vanishes (finished()). The last exchange stays
// readable after it has ended, for the message that tells what happened. Closing (or destroying
// this object) stops the monitor at once, also while a long answer streams in.
class SessionAdapter : public QObject, private SessionObserver {
  Q_OBJECT

 public:
  explicit SessionAdapter(QObject* parent = nullptr, std::unique_ptr<PortBackend> backend = {});
  ~SessionAdapter() override;

  // Opens the port; on LineRefused it is open nonetheless.
  std::optional<SessionOpenError> Open(const PortSettings& settings);
  void Close();
  bool isOpen() const { return session_.is_open(); }
  // The device of the port last opened.
  const std::string& device() const { return session_.device(); }

  // Starts an exchange; false (nothing sent) when the port is closed or one is under way.
  bool Start(const ExchangeRequest& request);
  void Cancel() { session_.Cancel(); }
  bool busy() const { return session_.busy(); }
  // The exchange under way, or the last one once it has ended; nothing before the first.
  const DeviceExchange* exchange() const;

  std::chrono::milliseconds replyLimit() const { return reply_limit_; }
  void setReplyLimit(std::chrono::milliseconds limit) { reply_limit_ = limit; }

  // What the progress shows: the block's digits for a read, the frame's bytes for a write.
  static int ProgressTotal(ExchangeKind kind);

 signals:
  void started(dtu::ExchangeKind kind);
  void progressed(int done, int total);
  void finished(const dtu::ExchangeResult& result);
  void recognised(const dtu::DeviceEvent& event);
  void sent(const std::string& bytes);
  void received(const std::string& bytes, bool late);
  // A call on the port failed and the port goes on: the engine's report of it.
  void portFailed(const std::string& report);
  // The port vanished; the adapter is closed.
  void portLost(const dtu::PortLoss& loss);

 private:
  void Run();
  void ArmTimer();
  void ShowProgress();

  // SessionObserver
  void Sent(std::string_view bytes) override;
  void Received(std::string_view bytes, bool late) override;
  void Recognised(const DeviceEvent& event) override;
  void Ended(const ExchangeResult& result) override;
  void PortFailed(const PortFailure& failure, std::string_view report) override;
  void PortLost(const PortLoss& loss) override;

  std::chrono::milliseconds reply_limit_{std::chrono::seconds(kDefaultReplySeconds)};
  std::optional<DeviceExchange> last_;
  int shown_progress_ = -1;
  QTimer deadline_;
  UnitSession session_;
  QSocketNotifier wakeup_;
};

}  // namespace dtu
