#pragma once

#include <QObject>

#include "core/serial/port_hotplug_monitor.h"

class QSocketNotifier;

namespace dtu {

// udev's announcements of serial ports plugged in or pulled out, in the window's event loop:
// portsChanged() after each batch of them.
class PortHotplugWatch : public QObject {
  Q_OBJECT

 public:
  explicit PortHotplugWatch(QObject* parent = nullptr);

  // False where udev cannot be used: nothing will be announced.
  bool valid() const { return monitor_.valid(); }

 signals:
  void portsChanged();

 private:
  void TakeEvents();

  PortHotplugMonitor monitor_;
  QSocketNotifier* notifier_ = nullptr;  // owned by Qt's parent chain
};

}  // namespace dtu
