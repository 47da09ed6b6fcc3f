#pragma once

#include <functional>
#include <string_view>

#include "console_messages.h"
#include "core/block/parameter_block.h"
#include "core/history/history_entries.h"
#include "history_keeper.h"
#include "port_options.h"

namespace dtuctl {

// A block to write to the unit on a port, as dtuctl write and history restore write it.
struct UnitWrite {
  std::string_view command;  // names the command in its messages
  const PortOptions& port;
  dtu::ParameterBlock block;  // checked already; sealed when it is sent
  bool verify = false;        // read the block back after "$$$SETOK" and compare
  // Asked before anything is sent, with the unit the read before the write found (only when
  // the history is kept); false stops the write with kExitFailure after its own message.
  std::function<bool(const dtu::HistoryUnit&)> accept_unit;
};

// Writes the block on one opening of the port. With the history kept, the unit's block is read
// first (quietly) and kept, so that what the unit held can always be put back; a unit that
// cannot be read is not written. The unit's answer decides the outcome: "$$$SETOK" prints
// "参数设置成功!" on stdout, "$$$ChkErr" prints "参数校验失败!" on stderr. With `verify`, the
// stored block is read back: the same fields keep the write as verified, others are listed on
// stderr as dtuctl diff lists them (exit status kExitDiffers). Returns the exit status.
int WriteToUnit(const UnitWrite& write, HistoryKeeper& history, ConsoleMessages& messages);

}  // namespace dtuctl
