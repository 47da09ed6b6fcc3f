#pragma once

#include <chrono>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/block/parameter_block.h"
#include "dtusim/device_status.h"
#include "dtusim/fault.h"
#include "dtusim/reply.h"

namespace dtusim {

// Composes the simulated unit's answers, with the faults it was told to show.
class ReplyBuilder {
 public:
  // Bytes that appear in no keyword the tool looks for; the "noise" fault is made of them.
  static constexpr std::string_view kJunkBytes = "~!#%&*()[]{}<>=;|_^`\x7f\x80\xfe";
  static constexpr std::size_t kChunkSize = 7;
  static constexpr std::chrono::milliseconds kChunkPause{20};
  static constexpr std::size_t kShortBlockDigits = 1000;
  static constexpr std::chrono::milliseconds kPause{8000};
  // How much junk one stretch of a babbling answer holds.
  static constexpr std::size_t kBabbleSize = 256;

  ReplyBuilder(DeviceStatus status, FaultSet faults);

  // The labelled values, "DTUPARA" and the block's 1,320 hex digits.
  Reply ParametersReply(const dtu::ParameterBlock& block);
  Reply SignalReply();
  Reply AcceptedReply();  // "$$$SETOK"
  Reply RejectedReply();  // "$$$ChkErr\r"
  Reply BabbleReply();    // junk, endless

 private:
  std::vector<std::string> StatusItems() const;
  std::string BlockItem(const dtu::ParameterBlock& block) const;
  Reply Shape(const std::vector<std::string>& items);
  static void PauseHalfWay(Reply& reply);
  std::string Junk();

  DeviceStatus status_;
  FaultSet faults_;
  std::uint32_t junk_state_ = 12345;  // fixed seed: the same junk on every run
};

}  // namespace dtusim
