#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "core/serial/serial_port_info.h"

namespace dtu {

// Where the system shows its processes.
inline const std::filesystem::path kProcRoot = "/proc";

// The name the system's modem manager runs under. It opens every serial port that appears and
// sends AT commands to find out whether a modem answers, for some seconds after an adapter is
// plugged in, unless a udev rule sets ID_MM_DEVICE_IGNORE for the device.
inline constexpr std::string_view kModemManagerProgram = "ModemManager";

// A process, by its ID and its program's name as the system lists it ("minicom").
struct HoldingProcess {
  int pid = 0;
  std::string program;
  bool locks = false;  // holds the device's lock (flock), which is what makes it busy
};

// Who keeps a port busy, as far as the system lets this user see: the processes that hold the
// device's lock, else (the port set exclusive, or the lock's holder hidden) every process that has
// it open; other users' open files are hidden from an ordinary user. And the modem manager
// when it holds the port or runs while no holder can be seen (it runs as another user, so its
// open files are hidden, and a port just plugged in is what it probes).
struct BusyPort {
  std::vector<HoldingProcess> holders;
  std::optional<HoldingProcess> modem_manager;
  bool modem_manager_holds = false;  // seen among the holders, not only running
  SerialPortInfo port;               // what is known about the device, for the udev rule
};

// The processes under `proc_root` with `device` (followed to its final name) open, in order of
// their IDs, each marked when it holds the device's lock.
std::vector<HoldingProcess> FindPortHolders(const std::filesystem::path& device,
                                            const std::filesystem::path& proc_root = kProcRoot);

// The modem manager's process, when one runs.
std::optional<HoldingProcess> FindModemManager(const std::filesystem::path& proc_root = kProcRoot);

// What is known about why `device` is busy. `port` is the device as listed (its adapter's IDs
// and whether the modem manager is told to leave it alone).
BusyPort ExplainBusyPort(const std::filesystem::path& device, const SerialPortInfo& port,
                         const std::filesystem::path& proc_root = kProcRoot);

// ExplainBusyPort for `device` as the machine's port list describes it: what a front end calls
// when opening `device` failed because it is busy (EBUSY).
BusyPort ExplainBusyDevice(const std::string& device);

// The udev rule that keeps the modem manager away from the adapter of `port`, matched by its
// USB vendor and product IDs and its serial number where it has one:
//   SUBSYSTEM=="tty", ATTRS{idVendor}=="0403", ATTRS{idProduct}=="6001",
//   ATTRS{serial}=="A10K3J2L", ENV{ID_MM_DEVICE_IGNORE}="1"
// (one line). Empty for a port that is no USB device.
std::string ModemManagerIgnoreRule(const SerialPortInfo& port);

// Where the rules are put, and the example shipped with the program.
inline constexpr std::string_view kUdevRulesFolder = "/etc/udev/rules.d/";
inline constexpr std::string_view kModemManagerRuleExample =
    "/usr/share/doc/dtuconfig/examples/77-dtuconfig-modem-manager-ignore.rules";

}  // namespace dtu
