#include "core/serial/line_settings.h"

#include <algorithm>
#include <cstdint>

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

std::chrono::milliseconds LineTime(const LineSettings& line, std::size_t bytes) {
  if (line.baud_rate <= 0) return std::chrono::milliseconds(0);
  const std::uint64_t bits = static_cast<std::uint64_t>(bytes) *
                             static_cast<std::uint64_t>(std::max(line.bits_per_character(), 1));
  const auto baud = static_cast<std::uint64_t>(line.baud_rate);
  return std::chrono::milliseconds((bits * 1000 + baud - 1) / baud);
}

}  // namespace dtu
