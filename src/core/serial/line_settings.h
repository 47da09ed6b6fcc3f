#pragma once

#include <chrono>
#include <cstddef>

namespace dtu {

// A port's line settings, independent of the platform's own record. Flow control is always
// off; RTS is asserted while the port is open when rts_asserted is set.
struct LineSettings {
  int baud_rate = 9600;
  char parity = 'N';  // 'N' none, 'O' odd, 'E' even
  int data_bits = 8;  // 5 to 8
  int stop_bits = 1;  // 1 or 2
  bool rts_asserted = false;

  // The bits one character takes on the line: the start bit, the data bits, the parity bit if
  // any and the stop bits.
  int bits_per_character() const { return 1 + data_bits + (parity == 'N' ? 0 : 1) + stop_bits; }

  bool operator==(const LineSettings&) const = default;
};

// How long the line needs to carry `bytes` characters, rounded up to the millisecond; nothing
// for a line without a rate.
std::chrono::milliseconds LineTime(const LineSettings& line, std::size_t bytes);

bool IsSupportedBaudRate(int baud_rate);

// True when a port can take every setting: a baud rate of kSupportedBaudRates, parity N, O
// or E, 5 to 8 data bits, 1 or 2 stop bits.
bool IsValidLineSettings(const LineSettings& settings);

}  // namespace dtu
