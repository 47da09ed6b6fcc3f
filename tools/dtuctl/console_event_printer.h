#pragma once

#include <cstdio>
#include <string>
#include <string_view>

#include "core/device/device_event.h"
#include "core/session/session_observer.h"
#include "core/user_messages.h"

namespace dtuctl {

// The console's view of a conversation with a unit, for the commands that talk to one. Every
// status value and address the unit reports is printed as it arrives, one "label: value" line
// each (e.g. "软件版本: V3.6.2"), on stdout or, for a command whose output is the block itself,
// on stderr. The answer to a parameter frame and a block are left to the command to judge; any
// other acknowledgement goes to `messages`. A failed call on the port is told in one line.
// `command` names the command in its messages.
class ConsoleEventPrinter : public dtu::SessionObserver {
 public:
  ConsoleEventPrinter(std::string_view command, dtu::UserMessages& messages,
                      std::FILE* status_out = stdout)
      : command_(command), messages_(messages), status_out_(status_out) {}

  void Recognised(const dtu::DeviceEvent& event) override;
  void PortFailed(const dtu::PortFailure& failure, std::string_view report) override;

  // The port the failures happened on, for their messages.
  void SetPort(std::string_view port) { port_ = port; }

 private:
  void PrintLine(const std::string& line) const;

  std::string command_;
  dtu::UserMessages& messages_;
  std::FILE* status_out_;
  std::string port_;
};

}  // namespace dtuctl
