// dtuctl export FILE|--port DEV [-o OUT]: a parameter set as its text form.
#include <CLI/CLI.hpp>

#include <optional>
#include <string>

#include "block_text_support.h"
#include "command.h"
#include "command_support.h"
#include "console_event_printer.h"
#include "console_messages.h"
#include "core/block/block_check.h"
#include "core/block/parameter_file.h"
#include "core/block/parameter_text.h"
#include "core/message_language.h"
#include "core/session/exchange.h"
#include "port_options.h"
#include "unit_question.h"

namespace dtuctl {
namespace {

constexpr std::string_view kName = "export";
constexpr std::string_view kDescription =
    R"(Writes the parameter block of the parameter file FILE, or the block read from the unit
on DEV, as its text form: a JSON object with one member per field, in block order
(docs/text-form.md describes it). Every byte of the block is kept: 'dtuctl import'
gives the same 660 bytes back. Only a block whose checksum matches is exported.
Status values the unit reports while it is read go to stderr.)";
constexpr std::string_view kFooter =
    R"(exit status: 0 written, 1 bad usage, FILE unreadable or OUT not written, 2 checksum
mismatch, 4 no complete block in time, 5 no such port, 6 port busy, 7 port vanished,
8 port unusable)";
constexpr std::string_view kChineseDescription =
    R"(把参数文件 FILE 的参数块，或从 DEV 上的单元读到的参数块，写成文本形式：一个 JSON 对象，
每个字段一个成员，按参数块的顺序（见 docs/text-form.md）。参数块的每个字节都保留：
'dtuctl import' 能还原同样的 660 字节。只导出校验和相符的参数块。读取时单元报告的状态值
写到标准错误。)";
constexpr std::string_view kChineseFooter =
    R"(退出状态：0 已写出，1 用法有误、FILE 无法读取或 OUT 未写出，2 校验和不符，4 没有及时收到
完整的参数块，5 没有这个串口，6 串口被占用，7 串口消失，8 串口无法使用)";

// The block the unit on the port sends, checked as `read` checks it.
BlockSource ReadUnitBlock(const PortOptions& port, ConsoleMessages& messages) {
  ConsoleEventPrinter printer(kName, messages, stderr);
  printer.SetPort(port.device);
  const UnitAnswer answer = AskUnit(kName, port,
                                    {dtu::ReadParametersRequest(ReplyLimitOf(port)),
                                     dtu::Say("完整的参数块", "a complete parameter block")},
                                    printer);
  if (answer.status != kExitOk) return {std::nullopt, answer.status};
  const dtu::ParameterBlock& block = answer.result->block()->block;
  if (!dtu::VerifyBlock(block)) {
    messages.Show(dtu::MessageKind::Plain, dtu::BlockMismatchMessage());
    return {std::nullopt, kExitChecksum};
  }
  return {block, kExitOk};
}

class ExportCommand final : public Command {
 public:
  void Define(CLI::App& parser) override {
    parser.add_option("FILE", file_);
    AddOutputOption(parser, output_,
                    dtu::Say("把文本写入 OUT，而不是标准输出",
                             "write the text to OUT instead of standard output"))
        ->option_text("OUT");
    AddPortOptions(parser, port_, false);
    // Exactly one source: the file or the unit.
    parser.callback([this] {
      if (file_.empty() && port_.device.empty())
        throw CLI::ValidationError(dtu::Say("缺少 FILE", "missing FILE"));
      if (!file_.empty() && !port_.device.empty())
        throw CLI::ValidationError(
            dtu::Say("多余的操作数 '" + file_ + "'", "unexpected operand '" + file_ + "'"));
    });
  }

  int Run() override {
    ConsoleMessages messages;
    if (!file_.empty() && !OutputIsNotInput(file_, output_, messages)) return kExitFailure;
    const BlockSource source = port_.device.empty() ? ReadCheckedBlockFile(file_, messages)
                                                    : ReadUnitBlock(port_, messages);
    if (!source.block) return source.status;
    const std::string text = dtu::ExportBlockText(*source.block);
    if (output_.empty()) return WriteToStdout(kName, text) ? kExitOk : kExitFailure;
    const dtu::FileResult written = dtu::WriteTextFile(output_, text);
    if (written.ok()) return kExitOk;
    messages.Show(dtu::MessageKind::Error, output_ + ": " + written.message);
    return kExitFailure;
  }

 private:
  std::string file_;
  std::string output_;
  PortOptions port_;
};

const RegisterCommand<ExportCommand> kRegistered{
    {kName, "write a parameter file or a unit's block as editable text (JSON)", kDescription,
     kFooter, "把参数文件或单元的参数块写成可编辑的文本（JSON）", kChineseDescription,
     kChineseFooter}};

}  // namespace
}  // namespace dtuctl
