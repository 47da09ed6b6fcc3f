#include "gui/window/port_combo_box.h"

#include <QAbstractItemView>
#include <QEvent>
#include <QFileSystemWatcher>
#include <QHelpEvent>
#include <QLineEdit>
#include <QScrollBar>
#include <QTimer>
#include <QToolTip>

#include <algorithm>
#include <utility>

#include "gui/platform/qt_text.h"
#include "gui/window/main_window_ids.h"
#include "gui/window/port_hotplug_watch.h"

namespace dtu {
namespace {

// A node appears in /dev a moment before the adapter's driver is bound; the list is read again
// once the folder has been quiet this long.
constexpr int kSettleMs = 300;
// How often a folder that cannot be watched is looked at.
constexpr int kPollMs = 3000;

QString Unmarked(QString text) {
  const QString mark = FromUtf8(kAbsentPortMark);
  if (text.endsWith(mark)) text.chop(mark.size());
  return text;
}

QString LabelOf(const SerialPortInfo& port, bool absent) {
  return FromUtf8(PortLabel(port, PortLanguage::Chinese)) +
         (absent ? FromUtf8(kAbsentPortMark) : QString());
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
  // A chosen entry shows from its start, the device's name, however long what follows it is.
  connect(this, &QComboBox::currentIndexChanged, this,
          [this] { lineEdit()->setCursorPosition(0); });
  if (list_ports_) listed_ = list_ports_();
  Fill(Entries(listed_));
}

std::vector<SerialPortInfo> PortComboBox::Entries(const std::vector<SerialPortInfo>& listed) const {
  std::vector<SerialPortInfo> entries = listed;
  for (const std::string& extra : extra_ports_) {
    const SerialPortInfo port =
        DescribePortPath(ResolvePortReference(extra, listed).device, listed);
    if (FindSamePort(entries, port) < 0) entries.push_back(port);
  }
  return entries;
}

void PortComboBox::Fill(std::vector<SerialPortInfo> entries) {
  const QSignalBlocker quiet(this);
  absent_index_ = -1;
  if (kept_ && FindSamePort(entries, *kept_) < 0) {
    absent_index_ = static_cast<int>(entries.size());
    entries.push_back(*kept_);
  }
  entries_ = std::move(entries);
  clear();
  for (int i = 0; i < static_cast<int>(entries_.size()); ++i) {
    const SerialPortInfo& port = entries_[static_cast<std::size_t>(i)];
    addItem(LabelOf(port, i == absent_index_));
    setItemData(i, FromUtf8(PortDetails(port)), Qt::ToolTipRole);
  }
  lineEdit()->setCursorPosition(0);
  // The list that drops down is wide enough for whole entries.
  view()->setMinimumWidth(view()->sizeHintForColumn(0) +
                          view()->verticalScrollBar()->sizeHint().width());
}

bool PortComboBox::Lists(const std::vector<SerialPortInfo>& entries) const {
  std::vector<SerialPortInfo> expected = entries;
  int absent = -1;
  if (kept_ && FindSamePort(expected, *kept_) < 0) {
    absent = static_cast<int>(expected.size());
    expected.push_back(*kept_);
  }
  if (static_cast<int>(expected.size()) != count()) return false;
  for (int i = 0; i < count(); ++i) {
    const SerialPortInfo& port = expected[static_cast<std::size_t>(i)];
    if (itemText(i) != LabelOf(port, i == absent) ||
        port.device != entries_[static_cast<std::size_t>(i)].device)
      return false;
  }
  return true;
}

const SerialPortInfo* PortComboBox::ShownEntry() const {
  const QString text = currentText();
  int index = currentIndex();
  if (index < 0 || itemText(index) != text) index = findText(text);
  return index >= 0 ? &entries_[static_cast<std::size_t>(index)] : nullptr;
}

void PortComboBox::SelectRemembered(const SerialPortInfo& port) {
  kept_ = port;
  if (list_ports_) listed_ = list_ports_();
  Fill(Entries(listed_));
  setCurrentIndex(FindSamePort(entries_, port));
}

bool PortComboBox::SelectNamed(const std::string& reference) {
  const SerialPortInfo port =
      DescribePortPath(ResolvePortReference(reference, listed_).device, listed_);
  const int index = FindSamePort(entries_, port);
  if (index >= 0) setCurrentIndex(index);
  return index >= 0;
}

void PortComboBox::Rescan() {
  std::vector<SerialPortInfo> listed = list_ports_ ? list_ports_() : listed_;
  const std::vector<SerialPortInfo> entries = Entries(listed);
  const SerialPortInfo* shown = ShownEntry();
  const std::optional<SerialPortInfo> chosen =
      shown != nullptr ? std::optional<SerialPortInfo>(*shown) : std::nullopt;
  // A chosen port that was pulled out stays offered, so that plugging it back in finds it.
  if (chosen && FindSamePort(entries, *chosen) < 0) kept_ = chosen;
  listed_ = std::move(listed);
  if (Lists(entries)) return;
  // Refilling replaces the edit's text; the user's, with the caret and selection in it, comes
  // back, also when it names a port that is gone or none at all.
  const QString typed = currentText();
  const int caret = lineEdit()->cursorPosition();
  const int selection_start = lineEdit()->selectionStart();
  const int selection_length = lineEdit()->selectedText().size();
  Fill(entries);
  if (chosen) {
    setCurrentIndex(FindSamePort(entries_, *chosen));
    return;
  }
  setCurrentIndex(-1);
  setEditText(typed);
  if (selection_start >= 0) {
    lineEdit()->setSelection(selection_start, selection_length);
  } else {
    lineEdit()->setCursorPosition(caret);
  }
}

bool PortComboBox::FollowHotplug() {
  auto* watch = new PortHotplugWatch(this);
  if (!watch->valid()) {
    delete watch;
    return false;
  }
  StartSettleTimer();
  // udev announces a port once its links are made: no need to let it settle.
  connect(watch, &PortHotplugWatch::portsChanged, this, &PortComboBox::RescanIfChanged);
  return true;
}

void PortComboBox::StartSettleTimer() {
  if (settle_ != nullptr) return;
  settle_ = new QTimer(this);
  settle_->setSingleShot(true);
  settle_->setInterval(kSettleMs);
  connect(settle_, &QTimer::timeout, this, &PortComboBox::RescanIfChanged);
}

void PortComboBox::WatchForChanges(const std::vector<std::filesystem::path>& folders) {
  StartSettleTimer();
  if (watcher_ == nullptr) {
    watcher_ = new QFileSystemWatcher(this);
    connect(watcher_, &QFileSystemWatcher::directoryChanged, settle_,
            static_cast<void (QTimer::*)()>(&QTimer::start));
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

PortReferenceMatch PortComboBox::portReference() const {
  if (const SerialPortInfo* shown = ShownEntry()) {
    PortReferenceMatch match;
    match.outcome = PortReferenceMatch::Outcome::Found;
    match.device = shown->device;
    return match;
  }
  return ResolvePortReference(Unmarked(currentText()).trimmed().toStdString(), listed_);
}

std::string PortComboBox::portName() const {
  return portReference().device;
}

SerialPortInfo PortComboBox::portInfo() const {
  if (const SerialPortInfo* shown = ShownEntry()) return *shown;
  return DescribePortPath(portName(), listed_);
}

QString PortComboBox::portToolTip() const {
  const std::string details = PortDetails(portInfo());
  if (portName().empty()) return toolTip();
  return toolTip() + QStringLiteral("\n\n") + FromUtf8(details);
}

bool PortComboBox::event(QEvent* event) {
  if (event->type() != QEvent::ToolTip) return QComboBox::event(event);
  QToolTip::showText(static_cast<QHelpEvent*>(event)->globalPos(), portToolTip(), this);
  return true;
}

void PortComboBox::showPopup() {
  Rescan();
  QComboBox::showPopup();
}

}  // namespace dtu
