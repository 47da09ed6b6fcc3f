#pragma once

#include <chrono>
#include <optional>

#include "dtusim/output_pacer.h"
#include "dtusim/sim_options.h"
#include "dtusim/sim_platform.h"
#include "dtusim/simulated_dtu.h"

namespace dtusim {

// The simulator's main loop: waits on the port and the stop signals, feeds what arrives to the
// simulated unit and writes its answers as the pacer allows. Returns the exit status.
class SimRunner {
 public:
  SimRunner(const SimOptions& options, PtyEndpoint& port, StopSignals& stop, SimulatedDtu& dtu)
      : options_(options), port_(port), stop_(stop), dtu_(dtu), pacer_(options.baud) {}

  int Run();

 private:
  std::optional<std::chrono::nanoseconds> WaitLimit(bool want_write, Clock::time_point now) const;
  bool IdleTooLong(Clock::time_point now) const;
  bool Receive(Clock::time_point now);
  bool Send(Clock::time_point now);
  void KeepBabbling(Clock::time_point now);

  const SimOptions& options_;
  PtyEndpoint& port_;
  StopSignals& stop_;
  SimulatedDtu& dtu_;
  OutputPacer pacer_;
  Clock::time_point last_traffic_ = Clock::now();
  bool babbling_ = false;  // an endless answer has begun
};

}  // namespace dtusim
