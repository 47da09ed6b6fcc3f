#include "gui/window/port_hotplug_watch.h"

#include <QSocketNotifier>

namespace dtu {

PortHotplugWatch::PortHotplugWatch(QObject* parent) : QObject(parent) {
  if (!monitor_.valid()) return;
  notifier_ = new QSocketNotifier(monitor_.fd(), QSocketNotifier::Read, this);
  connect(notifier_, &QSocketNotifier::activated, this, &PortHotplugWatch::TakeEvents);
}

void PortHotplugWatch::TakeEvents() {
  if (!monitor_.TakeEvents().empty()) emit portsChanged();
}

}  // namespace dtu
