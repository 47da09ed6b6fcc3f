#pragma once

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdint>
#include <optional>
#include <stop_token>
#include <string>
#include <vector>

#include "core/baud_rates.h"
#include "core/production/port_channel.h"
#include "core/serial/line_settings.h"

namespace dtu {

// The rates the port list offers, in the order a search for a unit tries them: the most common
// first.
inline constexpr std::array<std::uint32_t, 14> kProbeBaudOrder = {
    9600, 115200, 57600, 38400, 19200, 4800, 2400, 1200, 230400, 460800, 921600, 600, 300, 110};
static_assert(std::ranges::is_permutation(kProbeBaudOrder, kBaudRates));

// What a search found on one port.
struct ProbeResult {
  std::string port;
  std::optional<int> baud_rate;                // the rate a unit answered at, if one did
  std::string signal;                          // the signal strength it reported
  std::optional<ChannelOpenError> open_error;  // the port could not be used
};

// Asks for the signal strength ("$$$AT+GET1?") on `port` at each rate of kProbeBaudOrder with
// the other settings of `line`, until a unit answers. `answer_time` is each question's reply
// limit (ReplyTiming).
ProbeResult ProbePort(const std::string& port, LineSettings line,
                      std::chrono::milliseconds answer_time, std::stop_token stop = {});

// ProbePort on every port at once, one thread each; the results in the order of `ports`.
std::vector<ProbeResult> ProbePorts(const std::vector<std::string>& ports, LineSettings line,
                                    std::chrono::milliseconds answer_time,
                                    std::stop_token stop = {});

}  // namespace dtu
