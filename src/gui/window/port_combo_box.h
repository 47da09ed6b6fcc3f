#pragma once

#include <QComboBox>

#include <functional>
#include <string>
#include <vector>

namespace dtu {

// The serial-port list: the ports of this machine plus any the command line named,
// editable so that any other path (a /dev/serial/by-id/ link, a pseudo-terminal) can be typed.
// Each time the list drops down the machine's ports are listed again, so that an adapter plugged
// in after start-up appears; the user's choice or typed text stays as it was.
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

  // The port to open: the text shown, without surrounding blanks.
  std::string portName() const;

  void showPopup() override;

 private:
  void Fill();

  PortLister list_ports_;
  std::vector<std::string> extra_ports_;
};

}  // namespace dtu
