#pragma once

#include <optional>
#include <string_view>

namespace dtu {

// What happened to a block the history keeps: it was read from the unit, or it was sent to the
// unit and then stored ("$$$SETOK"), refused ("$$$ChkErr") or stored and read back the same.
enum class BlockEvent { Read, Written, Refused, Verified };

// "read", "written", "refused", "verified": how the history stores an event and shows it.
std::string_view BlockEventName(BlockEvent event);
std::optional<BlockEvent> BlockEventFromName(std::string_view name);

// Whether after the event the unit holds the block: all but a refused write.
bool UnitHoldsBlockAfter(BlockEvent event);

}  // namespace dtu
