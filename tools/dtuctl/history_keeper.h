#pragma once

#include <memory>
#include <string>
#include <utility>

#include "core/block/parameter_block.h"
#include "core/history/history_entries.h"
#include "core/history/history_notice.h"
#include "core/history/unit_history.h"
#include "core/session/exchange.h"

namespace CLI {
class App;
}

namespace dtuctl {

// What dtuctl read, write and history restore keep in the units' history (unless --no-history):
// every block read from the unit, and every block sent to it with the unit's answer, under the
// serials and firmware the unit reported in its last read. A history that cannot be kept is
// said once on stderr (HistoryNotice) and changes neither what the command does nor its exit
// status.
class HistoryKeeper {
 public:
  // The history `file` names (as --history does), else the one the commands use by default.
  explicit HistoryKeeper(std::string file = {}) : file_(std::move(file)) {}

  // Declares --no-history.
  void Define(CLI::App& parser);
  bool enabled() const { return !off_; }

  // Keeps the block of an answered read on `port`; the unit is the one its status names.
  void KeepRead(const std::string& port, const dtu::ExchangeResult& read);
  // Keeps a block sent to the unit of the last read, and what became of it.
  void KeepSent(const std::string& port, const dtu::ParameterBlock& sent, dtu::HistoryEvent event);

  // The unit of the last read kept (as it named itself), empty before one.
  const dtu::HistoryUnit& unit() const { return unit_; }

 private:
  void Keep(const std::string& port, const dtu::ParameterBlock& block, dtu::HistoryEvent event);

  std::string file_;
  bool off_ = false;
  std::unique_ptr<dtu::UnitHistory> history_;
  dtu::HistoryNotice notice_;
  dtu::HistoryUnit unit_;
  std::string firmware_;
};

}  // namespace dtuctl
