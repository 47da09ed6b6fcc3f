#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>

namespace dtu {

// The baud rates the unit's serial port and this machine's ports offer, in list order: the
// entries of the rate lists of the serial page and of the main window's port group.
inline constexpr std::array<std::uint32_t, 14> kBaudRates{
    110, 300, 600, 1200, 2400, 4800, 9600, 19200, 38400, 57600, 115200, 230400, 460800, 921600};

// The list index of a baud rate, if it is one of the list.
constexpr std::optional<std::size_t> BaudRateIndex(std::uint32_t baud) {
  for (std::size_t i = 0; i < kBaudRates.size(); ++i)
    if (kBaudRates[i] == baud) return i;
  return std::nullopt;
}

// The rate both lists start with, and its index.
inline constexpr std::uint32_t kDefaultBaudRate = 9600;
inline constexpr std::size_t kDefaultBaudIndex = *BaudRateIndex(kDefaultBaudRate);

}  // namespace dtu
