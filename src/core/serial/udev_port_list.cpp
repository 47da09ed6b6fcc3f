#include "core/serial/udev_port_list.h"

#include <algorithm>
#include <array>
#include <optional>
#include <sstream>
#include <string_view>

#include "core/serial/port_list.h"
#include "core/serial/udev_pointers.h"

namespace dtu {
namespace {

constexpr std::string_view kByIdFolder = "/dev/serial/by-id/";
constexpr std::string_view kByPathFolder = "/dev/serial/by-path/";

// The serial drivers of USB modem-class devices: the communications class's own and those of
// cellular modems, whose extra ports speak AT commands.
constexpr std::array<std::string_view, 4> kModemDrivers{"cdc_acm", "option", "qcserial", "sierra"};

std::string Text(const char* text) {
  return text != nullptr ? text : "";
}

std::string Property(udev_device* device, const char* key) {
  return device != nullptr ? Text(udev_device_get_property_value(device, key)) : "";
}

std::string Attribute(udev_device* device, const char* name) {
  return device != nullptr ? Text(udev_device_get_sysattr_value(device, name)) : "";
}

std::string Driver(udev_device* device) {
  return device != nullptr ? Text(udev_device_get_driver(device)) : "";
}

// The driver of the hardware behind `device`. Newer kernels put the UART's port between the
// terminal and the hardware, on a bus of their own whose drivers ("port", "ctrl") say nothing
// about the hardware: those are passed over.
std::string HardwareDriver(udev_device* device) {
  constexpr std::string_view kSerialBaseBus = "serial-base";
  while (device != nullptr && Text(udev_device_get_subsystem(device)) == kSerialBaseBus)
    device = udev_device_get_parent(device);  // owned by its child
  return Driver(device);
}

std::vector<std::string> Devlinks(udev_device* device) {
  std::vector<std::string> links;
  udev_list_entry* entry = nullptr;
  udev_list_entry_foreach(entry, udev_device_get_devlinks_list_entry(device)) {
    links.push_back(Text(udev_list_entry_get_name(entry)));
  }
  if (!links.empty()) return links;
  // A device udev has not recorded in its database (one announced only by the kernel) still
  // carries the property.
  std::istringstream words(Property(device, "DEVLINKS"));
  for (std::string link; words >> link;) links.push_back(link);
  return links;
}

void AddLinks(SerialPortInfo& port, udev_device* device) {
  for (std::string& link : Devlinks(device)) {
    if (link.starts_with(kByIdFolder))
      port.by_id.push_back(std::move(link));
    else if (link.starts_with(kByPathFolder))
      port.by_path.push_back(std::move(link));
  }
  std::ranges::sort(port.by_id);
  std::ranges::sort(port.by_path);
}

// The hardware database's name from the terminal's properties, else from the USB device's.
std::string DatabaseName(udev_device* tty, udev_device* usb, const char* key) {
  std::string name = Property(tty, key);
  return name.empty() ? Property(usb, key) : name;
}

void AddUsbDetails(SerialPortInfo& port, udev_device* tty, udev_device* usb) {
  port.vendor_id = Attribute(usb, "idVendor");
  port.product_id = Attribute(usb, "idProduct");
  port.manufacturer = Attribute(usb, "manufacturer");
  port.product = Attribute(usb, "product");
  port.serial = Attribute(usb, "serial");
  port.vendor_database = DatabaseName(tty, usb, "ID_VENDOR_FROM_DATABASE");
  port.product_database = DatabaseName(tty, usb, "ID_MODEL_FROM_DATABASE");
  const bool modem = std::ranges::find(kModemDrivers, port.driver) != kModemDrivers.end();
  port.kind = modem ? PortKind::Modem : PortKind::UsbAdapter;
}

// The port of terminal `tty`; nothing for a terminal that is no serial port, or for an empty
// legacy slot unless `include_absent`.
std::optional<SerialPortInfo> Describe(udev_device* tty, bool include_absent) {
  udev_device* parent = udev_device_get_parent(tty);  // owned by `tty`
  const char* node = udev_device_get_devnode(tty);
  if (parent == nullptr || node == nullptr || Driver(parent).empty()) return std::nullopt;
  SerialPortInfo port;
  port.device = node;
  AddLinks(port, tty);
  udev_device* interface =
      udev_device_get_parent_with_subsystem_devtype(tty, "usb", "usb_interface");
  port.driver = Property(tty, "ID_USB_DRIVER");
  if (port.driver.empty()) port.driver = HardwareDriver(interface != nullptr ? interface : parent);
  port.ignored_by_modem_manager = Property(tty, "ID_MM_DEVICE_IGNORE") == "1";
  if (udev_device* usb = udev_device_get_parent_with_subsystem_devtype(tty, "usb", "usb_device")) {
    AddUsbDetails(port, tty, usb);
    return port;
  }
  port.kind = PortKind::BuiltIn;
  port.present = !IsLegacy8250Name(port.name()) || ReportsUart(Attribute(tty, "type"));
  if (!port.present && !include_absent) return std::nullopt;
  return port;
}

std::optional<std::vector<SerialPortInfo>> ListThroughUdev(bool include_absent) {
  const UdevContext context(udev_new());
  if (!context) return std::nullopt;
  const UdevEnumeration enumeration(udev_enumerate_new(context.get()));
  if (!enumeration || udev_enumerate_add_match_subsystem(enumeration.get(), "tty") < 0 ||
      udev_enumerate_scan_devices(enumeration.get()) < 0)
    return std::nullopt;
  std::vector<SerialPortInfo> ports;
  udev_list_entry* entry = nullptr;
  udev_list_entry_foreach(entry, udev_enumerate_get_list_entry(enumeration.get())) {
    const UdevDevice tty(
        udev_device_new_from_syspath(context.get(), udev_list_entry_get_name(entry)));
    if (!tty) continue;  // gone since the scan
    if (std::optional<SerialPortInfo> port = Describe(tty.get(), include_absent))
      ports.push_back(std::move(*port));
  }
  return ports;
}

}  // namespace

std::vector<SerialPortInfo> ListSerialPortInfos(bool include_absent) {
  std::optional<std::vector<SerialPortInfo>> ports = ListThroughUdev(include_absent);
  if (!ports) {
    ports.emplace();
    for (std::string& device : ListSerialPorts()) ports->emplace_back(std::move(device));
  }
  std::ranges::sort(*ports, [](const SerialPortInfo& a, const SerialPortInfo& b) {
    return NaturalPortOrder(a.name(), b.name());
  });
  return std::move(*ports);
}

}  // namespace dtu
