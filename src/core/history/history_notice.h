#pragma once

#include <mutex>
#include <optional>
#include <string>

#include "core/history/history_error.h"
#include "core/user_messages.h"

namespace dtu {

// Says once per run of a program that the units' history is not being kept: the first failure
// of a call that was to keep a block is shown (what failed, and the file), later ones are not.
// A failing history so costs one message and never stops a read or a write. A front end holds
// one for its whole run; calls may come from any thread.
class HistoryNotice {
 public:
  // The message for `error` when it is the run's first failure; nothing otherwise.
  std::optional<std::string> Take(const HistoryError& error);
  // Shows that message as a warning.
  void Report(const HistoryError& error, UserMessages& messages);

 private:
  std::mutex mutex_;
  bool said_ = false;
};

}  // namespace dtu
