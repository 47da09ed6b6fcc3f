#include "core/production/unit_probe.h"

#include <system_error>
#include <thread>

#include "core/device/device_commands.h"

namespace dtu {
namespace {

constexpr std::size_t kSignalReplySize = 16;

bool HasSignal(const UnitReport& report) {
  return !report.signal.empty();
}

}  // namespace

ProbeResult ProbePort(const std::string& port, LineSettings line,
                      std::chrono::milliseconds answer_time, std::stop_token stop) {
  ProbeResult result{port, std::nullopt, {}, std::nullopt};
  for (const std::uint32_t rate : kProbeBaudOrder) {
    line.baud_rate = static_cast<int>(rate);
    PortChannel channel(port, line);
    if (std::optional<ChannelOpenError> error = channel.Open()) {
      result.open_error = std::move(error);
      return result;
    }
    const auto limit = answer_time + channel.LineTime(kGetSignalCommand.size() + kSignalReplySize);
    const PortChannel::Outcome outcome = channel.Ask(kGetSignalCommand, limit, HasSignal, stop);
    if (outcome == PortChannel::Outcome::Answered) {
      result.baud_rate = rate;
      result.signal = channel.report().signal;
      return result;
    }
    if (outcome != PortChannel::Outcome::NoAnswer) return result;
  }
  return result;
}

std::vector<ProbeResult> ProbePorts(const std::vector<std::string>& ports, LineSettings line,
                                    std::chrono::milliseconds answer_time, std::stop_token stop) {
  std::vector<ProbeResult> results(ports.size());
  {
    // Joined at the end of this block, before the results are handed back.
    std::vector<std::jthread> threads;
    for (std::size_t i = 0; i < ports.size(); ++i) {
      try {
        threads.emplace_back([&, i] { results[i] = ProbePort(ports[i], line, answer_time, stop); });
      } catch (const std::system_error&) {
        // No thread left: this port is searched on the calling thread instead.
        results[i] = ProbePort(ports[i], line, answer_time, stop);
      }
    }
  }
  return results;
}

}  // namespace dtu
