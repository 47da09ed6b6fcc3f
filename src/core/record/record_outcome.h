#pragma once

#include <array>
#include <optional>
#include <string_view>

namespace dtu {

// How the provisioning of one unit ended, as the record keeps it.
enum class RecordOutcome {
  Ok,        // written, read back and found equal
  Rejected,  // the unit answered the parameter frame "$$$ChkErr\r"
  Mismatch,  // the block read back differs from the one written
  NoAnswer,  // the unit stopped answering within the time limit
  Vanished,  // the port vanished
  Skipped,   // nothing written: the unit had this batch's configuration already
  Refused,   // nothing written: refused before any write
  NoRow,     // nothing written: the units' table has no row for the unit
};

inline constexpr std::array<RecordOutcome, 8> kRecordOutcomes{
    RecordOutcome::Ok,       RecordOutcome::Rejected, RecordOutcome::Mismatch,
    RecordOutcome::NoAnswer, RecordOutcome::Vanished, RecordOutcome::Skipped,
    RecordOutcome::Refused,  RecordOutcome::NoRow};

// "ok", "rejected", "mismatch", "no-answer", "vanished", "skipped", "refused", "no-row": the
// names the record stores and the reports print.
std::string_view OutcomeName(RecordOutcome outcome);
std::optional<RecordOutcome> OutcomeFromName(std::string_view name);

// True for the outcomes that leave nothing of the row on the unit (refused before the write,
// or the unit refused the frame): the row may then go to another unit.
constexpr bool LeavesRowFree(RecordOutcome outcome) {
  return outcome == RecordOutcome::Refused || outcome == RecordOutcome::Rejected;
}

// True for the outcomes of a unit that was sent its block: what the yield counts.
constexpr bool WasAttempt(RecordOutcome outcome) {
  return outcome == RecordOutcome::Ok || outcome == RecordOutcome::Rejected ||
         outcome == RecordOutcome::Mismatch || outcome == RecordOutcome::NoAnswer ||
         outcome == RecordOutcome::Vanished;
}

}  // namespace dtu
