#pragma once

#include <optional>
#include <string_view>

namespace dtu {

// What happened to a block the history keeps: it was read from the unit, or it was sent to the
// unit and then stored ("$$$SETOK"), refused ("$$$ChkErr") or stored and read back the same.
enum class HistoryEvent { Read, Written, Refused, Verified };

// "read", "written", "refused", "verified": how the history stores an event and shows it.
std::string_view HistoryEventName(HistoryEvent event);
std::optional<HistoryEvent> HistoryEventFromName(std::string_view name);

// Whether after the event the unit holds the block: all but a refused write.
bool UnitHoldsBlockAfter(HistoryEvent event);

}  // namespace dtu
