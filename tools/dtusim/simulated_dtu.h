#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "core/block/parameter_block.h"
#include "dtusim/command_scanner.h"
#include "dtusim/device_status.h"
#include "dtusim/fault.h"
#include "dtusim/reply.h"
#include "dtusim/reply_builder.h"

namespace dtusim {

// The simulated unit without its port: takes the bytes the tool sends and returns the answers,
// keeping the parameter block it was given or was last written.
class SimulatedDtu {
 public:
  // Keeps an accepted block; returns false when it could not be kept (the write is then refused).
  using StoreBlock = std::function<bool(const dtu::ParameterBlock&)>;
  // Hears about every command handled, for a running commentary.
  using Report = std::function<void(std::string_view)>;

  SimulatedDtu(dtu::ParameterBlock block, DeviceStatus status, FaultSet faults, StoreBlock store,
               Report report = {});

  std::vector<Reply> Feed(std::string_view bytes);

  // More of an endless answer (fault babble).
  Reply MoreBabble() { return replies_.BabbleReply(); }

  const dtu::ParameterBlock& block() const { return block_; }

 private:
  Reply Handle(const Command& command);
  Reply WriteBlock(const std::string& digits);
  void Tell(std::string_view what) const;

  dtu::ParameterBlock block_;
  FaultSet faults_;
  StoreBlock store_;
  Report report_;
  CommandScanner scanner_;
  ReplyBuilder replies_;
};

}  // namespace dtusim
