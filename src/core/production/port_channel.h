#pragma once

#include <memory>
#include <optional>
#include <stop_token>
#include <string>

#include "core/serial/line_settings.h"
#include "core/serial/port_backend.h"
#include "core/serial/serial_port.h"
#include "core/session/exchange.h"
#include "core/session/unit_session.h"

namespace dtu {

// Why a port could not be used, in one line for the command line and the log.
struct ChannelOpenError {
  PortOpenFailure failure = PortOpenFailure::Other;
  std::string message;
};

// One port of the production line: its device and line settings and the unit session that talks
// to the units on it, driven from the thread that owns the channel (the session's blocking
// wait). Everything but the constructor is for that thread only.
class PortChannel {
 public:
  // The platform's port unless a backend is given.
  PortChannel(std::string device, LineSettings line, std::unique_ptr<PortBackend> backend = {});

  // Opens (or opens again) the port and starts watching it; the error when it cannot be opened
  // or set up with the line settings (the port is then closed).
  std::optional<ChannelOpenError> Open();
  void Close() { session_.Close(); }
  bool is_open() const { return session_.is_open(); }

  // One exchange with the unit; `stop` cancels it.
  ExchangeResult Ask(const ExchangeRequest& request, std::stop_token stop = {});

  const std::string& device() const { return device_; }

 private:
  std::string device_;
  LineSettings line_;
  UnitSession session_;
};

// The one line that says why a port could not be opened: the system's reason, or the line
// settings' failed call.
ChannelOpenError ChannelOpenErrorOf(const SessionOpenError& error);

}  // namespace dtu
