#pragma once

#include <string>

#include "core/serial/line_settings.h"

namespace dtu {

// The port and line settings the window's port controls produce.
struct PortSettings {
  std::string device;  // e.g. "/dev/ttyUSB0"
  int baud_rate = 9600;
  char parity = 'N';  // 'N', 'O' or 'E'
  int data_bits = 8;
  int stop_bits = 1;

  LineSettings line() const { return {baud_rate, parity, data_bits, stop_bits, false}; }
};

}  // namespace dtu
