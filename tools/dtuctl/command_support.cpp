#include "command_support.h"

#include <fcntl.h>
#include <unistd.h>
#include <CLI/CLI.hpp>

#include <cerrno>
#include <cstdio>
#include <string>
#include <system_error>

#include "command.h"
#include "core/atomic_file.h"
#include "core/block/block_check.h"
#include "core/block/parameter_file.h"
#include "core/block/parameter_summary.h"
#include "core/serial/port_holder.h"
#include "core/serial/port_reference.h"

namespace dtuctl {
namespace {

// What a text form given for a parameter file is for.
constexpr std::string_view kImportHint = "用 dtuctl import 把它变成参数文件";

bool g_stdout_lost = false;
bool g_stdout_closed = false;

// Puts /dev/null where a standard stream is closed, so that no file the command opens takes its
// number; true when it did. Standard output is opened for reading only: writing to it fails, and
// the command says that it is closed.
bool FillClosedStream(int fd, int flags) {
  if (::fcntl(fd, F_GETFD) != -1 || errno != EBADF) return false;
  const int null = ::open("/dev/null", flags);
  if (null >= 0 && null != fd) {
    ::dup2(null, fd);
    ::close(null);
  }
  return true;
}

std::string ProcessText(const dtu::HoldingProcess& process) {
  return "process " + std::to_string(process.pid) + " (" + process.program + ")";
}

std::string HoldersText(const std::vector<dtu::HoldingProcess>& holders) {
  std::string text = "the port is busy, held by ";
  for (std::size_t i = 0; i < holders.size(); ++i)
    text += (i == 0 ? "" : ", ") + ProcessText(holders[i]);
  return text;
}

std::string ModemManagerAdvice(const dtu::SerialPortInfo& port) {
  const std::string rule = dtu::ModemManagerIgnoreRule(port);
  std::string text = "\nTo keep it away from this adapter, set ID_MM_DEVICE_IGNORE in a udev rule";
  if (!rule.empty())
    text += ": put this line into " + std::string(dtu::kUdevRulesFolder) +
            "77-dtuconfig-modem-manager-ignore.rules, run 'sudo udevadm control --reload' and "
            "plug the adapter in again:\n  " +
            rule + "\n";
  return text + "(an example: " + std::string(dtu::kModemManagerRuleExample) + ")";
}

// Who holds a busy port, as far as the system shows it; `reason` when nobody can be seen.
std::string DescribeBusyPort(const std::string& port, const std::string& reason) {
  const dtu::BusyPort busy = dtu::ExplainBusyDevice(port);
  std::string text = "cannot open " + port + ": ";
  if (busy.modem_manager_holds)
    return text + HoldersText(busy.holders) +
           ": the system's modem manager is probing this newly plugged-in port (it sends AT "
           "commands to new ports) and lets go after a while; try again shortly." +
           ModemManagerAdvice(busy.port);
  if (!busy.holders.empty()) return text + HoldersText(busy.holders);
  text += "another program is using the port (" + reason + ")";
  if (!busy.modem_manager) return text;
  return text + "; the system's modem manager " + busy.modem_manager->program + " (process " +
         std::to_string(busy.modem_manager->pid) +
         ") is running: if the adapter was just plugged in, it may be probing the port (it sends "
         "AT commands to new ports) and lets go after a while." +
         ModemManagerAdvice(busy.port);
}

}  // namespace

void GuardStandardStreams() {
  FillClosedStream(STDIN_FILENO, O_RDONLY);
  g_stdout_closed = FillClosedStream(STDOUT_FILENO, O_RDONLY);
  FillClosedStream(STDERR_FILENO, O_WRONLY);
}

void AddFileOperand(CLI::App& parser, std::string& path) {
  parser.add_option("FILE", path)->required();
}

CLI::Option* AddOutputOption(CLI::App& parser, std::string& path, const std::string& description) {
  return parser.add_option("-o,--output", path, description)
      ->option_text("FILE")
      ->check(CLI::Validator(
          [](const std::string& v) { return v.empty() ? "the file name is empty" : ""; }, ""));
}

bool OutputIsNotInput(const std::string& input, const std::string& output,
                      dtu::UserMessages& messages) {
  const bool from_stdin = input == "-";
  if (output.empty() || !dtu::IsSameFile(from_stdin ? "/dev/stdin" : input, output)) return true;
  messages.Show(dtu::MessageKind::Error, output + ": 与输入 " +
                                             (from_stdin ? std::string("标准输入") : input) +
                                             " 是同一个文件，未写入");
  return false;
}

std::optional<dtu::ParameterBlock> ReadBlockFile(const std::string& path,
                                                 dtu::UserMessages& messages) {
  dtu::ParameterBlock block;
  const dtu::FileResult result = dtu::ReadParameterFile(path, block);
  if (!result.ok()) {
    const bool text_form =
        result.status == dtu::FileStatus::WrongKind && result.kind == dtu::FileKind::TextForm;
    messages.Show(
        dtu::MessageKind::Warning,
        path + ": " +
            (text_form ? dtu::WrongKindMessage(result.kind, kImportHint) : result.message));
    return std::nullopt;
  }
  return block;
}

int PrintLoadedSummary(std::string_view name, dtu::ParameterBlock block,
                       dtu::UserMessages& messages) {
  if (!dtu::PrepareLoadedBlock(block)) {
    messages.Show(dtu::MessageKind::Plain, dtu::kBlockMismatchMessage);
    return kExitChecksum;
  }
  return PrintSummaryOf(name, block) ? kExitOk : kExitFailure;
}

bool PrintSummaryOf(std::string_view name, const dtu::ParameterBlock& loaded) {
  std::string text;
  for (const std::string& line : dtu::PrintSummary(loaded)) text += line + "\n";
  return WriteToStdout(name, text);
}

bool WriteToStdout(std::string_view name, std::string_view bytes) {
  if (g_stdout_lost) return false;
  const bool written = std::fwrite(bytes.data(), 1, bytes.size(), stdout) == bytes.size();
  const int write_error = errno;
  if (written && std::fflush(stdout) == 0) return true;
  g_stdout_lost = true;
  const int error = written ? errno : write_error;
  if (error != EPIPE) {
    const std::string reason =
        g_stdout_closed ? "it is closed" : std::generic_category().message(error);
    const std::string problem =
        "dtuctl " + std::string(name) + ": cannot write to standard output: " + reason + "\n";
    std::fwrite(problem.data(), 1, problem.size(), stderr);
  }
  return false;
}

void Complain(std::string_view command, const std::string& problem) {
  const std::string line = "dtuctl " + std::string(command) + ": " + problem + "\n";
  std::fwrite(line.data(), 1, line.size(), stderr);
  std::fflush(stderr);
}

bool StdoutLost() {
  return g_stdout_lost;
}

std::string DescribeOpenFailure(const std::string& port, dtu::PortOpenFailure failure,
                                const std::string& reason) {
  switch (failure) {
    case dtu::PortOpenFailure::Missing:
      // A serial number --port could not find among the adapters plugged in.
      if (port.starts_with(dtu::kSerialReferencePrefix))
        return "cannot open " + port + ": no adapter with serial number " +
               port.substr(dtu::kSerialReferencePrefix.size()) +
               " is plugged in ('dtuctl ports' lists them)";
      return "cannot open " + port + ": no such serial port (" + reason + ")";
    case dtu::PortOpenFailure::Busy:
      return DescribeBusyPort(port, reason);
    default:
      return "cannot open " + port + ": " + reason;
  }
}

int OpenFailureStatus(dtu::PortOpenFailure failure) {
  switch (failure) {
    case dtu::PortOpenFailure::Missing:
      return kExitPortMissing;
    case dtu::PortOpenFailure::Busy:
      return kExitPortBusy;
    default:
      return kExitPortError;
  }
}

}  // namespace dtuctl
