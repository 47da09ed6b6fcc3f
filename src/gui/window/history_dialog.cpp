#include "gui/window/history_dialog.h"

#include <algorithm>

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSplitter>
#include <QTableWidget>
#include <QVBoxLayout>

#include "core/block/parameter_text.h"
#include "core/editing/field_labels.h"
#include "core/history/unit_history.h"
#include "core/record/record_time.h"
#include "gui/platform/qt_text.h"

namespace dtu {
namespace {

using namespace history_id;

constexpr std::string_view kPagesName = "页面上的参数";
constexpr std::string_view kChooseTwo = "请在记录列表中选择两条记录（按住 Ctrl 键可多选）。";
constexpr std::string_view kChooseOne = "请在记录列表中选择一条记录。";

QTableWidget* CreateTable(int id, const QStringList& headers, QWidget* parent) {
  auto* table = new QTableWidget(0, static_cast<int>(headers.size()), parent);
  table->setObjectName(QString::number(id));
  table->setHorizontalHeaderLabels(headers);
  table->setEditTriggers(QAbstractItemView::NoEditTriggers);
  table->setSelectionBehavior(QAbstractItemView::SelectRows);
  table->verticalHeader()->setVisible(false);
  table->horizontalHeader()->setStretchLastSection(true);
  return table;
}

QPushButton* CreateButton(int id, std::string_view caption, QWidget* parent) {
  auto* button = new QPushButton(FromUtf8(caption), parent);
  button->setObjectName(QString::number(id));
  button->setAutoDefault(false);
  return button;
}

void SetRow(QTableWidget* table, int row, const std::vector<std::string>& cells) {
  for (int column = 0; column < static_cast<int>(cells.size()); ++column)
    table->setItem(row, column, new QTableWidgetItem(FromUtf8(cells[column])));
}

std::string EntryName(const HistoryEntry& entry) {
  return "历史记录 " + std::to_string(entry.id);
}

std::string Shown(const std::string& serial) {
  return serial.empty() ? "无" : serial;
}

}  // namespace

std::string_view HistoryEventText(HistoryEvent event) {
  switch (event) {
    case HistoryEvent::Read:
      return "读取";
    case HistoryEvent::Written:
      return "写入";
    case HistoryEvent::Refused:
      return "设备拒绝";
    case HistoryEvent::Verified:
      return "写入并核对";
  }
  return {};
}

std::string ComparisonText(std::string_view first_name, const ParameterBlock& first,
                           std::string_view second_name, const ParameterBlock& second) {
  const std::vector<MemberDifference> differences = DiffBlockTexts(first, second);
  const std::string both = std::string(first_name) + " 与 " + std::string(second_name);
  if (differences.empty()) return both + " 的参数相同。";
  std::string text =
      both + " 有 " + std::to_string(differences.size()) + " 项不同（前者 → 后者）：\n";
  for (const MemberDifference& difference : differences) {
    const std::string_view label = FieldLabel(difference.name);
    text += label.empty() ? difference.name : std::string(label) + "（" + difference.name + "）";
    text += "：" + difference.first + " → " + difference.second + "\n";
  }
  return text;
}

HistoryDialog::HistoryDialog(UnitHistory& history, UserMessages& messages,
                             HistoryDialogActions actions, QWidget* parent)
    : QDialog(parent), history_(history), messages_(messages), actions_(std::move(actions)) {
  setWindowTitle(QStringLiteral("历史记录"));
  unit_list_ = CreateTable(kUnitList,
                           {QStringLiteral("主板序列号"), QStringLiteral("模块序列号"),
                            QStringLiteral("最后一次"), QStringLiteral("记录数")},
                           this);
  unit_list_->setSelectionMode(QAbstractItemView::SingleSelection);
  entry_list_ = CreateTable(kEntryList,
                            {QStringLiteral("记录"), QStringLiteral("时间"), QStringLiteral("操作"),
                             QStringLiteral("串口"), QStringLiteral("次数")},
                            this);
  entry_list_->setSelectionMode(QAbstractItemView::ExtendedSelection);
  comparison_ = new QPlainTextEdit(this);
  comparison_->setObjectName(QString::number(kComparison));
  comparison_->setReadOnly(true);
  comparison_->setAccessibleName(QStringLiteral("比较结果"));
  compare_entries_ = CreateButton(kCompareEntries, "比较两条记录(&C)", this);
  compare_pages_ = CreateButton(kCompareWithPages, "与页面比较(&P)", this);
  load_ = CreateButton(kLoadEntry, "载入页面(&L)", this);
  close_ = CreateButton(kCloseButton, "关闭", this);

  connect(unit_list_, &QTableWidget::currentCellChanged, this,
          [this](int row) { SelectUnit(row); });
  connect(compare_entries_, &QPushButton::clicked, this, &HistoryDialog::CompareEntries);
  connect(compare_pages_, &QPushButton::clicked, this, &HistoryDialog::CompareWithPages);
  connect(load_, &QPushButton::clicked, this, &HistoryDialog::LoadEntry);
  connect(close_, &QPushButton::clicked, this, &QDialog::reject);

  auto* lists = new QSplitter(Qt::Vertical, this);
  lists->addWidget(unit_list_);
  lists->addWidget(entry_list_);
  lists->addWidget(comparison_);
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(compare_entries_);
  buttons->addWidget(compare_pages_);
  buttons->addWidget(load_);
  buttons->addStretch(1);
  buttons->addWidget(close_);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(new QLabel(
      QStringLiteral("上面是见过的设备，中间是所选设备的记录（从旧到新），下面是比较的结果。"),
      this));
  layout->addWidget(lists, 1);
  layout->addLayout(buttons);
  resize(720, 560);
  Refresh();
}

QWidget* HistoryDialog::control(int id) const {
  switch (id) {
    case kUnitList:
      return unit_list_;
    case kEntryList:
      return entry_list_;
    case kComparison:
      return comparison_;
    case kCompareEntries:
      return compare_entries_;
    case kCompareWithPages:
      return compare_pages_;
    case kLoadEntry:
      return load_;
    case kCloseButton:
      return close_;
    default:
      return nullptr;
  }
}

void HistoryDialog::Failed(const std::string& message) {
  messages_.Show(MessageKind::Warning, "无法读取历史记录：" + message);
}

void HistoryDialog::Refresh() {
  const int selected = unit_list_->currentRow();
  const HistoryUnit kept = selected >= 0 && selected < static_cast<int>(units_.size())
                               ? units_[static_cast<std::size_t>(selected)].unit
                               : HistoryUnit{};
  units_.clear();
  if (const HistoryError error = history_.Units(units_); !error.ok()) Failed(error.message);
  const QSignalBlocker quiet(unit_list_);
  unit_list_->setRowCount(static_cast<int>(units_.size()));
  int row_of_kept = static_cast<int>(units_.size()) - 1;  // else the unit seen last
  for (int row = 0; row < static_cast<int>(units_.size()); ++row) {
    const HistoryUnitInfo& info = units_[static_cast<std::size_t>(row)];
    const std::string board = info.unit.known() ? Shown(info.unit.board_serial)
                                                : "未报告（串口 " + info.unit.unknown_port + "）";
    SetRow(unit_list_, row,
           {board, Shown(info.unit.module_serial), FormatRecordTime(info.last_seen),
            std::to_string(info.entries)});
    if (info.unit == kept) row_of_kept = row;
  }
  unit_list_->resizeColumnsToContents();
  unit_list_->setCurrentCell(row_of_kept, 0);
  SelectUnit(row_of_kept);
}

void HistoryDialog::SelectUnit(int row) {
  entries_.clear();
  if (row >= 0 && row < static_cast<int>(units_.size())) {
    const HistoryUnit& unit = units_[static_cast<std::size_t>(row)].unit;
    const std::string& name = !unit.module_serial.empty()  ? unit.module_serial
                              : !unit.board_serial.empty() ? unit.board_serial
                                                           : unit.unknown_port;
    std::vector<HistoryEntry> named;
    if (const HistoryError error = history_.Entries(name, named); !error.ok())
      Failed(error.message);
    // A serial may name more than one unit; the list holds this unit's alone.
    for (HistoryEntry& entry : named)
      if (entry.unit == unit) entries_.push_back(std::move(entry));
  }
  ListEntries();
}

void HistoryDialog::ListEntries() {
  entry_list_->clearSelection();
  entry_list_->setRowCount(static_cast<int>(entries_.size()));
  for (int row = 0; row < static_cast<int>(entries_.size()); ++row) {
    const HistoryEntry& entry = entries_[static_cast<std::size_t>(row)];
    SetRow(entry_list_, row,
           {std::to_string(entry.id), FormatRecordTime(entry.time),
            std::string(HistoryEventText(entry.event)), entry.port, std::to_string(entry.count)});
  }
  entry_list_->resizeColumnsToContents();
  comparison_->clear();
}

std::vector<const HistoryEntry*> HistoryDialog::SelectedEntries() const {
  std::vector<const HistoryEntry*> selected;
  for (const QModelIndex& index : entry_list_->selectionModel()->selectedRows())
    if (index.row() < static_cast<int>(entries_.size()))
      selected.push_back(&entries_[static_cast<std::size_t>(index.row())]);
  // Oldest first, as listed: the pointers are in the rows' order.
  std::sort(selected.begin(), selected.end());
  return selected;
}

void HistoryDialog::CompareEntries() {
  const std::vector<const HistoryEntry*> selected = SelectedEntries();
  if (selected.size() != 2) {
    messages_.Show(MessageKind::Information, kChooseTwo);
    return;
  }
  comparison_->setPlainText(FromUtf8(ComparisonText(EntryName(*selected[0]), selected[0]->block,
                                                    EntryName(*selected[1]), selected[1]->block)));
}

void HistoryDialog::CompareWithPages() {
  const std::vector<const HistoryEntry*> selected = SelectedEntries();
  if (selected.size() != 1) {
    messages_.Show(MessageKind::Information, kChooseOne);
    return;
  }
  const std::optional<ParameterBlock> pages = actions_.collect_pages();
  if (!pages) return;
  comparison_->setPlainText(
      FromUtf8(ComparisonText(EntryName(*selected[0]), selected[0]->block, kPagesName, *pages)));
}

void HistoryDialog::LoadEntry() {
  const std::vector<const HistoryEntry*> selected = SelectedEntries();
  if (selected.size() != 1) {
    messages_.Show(MessageKind::Information, kChooseOne);
    return;
  }
  if (actions_.load(*selected[0])) accept();
}

}  // namespace dtu
