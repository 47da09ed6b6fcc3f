#include "dtusim/sim_options.h"

#include <charconv>
#include <functional>
#include <map>

#include "core/text/gbk_codec.h"

namespace dtusim {
namespace {

constexpr std::string_view kUsage =
    R"(usage: dtusim [OPTIONS]

Simulates a data transfer unit on a pseudo-terminal. The first line on standard output is the
terminal's path (e.g. /dev/pts/5); open it as the serial port. Runs until SIGINT or SIGTERM.

Commands it answers (no line end needed): "$$$AT+GETPARA?", "$$$AT+SETPARA" followed by the
1,320 hex digits of a block, "$$$AT+GET1?". Everything else is ignored. A frame's 1,320
characters are taken as they come, except that a '$' among them cuts the frame off: it is
answered "$$$ChkErr\r" and the '$' starts the next command.

options:
  --link PATH            also make PATH a symbolic link to the terminal (replaced if it exists,
                         removed at exit)
  --state FILE           keep the 660-byte parameter block in FILE: created with default values
                         when absent, replaced atomically after every accepted write; without it
                         the block lives in memory only
  --baud N               pace the answers at N baud, 10 bits per byte (default 0: no pacing)
  --exit-after-idle S    stop (status 0) after S seconds without a byte in either direction
  --verbose              report every command on standard error
  --fault NAME           misbehave on purpose; repeatable. NAME is one of:
      bad-checksum       the block sent carries a wrong checksum
      noise              junk bytes (never part of a keyword) between the values and around
                         every answer
      lowercase          the block's hex digits in lower case
      chunked            answers cut into 7-byte pieces with 20 ms pauses
      short-block        only the first 1,000 of the block's 1,320 digits, then nothing
      silent             ignore every command: no answer, nothing stored
      vanish             close the terminal after half of the first answer and exit (status 3)
      reject             answer every parameter frame "$$$ChkErr\r" and keep the old block
  -h, --help             print this text

status values reported (UTF-8 text without line ends, sent in GBK):
  --version TEXT         firmware version, "VER:"          (default V3.6.2)
  --gsn TEXT             module serial number, "GSN:"      (default 356938035643809)
  --board-serial TEXT    board serial number, "XuLieHao:"  (default DTU2012A0817)
  --csca TEXT            SIM card's SMS centre, "CSCA:"    (default +8613800100500)
  --rssi TEXT            signal strength, "RSSI:"          (default 23)
  --ip TEXT              the unit's IP address, "IP:"      (default 10.20.30.40)
  --dns1 ... --dns6 TEXT DNS addresses, "DNSIP1:" to "DNSIP6:" (defaults 211.136.17.107,
                         211.136.20.203, then 0.0.0.0)
  --dns-server1 TEXT, --dns-server2 TEXT
                         DNS servers, "DNSSERVERIP1:", "DNSSERVERIP2:" (defaults
                         211.136.17.107, 211.136.20.203)

exit status: 0 stopped by a signal or when idle, 1 failure (terminal, state file, link),
2 bad command line, 3 the port vanished on purpose (fault vanish).
)";

// A status value must not hold a line end: the tool would end the value there and read the rest
// as something else.
bool HoldsLineEnd(std::string_view text) {
  return text.find_first_of("\r\n") != std::string_view::npos;
}

std::optional<unsigned> ParseBaud(std::string_view text) {
  unsigned value = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (ec != std::errc() || end != text.data() + text.size() || value > kMaxBaud)
    return std::nullopt;
  return value;
}

std::optional<double> ParseSeconds(std::string_view text) {
  double value = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (ec != std::errc() || end != text.data() + text.size() || !(value > 0) || value > 1e6)
    return std::nullopt;
  return value;
}

// Applies one option's value; returns an error text, empty on success.
using ValueSetter = std::function<std::string(SimOptions&, const std::string&)>;

// A status value as the unit sends it: GBK, like every text on the line. Returns an error text,
// empty on success.
std::string ToStatusText(const std::string& utf8, std::string& gbk) {
  if (HoldsLineEnd(utf8)) return "status values cannot hold line ends";
  const dtu::GbkText converted = dtu::Utf8ToGbk(utf8);
  if (!converted.ok())
    return "the value holds " + dtu::DescribeCharacter(*converted.unencodable) +
           ", which GBK cannot hold";
  gbk = converted.bytes;
  return {};
}

ValueSetter StatusText(std::string DeviceStatus::*member) {
  return
      [member](SimOptions& o, const std::string& v) { return ToStatusText(v, o.status.*member); };
}

ValueSetter DnsText(std::size_t index, bool server) {
  return [index, server](SimOptions& o, const std::string& v) {
    return ToStatusText(v, server ? o.status.dns_server[index] : o.status.dns[index]);
  };
}

using ValueOptionTable = std::map<std::string, ValueSetter, std::less<>>;

ValueOptionTable BuildValueOptions() {
  ValueOptionTable table{
      {"--link",
       [](SimOptions& o, const std::string& v) -> std::string {
         if (v.empty()) return "the link path is empty";
         o.link_path = v;
         return {};
       }},
      {"--state",
       [](SimOptions& o, const std::string& v) -> std::string {
         if (v.empty()) return "the state file path is empty";
         o.state_path = v;
         return {};
       }},
      {"--baud",
       [](SimOptions& o, const std::string& v) -> std::string {
         const auto baud = ParseBaud(v);
         if (!baud) return "the baud rate must be a whole number from 0 to 4000000";
         o.baud = *baud;
         return {};
       }},
      {"--exit-after-idle",
       [](SimOptions& o, const std::string& v) -> std::string {
         const auto seconds = ParseSeconds(v);
         if (!seconds) return "the idle time must be a positive number of seconds";
         o.exit_after_idle = seconds;
         return {};
       }},
      {"--fault",
       [](SimOptions& o, const std::string& v) -> std::string {
         const auto fault = FaultFromName(v);
         if (!fault) return "unknown fault '" + v + "'";
         o.faults.insert(*fault);
         return {};
       }},
      {"--version", StatusText(&DeviceStatus::version)},
      {"--gsn", StatusText(&DeviceStatus::gsn)},
      {"--board-serial", StatusText(&DeviceStatus::board_serial)},
      {"--csca", StatusText(&DeviceStatus::csca)},
      {"--rssi", StatusText(&DeviceStatus::rssi)},
      {"--ip", StatusText(&DeviceStatus::ip)},
      {"--dns-server1", DnsText(0, true)},
      {"--dns-server2", DnsText(1, true)},
  };
  for (std::size_t i = 0; i < 6; ++i)
    table.emplace("--dns" + std::to_string(i + 1), DnsText(i, false));
  return table;
}

const ValueOptionTable& ValueOptions() {
  static const ValueOptionTable table = BuildValueOptions();
  return table;
}

ParsedOptions Refuse(std::string error) {
  return {std::nullopt, std::move(error)};
}

}  // namespace

ParsedOptions ParseSimOptions(const std::vector<std::string>& args) {
  SimOptions options;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (arg == "-h" || arg == "--help") {
      options.help = true;
      continue;
    }
    if (arg == "--verbose") {
      options.verbose = true;
      continue;
    }
    std::string name = arg;
    std::optional<std::string> value;
    if (const auto equals = arg.find('='); arg.starts_with("--") && equals != std::string::npos) {
      name = arg.substr(0, equals);
      value = arg.substr(equals + 1);
    }
    const auto setter = ValueOptions().find(name);
    if (setter == ValueOptions().end()) return Refuse("unknown option '" + arg + "'");
    if (!value) {
      if (i + 1 >= args.size()) return Refuse("option '" + name + "' needs a value");
      value = args[++i];
    }
    if (std::string error = setter->second(options, *value); !error.empty())
      return Refuse(name + ": " + error);
  }
  return {std::move(options), {}};
}

std::string_view SimUsage() {
  return kUsage;
}

}  // namespace dtusim
