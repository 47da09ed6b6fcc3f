#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "core/block/parameter_block.h"
#include "core/history/history_entries.h"
#include "core/history/history_event.h"
#include "core/history/history_notice.h"
#include "core/history/unit_history.h"
#include "core/record/record_entries.h"
#include "core/session/exchange.h"
#include "core/user_messages.h"

namespace dtu {

// What a front end keeps in the units' history as it talks to units: every block read from a
// unit, and every block sent to it with the unit's answer, under the serials and firmware the
// unit reported in its last read. The history is opened at the first block kept. A history that
// cannot be opened or written is said once per run (HistoryNotice, as a warning through the
// messages given) and changes nothing of the read or write it was to keep.
class HistoryRecorder {
 public:
  // How a front end words the one notice of a failing history; by default HistoryNotice's.
  using NoticeWording = std::function<std::string(const HistoryError&)>;

  // The history `file` names; empty: the one every program uses (DefaultHistoryPath()).
  // `messages` must outlive the recorder.
  HistoryRecorder(std::filesystem::path file, UserMessages& messages, NoticeWording wording = {});
  ~HistoryRecorder();
  HistoryRecorder(const HistoryRecorder&) = delete;
  HistoryRecorder& operator=(const HistoryRecorder&) = delete;

  // Keeps the block of an answered read on `port`; the unit is the one its status names. The
  // entry's id; 0 when there was no block, it failed its checksum or the history failed.
  std::int64_t KeepRead(const std::string& port, const ExchangeResult& read);
  // Keeps a block sent to the unit of the last read, and what became of it; the entry's id or 0.
  std::int64_t KeepSent(const std::string& port, const ParameterBlock& sent, HistoryEvent event);

  // The unit of the last read kept (as it named itself); empty before one and after Forget().
  const HistoryUnit& unit() const { return unit_; }
  // Whether the history holds, from this recorder, what `unit` holds now: the unit of the last
  // read is `unit`, and its last block kept that the unit holds (read, written or verified) is
  // younger than `recent` at `now`.
  bool HoldsCurrentBlock(const HistoryUnit& unit, RecordTime now,
                         std::chrono::milliseconds recent) const;
  // The unit on the line may be another, or hold something else, from now on (the port was
  // opened again, a write went unanswered): the next write needs a read first.
  void Forget();

  // The history itself, for lists and comparisons; opened on first use.
  UnitHistory& history();

 private:
  std::int64_t Keep(const std::string& port, const ParameterBlock& block, HistoryEvent event);

  std::filesystem::path file_;
  UserMessages& messages_;
  NoticeWording wording_;
  std::unique_ptr<UnitHistory> history_;
  HistoryNotice notice_;
  HistoryUnit unit_;
  bool unit_known_ = false;  // a read was kept since the start or the last Forget()
  std::string firmware_;
  std::optional<RecordTime> held_since_;  // when the unit's current block was last kept
};

}  // namespace dtu
