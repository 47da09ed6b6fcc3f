#pragma once

#include <QComboBox>

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/serial/port_reference.h"
#include "core/serial/serial_port_info.h"

class QFileSystemWatcher;
class QTimer;

namespace dtu {

// Follows a remembered port that this machine does not list now.
inline constexpr std::string_view kAbsentPortMark = "（未找到）";

// The serial-port list: the ports of this machine plus any the command line named, each shown as
// the user knows it ("ttyUSB0 — FT232R USB UART (FTDI, A10K3J2L)", every detail in the entry's
// tooltip), editable so that any other path (a /dev/serial/by-id/ link, a pseudo-terminal), a
// device's name or "serial:NUMBER" can be typed.
//
// The machine's ports are listed again each time the list drops down and, once it follows udev
// (FollowHotplug) or watches folders (WatchForChanges), soon after an adapter is plugged in or
// pulled out; the port chosen stays chosen, found again by its by-id or by-path link when its
// number changed, and typed text stays as it was. The port remembered from the last run, or a
// chosen one that was pulled out, stays listed, marked kAbsentPortMark while the machine does not
// list it.
class PortComboBox : public QComboBox {
  Q_OBJECT

 public:
  using PortLister = std::function<std::vector<SerialPortInfo>()>;

  // `list_ports` lists the machine's ports (normally ListSerialPortInfos); `extra_ports` are
  // listed after them, unless they name one of them (by path, link, name or "serial:NUMBER").
  PortComboBox(PortLister list_ports, std::vector<std::string> extra_ports,
               QWidget* parent = nullptr);

  // Lists the ports again, keeping the choice or the typed text.
  void Rescan();

  // Lists the ports again whenever udev announces a serial port plugged in or pulled out. False
  // where udev cannot be used.
  bool FollowHotplug();

  // Lists the ports again whenever an entry appears in or leaves one of these folders (/dev,
  // where the system adds a node for each adapter plugged in, when udev does not announce them).
  // A folder that cannot be watched is looked at every few seconds instead.
  void WatchForChanges(const std::vector<std::filesystem::path>& folders);

  // Lists `port` (marked when absent) and selects it: the listed port with the same by-id link,
  // else by-path link, else device.
  void SelectRemembered(const SerialPortInfo& port);

  // Selects the entry that `reference` names (a path, a device's name, a link's name or
  // "serial:NUMBER"); false when none is listed.
  bool SelectNamed(const std::string& reference);

  // What the shown text names: the chosen entry's port, or the typed text resolved against the
  // listed ports (ResolvePortReference).
  PortReferenceMatch portReference() const;
  // The port to open: portReference()'s device.
  std::string portName() const;
  // What is known about the port to open, to find it again at the next start.
  SerialPortInfo portInfo() const;

  // The list's own tooltip followed by the details of the port shown.
  QString portToolTip() const;

  void showPopup() override;

 protected:
  bool event(QEvent* event) override;

 private:
  // The listed ports and the command line's that are none of them.
  std::vector<SerialPortInfo> Entries(const std::vector<SerialPortInfo>& listed) const;
  // Shows `entries` and, after them, the kept port when it is none of them.
  void Fill(std::vector<SerialPortInfo> entries);
  bool Lists(const std::vector<SerialPortInfo>& entries) const;
  // The entry the shown text is, if it is one.
  const SerialPortInfo* ShownEntry() const;
  void RescanIfChanged();
  void StartSettleTimer();

  PortLister list_ports_;
  std::vector<std::string> extra_ports_;
  std::vector<SerialPortInfo> listed_;     // the machine's ports at the last scan
  std::vector<SerialPortInfo> entries_;    // one per item, in order
  int absent_index_ = -1;                  // the kept port's item while it is not listed
  std::optional<SerialPortInfo> kept_;     // remembered, or chosen and then pulled out
  QFileSystemWatcher* watcher_ = nullptr;  // owned by Qt's parent chain
  QTimer* settle_ = nullptr;
  QTimer* poll_ = nullptr;
};

}  // namespace dtu
