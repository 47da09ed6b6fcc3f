#include "core/serial/line_settings.h"

#include <algorithm>

namespace dtu {

bool IsSupportedBaudRate(int baud_rate) {
  return std::find(kSupportedBaudRates.begin(), kSupportedBaudRates.end(), baud_rate) !=
         kSupportedBaudRates.end();
}

bool IsValidLineSettings(const LineSettings& settings) {
  const bool parity = settings.parity == 'N' || settings.parity == 'O' || settings.parity == 'E';
  const bool data_bits = settings.data_bits >= 5 && settings.data_bits <= 8;
  const bool stop_bits = settings.stop_bits == 1 || settings.stop_bits == 2;
  return IsSupportedBaudRate(settings.baud_rate) && parity && data_bits && stop_bits;
}

}  // namespace dtu
