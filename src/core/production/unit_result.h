#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "core/device/unit_identity.h"

namespace dtu {

// How the provisioning of one unit ended, as the log names it.
enum class UnitResult {
  Ok,            // written, read back and found equal
  Skipped,       // nothing written: done with this row before, and holding it already
  Rejected,      // the unit answered the parameter frame "$$$ChkErr\r"
  Mismatch,      // the block read back differs from the one written
  NoAnswer,      // the unit stopped answering within the time limit
  Vanished,      // the port vanished
  NoRow,         // nothing written: the table has no row for the unit (ran out, or no gsn)
  Unidentified,  // nothing written: the unit reported no serial, so it cannot be told apart
};

std::string_view ResultName(UnitResult result);
std::optional<UnitResult> ResultFromName(std::string_view name);

// True for the results that leave the unit as its row wants it.
constexpr bool Succeeded(UnitResult result) {
  return result == UnitResult::Ok || result == UnitResult::Skipped;
}

// How progress lines name a unit: its module serial, else its board serial.
std::string UnitName(const UnitIdentity& unit);

}  // namespace dtu
