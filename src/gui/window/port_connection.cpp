#include "gui/window/port_connection.h"

#include <QTimer>

#include <chrono>
#include <utility>

#include "core/serial/port_open_message.h"
#include "core/serial/serial_port.h"

namespace dtu {
namespace {

constexpr std::uint32_t kWindowEventMask = kPortEventRxChar;
constexpr int kWriteBufferSize = 4096;

// How long an engine report from the monitor waits for a PortMsgGone that makes it needless. The
// monitor sends PortMsgGone straight after the report, so this is ample.
constexpr std::chrono::milliseconds kReportHold{250};

}  // namespace

PortConnection::PortConnection(UserMessages& messages, Handler handler, QObject* parent)
    : QObject(parent), messages_(messages), handler_(std::move(handler)) {}

PortConnection::~PortConnection() {
  // The engine goes first: once it is destroyed its monitor thread has ended, so no further
  // call can be posted to this object while it is being destroyed.
  Close();
}

bool PortConnection::Open(const PortSettings& settings, std::string& failure) {
  Close();
  auto engine = std::make_unique<SerialPort>(static_cast<UserMessages&>(*this));
  if (!engine->OpenPort(*this, settings.device, settings.baud_rate, settings.parity,
                        settings.data_bits, settings.stop_bits, kWindowEventMask,
                        kWriteBufferSize)) {
    failure = PortOpenFailureMessage(settings.device, engine->open_error().code);
    return false;
  }
  if (!engine->StartMonitor()) {
    failure = "无法打开串口 " + settings.device + "：无法启动串口的监视线程。";
    return false;
  }
  engine_ = std::move(engine);
  device_ = settings.device;
  return true;
}

void PortConnection::Close() {
  engine_.reset();
  device_.clear();
}

bool PortConnection::Send(std::string_view text) {
  if (!engine_) return false;
  engine_->SendText(text);
  return true;
}

void PortConnection::NotificationPending() {
  // Monitor thread: only post, never touch the engine or the window here.
  QMetaObject::invokeMethod(this, &PortConnection::DispatchOnOwnThread, Qt::QueuedConnection);
}

void PortConnection::DispatchOnOwnThread() {
  // A call posted by an engine that has since been closed finds nothing (or, after a new open,
  // nothing waiting): DispatchPending with nothing pending does nothing.
  if (!engine_) return;
  dispatching_ = true;
  engine_->DispatchPending();
  dispatching_ = false;
}

void PortConnection::HandlePortMessage(const PortNotification& notification) {
  // The owner says that the port is gone; the engine's report of why would be a second box.
  if (notification.message == PortMessage::PortMsgGone) held_reports_.clear();
  if (handler_) handler_(notification);
}

void PortConnection::Show(MessageKind kind, std::string_view text, std::string_view caption) {
  if (!dispatching_) {
    messages_.Show(kind, text, caption);
    return;
  }
  held_reports_.push_back({kind, std::string(text), std::string(caption)});
  QTimer::singleShot(kReportHold, this, &PortConnection::ShowHeldReports);
}

Answer PortConnection::Ask(std::string_view text, std::string_view caption, Answer default_answer) {
  return messages_.Ask(text, caption, default_answer);
}

void PortConnection::ShowHeldReports() {
  std::vector<Report> reports;
  reports.swap(held_reports_);
  for (const Report& report : reports) messages_.Show(report.kind, report.text, report.caption);
}

}  // namespace dtu
