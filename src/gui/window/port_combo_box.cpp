#include "gui/window/port_combo_box.h"

#include <QLineEdit>

#include <algorithm>
#include <utility>

#include "gui/window/main_window_ids.h"

namespace dtu {

PortComboBox::PortComboBox(PortLister list_ports, std::vector<std::string> extra_ports,
                           QWidget* parent)
    : QComboBox(parent), list_ports_(std::move(list_ports)), extra_ports_(std::move(extra_ports)) {
  setObjectName(QString::number(main_id::kPortList));
  setEditable(true);
  setInsertPolicy(QComboBox::NoInsert);  // Enter must not grow the list with typed paths
  setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
  setMinimumContentsLength(20);
  Fill();
}

void PortComboBox::Fill() {
  std::vector<std::string> ports = list_ports_ ? list_ports_() : std::vector<std::string>{};
  for (const std::string& extra : extra_ports_)
    if (std::find(ports.begin(), ports.end(), extra) == ports.end()) ports.push_back(extra);
  const QSignalBlocker quiet(this);
  clear();
  for (const std::string& port : ports) addItem(QString::fromStdString(port));
}

void PortComboBox::Rescan() {
  const QString chosen = currentText();
  Fill();
  const int index = findText(chosen);
  if (index >= 0) {
    setCurrentIndex(index);
  } else {
    setCurrentIndex(-1);
    setEditText(chosen);
  }
}

std::string PortComboBox::portName() const {
  return currentText().trimmed().toStdString();
}

void PortComboBox::showPopup() {
  Rescan();
  QComboBox::showPopup();
}

}  // namespace dtu
