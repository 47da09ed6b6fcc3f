#pragma once

// Serial adapters as umockdev-record writes them down (sysfs paths, attributes, driver links and
// udev's properties), for UmockdevTestbed: two FTDI adapters of one make told apart by their
// serial numbers, a CH340 without a serial number, a USB modem's cdc_acm port, a built-in UART,
// an empty slot of the legacy 8250 driver and a virtual console.

#include <string>

#include "support/umockdev_testbed.h"

namespace dtu::test::adapters {

inline const std::string kUsbHost = "/sys/devices/pci0000:00/0000:00:14.0/usb1";

// The sysfs path of the terminal of a USB serial port in `socket` ("1-2").
inline std::string UsbTerminal(const std::string& socket, const std::string& name) {
  return kUsbHost + "/" + socket + "/" + socket + ":1.0/" +
         (name.starts_with("ttyACM") ? "" : name + "/") + "tty/" + name;
}

// "1-2" is socket 2 of bus 1: udev's by-path name says "usb-0:2:1.0".
inline std::string ByPath(const std::string& socket) {
  return "/dev/serial/by-path/pci-0000:00:14.0-usb-0:" + socket.substr(2) + ":1.0-port0";
}

struct UsbAdapter {
  std::string socket;        // "1-1"
  std::string name;          // "ttyUSB0"
  std::string vendor_id;     // "0403"
  std::string product_id;    // "6001"
  std::string manufacturer;  // empty: the adapter names none
  std::string product;
  std::string serial;  // empty: the adapter has none
  std::string driver;  // "ftdi_sio"
  std::string vendor_database;
  std::string product_database;

  std::string by_id() const {
    const std::string model = manufacturer.empty() ? vendor_id + "_" + product : product;
    std::string id = (manufacturer.empty() ? "" : manufacturer + "_") + model +
                     (serial.empty() ? "" : "_" + serial);
    for (char& c : id)
      if (c == ' ') c = '_';
    return "/dev/serial/by-id/usb-" + id + "-if00" + (driver == "cdc_acm" ? "" : "-port0");
  }

  std::string terminal() const { return UsbTerminal(socket, name); }
  std::string usb_device() const { return kUsbHost + "/" + socket; }

  // The USB device, its interface, the driver's port device (not for cdc_acm) and the terminal.
  std::string Record() const {
    const std::string device = kUsbHost + "/" + socket;
    const std::string interface = device + "/" + socket + ":1.0";
    std::string record = "P: " + device.substr(4) +
                         "\nE: SUBSYSTEM=usb\nE: DEVTYPE=usb_device\n"
                         "L: driver=../../../../bus/usb/drivers/usb\n"
                         "A: idVendor=" +
                         vendor_id + "\nA: idProduct=" + product_id + "\n";
    if (!manufacturer.empty()) record += "A: manufacturer=" + manufacturer + "\n";
    record += "A: product=" + product + "\n";
    if (!serial.empty()) record += "A: serial=" + serial + "\n";
    record += "E: ID_VENDOR_FROM_DATABASE=" + vendor_database +
              "\nE: ID_MODEL_FROM_DATABASE=" + product_database + "\n\n";
    record += "P: " + interface.substr(4) +
              "\nE: SUBSYSTEM=usb\nE: DEVTYPE=usb_interface\n"
              "L: driver=../../../../../bus/usb/drivers/" +
              driver + "\n\n";
    if (driver != "cdc_acm")
      record += "P: " + interface.substr(4) + "/" + name +
                "\nE: SUBSYSTEM=usb-serial\n"
                "L: driver=../../../../../../bus/usb-serial/drivers/" +
                driver + "\n\n";
    record += "P: " + terminal().substr(4) + "\nN: " + name +
              "\nE: SUBSYSTEM=tty\nE: DEVNAME=/dev/" + name +
              "\nE: ID_BUS=usb\nE: ID_USB_DRIVER=" + driver +
              "\nE: ID_VENDOR_FROM_DATABASE=" + vendor_database +
              "\nE: ID_MODEL_FROM_DATABASE=" + product_database + "\nE: DEVLINKS=" + by_id() + " " +
              ByPath(socket) + "\n\n";
    return record;
  }
};

inline UsbAdapter Ftdi(const std::string& socket, const std::string& name,
                       const std::string& serial) {
  return {socket,
          name,
          "0403",
          "6001",
          "FTDI",
          "FT232R USB UART",
          serial,
          "ftdi_sio",
          "Future Technology Devices International, Ltd",
          "FT232 Serial (UART) IC"};
}

inline UsbAdapter Ch340(const std::string& socket, const std::string& name) {
  return {socket,
          name,
          "1a86",
          "7523",
          "",
          "USB Serial",
          "",
          "ch341",
          "QinHeng Electronics",
          "CH340 serial converter"};
}

inline UsbAdapter Modem(const std::string& socket, const std::string& name) {
  return {socket,       name,      "1234",    "5678",           "Example Modems",
          "LTE Module", "MDM0042", "cdc_acm", "Example Modems", "LTE Module"};
}

inline const UsbAdapter kFirstFtdi = Ftdi("1-1", "ttyUSB0", "A10K3J2L");
inline const UsbAdapter kSecondFtdi = Ftdi("1-2", "ttyUSB1", "A9G5XQ1M");
inline const UsbAdapter kCh340 = Ch340("1-3", "ttyUSB2");
inline const UsbAdapter kModem = Modem("1-4", "ttyACM0");

// A UART on the main board (the firmware lists it, type 4 is a 16550A) behind the controller and
// port devices that newer kernels put between it and its terminal, an empty slot of the legacy
// driver (type 0) and a virtual console, which belongs to no device.
inline const std::string kBuiltInPorts =
    "P: /devices/pnp0/00:04\nE: SUBSYSTEM=pnp\nL: driver=../../../bus/pnp/drivers/serial\n\n"
    "P: /devices/pnp0/00:04/00:04:0\nE: SUBSYSTEM=serial-base\n"
    "L: driver=../../../../bus/serial-base/drivers/ctrl\n\n"
    "P: /devices/pnp0/00:04/00:04:0/00:04:0.0\nE: SUBSYSTEM=serial-base\n"
    "L: driver=../../../../../bus/serial-base/drivers/port\n\n"
    "P: /devices/pnp0/00:04/00:04:0/00:04:0.0/tty/ttyS0\nN: ttyS0\nE: SUBSYSTEM=tty\n"
    "E: DEVNAME=/dev/ttyS0\nA: type=4\n\n"
    "P: /devices/platform/serial8250\nE: SUBSYSTEM=platform\n"
    "L: driver=../../../bus/platform/drivers/serial8250\n\n"
    "P: /devices/platform/serial8250/tty/ttyS1\nN: ttyS1\nE: SUBSYSTEM=tty\n"
    "E: DEVNAME=/dev/ttyS1\nA: type=0\n\n"
    "P: /devices/virtual/tty/tty0\nN: tty0\nE: SUBSYSTEM=tty\nE: DEVNAME=/dev/tty0\n\n";

// Pulls `adapter` out: its devices go, each announced, the terminal first.
inline void Unplug(UmockdevTestbed& testbed, const UsbAdapter& adapter) {
  const std::string interface = adapter.usb_device() + "/" + adapter.socket + ":1.0";
  testbed.Remove(adapter.terminal());
  testbed.RemoveNode(adapter.name);
  if (adapter.driver != "cdc_acm") testbed.Remove(interface + "/" + adapter.name);
  testbed.Remove(interface);
  testbed.Remove(adapter.usb_device());
}

// All of them.
inline std::string Workbench() {
  return kFirstFtdi.Record() + kSecondFtdi.Record() + kCh340.Record() + kModem.Record() +
         kBuiltInPorts;
}

}  // namespace dtu::test::adapters
