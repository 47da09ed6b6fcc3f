#pragma once

#include <string>

namespace dtu {

// A unit as it names itself: its board serial number ("XuLieHao:") and module serial number
// ("GSN:"). Either may be missing when the unit did not report it.
struct UnitIdentity {
  std::string board_serial;
  std::string module_serial;

  bool known() const { return !board_serial.empty() || !module_serial.empty(); }
  bool operator==(const UnitIdentity&) const = default;
};

}  // namespace dtu
