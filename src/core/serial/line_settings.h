#pragma once

#include <array>

namespace dtu {

// The baud rates a port can be set to (the rates the port and device lists offer).
inline constexpr std::array<int, 14> kSupportedBaudRates = {
    110, 300, 600, 1200, 2400, 4800, 9600, 19200, 38400, 57600, 115200, 230400, 460800, 921600};

// A port's line settings, independent of the platform's own record. Flow control is always
// off; RTS is asserted while the port is open when rts_asserted is set.
struct LineSettings {
  int baud_rate = 9600;
  char parity = 'N';  // 'N' none, 'O' odd, 'E' even
  int data_bits = 8;  // 5 to 8
  int stop_bits = 1;  // 1 or 2
  bool rts_asserted = false;

  bool operator==(const LineSettings&) const = default;
};

bool IsSupportedBaudRate(int baud_rate);

// True when a port can take every setting: a baud rate of kSupportedBaudRates, parity N, O
// or E, 5 to 8 data bits, 1 or 2 stop bits.
bool IsValidLineSettings(const LineSettings& settings);

}  // namespace dtu
