#pragma once

#include <QComboBox>

#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

class QFileSystemWatcher;
class QTimer;

namespace dtu {

// Follows a remembered port whose device node does not exist now.
inline constexpr std::string_view kAbsentPortMark = "（未找到）";

// The serial-port list: the ports of this machine plus any the command line named,
// editable so that any other path (a /dev/serial/by-id/ link, a pseudo-terminal) can be typed.
// The machine's ports are listed again each time the list drops down and, once WatchForChanges
// has been called, soon after an adapter is plugged in or pulled out; the user's choice or
// typed text stays as it was. The port remembered from the last run stays listed, marked
// kAbsentPortMark while its device node does not exist.
class PortComboBox : public QComboBox {
  Q_OBJECT

 public:
  using PortLister = std::function<std::vector<std::string>()>;

  // `list_ports` lists the machine's ports (normally ListSerialPorts); `extra_ports` are listed
  // after them, unless already there.
  PortComboBox(PortLister list_ports, std::vector<std::string> extra_ports,
               QWidget* parent = nullptr);

  // Lists the ports again, keeping the current text.
  void Rescan();

  // Lists the ports again whenever an entry appears in or leaves one of these folders (normally
  // /dev, where the system adds a node for each adapter plugged in). A folder that cannot be
  // watched is looked at every few seconds instead.
  void WatchForChanges(const std::vector<std::filesystem::path>& folders);

  // Lists `port` (marked when absent) and selects it.
  void SelectRemembered(const std::string& port);

  // The port to open: the text shown, without surrounding blanks or the absent mark.
  std::string portName() const;

  void showPopup() override;

 private:
  std::vector<std::string> Ports() const;
  void Fill(const std::vector<std::string>& ports);
  bool Lists(const std::vector<std::string>& ports) const;
  int IndexOfPort(const QString& port) const;
  void RescanIfChanged();

  PortLister list_ports_;
  std::vector<std::string> extra_ports_;
  std::string remembered_;
  QFileSystemWatcher* watcher_ = nullptr;  // owned by Qt's parent chain
  QTimer* settle_ = nullptr;
  QTimer* poll_ = nullptr;
};

}  // namespace dtu
