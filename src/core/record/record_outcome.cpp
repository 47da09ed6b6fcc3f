#include "core/record/record_outcome.h"

#include <utility>

namespace dtu {
namespace {

constexpr std::array<std::pair<RecordOutcome, std::string_view>, kRecordOutcomes.size()> kNames{{
    {RecordOutcome::Ok, "ok"},
    {RecordOutcome::Rejected, "rejected"},
    {RecordOutcome::Mismatch, "mismatch"},
    {RecordOutcome::NoAnswer, "no-answer"},
    {RecordOutcome::Vanished, "vanished"},
    {RecordOutcome::Skipped, "skipped"},
    {RecordOutcome::Refused, "refused"},
    {RecordOutcome::NoRow, "no-row"},
}};

}  // namespace

std::string_view OutcomeName(RecordOutcome outcome) {
  for (const auto& [value, name] : kNames)
    if (value == outcome) return name;
  return {};
}

std::optional<RecordOutcome> OutcomeFromName(std::string_view name) {
  for (const auto& [value, text] : kNames)
    if (text == name) return value;
  return std::nullopt;
}

}  // namespace dtu
