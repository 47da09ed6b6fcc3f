#pragma once

#include <vector>

#include "core/serial/serial_port_info.h"

namespace dtu {

// The serial ports of this machine as udev knows them, in the natural order of their devices
// (see NaturalPortOrder): each with its /dev/serial/by-id/ and by-path/ links, the USB adapter
// behind it (IDs, its own names and the hardware database's, serial number), its driver and kind.
//
// A terminal counts as a serial port when a driver is bound to the device it belongs to: virtual
// consoles and the pseudo-terminal master have none. A slot of the legacy 8250 driver whose
// "type" attribute reads 0 has no UART behind it; such slots are listed (present false) only
// with `include_absent`.
//
// Where udev cannot be used the ports found under /sys/class/tty are listed by device alone
// (ListSerialPorts).
std::vector<SerialPortInfo> ListSerialPortInfos(bool include_absent = false);

}  // namespace dtu
