#pragma once

#include <cstdio>
#include <optional>
#include <string>
#include <string_view>

#include "core/block/parameter_block.h"
#include "core/device/device_link.h"
#include "core/user_messages.h"

namespace dtuctl {

// The console's end of the device link for the commands that talk to a unit. Every status value
// and address the unit reports is printed as it arrives, one "label: value" line each (e.g.
// "软件版本: V3.6.2"), on stdout or, for a command whose output is the block itself, on stderr.
// The answer to a parameter frame and a received block are kept for the command to judge; any
// other message goes to `messages`. `command` names the command in a message about output that
// could not be written.
class ConsoleLinkSink : public dtu::DeviceLinkSink {
 public:
  ConsoleLinkSink(std::string_view command, dtu::UserMessages& messages,
                  std::FILE* status_out = stdout)
      : command_(command), messages_(messages), status_out_(status_out) {}

  void Message(dtu::MessageKind kind, std::string_view text, std::string_view caption) override;
  void SetAddress(int row, std::string_view text) override;
  void SetStatusText(int control_id, std::string_view text) override;
  void SetSignal(int value) override;
  void BlockReceived(const dtu::ParameterBlock& block) override;

  // The first block received, exactly as it arrived.
  const std::optional<dtu::ParameterBlock>& block() const { return block_; }
  // The text of the first answer to a parameter frame.
  const std::optional<std::string>& settings_answer() const { return settings_answer_; }
  // The first signal strength reported.
  const std::optional<int>& signal() const { return signal_; }

 private:
  void PrintLine(const std::string& line) const;

  std::string command_;
  dtu::UserMessages& messages_;
  std::FILE* status_out_;
  std::optional<dtu::ParameterBlock> block_;
  std::optional<std::string> settings_answer_;
  std::optional<int> signal_;
};

}  // namespace dtuctl
