#include "core/history/history_entries.h"

namespace dtu {

HistoryUnit HistoryUnit::Of(std::string board_serial, std::string module_serial, std::string port) {
  HistoryUnit unit{std::move(board_serial), std::move(module_serial), {}};
  if (!unit.known()) unit.unknown_port = std::move(port);
  return unit;
}

}  // namespace dtu
