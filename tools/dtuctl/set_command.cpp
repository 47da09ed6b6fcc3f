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
     "按名字修改参数文件的字段（NAME=VALUE）"}};

}  // namespace
}  // namespace dtuctl
