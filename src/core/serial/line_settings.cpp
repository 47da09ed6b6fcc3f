#include "core/serial/line_settings.h"

#include <algorithm>

#include "core/baud_rates.h"

namespace dtu {

bool IsSupportedBaudRate(int baud_rate) {
  // A port can be set to every rate the lists offer, and to no other.
  return baud_rate > 0 && BaudRateIndex(static_cast<std::uint32_t>(baud_rate)).has_value();
}

bool IsValidLineSettings(const LineSettings& settings) {
  const bool parity = settings.parity == 'N' || settings.parity == 'O' || settings.parity == 'E';
  const bool data_bits = settings.data_bits >= 5 && settings.data_bits <= 8;
  const bool stop_bits = settings.stop_bits == 1 || settings.stop_bits == 2;
  return IsSupportedBaudRate(settings.baud_rate) && parity && data_bits && stop_bits;
}

}  // namespace dtu
