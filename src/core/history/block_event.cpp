#include "core/history/block_event.h"

#include <array>
#include <utility>

namespace dtu {
namespace {

constexpr std::array<std::pair<BlockEvent, std::string_view>, 4> kNames{{
    {BlockEvent::Read, "read"},
    {BlockEvent::Written, "written"},
    {BlockEvent::Refused, "refused"},
    {BlockEvent::Verified, "verified"},
}};

}  // namespace

std::string_view BlockEventName(BlockEvent event) {
  for (const auto& [known, name] : kNames)
    if (known == event) return name;
  return "read";
}

std::optional<BlockEvent> BlockEventFromName(std::string_view name) {
  for (const auto& [event, known] : kNames)
    if (known == name) return event;
  return std::nullopt;
}

bool UnitHoldsBlockAfter(BlockEvent event) {
  return event != BlockEvent::Refused;
}

}  // namespace dtu
