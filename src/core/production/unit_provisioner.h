#pragma once

#include <chrono>
#include <functional>
#include <optional>
#include <stop_token>
#include <string>
#include <string_view>

#include "core/block/parameter_block.h"
#include "core/device/unit_identity.h"
#include "core/production/port_channel.h"
#include "core/production/provision_log.h"
#include "core/production/provision_progress.h"
#include "core/production/row_source.h"
#include "core/production/unit_attempt.h"
#include "core/production/unit_result.h"

namespace dtu {

// What a unit reported about itself during one exchange, and the block it sent (intact or not).
struct UnitReport {
  UnitIdentity unit;
  std::string firmware;
  std::string signal;  // the text after "RSSI:"
  std::optional<ParameterBlock> block;
};

UnitReport ReportOf(const ExchangeResult& result);

// The steps that provision the one unit on a port: read its status and block, pick its row,
// apply the row to the template (done when the table was loaded), write, read back and compare
// byte for byte with what was sent. A unit an earlier run left ok with the same row, whose block
// already equals what would be written, is not written again (nor, when the rows come from the
// production record, whatever it holds).
class UnitProvisioner {
 public:
  // Each step, typed and in words.
  using StepReport = std::function<void(const SlotEvent&, std::string_view)>;

  // `timeout` is the reply limit of the exchanges' time rule (ReplyTiming).
  UnitProvisioner(PortChannel& channel, RowSource& rows, std::chrono::milliseconds timeout,
                  StepReport step);

  // The attempt at the unit on the port, or nothing when `stop` was requested before anything
  // was written to it. Once the parameter frame is sent, the unit is seen through to the end.
  std::optional<UnitAttempt> Provision(std::stop_token stop);

 private:
  ExchangeResult ReadBlock(std::stop_token stop);
  UnitAttempt Ended(UnitResult result, std::string message) const;
  UnitAttempt EndedUnanswered(const ExchangeResult& result, std::string_view what) const;
  UnitAttempt WriteAndVerify(const UnitRow& row);
  void Step(SlotStep step, int number, std::string_view text) const;

  PortChannel& channel_;
  RowSource& rows_;
  std::chrono::milliseconds timeout_;
  StepReport step_;
  // What the unit reported when it was first read, and the row it got.
  UnitReport unit_;
  int row_line_ = 0;
  std::string row_key_;
  std::optional<ParameterBlock> read_back_;
  std::chrono::system_clock::time_point started_;
  std::chrono::steady_clock::time_point started_steady_;
};

// What came of an answer that did not complete, for the log: "no answer" only when nothing came,
// else how many bytes and block digits came before it stopped or ran over its time.
std::string UnansweredText(const ExchangeResult& result, std::string_view what);

// Where two blocks first differ and how many bytes differ, for the mismatch message. The place
// named is the first field other than the checksum that differs (the checksum differs with any
// other field), the checksum only when nothing else does.
std::string DescribeDifference(const ParameterBlock& sent, const ParameterBlock& read);

}  // namespace dtu
