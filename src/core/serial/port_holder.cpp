#include "core/serial/port_holder.h"

#include <algorithm>
#include <charconv>
#include <fstream>
#include <system_error>

#include "core/serial/port_reference.h"
#include "core/serial/udev_port_list.h"

namespace dtu {
namespace {

namespace fs = std::filesystem;

std::optional<int> ProcessId(const fs::path& entry) {
  const std::string name = entry.filename().string();
  int pid = 0;
  const auto [end, status] = std::from_chars(name.data(), name.data() + name.size(), pid);
  if (status != std::errc() || end != name.data() + name.size() || pid <= 0) return std::nullopt;
  return pid;
}

std::string ProgramOf(const fs::path& process) {
  std::ifstream comm(process / "comm");
  std::string program;
  std::getline(comm, program);
  return program;
}

// Whether the open file `fd` of `process` carries a lock: the system lists it in the file's
// details as a "lock:" line. A lock taken before a fork is listed for the children too.
bool CarriesLock(const fs::path& process, const fs::path& fd) {
  std::ifstream details(process / "fdinfo" / fd.filename());
  for (std::string line; std::getline(details, line);)
    if (line.starts_with("lock:")) return true;
  return false;
}

enum class Use { None, Open, Locked };

// Compares the links' texts only: following an open file to examine it could hang on a file
// system that does not answer.
Use UseOf(const fs::path& process, const fs::path& device) {
  Use use = Use::None;
  std::error_code error;
  for (fs::directory_iterator it(process / "fd", error), end; !error && it != end;
       it.increment(error)) {
    std::error_code link_error;
    if (fs::read_symlink(it->path(), link_error) != device || link_error) continue;
    if (CarriesLock(process, it->path())) return Use::Locked;
    use = Use::Open;
  }
  return use;
}

// Every process under `proc_root` that `wanted` accepts (a Use other than None), in order of
// their IDs.
template <typename Test>
std::vector<HoldingProcess> Processes(const fs::path& proc_root, Test wanted) {
  std::vector<HoldingProcess> found;
  std::error_code error;
  for (fs::directory_iterator it(proc_root, error), end; !error && it != end; it.increment(error)) {
    const std::optional<int> pid = ProcessId(it->path());
    if (!pid) continue;
    if (const Use use = wanted(it->path()); use != Use::None)
      found.push_back({*pid, ProgramOf(it->path()), use == Use::Locked});
  }
  std::ranges::sort(found, {}, &HoldingProcess::pid);
  return found;
}

std::string RuleMatch(std::string_view attribute, const std::string& value) {
  return "ATTRS{" + std::string(attribute) + "}==\"" + value + "\", ";
}

}  // namespace

std::vector<HoldingProcess> FindPortHolders(const fs::path& device, const fs::path& proc_root) {
  std::error_code error;
  fs::path target = fs::canonical(device, error);
  if (error) target = device;
  return Processes(proc_root,
                   [&target](const fs::path& process) { return UseOf(process, target); });
}

std::optional<HoldingProcess> FindModemManager(const fs::path& proc_root) {
  const std::vector<HoldingProcess> found = Processes(proc_root, [](const fs::path& process) {
    return ProgramOf(process) == kModemManagerProgram ? Use::Open : Use::None;
  });
  if (found.empty()) return std::nullopt;
  return found.front();
}

BusyPort ExplainBusyPort(const fs::path& device, const SerialPortInfo& port,
                         const fs::path& proc_root) {
  BusyPort busy;
  busy.port = port;
  busy.holders = FindPortHolders(device, proc_root);
  // The lock's holders keep the port busy; others merely have it open too (the simulated unit
  // keeps its own terminal open, a shell may have it as its input).
  if (std::ranges::any_of(busy.holders, &HoldingProcess::locks))
    std::erase_if(busy.holders, [](const HoldingProcess& holder) { return !holder.locks; });
  const auto manager =
      std::ranges::find(busy.holders, kModemManagerProgram, &HoldingProcess::program);
  if (manager != busy.holders.end()) {
    busy.modem_manager = *manager;
    busy.modem_manager_holds = true;
  } else if (busy.holders.empty() && !port.ignored_by_modem_manager &&
             port.kind != PortKind::PseudoTerminal) {
    busy.modem_manager = FindModemManager(proc_root);
  }
  return busy;
}

BusyPort ExplainBusyDevice(const std::string& device) {
  return ExplainBusyPort(device, DescribePortPath(device, ListSerialPortInfos()));
}

std::string ModemManagerIgnoreRule(const SerialPortInfo& port) {
  if (port.vendor_id.empty() || port.product_id.empty()) return {};
  std::string rule = "SUBSYSTEM==\"tty\", " + RuleMatch("idVendor", port.vendor_id) +
                     RuleMatch("idProduct", port.product_id);
  if (!port.serial.empty()) rule += RuleMatch("serial", port.serial);
  return rule + "ENV{ID_MM_DEVICE_IGNORE}=\"1\"";
}

}  // namespace dtu
