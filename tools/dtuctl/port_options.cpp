#include "port_options.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <charconv>
#include <cstdio>
#include <functional>
#include <map>

#include "command_support.h"
#include "core/serial/line_settings.h"

namespace dtuctl {
namespace {

// A day: longer than any answer can take, short enough to stay far from overflow.
constexpr double kMaxTimeoutSeconds = 86400;

std::optional<int> ParseInt(std::string_view text) {
  int value = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (ec != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return value;
}

std::string Upper(std::string_view text) {
  std::string upper(text);
  std::ranges::transform(upper, upper.begin(),
                         [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
  return upper;
}

// Applies one option's value; returns the problem, empty when the value is good.
using ValueSetter = std::function<std::string(PortOptions&, const std::string&)>;

const std::map<std::string, ValueSetter, std::less<>>& ValueOptions() {
  static const std::map<std::string, ValueSetter, std::less<>> options{
      {"--port",
       [](PortOptions& o, const std::string& v) -> std::string {
         if (v.empty()) return "the port name is empty";
         o.device = v;
         return {};
       }},
      {"--baud",
       [](PortOptions& o, const std::string& v) -> std::string {
         const std::optional<int> baud = ParseInt(v);
         if (!baud || !dtu::IsSupportedBaudRate(*baud))
           return "unsupported baud rate '" + v + "' (see --help for the rates)";
         o.baud_rate = *baud;
         return {};
       }},
      {"--parity",
       [](PortOptions& o, const std::string& v) -> std::string {
         const std::string p = Upper(v);
         if (p == "N" || p == "NONE") {
           o.parity = 'N';
         } else if (p == "O" || p == "ODD") {
           o.parity = 'O';
         } else if (p == "E" || p == "EVEN") {
           o.parity = 'E';
         } else {
           return "parity must be N, O or E, not '" + v + "'";
         }
         return {};
       }},
      {"--data",
       [](PortOptions& o, const std::string& v) -> std::string {
         const std::optional<int> bits = ParseInt(v);
         if (!bits || (*bits != 7 && *bits != 8))
           return "data bits must be 8 or 7, not '" + v + "'";
         o.data_bits = *bits;
         return {};
       }},
      {"--stop",
       [](PortOptions& o, const std::string& v) -> std::string {
         const std::optional<int> bits = ParseInt(v);
         if (!bits || (*bits != 1 && *bits != 2))
           return "stop bits must be 1 or 2, not '" + v + "'";
         o.stop_bits = *bits;
         return {};
       }},
      {"--timeout",
       [](PortOptions& o, const std::string& v) -> std::string {
         double seconds = 0;
         const auto [end, ec] = std::from_chars(v.data(), v.data() + v.size(), seconds);
         // The comparison also refuses "nan".
         if (ec != std::errc() || end != v.data() + v.size() ||
             !(seconds > 0 && seconds <= kMaxTimeoutSeconds))
           return "the time limit must be a number of seconds above 0 and at most 86400, not '" +
                  v + "'";
         o.timeout_seconds = seconds;
         return {};
       }},
  };
  return options;
}

}  // namespace

std::optional<PortOptions> ParsePortOptions(std::string_view name,
                                            const std::vector<std::string>& args,
                                            std::string_view usage,
                                            std::vector<std::string>& rest) {
  PortOptions options;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    const std::size_t equals = arg.find('=');
    const std::string option = arg.starts_with("--") ? arg.substr(0, equals) : arg;
    const auto setter = ValueOptions().find(option);
    if (setter == ValueOptions().end()) {
      rest.push_back(arg);
      continue;
    }
    std::string value;
    if (equals != std::string::npos) {
      value = arg.substr(equals + 1);
    } else if (i + 1 < args.size()) {
      value = args[++i];
    } else {
      UsageError(name, "option '" + option + "' needs a value", usage);
      return std::nullopt;
    }
    if (const std::string problem = setter->second(options, value); !problem.empty()) {
      UsageError(name, problem, usage);
      return std::nullopt;
    }
  }
  if (options.device.empty()) {
    UsageError(name, "missing --port DEV", usage);
    return std::nullopt;
  }
  return options;
}

std::string DescribeLine(const PortOptions& options) {
  std::array<char, 64> text{};
  std::snprintf(text.data(), text.size(), "baud=%d parity=%c data=%d stop=%d", options.baud_rate,
                options.parity, options.data_bits, options.stop_bits);
  return text.data();
}

}  // namespace dtuctl
