// dtuctl write --port DEV FILE: writes a parameter file's block to a unit, as "设置参数" does.
#include <CLI/CLI.hpp>

#include <optional>
#include <string>

#include "command.h"
#include "command_support.h"
#include "console_messages.h"
#include "core/block/block_check.h"
#include "history_keeper.h"
#include "port_options.h"
#include "unit_write.h"

namespace dtuctl {
namespace {

constexpr std::string_view kName = "write";
constexpr std::string_view kDescription =
    R"(Writes the block of the parameter file FILE to the unit on DEV: the block is checked as
the tool checks a file it opens (checksum, then normalised), sealed, and sent behind
"$$$AT+SETPARA". The unit's answer decides the outcome: "$$$SETOK" prints
"参数设置成功!", "$$$ChkErr" prints "参数校验失败!" on stderr. Status values the
unit reports meanwhile are printed as "label: value" lines.

Before the write the unit's block is read and kept in the units' history with the
block sent and the unit's answer ('dtuctl history'), so that what the unit held can be
put back; a unit that cannot be read is not written. --no-history neither reads nor
keeps anything. With --verify the block is read back after "$$$SETOK": the write is
kept as verified when every field is as sent, else the fields that differ are listed.)";
constexpr std::string_view kFooter =
    R"(exit status: 0 stored by the unit, 1 bad usage or FILE missing, too short or
unreadable, 2 FILE's checksum does not match, 3 the unit rejected the frame, 4 no
answer in time (whether the unit stored the block is then unknown), 5 no such port,
6 port busy, 7 port vanished, 8 port unusable, 9 --verify: the block read back differs)";
constexpr std::string_view kChineseDescription =
    R"(把参数文件 FILE 的参数块写入 DEV 上的单元：参数块按本工具检查它打开的文件的方式检查（校验
和，然后规范化）、封装，并在 "$$$AT+SETPARA" 之后发送。由单元的回答决定结果："$$$SETOK"
显示 "参数设置成功!"，"$$$ChkErr" 在标准错误上显示 "参数校验失败!"。期间单元报告的状态值
显示为 "标签: 值" 行。

写入之前读取单元的参数块，与发送的参数块和单元的回答一起保存在单元历史中（'dtuctl history'），
以便能放回单元原有的内容；无法读取的单元不写入。--no-history 既不读取也不保存。用 --verify
时在 "$$$SETOK" 之后读回参数块：每个字段都与发送的相同时，这次写入记为已验证，否则列出不同
的字段。)";
constexpr std::string_view kChineseFooter =
    R"(退出状态：0 单元已保存，1 用法有误或 FILE 不存在、太短或无法读取，2 FILE 的校验和不符，
3 单元拒绝了该帧，4 没有及时回答（这时不知道单元是否保存了参数块），5 没有这个串口，6 串口
被占用，7 串口消失，8 串口无法使用，9 --verify：读回的参数块不同)";
std::string VerifyHelp() {
  return dtu::Say("写入后读回参数块并比较", "read the block back after the write and compare");
}

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
    messages.Show(dtu::MessageKind::Plain, path + ": " + dtu::BlockMismatchMessage());
    status = kExitChecksum;
    return std::nullopt;
  }
  return block;
}

class WriteCommand final : public Command {
 public:
  void Define(CLI::App& parser) override {
    AddPortOptions(parser, port_);
    AddFileOperand(parser, path_);
    parser.add_flag("--verify", verify_, VerifyHelp());
    history_.Define(parser);
  }

  int Run() override {
    ConsoleMessages messages;
    int status = kExitOk;
    std::optional<dtu::ParameterBlock> block = LoadFileBlock(path_, messages, status);
    if (!block) return status;
    return WriteToUnit({kName, port_, *block, verify_, {}}, history_, messages);
  }

 private:
  PortOptions port_;
  std::string path_;
  bool verify_ = false;
  HistoryKeeper history_;
};

const RegisterCommand<WriteCommand> kRegistered{
    {kName, "write a parameter file's block to a unit over a serial port", kDescription, kFooter,
     "通过串口把参数文件的参数块写入单元", kChineseDescription, kChineseFooter}};

}  // namespace
}  // namespace dtuctl
