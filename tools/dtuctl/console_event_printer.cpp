#include "console_event_printer.h"

#include <system_error>
#include <variant>

#include "command_support.h"
#include "core/device/device_event_text.h"
#include "core/message_language.h"
#include "core/system_error_text.h"
#include "link_event_text.h"

namespace dtuctl {

// Flushed at once: a script or a user watching sees each value as the unit sends it.
void ConsoleEventPrinter::PrintLine(const std::string& line) const {
  if (status_out_ == stdout) {
    WriteToStdout(command_, line + "\n");
    return;
  }
  const std::string ended = line + "\n";
  std::fwrite(ended.data(), 1, ended.size(), status_out_);
  std::fflush(status_out_);
}

void ConsoleEventPrinter::Recognised(const dtu::DeviceEvent& event) {
  const dtu::EventText shown = dtu::TextOf(event);
  if (const auto* answer = std::get_if<dtu::AcknowledgementEvent>(&event)) {
    if (answer->acknowledgement == dtu::Acknowledgement::CodeAccepted)
      messages_.Show(shown.icon, shown.text, shown.caption);
    return;
  }
  if (std::holds_alternative<dtu::BlockEvent>(event)) return;
  PrintLine(LabelledLine(shown.label, shown.text));
}

// One line: the port, the call and the system's reason; the port goes on.
void ConsoleEventPrinter::PortFailed(const dtu::PortFailure& failure, std::string_view) {
  Complain(command_, port_ + ": " + std::string(failure.call) + dtu::Say(" 失败：", " failed: ") +
                         dtu::SystemErrorText(failure.error));
}

}  // namespace dtuctl
