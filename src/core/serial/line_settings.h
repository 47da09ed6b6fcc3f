#pragma once

namespace dtu {

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
