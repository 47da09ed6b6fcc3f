#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "core/serial/port_holder.h"
#include "core/serial/port_reference.h"

namespace dtu {

// The group that owns a device file, and whether its members may read and write it.
struct DeviceGroup {
  std::string name;  // the group's name, or its number when the system has no name for it
  bool may_read_write = false;
};

// The owning group of `device` (a link is followed to its device); nothing when the file cannot
// be examined.
std::optional<DeviceGroup> DeviceOwnerGroup(const std::filesystem::path& device);

// The name of the user the program runs as, for the command that adds it to a group.
std::string CurrentUserName();

// What the window says when opening `device` failed with errno `error`: "无法打开串口 <device>："
// and the reason, worded for the failures a user can act on (missing, busy, not a terminal, no
// permission), else the system's reason (SystemErrorText). For missing permission (EACCES,
// EPERM) it adds the fix: join the group that owns the device (named as the system names it,
// e.g. "dialout") and log in again; or, when even that group may not read and write it, ask for
// the device's permissions to be changed. A busy port (EBUSY) is explained by BusyPortMessage.
std::string PortOpenFailureMessage(std::string_view device, int error);

// Why `device` is busy, from what ExplainBusyPort found: "无法打开串口 <device>：串口被进程 1234
// （minicom）占用，请先关闭那个程序。"; when the modem manager holds the port, or runs while no
// holder can be seen, that it probes new ports for a while and how to keep it away from this
// adapter (a udev rule setting ID_MM_DEVICE_IGNORE, written out for the adapter's IDs).
std::string BusyPortMessage(std::string_view device, const BusyPort& busy);

// Why a "serial:NUMBER" port cannot be opened: no adapter with that number is plugged in, or
// several are; empty when `match` names a port to open.
std::string UnresolvedPortMessage(const PortReferenceMatch& match);

}  // namespace dtu
