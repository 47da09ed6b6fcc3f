// dtuctl ports: the serial ports of this machine, as the main window lists them.
#include <string>

#include "command.h"
#include "command_support.h"
#include "core/serial/port_list.h"

namespace dtuctl {
namespace {

constexpr std::string_view kName = "ports";
constexpr std::string_view kDescription =
    R"(Prints the serial ports found on this machine, one device path per line, in the order the
main window lists them. Prints nothing when there are none.)";
constexpr std::string_view kFooter =
    "exit status: 0 listed (also when none were found), 1 bad usage or unwritable output";

class PortsCommand final : public Command {
 public:
  int Run() override {
    std::string text;
    for (const std::string& port : dtu::ListSerialPorts()) text += port + "\n";
    return WriteToStdout(kName, text) ? kExitOk : kExitFailure;
  }
};

const RegisterCommand<PortsCommand> kRegistered{
    {kName, "list the serial ports of this machine", kDescription, kFooter}};

}  // namespace
}  // namespace dtuctl
