// dtuctl replay [FILE|-]: runs captured bytes from a unit through the device link and prints what
// the tool would show, one line per event.
#include <cerrno>
#include <cstdio>
#include <memory>
#include <string>
#include <system_error>
#include <vector>

#include "command.h"
#include "command_support.h"
#include "link_event_text.h"
#include "core/block/block_check.h"
#include "core/device/device_link.h"

namespace dtuctl {
namespace {

constexpr std::string_view kName = "replay";
constexpr std::string_view kUsage = "usage: dtuctl replay [FILE|-]\n";
constexpr std::string_view kHelp =
    "usage: dtuctl replay [FILE|-]\n"
    "\n"
    "Feeds the bytes of FILE (standard input for \"-\" or no FILE), as a unit would send them,\n"
    "to the tool's reply recogniser and prints one line per event, in arrival order:\n"
    "\n"
    "  message TEXT            a box the tool would show (acknowledgements, block mismatch)\n"
    "  address ROW TEXT        address list row 0 to 8 (IP, DNSIP1-6, DNSSERVERIP1-2)\n"
    "  status ID TEXT          1145 version, 1144 module serial, 1241 board serial,\n"
    "                          1192 signal strength, 1165 the SIM card's SMS centre\n"
    "  signal VALUE            the signal strength passed to the gauge\n"
    "  block accepted          a \"DTUPARA\" block whose checksum matches\n"
    "  block rejected          one that does not (after message 参数设置有误，请重新设置)\n"
    "\n"
    "Texts are UTF-8. In TEXT a backslash is written \\\\ and control bytes as \\r, \\n, \\t or\n"
    "\\xHH, so that every event stays on one line.\n"
    "\n"
    "exit status: 0 replayed, 1 bad usage, unreadable input or unwritable output\n";

void PrintLine(const std::string& line) {
  std::fwrite(line.data(), 1, line.size(), stdout);
  std::fputc('\n', stdout);
}

class PrintingSink : public dtu::DeviceLinkSink {
 public:
  void Message(dtu::MessageKind, std::string_view text, std::string_view) override {
    PrintLine("message " + EscapeText(text));
  }
  void SetAddress(int row, std::string_view text) override {
    PrintLine("address " + std::to_string(row) + " " + EscapeText(text));
  }
  void SetStatusText(int control_id, std::string_view text) override {
    PrintLine("status " + std::to_string(control_id) + " " + EscapeText(text));
  }
  void SetSignal(int value) override { PrintLine("signal " + std::to_string(value)); }
  void BlockReceived(const dtu::ParameterBlock& block) override {
    dtu::ParameterBlock loaded = block;
    if (dtu::PrepareLoadedBlock(loaded)) {
      PrintLine("block accepted");
      return;
    }
    Message(dtu::MessageKind::Plain, dtu::kBlockMismatchMessage, {});
    PrintLine("block rejected");
  }
};

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

int Fail(const std::string& problem) {
  std::fprintf(stderr, "dtuctl replay: %s\n", problem.c_str());
  return kExitFailure;
}

// Streams the input through the link, so a capture of any size is replayed as it is read.
bool Replay(std::FILE* input, dtu::DeviceLink& link) {
  char buffer[4096];
  std::size_t n = 0;
  while ((n = std::fread(buffer, 1, sizeof buffer, input)) > 0)
    link.Feed(std::string_view(buffer, n));
  return std::ferror(input) == 0;
}

int RunReplay(const std::vector<std::string>& args) {
  if (WantsHelp(args)) return PrintHelp(kHelp);
  std::vector<std::string> operands;
  for (const std::string& arg : args) {
    if (arg.size() > 1 && arg[0] == '-')
      return UsageError(kName, "unknown option '" + arg + "'", kUsage);
    operands.push_back(arg);
  }
  if (operands.size() > 1) return UsageError(kName, "too many operands", kUsage);
  const std::string path = operands.empty() ? "-" : operands.front();

  FilePtr file;
  std::FILE* input = stdin;
  if (path != "-") {
    file.reset(std::fopen(path.c_str(), "rb"));
    if (!file) return Fail(path + ": " + std::generic_category().message(errno));
    input = file.get();
  }

  PrintingSink sink;
  dtu::DeviceLink link(sink);
  const bool read_ok = Replay(input, link);
  const int read_error = errno;
  if (std::fflush(stdout) != 0 || std::ferror(stdout))
    return Fail("cannot write to standard output: " + std::generic_category().message(errno));
  if (!read_ok)
    return Fail((path == "-" ? std::string("standard input") : path) +
                ": cannot read: " + std::generic_category().message(read_error));
  return kExitOk;
}

const RegisterCommand kRegistered{
    {kName, "show what the tool recognises in bytes captured from a unit", RunReplay}};

}  // namespace
}  // namespace dtuctl
