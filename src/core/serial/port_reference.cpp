#include "core/serial/port_reference.h"

#include <algorithm>
#include <filesystem>
#include <optional>
#include <system_error>

namespace dtu {
namespace {

namespace fs = std::filesystem;

constexpr std::string_view kPseudoTerminalFolder = "/dev/pts/";

std::string FileName(const std::string& path) {
  return fs::path(path).filename().string();
}

// The path of `port` that `name` names: its device for the device's name, else the link of that
// file name; nothing when `name` is none of them.
std::optional<std::string> PathNamed(const SerialPortInfo& port, std::string_view name) {
  if (port.name() == name) return port.device;
  for (const std::vector<std::string>* links : {&port.by_id, &port.by_path})
    for (const std::string& link : *links)
      if (FileName(link) == name) return link;
  return std::nullopt;
}

bool IsPathOf(const SerialPortInfo& port, const std::string& path) {
  return port.device == path || std::ranges::find(port.by_id, path) != port.by_id.end() ||
         std::ranges::find(port.by_path, path) != port.by_path.end();
}

// Where a path leads once its links are followed; the path itself when that cannot be told.
std::string Resolved(const std::string& path) {
  std::error_code error;
  const fs::path resolved = fs::canonical(path, error);
  return error ? path : resolved.string();
}

PortReferenceMatch BySerial(std::string_view serial, const std::vector<SerialPortInfo>& ports) {
  PortReferenceMatch match;
  match.serial = serial;
  match.device = std::string(kSerialReferencePrefix) + match.serial;
  const SerialPortInfo* found = nullptr;
  for (const SerialPortInfo& port : ports) {
    if (serial.empty() || port.serial != serial) continue;
    found = &port;
    match.candidates.push_back(port.device);
  }
  if (match.candidates.empty()) {
    match.outcome = PortReferenceMatch::Outcome::NoSuchSerial;
  } else if (match.candidates.size() > 1) {
    match.outcome = PortReferenceMatch::Outcome::SharedSerial;
  } else {
    match.outcome = PortReferenceMatch::Outcome::Found;
    match.device = found->by_id.empty() ? found->device : found->by_id.front();
    match.candidates.clear();
  }
  return match;
}

}  // namespace

PortReferenceMatch ResolvePortReference(std::string_view reference,
                                        const std::vector<SerialPortInfo>& ports) {
  if (reference.starts_with(kSerialReferencePrefix))
    return BySerial(reference.substr(kSerialReferencePrefix.size()), ports);
  PortReferenceMatch match;
  match.device = reference;
  if (reference.empty() || reference.find('/') != std::string_view::npos) return match;
  for (const SerialPortInfo& port : ports) {
    if (std::optional<std::string> path = PathNamed(port, reference)) {
      match.outcome = PortReferenceMatch::Outcome::Found;
      match.device = std::move(*path);
      break;
    }
  }
  return match;
}

SerialPortInfo DescribePortPath(const std::string& path,
                                const std::vector<SerialPortInfo>& listed) {
  for (const SerialPortInfo& port : listed)
    if (IsPathOf(port, path)) return port;
  const std::string resolved = Resolved(path);
  for (const SerialPortInfo& port : listed)
    if (Resolved(port.device) == resolved) return port;
  SerialPortInfo port(path);
  if (resolved.starts_with(kPseudoTerminalFolder)) port.kind = PortKind::PseudoTerminal;
  return port;
}

}  // namespace dtu
