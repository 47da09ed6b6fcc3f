#include "core/production/unit_probe.h"

#include <system_error>
#include <thread>

namespace dtu {

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
    const ExchangeResult asked = channel.Ask(ReadSignalRequest(answer_time), stop);
    if (asked.outcome == ExchangeOutcome::Completed) {
      result.baud_rate = rate;
      result.signal = asked.status(StatusField::Signal)->text;
      return result;
    }
    if (asked.outcome != ExchangeOutcome::TimedOut && asked.outcome != ExchangeOutcome::Overlong)
      return result;
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
