// dtuctl set FILE NAME=VALUE... [-o OUT]: changes fields of a parameter file by name.
#include <CLI/CLI.hpp>

#include <optional>
#include <string>
#include <vector>

#include "block_text_support.h"
#include "command.h"
#include "command_support.h"
#include "console_messages.h"
#include "core/block/parameter_file.h"
#include "core/block/parameter_text.h"
#include "core/message_language.h"

namespace dtuctl {
namespace {

constexpr std::string_view kName = "set";
constexpr std::string_view kDescription =
    R"(Changes fields of the parameter file FILE by their names in the text form (apn, port1,
centre_ip1, heartbeat_data...; see 'dtuctl export'), with the checks and warnings of
'dtuctl import'. A VALUE is read as its field reads it: a number in decimal, an address
as a.b.c.d, a text as it is (\xHH for a byte, \\ for a backslash), a counted field or
device_id as hex digits. The values are entries, stored as the window stores what is
typed: a device or centre number of 0 stores 8000, a project number of 0 keeps the old
one, blanks around apn and dial_code are dropped, and a protocol moved to or from 9
carries the device number into the other form; each such change is said on stderr.
The block is sealed again.

Without -o, FILE is replaced as a whole: the new block is written beside it and renamed
over it, so FILE is never left half written. A refused value changes nothing.)";
constexpr std::string_view kFooter =
    R"(exit status: 0 written, 1 bad usage, a refused value, FILE unreadable or not written,
2 FILE's checksum does not match)";
constexpr std::string_view kChineseDescription =
    R"(按文本形式中的名称（apn、port1、centre_ip1、heartbeat_data……；见 'dtuctl export'）更改参数
文件 FILE 的字段，带 'dtuctl import' 的检查和警告。VALUE 按它的字段的读法读取：数字用十进制，
地址写作 a.b.c.d，文本原样（\xHH 表示一个字节，\\ 表示反斜杠），计数字段或 device_id 用
十六进制数字。这些值是输入项，按窗口保存输入内容的方式保存：设备编号或中心编号为 0 时存
8000，项目编号为 0 时保留原来的，apn 和 dial_code 两端的空白被去掉，协议改为 9 或从 9 改出
时把设备编号带到另一种形式；每个这样的改动都在标准错误上说明。参数块重新封装。

不给 -o 时，FILE 整个被替换：新的参数块写在它旁边再改名覆盖它，所以 FILE 永远不会只写了
一半。被拒绝的值什么也不改。)";
constexpr std::string_view kChineseFooter =
    R"(退出状态：0 已写出，1 用法有误、值被拒绝、FILE 无法读取或未写出，2 FILE 的校验和不符)";

class SetCommand final : public Command {
 public:
  void Define(CLI::App& parser) override {
    AddFileOperand(parser, file_);
    parser.add_option("ASSIGNMENTS", assignments_)->option_text("NAME=VALUE...")->required();
    AddOutputOption(parser, output_,
                    dtu::Say("把改过的参数块写入 OUT，FILE 保持原样",
                             "write the changed block to OUT and leave FILE as it is"))
        ->option_text("OUT");
  }

  int Run() override {
    ConsoleMessages messages;
    const BlockSource source = ReadCheckedBlockFile(file_, messages);
    if (!source.block) return source.status;
    const std::optional<dtu::ParameterBlock> block =
        TakeImport(dtu::SetBlockFields(*source.block, assignments_), {}, messages, source.block);
    if (!block) return kExitFailure;
    if (!output_.empty()) return SaveBlock(output_, *block, messages) ? kExitOk : kExitFailure;
    const dtu::FileResult replaced = dtu::ReplaceParameterFile(file_, *block);
    if (replaced.ok()) return kExitOk;
    messages.Show(dtu::MessageKind::Error, file_ + ": " + replaced.message);
    return kExitFailure;
  }

 private:
  std::string file_;
  std::vector<std::string> assignments_;
  std::string output_;
};

const RegisterCommand<SetCommand> kRegistered{
    {kName, "change fields of a parameter file by name (NAME=VALUE)", kDescription, kFooter,
     "按名字修改参数文件的字段（NAME=VALUE）", kChineseDescription, kChineseFooter}};

}  // namespace
}  // namespace dtuctl
