// dtuctl frame FILE: the frame that writes a parameter file's block to a unit.
#include "block_file_command.h"
#include "command_support.h"
#include "core/device/device_commands.h"

namespace dtuctl {
namespace {

constexpr std::string_view kName = "frame";
constexpr std::string_view kDescription =
    R"(Prints the frame that writes the parameter file's block to a unit: "$$$AT+SETPARA" and the
1320 hex digits of the sealed block (length 660 and checksum set), then one newline.
The checksum stored in the file is not examined; sealing replaces it.)";
constexpr std::string_view kFooter =
    "exit status: 0 printed, 1 file missing, too short or unreadable";
constexpr std::string_view kChineseDescription =
    R"(显示把参数文件的参数块写入单元的帧："$$$AT+SETPARA" 和封装后参数块的 1320 位十六进制
数字（已设长度 660 和校验和），然后一个换行。文件中存的校验和不检查；封装时会替换它。)";
constexpr std::string_view kChineseFooter = R"(退出状态：0 已显示，1 文件不存在、太短或无法读取)";

class FrameCommand final : public BlockFileCommand {
 protected:
  int RunOn(dtu::ParameterBlock block, ConsoleMessages&) override {
    return WriteToStdout(kName, dtu::BuildParameterFrame(block) + "\n") ? kExitOk : kExitFailure;
  }
};

const RegisterCommand<FrameCommand> kRegistered{
    {kName, "print the $$$AT+SETPARA frame of a parameter file", kDescription, kFooter,
     "显示参数文件的 $$$AT+SETPARA 帧", kChineseDescription, kChineseFooter}};

}  // namespace
}  // namespace dtuctl
