#include "dtusim/sim_options.h"

#include <CLI/CLI.hpp>

#include <charconv>
#include <functional>
#include <memory>

#include "command_line/help_formatter.h"
#include "command_line/parse_problem.h"
#include "core/message_language.h"
#include "core/text/gbk_codec.h"

namespace dtusim {
namespace {

constexpr std::string_view kDescription =
    R"(Simulates a data transfer unit on a pseudo-terminal. The first line on standard output is the
terminal's path (e.g. /dev/pts/5); open it as the serial port. Runs until SIGINT or SIGTERM.
Every user of the machine may open the terminal, as they may a shared serial port.

Commands it answers (no line end needed): "$$$AT+GETPARA?", "$$$AT+SETPARA" followed by the
1,320 hex digits of a block, "$$$AT+GET1?". Everything else is ignored. A frame's 1,320
characters are taken as they come, except that a '$' among them cuts the frame off: it is
answered "$$$ChkErr\r" and the '$' starts the next command.)";

constexpr std::string_view kFaultHelp = R"(misbehave on purpose; repeatable. NAME is one of:
bad-checksum  the block sent carries a wrong checksum
noise         junk bytes (never part of a keyword) between the values and
              around every answer
lowercase     the block's hex digits in lower case
chunked       answers cut into 7-byte pieces with 20 ms pauses
short-block   only the first 1,000 of the block's 1,320 digits, then nothing
silent        ignore every command: no answer, nothing stored
vanish        close the terminal after half of the first answer and exit
              (status 3)
reject        answer every parameter frame "$$$ChkErr\r" and keep the old block
pause         stop every answer half-way for 8 seconds, then send the rest
babble        answer every command with junk bytes that never end (as a line
              at the wrong baud rate looks))";

constexpr std::string_view kFooter =
    R"(exit status: 0 stopped by a signal or when idle, 1 failure (terminal, state file, link),
2 bad command line, 3 the port vanished on purpose (fault vanish).)";
constexpr std::string_view kChineseDescription =
    R"(在伪终端上模拟一个数据传输单元。标准输出的第一行是该终端的路径（例如 /dev/pts/5）；把它当作
串口打开。一直运行，直到收到 SIGINT 或 SIGTERM。本机的每个用户都可以打开该终端，就像可以打开
共用的串口一样。

它回答的命令（不需要行尾）："$$$AT+GETPARA?"、后跟参数块 1,320 位十六进制数字的
"$$$AT+SETPARA"、"$$$AT+GET1?"。其他内容都被忽略。帧的 1,320 个字符按到达的样子接收，但其中
的 '$' 会截断该帧：它被回答 "$$$ChkErr\r"，而这个 '$' 开始下一个命令。)";
constexpr std::string_view kChineseFooter =
    R"(退出状态：0 被信号停止或空闲时停止，1 失败（终端、状态文件、链路），2 命令行有误，3 按故意
设定的故障使串口消失（故障 vanish）。)";

constexpr std::string_view kChineseFaultHelp = R"(故意出错；可以重复。NAME 是下列之一：
bad-checksum  发出的参数块校验和错误
noise         在各值之间和每个回答前后夹杂乱码（从不构成关键字）
lowercase     参数块的十六进制数字用小写
chunked       回答切成 7 字节的小段，每段间停 20 毫秒
short-block   只发参数块 1,320 位中的前 1,000 位，然后什么也不发
silent        忽略所有命令：不回答，不保存
vanish        第一个回答发到一半时关闭终端并退出（状态 3）
reject        对每个参数帧都回答 "$$$ChkErr\r"，保留原来的参数块
pause         每个回答发到一半停 8 秒，再发其余部分
babble        用永不结束的乱码回答每个命令（像波特率不对的线路那样）)";

std::string OptionsGroup() {
  return dtu::Say("选项", "options");
}

std::string StatusGroup() {
  return dtu::Say("报告的状态值（不含换行的 UTF-8 文本，以 GBK 发送）",
                  "status values reported (UTF-8 text without line ends, sent in GBK)");
}

// Where option descriptions start in the help.
constexpr std::size_t kHelpColumn = 25;

// A check on an option's value: the problem, empty when the value is good. It may also put the
// value into the form the option is stored in.
CLI::Validator Check(std::function<std::string(std::string&)> check) {
  return CLI::Validator(std::move(check), "");
}

std::string CheckPath(std::string& v) {
  return v.empty() ? dtu::Say("路径为空", "the path is empty") : "";
}

std::string CheckBaud(std::string& v) {
  unsigned value = 0;
  const auto [end, ec] = std::from_chars(v.data(), v.data() + v.size(), value);
  if (ec != std::errc() || end != v.data() + v.size() || value > kMaxBaud)
    return dtu::Say("波特率应为 0 到 4000000 的整数",
                    "the baud rate must be a whole number from 0 to 4000000");
  return {};
}

std::string CheckSeconds(std::string& v) {
  double value = 0;
  const auto [end, ec] = std::from_chars(v.data(), v.data() + v.size(), value);
  if (ec != std::errc() || end != v.data() + v.size() || !(value > 0) || value > 1e6)
    return dtu::Say("空闲时间应为正的秒数", "the idle time must be a positive number of seconds");
  return {};
}

std::string CheckFault(std::string& v) {
  return FaultFromName(v) ? "" : dtu::Say("没有故障 '" + v + "'", "unknown fault '" + v + "'");
}

// A status value as the unit sends it: GBK, like every text on the line. A value must not hold
// a line end: the tool would end the value there and read the rest as something else.
std::string ToStatusText(std::string& v) {
  if (v.find_first_of("\r\n") != std::string::npos)
    return dtu::Say("状态值不能含有换行", "status values cannot hold line ends");
  const dtu::GbkText converted = dtu::Utf8ToGbk(v);
  if (!converted.ok())
    return dtu::Say("值中的 " + dtu::DescribeCharacter(*converted.unencodable) + " 无法用 GBK 表示",
                    "the value holds " + dtu::DescribeCharacter(*converted.unencodable) +
                        ", which GBK cannot hold");
  v = converted.bytes;
  return {};
}

void AddStatusOption(CLI::App& app, const std::string& name, std::string& value,
                     const std::string& description) {
  app.add_option(name, value,
                 description + dtu::Say("（默认 " + value + "）", " (default " + value + ")"))
      ->option_text("TEXT")
      ->group(StatusGroup())
      ->transform(Check(ToStatusText));
}

struct Parser {
  CLI::App app{dtu::Say(std::string(kChineseDescription), std::string(kDescription)), "dtusim"};
  std::vector<std::string> faults;
};

// Declares every option on `parser`, their values going into `options`.
void Define(Parser& parser, SimOptions& options) {
  CLI::App& app = parser.app;
  dtu::cli::PrepareParser(app, std::make_shared<dtu::cli::HelpFormatter>(kHelpColumn, false));
  app.footer(dtu::Say(std::string(kChineseFooter), std::string(kFooter)));
  app.option_defaults()->group(OptionsGroup());
  app.add_option("--link", options.link_path,
                 dtu::Say("再把 PATH 做成指向终端的符号链接，退出时删除（那里已有的\n"
                          "指向伪终端的链接会被替换；别的文件则拒绝）",
                          "also make PATH a symbolic link to the terminal, removed at exit (a "
                          "link\nto a pseudo-terminal there is replaced; any other file is "
                          "refused)"))
      ->option_text("PATH")
      ->check(Check(CheckPath));
  app.add_option("--state", options.state_path,
                 dtu::Say("把 660 字节的参数块保存在 FILE 中：没有时以默认值建立，\n"
                          "每次接受写入后整个替换；没有它时参数块只在内存中",
                          "keep the 660-byte parameter block in FILE: created with default "
                          "values\nwhen absent, replaced atomically after every accepted write; "
                          "without it\nthe block lives in memory only"))
      ->option_text("FILE")
      ->check(Check(CheckPath));
  app.add_option("--baud", options.baud,
                 dtu::Say("以 N 波特发送回答，每字节 10 位（默认 0：不限速）",
                          "pace the answers at N baud, 10 bits per byte (default 0: no pacing)"))
      ->option_text("N")
      ->check(Check(CheckBaud));
  app.add_option("--exit-after-idle", options.exit_after_idle,
                 dtu::Say("双向都 S 秒没有字节后停止（状态 0）",
                          "stop (status 0) after S seconds without a byte in either direction"))
      ->option_text("S")
      ->check(Check(CheckSeconds));
  app.add_flag("--verbose", options.verbose,
               dtu::Say("在标准错误上报告每个命令", "report every command on standard error"));
  app.add_option("--fault", parser.faults,
                 dtu::Say(std::string(kChineseFaultHelp), std::string(kFaultHelp)))
      ->option_text("NAME")
      ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll)
      ->check(Check(CheckFault));
  dtu::cli::MoveHelpLast(app, OptionsGroup());

  DeviceStatus& status = options.status;
  AddStatusOption(app, "--version", status.version,
                  dtu::Say("固件版本，\"VER:\"", "firmware version, \"VER:\""));
  AddStatusOption(app, "--gsn", status.gsn,
                  dtu::Say("模块序列号，\"GSN:\"", "module serial number, \"GSN:\""));
  AddStatusOption(app, "--board-serial", status.board_serial,
                  dtu::Say("板卡序列号，\"XuLieHao:\"", "board serial number, \"XuLieHao:\""));
  AddStatusOption(app, "--csca", status.csca,
                  dtu::Say("SIM 卡的短信中心，\"CSCA:\"", "SIM card's SMS centre, \"CSCA:\""));
  AddStatusOption(app, "--rssi", status.rssi,
                  dtu::Say("信号强度，\"RSSI:\"", "signal strength, \"RSSI:\""));
  AddStatusOption(app, "--ip", status.ip,
                  dtu::Say("单元的 IP 地址，\"IP:\"", "the unit's IP address, \"IP:\""));
  for (std::size_t i = 0; i < status.dns.size(); ++i) {
    const std::string n = std::to_string(i + 1);
    AddStatusOption(app, "--dns" + n, status.dns[i],
                    dtu::Say("DNS 地址，\"DNSIP" + n + ":\"", "DNS address, \"DNSIP" + n + ":\""));
  }
  for (std::size_t i = 0; i < status.dns_server.size(); ++i) {
    const std::string n = std::to_string(i + 1);
    AddStatusOption(
        app, "--dns-server" + n, status.dns_server[i],
        dtu::Say("DNS 服务器，\"DNSSERVERIP" + n + ":\"", "DNS server, \"DNSSERVERIP" + n + ":\""));
  }
}

}  // namespace

ParsedOptions ParseSimOptions(const std::vector<std::string>& args) {
  SimOptions options;
  Parser parser;
  Define(parser, options);
  // CLI11 takes the arguments last first.
  std::vector<std::string> reversed(args.rbegin(), args.rend());
  try {
    parser.app.parse(reversed);
  } catch (const CLI::CallForHelp&) {
    options.help = true;
  } catch (const CLI::ParseError& error) {
    return {std::nullopt, dtu::cli::DescribeParseError(parser.app, error)};
  }
  for (const std::string& name : parser.faults) options.faults.insert(*FaultFromName(name));
  return {std::move(options), {}};
}

std::string SimUsage() {
  SimOptions defaults;
  Parser parser;
  Define(parser, defaults);
  return parser.app.help();
}

}  // namespace dtusim
