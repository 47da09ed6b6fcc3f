#pragma once

#include <array>
#include <optional>
#include <set>
#include <string_view>

namespace dtusim {

// Misbehaviours the simulated unit can be told to show, so that the tool's handling of them can
// be tried and tested.
enum class Fault {
  BadChecksum,  // the block it sends carries a wrong checksum
  Noise,        // junk bytes between the labelled values and around every answer
  Lowercase,    // the block's hex digits in lower case
  Chunked,      // every answer cut into 7-byte pieces with 20 ms pauses
  ShortBlock,   // the block cut short: fewer than 1,320 digits, then nothing
  Silent,       // deaf and dumb: ignores every command
  Vanish,       // the port disappears after half of the first answer
  Reject,       // every parameter frame is answered "$$$ChkErr\r" and not stored
  Pause,        // every answer stops half-way for 8 seconds, then the rest follows
  Babble,       // every command is answered with noise that never ends
};

using FaultSet = std::set<Fault>;

struct FaultName {
  Fault fault;
  std::string_view name;
};

inline constexpr std::array<FaultName, 10> kFaultNames{{
    {Fault::BadChecksum, "bad-checksum"},
    {Fault::Noise, "noise"},
    {Fault::Lowercase, "lowercase"},
    {Fault::Chunked, "chunked"},
    {Fault::ShortBlock, "short-block"},
    {Fault::Silent, "silent"},
    {Fault::Vanish, "vanish"},
    {Fault::Reject, "reject"},
    {Fault::Pause, "pause"},
    {Fault::Babble, "babble"},
}};

inline std::optional<Fault> FaultFromName(std::string_view name) {
  for (const FaultName& entry : kFaultNames)
    if (entry.name == name) return entry.fault;
  return std::nullopt;
}

}  // namespace dtusim
