// dtuctl replay [FILE|-]: runs captured bytes from a unit through the device link and prints what
// the tool would show, one line per event.
#include <CLI/CLI.hpp>

#include <cerrno>
#include <cstdio>
#include <memory>
#include <string>
#include <system_error>
#include <variant>
#include <vector>

#include "command.h"
#include "command_support.h"
#include "core/block/block_check.h"
#include "core/device/device_event_text.h"
#include "core/device/device_link.h"
#include "core/message_language.h"
#include "core/system_error_text.h"
#include "link_event_text.h"

namespace dtuctl {
namespace {

constexpr std::string_view kName = "replay";
constexpr std::string_view kDescription =
    R"(Feeds the bytes of FILE (standard input for "-" or no FILE), as a unit would send them,
to the tool's reply recogniser and prints one line per event, in arrival order:

  message TEXT            a box the tool would show (acknowledgements, block mismatch)
  address ROW TEXT        address list row 0 to 8 (IP, DNSIP1-6, DNSSERVERIP1-2)
  status NAME TEXT        version, module_serial, board_serial, signal (the signal
                          strength), sim_sms_centre (the SIM card's SMS centre)
  signal VALUE            the signal strength as a number, for the gauge
  block accepted          a "DTUPARA" block whose checksum matches
  block rejected          one that does not (after message 参数设置有误，请重新设置)

Texts are UTF-8. In TEXT a backslash is written \\ and control bytes as \r, \n, \t or
\xHH, so that every event stays on one line.)";
constexpr std::string_view kFooter =
    "exit status: 0 replayed, 1 bad usage, unreadable input or unwritable output";
constexpr std::string_view kChineseDescription =
    R"(把 FILE（"-" 或不给 FILE 时是标准输入）的字节当作单元发来的，交给本工具的回复识别器，
按到达顺序每个事件显示一行：

  message TEXT            本工具会显示的消息框（确认、参数块不符）
  address ROW TEXT        地址列表第 0 到 8 行（IP、DNSIP1-6、DNSSERVERIP1-2）
  status NAME TEXT        version、module_serial、board_serial、signal（信号强度）、
                          sim_sms_centre（SIM 卡的短信中心）
  signal VALUE            信号强度的数值，供信号表使用
  block accepted          校验和相符的 "DTUPARA" 参数块
  block rejected          校验和不符的（在消息 参数设置有误，请重新设置 之后）

文本是 UTF-8。TEXT 中反斜杠写作 \\，控制字节写作 \r、\n、\t 或 \xHH，使每个事件都在
一行之内。)";
constexpr std::string_view kChineseFooter =
    R"(退出状态：0 已重放，1 用法有误、输入无法读取或无法写出输出)";

void PrintLine(const std::string& line) {
  std::fwrite(line.data(), 1, line.size(), stdout);
  std::fputc('\n', stdout);
}

// One line per event, its text as the tool shows it.
class PrintingSink : public dtu::DeviceEventSink {
 public:
  void Recognised(const dtu::DeviceEvent& event) override {
    const dtu::EventText shown = dtu::TextOf(event);
    if (std::holds_alternative<dtu::AcknowledgementEvent>(event)) {
      PrintLine("message " + EscapeText(shown.text));
    } else if (const auto* address = std::get_if<dtu::AddressEvent>(&event)) {
      PrintLine("address " + std::to_string(address->row) + " " + EscapeText(shown.text));
    } else if (const auto* status = std::get_if<dtu::StatusEvent>(&event)) {
      PrintLine("status " + std::string(dtu::StatusFieldName(status->field)) + " " +
                EscapeText(shown.text));
      if (status->field == dtu::StatusField::Signal)
        PrintLine("signal " + std::to_string(status->signal));
    } else if (std::get<dtu::BlockEvent>(event).intact) {
      PrintLine("block accepted");
    } else {
      PrintLine("message " + dtu::BlockMismatchMessage());
      PrintLine("block rejected");
    }
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

class ReplayCommand final : public Command {
 public:
  void Define(CLI::App& parser) override {
    parser.add_option("FILE", path_)->option_text("FILE|-");
  }

  int Run() override {
    FilePtr file;
    std::FILE* input = stdin;
    if (path_ != "-") {
      file.reset(std::fopen(path_.c_str(), "rb"));
      if (!file) return Fail(path_ + ": " + dtu::SystemErrorText(errno));
      input = file.get();
    }

    PrintingSink sink;
    dtu::DeviceLink link(sink);
    const bool read_ok = Replay(input, link);
    const int read_error = errno;
    if (std::fflush(stdout) != 0 || std::ferror(stdout))
      return Fail(dtu::Say("无法写入标准输出：", "cannot write to standard output: ") +
                  dtu::SystemErrorText(errno));
    if (!read_ok)
      return Fail((path_ == "-" ? dtu::Say("标准输入", "standard input") : path_) +
                  dtu::Say("：无法读取：", ": cannot read: ") + dtu::SystemErrorText(read_error));
    return kExitOk;
  }

 private:
  std::string path_ = "-";
};

const RegisterCommand<ReplayCommand> kRegistered{
    {kName, "show what the tool recognises in bytes captured from a unit", kDescription, kFooter,
     "显示本工具在从单元截取的字节中识别出的内容", kChineseDescription, kChineseFooter}};

}  // namespace
}  // namespace dtuctl
