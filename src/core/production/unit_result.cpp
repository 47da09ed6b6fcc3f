#include "core/production/unit_result.h"

#include <array>
#include <utility>

#include "core/message_language.h"

namespace dtu {
namespace {

constexpr std::array<std::pair<UnitResult, std::string_view>, 9> kNames{{
    {UnitResult::Ok, "ok"},
    {UnitResult::Skipped, "skipped"},
    {UnitResult::Rejected, "rejected"},
    {UnitResult::Mismatch, "mismatch"},
    {UnitResult::NoAnswer, "no-answer"},
    {UnitResult::Vanished, "vanished"},
    {UnitResult::NoRow, "no-row"},
    {UnitResult::Unidentified, "unidentified"},
    {UnitResult::NotRecorded, "not-recorded"},
}};

}  // namespace

std::string_view ResultName(UnitResult result) {
  for (const auto& [value, name] : kNames)
    if (value == result) return name;
  return {};
}

std::optional<UnitResult> ResultFromName(std::string_view name) {
  for (const auto& [value, text] : kNames)
    if (text == name) return value;
  return std::nullopt;
}

std::string UnitName(const UnitIdentity& unit) {
  if (!unit.module_serial.empty()) return unit.module_serial;
  if (!unit.board_serial.empty()) return unit.board_serial;
  return Say("未报序列号的单元", "a unit without serials");
}

}  // namespace dtu
