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

class FrameCommand final : public BlockFileCommand {
 protected:
  int RunOn(dtu::ParameterBlock block, ConsoleMessages&) override {
    return WriteToStdout(kName, dtu::BuildParameterFrame(block) + "\n") ? kExitOk : kExitFailure;
  }
};

const RegisterCommand<FrameCommand> kRegistered{
    {kName, "print the $$$AT+SETPARA frame of a parameter file", kDescription, kFooter,
     "显示参数文件的 $$$AT+SETPARA 帧"}};

}  // namespace
}  // namespace dtuctl
