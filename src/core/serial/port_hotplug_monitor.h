#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "core/serial/udev_pointers.h"

namespace dtu {

// Where udev's daemon keeps its control socket while it runs.
inline const std::filesystem::path kUdevRunFolder = "/run/udev";

// Listens to udev's announcements of terminals (the tty subsystem) that appear, change or go: an
// adapter plugged in or pulled out. udev announces a device once its rules have run, so its
// /dev/serial/ links are there by then. fd() becomes readable when announcements wait;
// TakeEvents() reads them without blocking. For an event loop: watch fd(), then TakeEvents().
class PortHotplugMonitor {
 public:
  struct Event {
    std::string action;  // "add", "remove", "change", ...
    std::string device;  // "/dev/ttyUSB0"; empty for a terminal without a device node
  };

  // Starts listening; valid() is false where udev cannot be used.
  PortHotplugMonitor();
  PortHotplugMonitor(const PortHotplugMonitor&) = delete;
  PortHotplugMonitor& operator=(const PortHotplugMonitor&) = delete;
  ~PortHotplugMonitor();

  bool valid() const { return monitor_ != nullptr; }
  int fd() const;
  std::vector<Event> TakeEvents();

  // Whether udev's daemon runs here (its run folder holds its control socket). Without it
  // nothing is ever announced, and /dev has to be watched instead.
  static bool DaemonRuns(const std::filesystem::path& run_folder = kUdevRunFolder);

 private:
  UdevContext context_;
  UdevMonitor monitor_;
};

}  // namespace dtu
