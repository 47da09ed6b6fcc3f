#pragma once

#include <string>

#include "console_messages.h"
#include "core/block/parameter_block.h"
#include "core/history/history_entries.h"
#include "core/history/history_recorder.h"
#include "core/session/exchange.h"

namespace CLI {
class App;
}

namespace dtuctl {

// What dtuctl read, write and history restore keep in the units' history (unless --no-history):
// every block read from the unit, and every block sent to it with the unit's answer, under the
// serials and firmware the unit reported in its last read (dtu::HistoryRecorder). A history
// that cannot be kept is said once on stderr and changes neither what the command does nor its
// exit status.
class HistoryKeeper {
 public:
  // The history `file` names (as --history does), else the one the commands use by default.
  explicit HistoryKeeper(std::string file = {}) : recorder_(file, notices_) {}

  // Declares --no-history.
  void Define(CLI::App& parser);
  bool enabled() const { return !off_; }

  // Keeps the block of an answered read on `port`; the unit is the one its status names.
  void KeepRead(const std::string& port, const dtu::ExchangeResult& read);
  // Keeps a block sent to the unit of the last read, and what became of it.
  void KeepSent(const std::string& port, const dtu::ParameterBlock& sent, dtu::HistoryEvent event);

  // The unit of the last read kept (as it named itself), empty before one.
  const dtu::HistoryUnit& unit() const { return recorder_.unit(); }

 private:
  bool off_ = false;
  // The notice of a failing history only: it counts toward no command's problems.
  ConsoleMessages notices_;
  dtu::HistoryRecorder recorder_;
};

}  // namespace dtuctl
