#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "core/serial/serial_port_info.h"

namespace dtu {

// Names a port by its adapter's serial number: "serial:A10K3J2L".
inline constexpr std::string_view kSerialReferencePrefix = "serial:";

// What a port named by the user (on a command line or typed into the port list) comes to.
struct PortReferenceMatch {
  enum class Outcome {
    AsGiven,       // a path, opened as it is
    Found,         // a listed port: `device` is what to open
    NoSuchSerial,  // "serial:..." names no listed adapter
    SharedSerial,  // "serial:..." names several (`candidates`): which one is meant is unclear
  };
  Outcome outcome = Outcome::AsGiven;
  std::string device;                   // what to open; the reference itself unless Found
  std::vector<std::string> candidates;  // SharedSerial: the devices that share the number
  std::string serial;                   // the number a "serial:" reference names
};

// Resolves `reference` against the listed `ports`:
// - "serial:NUMBER": the adapter with that serial number; opened by its by-id link where it has
//   one, so that a port found again after the adapter was unplugged is still that adapter;
// - a bare name without "/": a listed port's device name ("ttyUSB0") or the file name of one of
//   its by-id or by-path links;
// - anything else (a path, a by-id or by-path link): as given, for the system to follow.
PortReferenceMatch ResolvePortReference(std::string_view reference,
                                        const std::vector<SerialPortInfo>& ports);

// What is known about the port at `path` (a device, a link to one, a pseudo-terminal): the
// listed port it names, if any, else a port of that path alone, of kind PseudoTerminal for one.
SerialPortInfo DescribePortPath(const std::string& path, const std::vector<SerialPortInfo>& listed);

}  // namespace dtu
