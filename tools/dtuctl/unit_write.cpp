#include "unit_write.h"

#include <string>

#include "block_text_support.h"
#include "command.h"
#include "command_support.h"
#include "console_event_printer.h"
#include "core/block/parameter_text.h"
#include "core/device/device_event_text.h"
#include "core/message_language.h"
#include "unit_question.h"

namespace dtuctl {
namespace {

std::string ReadBefore() {
  return dtu::Say("写入前读取的设备参数块", "the unit's parameter block, read before the write");
}
std::string WriteAnswer() {
  return dtu::Say("设备对参数帧的应答", "the unit's answer to the parameter frame");
}
std::string ReadBack() {
  return dtu::Say("写入后读回的设备参数块",
                  "the unit's parameter block, read back after the write");
}

// The console's printer that keeps a read it makes on its own quiet: the unit's status values
// are not printed again, a failure on the port still is.
class QuietPrinter final : public ConsoleEventPrinter {
 public:
  using ConsoleEventPrinter::ConsoleEventPrinter;
  void Recognised(const dtu::DeviceEvent&) override {}
};

// "参数设置成功!" on stdout; "参数校验失败!" on stderr.
int JudgeAnswer(std::string_view command, dtu::Acknowledgement answer, ConsoleMessages& messages) {
  const std::string text = dtu::TextOf(dtu::AcknowledgementEvent{answer}).text;
  if (answer == dtu::Acknowledgement::Stored)
    return WriteToStdout(command, text + "\n") ? kExitOk : kExitFailure;
  messages.Show(dtu::MessageKind::Information, text);
  return kExitRejected;
}

// Reads the stored block back; kExitOk when every field is as sent, kExitDiffers after listing
// the fields that are not. The write is kept as verified only when they are all the same.
int VerifyWrite(const UnitWrite& write, UnitConversation& conversation, QuietPrinter& quiet,
                const dtu::ParameterBlock& sent, HistoryKeeper& history) {
  const UnitAnswer back =
      conversation.Ask({dtu::ReadParametersRequest(ReplyLimitOf(write.port)), ReadBack()}, quiet);
  if (back.status != kExitOk || back.result->block() == nullptr) {
    history.KeepSent(write.port.device, sent, dtu::HistoryEvent::Written);
    return back.status == kExitOk ? kExitFailure : back.status;
  }
  const dtu::ParameterBlock& stored = back.result->block()->block;
  std::string lines;
  for (const dtu::MemberDifference& difference : dtu::DiffBlockTexts(sent, stored))
    lines += DifferenceLine(difference);
  if (lines.empty()) {
    history.KeepSent(write.port.device, sent, dtu::HistoryEvent::Verified);
    return kExitOk;
  }
  history.KeepSent(write.port.device, sent, dtu::HistoryEvent::Written);
  history.KeepRead(write.port.device, *back.result);
  Complain(write.command, dtu::Say("读回的参数块与写入的不同：",
                                   "the block read back differs from the block written:") +
                              "\n" + lines.substr(0, lines.size() - 1));
  return kExitDiffers;
}

}  // namespace

int WriteToUnit(const UnitWrite& write, HistoryKeeper& history, ConsoleMessages& messages) {
  UnitConversation conversation(write.command, write.port);
  if (const int status = conversation.Open(); status != kExitOk) return status;
  QuietPrinter quiet(write.command, messages);
  quiet.SetPort(write.port.device);
  if (history.enabled()) {
    const UnitAnswer before = conversation.Ask(
        {dtu::ReadParametersRequest(ReplyLimitOf(write.port)), ReadBefore()}, quiet);
    if (before.status != kExitOk) return before.status;
    history.KeepRead(write.port.device, *before.result);
    if (write.accept_unit && !write.accept_unit(history.unit())) return kExitFailure;
  }
  ConsoleEventPrinter printer(write.command, messages);
  printer.SetPort(write.port.device);
  dtu::ParameterBlock sent = write.block;
  const UnitAnswer answer = conversation.Ask(
      {dtu::WriteParametersRequest(sent, ReplyLimitOf(write.port)), WriteAnswer()}, printer);
  if (answer.status != kExitOk) return answer.status;
  const dtu::Acknowledgement acknowledgement = *answer.result->frame_answer();
  const bool stored = acknowledgement == dtu::Acknowledgement::Stored;
  const int judged = JudgeAnswer(write.command, acknowledgement, messages);
  if (!stored || !write.verify) {
    history.KeepSent(write.port.device, sent,
                     stored ? dtu::HistoryEvent::Written : dtu::HistoryEvent::Refused);
    return judged;
  }
  const int verified = VerifyWrite(write, conversation, quiet, sent, history);
  return judged != kExitOk ? judged : verified;
}

}  // namespace dtuctl
