#include "gui/window/status_display.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QTableWidget>

#include <array>

#include "core/device/device_event_text.h"
#include "gui/platform/qt_text.h"
#include "gui/window/main_window_ids.h"
#include "gui/window/signal_gauge.h"

namespace dtu {
namespace {

struct LabelledEdit {
  int id;
  std::string_view label;
};

const std::array<LabelledEdit, 3> kIdentityEdits{{
    {main_id::kVersion, StatusFieldLabel(StatusField::Version)},
    {main_id::kModuleSerial, StatusFieldLabel(StatusField::ModuleSerial)},
    {main_id::kBoardSerial, StatusFieldLabel(StatusField::BoardSerial)},
}};

// Two address fields the unit's reports never fill; they are kept, hidden, with their labels.
constexpr std::array<LabelledEdit, 2> kHiddenEdits{{
    {main_id::kResolvedAddress, "域名解析后的IP地址"},
    {main_id::kDtuAddress, "DTU地址(自动分配)"},
}};

constexpr int kAddressColumnWidth = 120;

}  // namespace

StatusDisplay::StatusDisplay(QWidget* parent) : QObject(parent) {
  CreateIdentityGroup(parent);
  CreateSignalGroup(parent);
  SetupAddressList(parent);
}

QLineEdit* StatusDisplay::AddEdit(int id, QWidget* parent) {
  auto* field = new QLineEdit(parent);
  field->setObjectName(QString::number(id));
  field->setReadOnly(true);
  controls_[id] = field;
  return field;
}

void StatusDisplay::CreateIdentityGroup(QWidget* parent) {
  identity_group_ = new QGroupBox(parent);  // untitled: the labels name the fields
  auto* row = new QHBoxLayout(identity_group_);
  const auto add = [this, row](const LabelledEdit& item, bool shown) {
    auto* name = new QLabel(FromUtf8(item.label), identity_group_);
    QLineEdit* field = AddEdit(item.id, identity_group_);
    name->setBuddy(field);
    name->setVisible(shown);
    field->setVisible(shown);
    row->addWidget(name);
    row->addWidget(field, 1);
  };
  for (const LabelledEdit& item : kIdentityEdits) add(item, true);
  for (const LabelledEdit& item : kHiddenEdits) add(item, false);
}

void StatusDisplay::CreateSignalGroup(QWidget* parent) {
  signal_group_ = new QGroupBox(FromUtf8(StatusFieldLabel(StatusField::Signal)), parent);
  QLineEdit* strength = AddEdit(main_id::kSignalText, signal_group_);
  strength->setAlignment(Qt::AlignCenter);
  gauge_ = new SignalGauge(signal_group_);
  controls_[main_id::kSignalGauge] = gauge_;
  auto* hint = new QLabel(QStringLiteral("0~31,10以上稳定"), signal_group_);
  auto* grid = new QGridLayout(signal_group_);
  grid->addWidget(strength, 0, 0);
  grid->addWidget(gauge_, 0, 1, Qt::AlignCenter);
  grid->addWidget(hint, 1, 0, 1, 2, Qt::AlignHCenter);
}

void StatusDisplay::SetupAddressList(QWidget* parent) {
  address_list_ = new QTableWidget(kAddressRowCount, 2, parent);
  address_list_->setObjectName(QString::number(main_id::kAddressList));
  controls_[main_id::kAddressList] = address_list_;
  address_list_->setHorizontalHeaderLabels({QStringLiteral("号码"), QStringLiteral("IP地址")});
  address_list_->verticalHeader()->setVisible(false);
  address_list_->horizontalHeader()->setStretchLastSection(false);
  address_list_->setColumnWidth(0, kAddressColumnWidth);
  address_list_->setColumnWidth(1, kAddressColumnWidth);
  address_list_->setShowGrid(true);
  address_list_->setSelectionBehavior(QAbstractItemView::SelectRows);
  address_list_->setSelectionMode(QAbstractItemView::SingleSelection);
  address_list_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  // Tab leaves the list for the next control; the arrow keys move between its rows.
  address_list_->setTabKeyNavigation(false);
  for (int row = 0; row < kAddressRowCount; ++row) {
    address_list_->setItem(row, 0, new QTableWidgetItem(FromUtf8(AddressRowName(row))));
    address_list_->setItem(row, 1, new QTableWidgetItem);
  }
  address_list_->resizeRowsToContents();
  // Exactly as large as its columns and rows: no scroll bars, no empty margin.
  address_list_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  address_list_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  address_list_->setSizeAdjustPolicy(QAbstractScrollArea::AdjustToContents);
  address_list_->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

QWidget* StatusDisplay::control(int id) const {
  const auto found = controls_.find(id);
  return found != controls_.end() ? found->second : nullptr;
}

QLineEdit* StatusDisplay::edit(int id) const {
  return qobject_cast<QLineEdit*>(control(id));
}

void StatusDisplay::SetAddress(int row, std::string_view text) {
  if (row < 0 || row >= kAddressRowCount) return;
  address_list_->item(row, 1)->setText(FromUtf8(text));
}

void StatusDisplay::SetStatusText(int control_id, std::string_view text) {
  switch (control_id) {
    case main_id::kVersion:
    case main_id::kModuleSerial:
    case main_id::kBoardSerial:
    case main_id::kSignalText:
      edit(control_id)->setText(FromUtf8(text));
      break;
    default:
      break;
  }
}

void StatusDisplay::SetSignal(int value) {
  gauge_->setValue(value);
}

int StatusDisplay::signal() const {
  return gauge_->value();
}

}  // namespace dtu
