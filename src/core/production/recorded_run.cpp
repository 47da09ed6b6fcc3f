#include "core/production/recorded_run.h"

#include <utility>

#include "core/message_language.h"

namespace dtu {
namespace {

BatchRow BatchRowOf(const UnitRow& row) {
  BatchRow batch_row{row.key, row.line, row.gsn, {}};
  for (const std::string& assignment : row.assignments) {
    const std::size_t equals = assignment.find('=');
    batch_row.values.emplace_back(
        assignment.substr(0, equals),
        equals == std::string::npos ? std::string() : assignment.substr(equals + 1));
  }
  return batch_row;
}

}  // namespace

RecordOutcome RecordOutcomeOf(UnitResult result) {
  switch (result) {
    case UnitResult::Ok:
      return RecordOutcome::Ok;
    case UnitResult::Skipped:
      return RecordOutcome::Skipped;
    case UnitResult::Rejected:
      return RecordOutcome::Rejected;
    case UnitResult::Mismatch:
      return RecordOutcome::Mismatch;
    case UnitResult::NoAnswer:
      return RecordOutcome::NoAnswer;
    case UnitResult::Vanished:
      return RecordOutcome::Vanished;
    case UnitResult::NoRow:
      return RecordOutcome::NoRow;
    case UnitResult::Unidentified:
    case UnitResult::NotRecorded:
      break;
  }
  return RecordOutcome::Refused;
}

BatchStart BatchStartOf(const UnitTable& table, const ParameterBlock& template_block,
                        std::string table_name, std::string operator_name, std::string station) {
  BatchStart start{template_block,
                   table.template_fingerprint,
                   std::move(table_name),
                   table.fingerprint,
                   std::move(operator_name),
                   std::move(station),
                   std::chrono::time_point_cast<std::chrono::milliseconds>(RecordClock::now()),
                   {}};
  for (const UnitRow& row : table.rows) start.rows.push_back(BatchRowOf(row));
  return start;
}

RecordedRun::RecordedRun(ProductionRecord& record, const UnitTable& table, std::int64_t batch_id,
                         std::string station)
    : record_(record), batch_id_(batch_id), station_(std::move(station)) {
  for (const UnitRow& row : table.rows) rows_.emplace(row.key, &row);
}

bool RecordedRun::Failed(RecordError error) {
  std::lock_guard lock(mutex_);
  if (failure_.ok()) failure_ = std::move(error);
  return false;
}

bool RecordedRun::failed() const {
  std::lock_guard lock(mutex_);
  return !failure_.ok();
}

RecordError RecordedRun::failure() const {
  std::lock_guard lock(mutex_);
  return failure_;
}

RowSource::Claim RecordedRun::ClaimRow(const UnitIdentity& unit, std::string_view firmware,
                                       std::string_view port) {
  const auto none = [](UnitResult refusal, std::string why) {
    return Claim{nullptr, false, false, refusal, std::move(why)};
  };
  if (failed())
    return none(UnitResult::NotRecorded,
                Say("生产记录已不能写入", "the production record can no longer be written"));
  RowClaim claim;
  const RecordError error =
      record_.ClaimRow(batch_id_, {unit.module_serial, unit.board_serial, std::string(firmware)},
                       {station_, std::string(port)}, claim);
  if (!error.ok()) {
    Failed(error);
    return none(
        UnitResult::NotRecorded,
        Say("生产记录无法给这个单元一行：", "the production record cannot give this unit a row: ") +
            error.message);
  }
  switch (claim.kind) {
    case RowClaim::Kind::NoRow:
      return none(UnitResult::NoRow, claim.why_none);
    case RowClaim::Kind::Unidentified:
      return none(UnitResult::Unidentified, claim.why_none);
    case RowClaim::Kind::Claimed:
    case RowClaim::Kind::Held:
    case RowClaim::Kind::AlreadyOk:
      break;
  }
  const auto found = rows_.find(claim.row->key);
  if (found == rows_.end())
    return none(UnitResult::NoRow, Say("生产记录给的行（" + claim.row->key + "）不在单元表中",
                                       "the row the production record gave (" + claim.row->key +
                                           ") is not in the table"));
  return {found->second, claim.kind == RowClaim::Kind::AlreadyOk, false, UnitResult::NoRow, {}};
}

bool RecordedRun::AllDone() {
  std::lock_guard lock(mutex_);
  const auto now = std::chrono::steady_clock::now();
  if (all_done_ || (asked_ && now - *asked_ < kRowsLeftInterval)) return all_done_;
  asked_ = now;
  int rows_left = 0;
  // A record that cannot be asked just now is asked again later; a unit's claim would fail.
  if (record_.RowsLeft(batch_id_, rows_left).ok()) all_done_ = rows_left == 0;
  return all_done_;
}

bool RecordedRun::Record(const UnitAttempt& attempt) {
  const LogEntry& entry = attempt.entry;
  if (entry.result == UnitResult::NotRecorded) return false;
  ResultEntry result;
  result.id = NewResultId();
  result.batch_id = batch_id_;
  result.where = {station_, entry.port};
  result.unit = {entry.unit.module_serial, entry.unit.board_serial, entry.firmware};
  if (const auto found = rows_.find(entry.row_key); found != rows_.end())
    result.row = BatchRowOf(*found->second);
  result.outcome = RecordOutcomeOf(entry.result);
  result.before = attempt.before;
  result.after = attempt.after;
  result.message = entry.message;
  result.started = std::chrono::time_point_cast<std::chrono::milliseconds>(attempt.started);
  result.duration = attempt.duration;
  if (RecordError error = record_.RecordResult(result); !error.ok())
    return Failed(std::move(error));
  return true;
}

}  // namespace dtu
