#include "dtusim/command_scanner.h"

#include <algorithm>
#include <array>

#include "core/block/block_layout.h"
#include "core/device/device_commands.h"

namespace dtusim {
namespace {

constexpr std::size_t kFrameDigits = 2 * dtu::kBlockSize;

struct KnownCommand {
  std::string_view text;
  CommandKind kind;
};

constexpr std::array<KnownCommand, 3> kKnownCommands{{
    {dtu::kGetParametersCommand, CommandKind::GetParameters},
    {dtu::kGetSignalCommand, CommandKind::GetSignal},
    {dtu::kSetParametersPrefix, CommandKind::SetParameters},
}};

constexpr std::size_t kLongestCommand =
    std::ranges::max(kKnownCommands, {}, [](const KnownCommand& c) {
      return c.text.size();
    }).text.size();

}  // namespace

std::vector<Command> CommandScanner::Feed(std::string_view bytes) {
  std::vector<Command> out;
  for (const char c : bytes) {
    if (collecting_)
      Collect(c, out);
    else
      Scan(c, out);
  }
  return out;
}

void CommandScanner::Collect(char c, std::vector<Command>& out) {
  if (c == '$') {
    out.push_back({CommandKind::AbandonedFrame, {}});
    frame_.clear();
    collecting_ = false;
    Scan(c, out);
    return;
  }
  frame_.push_back(c);
  if (frame_.size() < kFrameDigits) return;
  out.push_back({CommandKind::SetParameters, std::move(frame_)});
  frame_.clear();
  collecting_ = false;
}

void CommandScanner::Scan(char c, std::vector<Command>& out) {
  recent_.push_back(c);
  if (recent_.size() > kLongestCommand) recent_.erase(0, recent_.size() - kLongestCommand);
  for (const KnownCommand& command : kKnownCommands) {
    if (!std::string_view(recent_).ends_with(command.text)) continue;
    recent_.clear();  // a command's characters never count towards the next one
    if (command.kind == CommandKind::SetParameters) {
      collecting_ = true;
      frame_.reserve(kFrameDigits);
    } else {
      out.push_back({command.kind, {}});
    }
    return;
  }
}

}  // namespace dtusim
