#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace dtu {

// What kind of thing is behind a serial port.
enum class PortKind {
  Unknown,         // nothing is known beyond the device's name
  BuiltIn,         // a UART of the machine itself (ttyS0, ttyAMA0)
  UsbAdapter,      // a USB-serial adapter (FTDI, CH340, PL2303, CP210x, ...)
  Modem,           // a port of a USB modem-class device (cdc_acm, a cellular modem's driver)
  PseudoTerminal,  // a pseudo-terminal, such as the simulated unit's
};

// One serial port as the user knows it: where it is, the stable names the system gives it and
// what is plugged in behind it. Text fields are empty when the system does not say.
struct SerialPortInfo {
  SerialPortInfo() = default;
  explicit SerialPortInfo(std::string device_path) : device(std::move(device_path)) {}

  std::string device;                // "/dev/ttyUSB0"
  std::vector<std::string> by_id;    // its /dev/serial/by-id/ links
  std::vector<std::string> by_path;  // its /dev/serial/by-path/ links
  PortKind kind = PortKind::Unknown;
  std::string vendor_id;         // USB vendor ID as four hex digits, "0403"
  std::string product_id;        // USB product ID, "6001"
  std::string manufacturer;      // what the adapter calls its maker, "FTDI"
  std::string product;           // what the adapter calls itself, "FT232R USB UART"
  std::string vendor_database;   // the maker's name in the system's hardware database
  std::string product_database;  // the product's name there
  std::string serial;            // the adapter's serial number, "A10K3J2L"
  std::string driver;            // the kernel driver, "ftdi_sio"
  bool present = true;           // false for a built-in UART slot with no hardware behind it
  bool ignored_by_modem_manager = false;  // a udev rule sets ID_MM_DEVICE_IGNORE for it

  // "ttyUSB0": the device's name without "/dev/".
  std::string name() const;
};

// The language a front end speaks: the window Chinese, dtuctl's own port messages English.
enum class PortLanguage { Chinese, English };

// The kind's name in `language` ("USB 串口适配器", "USB-serial adapter").
std::string_view PortKindName(PortKind kind, PortLanguage language);
// The kind as one word for scripts ("usb-adapter"), as `dtuctl ports --json` gives it.
std::string_view PortKindWord(PortKind kind);

// What is behind the port in a few words, "FT232R USB UART (FTDI, A10K3J2L)": the adapter's own
// name for itself (else the database's, else the USB IDs) and, in brackets, its maker and serial
// number where known. Empty for a port that is no USB device.
std::string PortDescription(const SerialPortInfo& port);

// Between a port's name and what it is: "ttyUSB0 — FT232R USB UART".
inline constexpr std::string_view kPortLabelDash = " — ";

// What the port is, after its name in a list: its description, else its kind's name (nothing for
// a port of unknown kind), and for a slot without hardware that it has none.
std::string PortSummary(const SerialPortInfo& port, PortLanguage language);

// The port's entry in a list: "ttyUSB0 — FT232R USB UART (FTDI, A10K3J2L)"; a port without a
// description is named by its kind ("ttyS0 — 板载串口"), one of unknown kind by its device path
// alone. A slot without hardware says so.
std::string PortLabel(const SerialPortInfo& port, PortLanguage language);

// Every detail of the port, one "label: value" line each, in Chinese (the window's tooltip).
std::string PortDetails(const SerialPortInfo& port);

// Where in `ports` the port is that was known as `remembered`: the one with the same by-id link,
// else with the same by-path link (the same socket), else, for a port known by no link, the one
// with the same device; -1 when none is. The links come first, since the device's number changes
// when an adapter is plugged in elsewhere or after another one.
int FindSamePort(const std::vector<SerialPortInfo>& ports, const SerialPortInfo& remembered);

}  // namespace dtu
