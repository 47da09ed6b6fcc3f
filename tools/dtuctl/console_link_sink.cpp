#include "console_link_sink.h"

#include "command_support.h"
#include "link_event_text.h"

namespace dtuctl {

// Flushed at once: a script or a user watching sees each value as the unit sends it.
void ConsoleLinkSink::PrintLine(const std::string& line) const {
  if (status_out_ == stdout) {
    WriteToStdout(command_, line + "\n");
    return;
  }
  const std::string ended = line + "\n";
  std::fwrite(ended.data(), 1, ended.size(), status_out_);
  std::fflush(status_out_);
}

void ConsoleLinkSink::Message(dtu::MessageKind kind, std::string_view text,
                              std::string_view caption) {
  if (caption == dtu::kSetParametersCaption) {
    if (!settings_answer_) settings_answer_ = std::string(text);
    return;
  }
  messages_.Show(kind, text, caption);
}

void ConsoleLinkSink::SetAddress(int row, std::string_view text) {
  const std::string_view label = AddressLabel(row);
  PrintLine(label.empty() ? "address " + std::to_string(row) + ": " + EscapeText(text)
                          : LabelledLine(label, text));
}

void ConsoleLinkSink::SetStatusText(int control_id, std::string_view text) {
  const std::string_view label = StatusLabel(control_id);
  PrintLine(label.empty() ? "status " + std::to_string(control_id) + ": " + EscapeText(text)
                          : LabelledLine(label, text));
}

// The value's text has already been printed as the signal strength status.
void ConsoleLinkSink::SetSignal(int value) {
  if (!signal_) signal_ = value;
}

void ConsoleLinkSink::BlockReceived(const dtu::ParameterBlock& block) {
  if (!block_) block_ = block;
}

}  // namespace dtuctl
