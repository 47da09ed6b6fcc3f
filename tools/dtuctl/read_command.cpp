// dtuctl read --port DEV [-o FILE]: reads a unit's parameters, as the "读取参数" button does.
#include <CLI/CLI.hpp>

#include <string>

#include "block_text_support.h"
#include "command.h"
#include "command_support.h"
#include "console_event_printer.h"
#include "console_messages.h"
#include "core/block/block_check.h"
#include "core/message_language.h"
#include "core/session/exchange.h"
#include "history_keeper.h"
#include "port_options.h"
#include "unit_question.h"

namespace dtuctl {
namespace {

constexpr std::string_view kName = "read";
constexpr std::string_view kDescription =
    R"(Asks the unit on DEV for its parameters ("$$$AT+GETPARA?") and prints what it
reports about itself as it arrives, one "label: value" line each (e.g.
"软件版本: V3.6.2", "信号强度: 23", "DTU的IP地址: 10.20.30.40"), then the
summary of the parameter block it sends. The block is checked as the tool checks it:
a checksum mismatch is refused with "参数设置有误，请重新设置" on stderr.

The block is kept in the units' history ('dtuctl history') under the unit's board serial
and module serial, unless --no-history is given.)";
constexpr std::string_view kOutputHelp =
    R"(save the block as the parameter file FILE, exactly as received
(only a block whose checksum matches is saved; an existing file
is overwritten from its start and not shortened, as the tool
saves))";
constexpr std::string_view kFooter =
    R"(The read fails when the unit's answer pauses longer than the time limit (beyond the
time the line needs to carry the block), or when it goes on without ever forming one.

exit status: 0 read, 1 bad usage or FILE not written, 2 checksum mismatch, 4 no
complete block in time, 5 no such port, 6 port busy, 7 port vanished, 8 port unusable)";
constexpr std::string_view kChineseDescription =
    R"(向 DEV 上的单元询问它的参数（"$$$AT+GETPARA?"），在收到时显示它报告的自身情况，每条一行
"标签: 值"（例如 "软件版本: V3.6.2"、"信号强度: 23"、"DTU的IP地址: 10.20.30.40"），然后是
它发来的参数块的摘要。参数块按本工具的方式检查：校验和不符时被拒绝，在标准错误上显示
"参数设置有误，请重新设置"。

除非给出 --no-history，参数块以单元的板卡序列号和模块序列号保存在单元历史中
（'dtuctl history'）。)";
constexpr std::string_view kChineseFooter =
    R"(单元的回答停顿超过时限（在线路传送参数块所需的时间之外），或一直继续却始终不构成参数块时，
读取失败。

退出状态：0 已读取，1 用法有误或 FILE 未写出，2 校验和不符，4 没有及时收到完整的参数块，
5 没有这个串口，6 串口被占用，7 串口消失，8 串口无法使用)";

class ReadCommand final : public Command {
 public:
  void Define(CLI::App& parser) override {
    AddPortOptions(parser, port_);
    AddOutputOption(parser, output_,
                    dtu::Say("把参数块原样存为参数文件 FILE\n（只保存校验和相符的参数块；"
                             "已有的文件\n从头改写，不会变短，与本工具保存时一样）",
                             std::string(kOutputHelp)));
    history_.Define(parser);
  }

  int Run() override {
    ConsoleMessages messages;
    ConsoleEventPrinter printer(kName, messages);
    printer.SetPort(port_.device);
    const UnitAnswer answer = AskUnit(kName, port_,
                                      {dtu::ReadParametersRequest(ReplyLimitOf(port_)),
                                       dtu::Say("完整的参数块", "a complete parameter block")},
                                      printer);
    if (answer.status != kExitOk) return answer.status;
    history_.KeepRead(port_.device, *answer.result);
    return Deliver(answer.result->block()->block, messages);
  }

 private:
  // Saves an accepted block when asked, then prints its summary: the file is there even when
  // the output goes nowhere. Returns the exit status.
  int Deliver(const dtu::ParameterBlock& received, ConsoleMessages& messages) const {
    dtu::ParameterBlock loaded = received;
    if (!dtu::PrepareLoadedBlock(loaded)) {
      messages.Show(dtu::MessageKind::Plain, dtu::BlockMismatchMessage());
      return kExitChecksum;
    }
    const int saved = output_.empty()
                          ? kExitOk
                          : (SaveUnitBlock(output_, received, messages) ? kExitOk : kExitFailure);
    return PrintSummaryOf(kName, loaded) ? saved : kExitFailure;
  }

  PortOptions port_;
  std::string output_;
  HistoryKeeper history_;
};

const RegisterCommand<ReadCommand> kRegistered{
    {kName, "read a unit's parameters and status over a serial port", kDescription, kFooter,
     "通过串口读取单元的参数和状态", kChineseDescription, kChineseFooter}};

}  // namespace
}  // namespace dtuctl
