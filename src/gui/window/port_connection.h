#pragma once

#include <QObject>

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "core/serial/port_notification.h"
#include "core/user_messages.h"

namespace dtu {

class SerialPort;

// The line settings the window's port controls produce.
struct PortSettings {
  std::string device;  // e.g. "/dev/ttyUSB0"
  int baud_rate = 9600;
  char parity = 'N';  // 'N', 'O' or 'E'
  int data_bits = 8;
  int stop_bits = 1;
};

// The window's side of the serial engine: owns the engine while the port is open and brings its
// notifications to the user-interface thread. The engine's monitor thread announces each
// notification with NotificationPending(); that posts a call to this object's thread, which lets
// the engine hand the notification over there (DispatchPending), so the handler always runs on
// the user-interface thread, one notification at a time, in order. Engine reports raised on the
// monitor thread are shown the same way, through the UserMessages given here.
//
// A port that vanishes is the owner's to report, once, in its own words: the engine's report of
// the failure that ended the port (raised on the monitor thread, just before PortMsgGone) is
// held back for a moment and dropped when PortMsgGone follows; any other report is shown after
// that moment. Reports raised on this thread (while the port is being opened) are shown at once.
//
// Closing (or destroying this object) destroys the engine, which stops its monitor at once even
// while a notification waits: a reply that is still streaming in never holds up a close.
class PortConnection : public QObject, public PortOwner, private UserMessages {
  Q_OBJECT

 public:
  using Handler = std::function<void(const PortNotification&)>;

  // `messages` must outlive this object; `handler` runs on this object's thread and may call
  // Close().
  PortConnection(UserMessages& messages, Handler handler, QObject* parent = nullptr);
  ~PortConnection() override;

  // Opens the port and starts monitoring it (character-received events only, a 4096-byte write
  // buffer). Returns false with `failure` set to the message for the user when the port cannot
  // be opened or monitored (in Chinese, with the fix for missing permission); the connection
  // then stays closed.
  bool Open(const PortSettings& settings, std::string& failure);
  void Close();
  bool IsOpen() const { return engine_ != nullptr; }
  // The device of the open port (empty when closed).
  const std::string& device() const { return device_; }

  // Hands the text to the engine; false (nothing sent) when the port is closed.
  bool Send(std::string_view text);

  // PortOwner
  void NotificationPending() override;
  void HandlePortMessage(const PortNotification& notification) override;

 private:
  struct Report {
    MessageKind kind;
    std::string text;
    std::string caption;
  };

  void DispatchOnOwnThread();
  void ShowHeldReports();

  // UserMessages, for the engine.
  void Show(MessageKind kind, std::string_view text, std::string_view caption = {}) override;
  Answer Ask(std::string_view text, std::string_view caption, Answer default_answer) override;

  UserMessages& messages_;
  Handler handler_;
  std::unique_ptr<SerialPort> engine_;
  std::string device_;
  bool dispatching_ = false;
  std::vector<Report> held_reports_;
};

}  // namespace dtu
