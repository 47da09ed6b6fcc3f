#pragma once

#include <optional>
#include <string>

#include "core/serial/port_failure.h"
#include "core/serial/port_open_message.h"
#include "core/serial/serial_port.h"

namespace dtu {

// Why a unit session could not open its port.
struct SessionOpenError {
  enum class Kind {
    Missing,       // no such device (ENOENT)
    Busy,          // another program holds it (EBUSY)
    NoPermission,  // the user may not open it (EACCES, EPERM); `group` owns the device
    NotATerminal,  // it is no serial port (ENOTTY)
    LineRefused,   // opened, but the line settings could not be put on it (`setup`)
    NoMonitor,     // opened, but it cannot be watched (no thread or no wake-up left)
    Other,         // anything else: `reason` has the system's words
  };

  Kind kind = Kind::Other;
  int code = 0;                      // the errno of the failure, 0 when there is none
  std::string reason;                // the system's text for it ("No such file or directory")
  std::optional<DeviceGroup> group;  // NoPermission: the group owning the device, if known
  PortFailure setup;                 // LineRefused: the configuration call that failed
  std::string report;                // LineRefused: the engine's report of it, for a box
};

// The engine's kind of failure for the error: Other for a port that opened but could not be set
// up or watched.
PortOpenFailure OpenFailureOf(const SessionOpenError& error);

}  // namespace dtu
