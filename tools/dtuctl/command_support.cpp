#include "command_support.h"

#include <fcntl.h>
#include <unistd.h>
#include <CLI/CLI.hpp>

#include <cerrno>
#include <cstdio>
#include <string>
#include <system_error>

#include "core/system_error_text.h"

#include "command.h"
#include "core/atomic_file.h"
#include "core/block/block_check.h"
#include "core/block/parameter_file.h"
#include "core/block/parameter_summary.h"
#include "core/message_language.h"
#include "core/serial/port_holder.h"
#include "core/serial/port_reference.h"

namespace dtuctl {
namespace {

// What a text form given for a parameter file is for.
std::string ImportHint() {
  return dtu::Say("用 dtuctl import 把它变成参数文件",
                  "dtuctl import makes a parameter file of it");
}

std::string CannotOpen(const std::string& port) {
  return dtu::Say("无法打开 " + port + "：", "cannot open " + port + ": ");
}

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
  const std::string pid = std::to_string(process.pid);
  return dtu::Say("进程 " + pid + "（" + process.program + "）",
                  "process " + pid + " (" + process.program + ")");
}

std::string HoldersText(const std::vector<dtu::HoldingProcess>& holders) {
  std::string text = dtu::Say("端口忙，占用它的是", "the port is busy, held by ");
  for (std::size_t i = 0; i < holders.size(); ++i)
    text += (i == 0 ? "" : dtu::Say("、", ", ")) + ProcessText(holders[i]);
  return text;
}

std::string ModemManagerAdvice(const dtu::SerialPortInfo& port) {
  const std::string rule = dtu::ModemManagerIgnoreRule(port);
  const std::string file =
      std::string(dtu::kUdevRulesFolder) + "77-dtuconfig-modem-manager-ignore.rules";
  std::string text = dtu::Say("\n要让它不碰这个适配器，请在 udev 规则中设置 ID_MM_DEVICE_IGNORE",
                              "\nTo keep it away from this adapter, set ID_MM_DEVICE_IGNORE in a "
                              "udev rule");
  if (!rule.empty())
    text +=
        dtu::Say("：把下面这行写入 " + file +
                     "，运行 'sudo udevadm control --reload'，再重新插上适配器：\n  ",
                 ": put this line into " + file +
                     ", run 'sudo udevadm control --reload' and plug the adapter in again:\n  ") +
        rule + "\n";
  const std::string example(dtu::kModemManagerRuleExample);
  return text + dtu::Say("（示例：" + example + "）", "(an example: " + example + ")");
}

// Who holds a busy port, as far as the system shows it; `reason` when nobody can be seen.
std::string DescribeBusyPort(const std::string& port, const std::string& reason) {
  const dtu::BusyPort busy = dtu::ExplainBusyDevice(port);
  std::string text = CannotOpen(port);
  if (busy.modem_manager_holds)
    return text + HoldersText(busy.holders) +
           dtu::Say(
               "：系统的调制解调器管理程序正在试探这个刚插上的端口（它向新端口发送 AT "
               "命令），过一会儿就会放开；请稍后再试。",
               ": the system's modem manager is probing this newly plugged-in port (it sends "
               "AT commands to new ports) and lets go after a while; try again shortly.") +
           ModemManagerAdvice(busy.port);
  if (!busy.holders.empty()) return text + HoldersText(busy.holders);
  text += dtu::Say("另一个程序正在使用该端口（" + reason + "）",
                   "another program is using the port (" + reason + ")");
  if (!busy.modem_manager) return text;
  const std::string manager = ProcessText(*busy.modem_manager);
  return text +
         dtu::Say("；系统的调制解调器管理程序 " + manager +
                      " 正在运行：如果适配器是刚插上的，它可能正在试探该端口（它向新端口发送 AT "
                      "命令），过一会儿就会放开。",
                  "; the system's modem manager " + busy.modem_manager->program + " (process " +
                      std::to_string(busy.modem_manager->pid) +
                      ") is running: if the adapter was just plugged in, it may be probing the "
                      "port (it sends AT commands to new ports) and lets go after a while.") +
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
          [](const std::string& v) {
            return v.empty() ? dtu::Say("文件名为空", "the file name is empty") : "";
          },
          ""));
}

bool OutputIsNotInput(const std::string& input, const std::string& output,
                      dtu::UserMessages& messages) {
  const bool from_stdin = input == "-";
  if (output.empty() || !dtu::IsSameFile(from_stdin ? "/dev/stdin" : input, output)) return true;
  const std::string source = from_stdin ? dtu::Say("标准输入", "standard input") : input;
  messages.Show(dtu::MessageKind::Error,
                output + dtu::Say(": 与输入 " + source + " 是同一个文件，未写入",
                                  ": is the same file as the input " + source + "; not written"));
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
            (text_form ? dtu::WrongKindMessage(result.kind, ImportHint()) : result.message));
    return std::nullopt;
  }
  return block;
}

int PrintLoadedSummary(std::string_view name, dtu::ParameterBlock block,
                       dtu::UserMessages& messages) {
  if (!dtu::PrepareLoadedBlock(block)) {
    messages.Show(dtu::MessageKind::Plain, dtu::BlockMismatchMessage());
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
        g_stdout_closed ? dtu::Say("它已关闭", "it is closed") : dtu::SystemErrorText(error);
    const std::string problem =
        "dtuctl " + std::string(name) + ": " +
        dtu::Say("无法写入标准输出：", "cannot write to standard output: ") + reason + "\n";
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
      if (port.starts_with(dtu::kSerialReferencePrefix)) {
        const std::string serial = port.substr(dtu::kSerialReferencePrefix.size());
        return CannotOpen(port) +
               dtu::Say("没有插上序列号为 " + serial + " 的适配器（'dtuctl ports' 列出它们）",
                        "no adapter with serial number " + serial +
                            " is plugged in ('dtuctl ports' lists them)");
      }
      return CannotOpen(port) +
             dtu::Say("没有这个串口（" + reason + "）", "no such serial port (" + reason + ")");
    case dtu::PortOpenFailure::Busy:
      return DescribeBusyPort(port, reason);
    default:
      return CannotOpen(port) + reason;
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
