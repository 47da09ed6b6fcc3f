#pragma once

#include <array>
#include <string_view>

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

// Applies a line text such as "baud=9600 parity=N data=8 stop=1" to `settings`: each
// "key=value" word present replaces that setting, settings not named stay as they are.
// Returns 0, or EINVAL (settings unchanged) for an unknown key, a malformed word or a value
// the port cannot take (a baud rate outside kSupportedBaudRates, parity other than N/O/E,
// data bits outside 5..8, stop bits other than 1 or 2).
int ApplyLineText(std::string_view text, LineSettings& settings);

}  // namespace dtu
