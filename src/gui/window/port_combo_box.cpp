#include "gui/window/port_combo_box.h"

#include <QAbstractItemView>
#include <QFileSystemWatcher>
#include <QLineEdit>
#include <QTimer>

#include <algorithm>
#include <filesystem>
#include <system_error>
#include <utility>

#include "gui/window/main_window_ids.h"

namespace dtu {
namespace {

// A node appears in /dev a moment before the adapter's driver is bound; the list is read again
// once the folder has been quiet this long.
constexpr int kSettleMs = 300;
// How often a folder that cannot be watched is looked at.
constexpr int kPollMs = 3000;

QString Unmarked(QString text) {
  const QString mark = QString::fromUtf8(kAbsentPortMark.data(), kAbsentPortMark.size());
  if (text.endsWith(mark)) text.chop(mark.size());
  return text;
}

}  // namespace

PortComboBox::PortComboBox(PortLister list_ports, std::vector<std::string> extra_ports,
                           QWidget* parent)
    : QComboBox(parent), list_ports_(std::move(list_ports)), extra_ports_(std::move(extra_ports)) {
  setObjectName(QString::number(main_id::kPortList));
  setEditable(true);
  setInsertPolicy(QComboBox::NoInsert);  // Enter must not grow the list with typed paths
  setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
  setMinimumContentsLength(20);
  Fill(Ports());
}

std::vector<std::string> PortComboBox::Ports() const {
  std::vector<std::string> ports = list_ports_ ? list_ports_() : std::vector<std::string>{};
  for (const std::string& extra : extra_ports_)
    if (std::find(ports.begin(), ports.end(), extra) == ports.end()) ports.push_back(extra);
  // The system's list leaves out pseudo-terminals and the /dev/serial/by-id/ names: only a port
  // whose device node is gone now is marked.
  if (!remembered_.empty() && std::find(ports.begin(), ports.end(), remembered_) == ports.end()) {
    std::error_code ignored;
    const bool present = std::filesystem::exists(remembered_, ignored);
    ports.push_back(remembered_ + (present ? std::string() : std::string(kAbsentPortMark)));
  }
  return ports;
}

int PortComboBox::IndexOfPort(const QString& port) const {
  const int listed = findText(port);
  if (listed >= 0) return listed;
  return findText(port + QString::fromUtf8(kAbsentPortMark.data(), kAbsentPortMark.size()));
}

void PortComboBox::SelectRemembered(const std::string& port) {
  remembered_ = port;
  Fill(Ports());
  setCurrentIndex(IndexOfPort(QString::fromStdString(port)));
}

void PortComboBox::Fill(const std::vector<std::string>& ports) {
  const QSignalBlocker quiet(this);
  clear();
  for (const std::string& port : ports) addItem(QString::fromStdString(port));
}

bool PortComboBox::Lists(const std::vector<std::string>& ports) const {
  if (static_cast<int>(ports.size()) != count()) return false;
  for (int i = 0; i < count(); ++i)
    if (itemText(i).toStdString() != ports[static_cast<std::size_t>(i)]) return false;
  return true;
}

void PortComboBox::Rescan() {
  const std::vector<std::string> ports = Ports();
  if (Lists(ports)) return;
  // Refilling replaces the edit's text; the user's, with the caret and selection in it, comes
  // back, also when it names a port that is gone or none at all.
  const QString chosen = Unmarked(currentText());
  const int caret = lineEdit()->cursorPosition();
  const int selection_start = lineEdit()->selectionStart();
  const int selection_length = lineEdit()->selectedText().size();
  Fill(ports);
  const int index = IndexOfPort(chosen);
  if (index >= 0) {
    setCurrentIndex(index);
  } else {
    setCurrentIndex(-1);
    setEditText(chosen);
  }
  if (selection_start >= 0) {
    lineEdit()->setSelection(selection_start, selection_length);
  } else {
    lineEdit()->setCursorPosition(caret);
  }
}

void PortComboBox::WatchForChanges(const std::vector<std::filesystem::path>& folders) {
  if (watcher_ == nullptr) {
    watcher_ = new QFileSystemWatcher(this);
    settle_ = new QTimer(this);
    settle_->setSingleShot(true);
    settle_->setInterval(kSettleMs);
    connect(watcher_, &QFileSystemWatcher::directoryChanged, settle_,
            static_cast<void (QTimer::*)()>(&QTimer::start));
    connect(settle_, &QTimer::timeout, this, &PortComboBox::RescanIfChanged);
  }
  QStringList paths;
  for (const std::filesystem::path& folder : folders) paths << QString::fromStdString(folder);
  if (paths.isEmpty() || watcher_->addPaths(paths).isEmpty()) return;
  if (poll_ == nullptr) {
    poll_ = new QTimer(this);
    poll_->setInterval(kPollMs);
    connect(poll_, &QTimer::timeout, this, &PortComboBox::RescanIfChanged);
    poll_->start();
  }
}

void PortComboBox::RescanIfChanged() {
  // An open list keeps its entries while the user picks; the change is taken up afterwards.
  if (view()->isVisible()) {
    settle_->start();
    return;
  }
  Rescan();
}

std::string PortComboBox::portName() const {
  return Unmarked(currentText()).trimmed().toStdString();
}

void PortComboBox::showPopup() {
  Rescan();
  QComboBox::showPopup();
}

}  // namespace dtu
