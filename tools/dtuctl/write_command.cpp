// dtuctl write --port DEV FILE: writes a parameter file's block to a unit, as "设置参数" does.
#include <CLI/CLI.hpp>

#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "command.h"
#include "command_support.h"
#include "console_event_printer.h"
#include "console_messages.h"
#include "core/block/block_check.h"
#include "core/device/device_event_text.h"
#include "core/session/exchange.h"
#include "port_options.h"
#include "unit_question.h"

namespace dtuctl {
namespace {

constexpr std::string_view kName = "write";
constexpr std::string_view kDescription =
    R"(Writes the block of the parameter file FILE to the unit on DEV: the block is checked as
the tool checks a file it opens (checksum, then normalised), sealed, and sent behind
"$$$AT+SETPARA". The unit's answer decides the outcome: "$$$SETOK" prints
"参数设置成功!", "$$$ChkErr" prints "参数校验失败!" on stderr. Status values the
unit reports meanwhile are printed as "label: value" lines.)";
constexpr std::string_view kFooter =
    R"(exit status: 0 stored by the unit, 1 bad usage or FILE missing, too short or
unreadable, 2 FILE's checksum does not match, 3 the unit rejected the frame, 4 no
answer in time (whether the unit stored the block is then unknown), 5 no such port,
6 port busy, 7 port vanished, 8 port unusable)";

// The block the unit is sent: a file whose checksum does not match is refused, as the tool
// refuses to open it, rather than sealed afresh around whatever damaged it.
std::optional<dtu::ParameterBlock> LoadFileBlock(const std::string& path, ConsoleMessages& messages,
                                                 int& status) {
  std::optional<dtu::ParameterBlock> block = ReadBlockFile(path, messages);
  if (!block) {
    status = kExitFailure;
    return std::nullopt;
  }
  if (!dtu::PrepareLoadedBlock(*block)) {
    messages.Show(dtu::MessageKind::Plain, path + ": " + std::string(dtu::kBlockMismatchMessage));
    status = kExitChecksum;
    return std::nullopt;
  }
  return block;
}

// "参数设置成功!" on stdout; "参数校验失败!" on stderr.
int JudgeAnswer(const dtu::ExchangeResult& result, ConsoleMessages& messages) {
  const dtu::Acknowledgement answer = *result.frame_answer();
  const std::string text = dtu::TextOf(dtu::AcknowledgementEvent{answer}).text;
  if (answer == dtu::Acknowledgement::Stored)
    return WriteToStdout(kName, text + "\n") ? kExitOk : kExitFailure;
  messages.Show(dtu::MessageKind::Information, text);
  return kExitRejected;
}

class WriteCommand final : public Command {
 public:
  void Define(CLI::App& parser) override {
    AddPortOptions(parser, port_);
    AddFileOperand(parser, path_);
  }

  int Run() override {
    ConsoleMessages messages;
    int status = kExitOk;
    std::optional<dtu::ParameterBlock> block = LoadFileBlock(path_, messages, status);
    if (!block) return status;
    ConsoleEventPrinter printer(kName, messages);
    printer.SetPort(port_.device);
    const UnitAnswer answer = AskUnit(kName, port_,
                                      {dtu::WriteParametersRequest(*block, ReplyLimitOf(port_)),
                                       "the unit's answer to the parameter frame"},
                                      printer);
    return answer.status == kExitOk ? JudgeAnswer(*answer.result, messages) : answer.status;
  }

 private:
  PortOptions port_;
  std::string path_;
};

const RegisterCommand<WriteCommand> kRegistered{
    {kName, "write a parameter file's block to a unit over a serial port", kDescription, kFooter}};

}  // namespace
}  // namespace dtuctl
