#include "dtusim/simulated_dtu.h"

#include <algorithm>
#include <utility>

#include "core/message_language.h"
#include "core/text/hex_text.h"

namespace dtusim {

SimulatedDtu::SimulatedDtu(dtu::ParameterBlock block, DeviceStatus status, FaultSet faults,
                           StoreBlock store, Report report)
    : block_(block),
      faults_(faults),
      store_(std::move(store)),
      report_(std::move(report)),
      replies_(std::move(status), faults_) {}

std::vector<Reply> SimulatedDtu::Feed(std::string_view bytes) {
  std::vector<Reply> replies;
  for (const Command& command : scanner_.Feed(bytes)) {
    if (faults_.contains(Fault::Silent)) {
      Tell(dtu::Say("命令被忽略（silent）", "command ignored (silent)"));
      continue;
    }
    if (faults_.contains(Fault::Babble)) {
      Tell(dtu::Say("用不停的乱码回答命令（babble）",
                    "command answered with endless junk (babble)"));
      replies.push_back(replies_.BabbleReply());
      continue;
    }
    replies.push_back(Handle(command));
  }
  return replies;
}

Reply SimulatedDtu::Handle(const Command& command) {
  switch (command.kind) {
    case CommandKind::GetParameters:
      Tell(dtu::Say("读取参数", "read parameters"));
      return replies_.ParametersReply(block_);
    case CommandKind::GetSignal:
      Tell(dtu::Say("读取信号强度", "read signal strength"));
      return replies_.SignalReply();
    case CommandKind::SetParameters:
      return WriteBlock(command.frame_digits);
    case CommandKind::AbandonedFrame:
      // The writer is told at once that nothing was stored rather than left waiting.
      Tell(dtu::Say("参数帧被新命令截断：拒绝",
                    "parameter frame cut off by a new command: refused"));
      return replies_.RejectedReply();
  }
  return {};
}

Reply SimulatedDtu::WriteBlock(const std::string& digits) {
  dtu::ParameterBlock received;
  const std::vector<std::uint8_t> bytes = dtu::DecodeHexText(digits);
  std::copy_n(bytes.begin(), std::min(bytes.size(), received.bytes().size()),
              received.bytes().begin());
  if (faults_.contains(Fault::Reject)) {
    Tell(dtu::Say("参数帧被拒绝（reject）", "parameter frame refused (reject)"));
    return replies_.RejectedReply();
  }
  if (!dtu::VerifyBlock(received)) {
    Tell(dtu::Say("参数帧校验和不符：拒绝", "parameter frame with a wrong checksum: refused"));
    return replies_.RejectedReply();
  }
  if (store_ && !store_(received)) {
    Tell(dtu::Say("参数帧无法保存：拒绝", "parameter frame could not be stored: refused"));
    return replies_.RejectedReply();
  }
  block_ = received;
  Tell(dtu::Say("参数帧已保存", "parameter frame stored"));
  return replies_.AcceptedReply();
}

void SimulatedDtu::Tell(std::string_view what) const {
  if (report_) report_(what);
}

}  // namespace dtusim
