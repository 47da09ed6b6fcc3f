#include "core/serial/port_hotplug_monitor.h"

#include <fcntl.h>

#include <system_error>

namespace dtu {

PortHotplugMonitor::PortHotplugMonitor() : context_(udev_new()) {
  if (!context_) return;
  UdevMonitor monitor(udev_monitor_new_from_netlink(context_.get(), "udev"));
  if (!monitor ||
      udev_monitor_filter_add_match_subsystem_devtype(monitor.get(), "tty", nullptr) < 0 ||
      udev_monitor_enable_receiving(monitor.get()) < 0)
    return;
  // TakeEvents() reads until nothing waits, and must not block then.
  const int fd = udev_monitor_get_fd(monitor.get());
  const int flags = ::fcntl(fd, F_GETFL);
  if (flags < 0 || ::fcntl(fd, F_SETFL, flags | O_NONBLOCK) < 0) return;
  monitor_ = std::move(monitor);
}

PortHotplugMonitor::~PortHotplugMonitor() = default;

int PortHotplugMonitor::fd() const {
  return monitor_ ? udev_monitor_get_fd(monitor_.get()) : -1;
}

std::vector<PortHotplugMonitor::Event> PortHotplugMonitor::TakeEvents() {
  std::vector<Event> events;
  if (!monitor_) return events;
  while (const UdevDevice device{udev_monitor_receive_device(monitor_.get())}) {
    const char* action = udev_device_get_action(device.get());
    const char* node = udev_device_get_devnode(device.get());
    events.push_back({action != nullptr ? action : "", node != nullptr ? node : ""});
  }
  return events;
}

bool PortHotplugMonitor::DaemonRuns(const std::filesystem::path& run_folder) {
  std::error_code error;
  return std::filesystem::exists(run_folder / "control", error);
}

}  // namespace dtu
