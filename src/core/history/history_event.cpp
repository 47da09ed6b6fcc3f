#include "core/history/history_event.h"

#include <array>
#include <utility>

namespace dtu {
namespace {

constexpr std::array<std::pair<HistoryEvent, std::string_view>, 4> kNames{{
    {HistoryEvent::Read, "read"},
    {HistoryEvent::Written, "written"},
    {HistoryEvent::Refused, "refused"},
    {HistoryEvent::Verified, "verified"},
}};

}  // namespace

std::string_view HistoryEventName(HistoryEvent event) {
  for (const auto& [known, name] : kNames)
    if (known == event) return name;
  return "read";
}

std::optional<HistoryEvent> HistoryEventFromName(std::string_view name) {
  for (const auto& [event, known] : kNames)
    if (known == name) return event;
  return std::nullopt;
}

bool UnitHoldsBlockAfter(HistoryEvent event) {
  return event != HistoryEvent::Refused;
}

}  // namespace dtu
