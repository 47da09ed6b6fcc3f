#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace dtu {

// Where the kernel lists terminal devices.
inline const std::filesystem::path kSysfsTtyRoot = "/sys/class/tty";

// The serial ports of this machine as device paths ("/dev/ttyUSB0"), in natural order:
// grouped by the name before the trailing number, then by that number (ttyS2 before ttyS10).
//
// A terminal counts as a serial port when a driver is bound to its device (the entry's
// "device/driver" link resolves). The legacy 8250 driver binds every ttyS<n> slot it has,
// hardware or not; such an entry counts only when its "type" attribute reads as a port type
// other than 0 (0 means no UART was found there).
std::vector<std::string> ListSerialPorts(
    const std::filesystem::path& sysfs_tty_root = kSysfsTtyRoot);

// The natural order of port names: by the name before the trailing number, then by that number
// (ttyS2 before ttyS10).
bool NaturalPortOrder(std::string_view a, std::string_view b);

// Whether `name` is a slot of the legacy 8250 driver ("ttyS<n>"), which binds every slot it has,
// hardware or not.
bool IsLegacy8250Name(std::string_view name);

// Whether a legacy slot's "type" attribute names a port type: a number other than 0 (0 means
// that no UART was found there).
bool ReportsUart(std::string_view type);

// The port number of a device name: the decimal number at its end ("/dev/ttyUSB0" gives 0,
// "COM3" gives 3). A name without trailing digits, or with a number too large for an int,
// gives 0.
int PortNumberFromName(std::string_view device);

}  // namespace dtu
