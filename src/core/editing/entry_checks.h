#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace dtu {

// The entry checks a page runs when it copies its numeric fields into its members, with the
// messages the user sees when an entry is refused.

inline constexpr std::string_view kEnterUnsignedMessage = "“请填入一个正整数。”";
inline constexpr std::string_view kEnterByteMessage = "“请填入一个在0和255之间的整数。”";
inline constexpr std::string_view kEnterRangeTemplate = "“请填入一个在%1和%2之间的整数。”";

// kEnterRangeTemplate with its two bounds filled in.
std::string EnterRangeMessage(std::int64_t min, std::int64_t max);

// A non-negative integer that fits 32 bits: blanks around it and a leading '+' are accepted,
// anything else (an empty text, a sign '-', letters, a value over 4294967295) is refused.
std::optional<std::uint32_t> ParseUnsignedEntry(std::string_view text);

// The same for a byte: an integer from 0 to 255.
std::optional<std::uint8_t> ParseByteEntry(std::string_view text);

}  // namespace dtu
