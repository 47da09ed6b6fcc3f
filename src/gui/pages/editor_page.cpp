#include "gui/pages/editor_page.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QFocusEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHelpEvent>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QTimer>
#include <QToolTip>
#include <QVBoxLayout>

#include <algorithm>
#include <set>

#include "core/editing/control_tooltips.h"
#include "core/editing/field_rules.h"
#include "gui/pages/entry_validator.h"
#include "gui/pages/page_exchange.h"
#include "gui/platform/qt_text.h"

namespace dtu {
namespace {

// Tooltip texts carry Windows line breaks; a widget's tooltip holds plain line breaks.
QString TooltipText(std::string_view text) {
  return FromUtf8(text).replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}

// Gives an edit the input rule (nullptr: any text). Each rule's validator is made once and kept
// by the edit.
void SetEntryRule(QLineEdit& edit, EntryValidator::Rule rule) {
  if (rule == nullptr) {
    edit.setValidator(nullptr);
    return;
  }
  for (auto* validator : edit.findChildren<EntryValidator*>(Qt::FindDirectChildrenOnly)) {
    if (validator->rule() == rule) {
      edit.setValidator(validator);
      return;
    }
  }
  edit.setValidator(new EntryValidator(rule, &edit));
}

// The property that marks an edit whose text breaks its field's rule; the style sheet frames it.
constexpr const char* kMistakeProperty = "entryMistake";
const QString kMistakeStyle = QStringLiteral("QLineEdit { border: 2px solid #d00000; }");

// The extra entry of a list for a stored value none of its entries stands for carries the value
// in this role; the list's own entries carry nothing there.
constexpr int kUnitValueRole = Qt::UserRole + 1;

void RemoveUnitValueEntries(QComboBox& list) {
  for (int i = list.count() - 1; i >= 0; --i)
    if (list.itemData(i, kUnitValueRole).isValid()) list.removeItem(i);
}

// A short number (a port, a count) needs room for about seven digits.
void MakeNarrow(QLineEdit& edit) {
  edit.setMaximumWidth(edit.fontMetrics().horizontalAdvance(QString(7, QLatin1Char('0'))) + 16);
}

// Places a page's widgets as its table says: in the grid of their group, or, for the groups
// on the page itself, in the page's columns.
class PageLayout {
 public:
  void Place(const ControlEntry& item, QWidget* widget) {
    const Cell& cell = item.cell;
    if (cell.container == kPageArea) {
      columns_[cell.column][cell.row] = widget;
    } else {
      grids_.at(cell.container)
          ->addWidget(widget, cell.row, cell.column, cell.row_span, cell.column_span);
    }
    if (item.kind == ControlKind::Group)
      grids_.emplace(item.id, static_cast<QGridLayout*>(widget->layout()));
    // Fields take the spare width; labels, boxes and short numbers keep theirs.
    const bool stretches = (item.kind == ControlKind::Edit || item.kind == ControlKind::List) &&
                           (item.flags & kNarrow) == 0;
    if (stretches && cell.column_span == 1) stretched_[cell.container].insert(cell.column);
  }

  bool Knows(int container) const {
    return container == kPageArea || grids_.find(container) != grids_.end();
  }

  void Finish(QWidget& page) {
    for (const auto& [container, columns] : stretched_)
      for (int column : columns) grids_.at(container)->setColumnStretch(column, 1);
    ArrangeColumns(page);
  }

 private:
  // The page's groups stand in columns, each column as tall as its own groups: a short group
  // beside a tall one keeps its height. The columns share the spare width among their groups
  // (no stretch factors: a column whose groups are all hidden must get no width at all); a
  // page of one column keeps its natural width.
  void ArrangeColumns(QWidget& page) {
    auto* row = new QHBoxLayout(&page);
    for (const auto& [column, groups] : columns_) {
      auto* stack = new QVBoxLayout;
      for (const auto& [order, widget] : groups) stack->addWidget(widget);
      stack->setAlignment(Qt::AlignTop);
      row->addLayout(stack);
    }
    if (columns_.size() == 1) row->addStretch(1);
  }

  std::map<int, QGridLayout*> grids_;               // by group key
  std::map<int, std::set<int>> stretched_;          // group key -> columns holding fields
  std::map<int, std::map<int, QWidget*>> columns_;  // page column -> order -> group
};

}  // namespace

EditorPage::EditorPage(const PageTable& item, UserMessages& messages, QWidget* parent)
    : QWidget(parent), messages_(messages), limits_(item.limits.begin(), item.limits.end()) {
  Build(item);
}

EditorPage::~EditorPage() = default;

void EditorPage::Build(const PageTable& item) {
  PageLayout layout;
  for (const ControlEntry& entry : item.controls) {
    const int container = entry.cell.container;
    if (!layout.Knows(container))
      qFatal("editor page: control %d placed in unknown group %d", entry.id, container);
    QWidget* widget = CreateControl(entry, container == kPageArea ? this : control(container));
    Register(entry.id, widget);
    layout.Place(entry, widget);
    if (entry.kind == ControlKind::Label && entry.buddy != 0)
      labels_for_[entry.buddy] = static_cast<QLabel*>(widget);
    if (entry.flags & kHidden) widget->setVisible(false);
  }
  layout.Finish(*this);
  for (const auto& [buddy, label_widget] : labels_for_) {
    if (control(buddy) == nullptr) qFatal("editor page: label names unknown control %d", buddy);
    label_widget->setBuddy(control(buddy));
  }
  ApplyTooltips(item);
  ConnectFieldChecks(item);
}

QWidget* EditorPage::CreateControl(const ControlEntry& item, QWidget* container) {
  const QString text = FromUtf8(item.text);
  QWidget* widget = nullptr;
  switch (item.kind) {
    case ControlKind::Group: {
      auto* group_box = new QGroupBox(text, container);
      new QGridLayout(group_box);
      widget = group_box;
      break;
    }
    case ControlKind::Label:
      widget = new QLabel(text, container);
      break;
    case ControlKind::Edit: {
      auto* line = new QLineEdit(container);
      if (item.flags & kDigitsOnly) SetEntryRule(*line, &IsDecimalDigits);
      line->setReadOnly((item.flags & kReadOnly) != 0);
      if (item.flags & kCentred) line->setAlignment(Qt::AlignCenter);
      if (item.flags & kNarrow) MakeNarrow(*line);
      widget = line;
      break;
    }
    case ControlKind::List: {
      auto* combo = new QComboBox(container);
      if (item.entries != nullptr)
        for (const std::string& entry : item.entries()) combo->addItem(FromUtf8(entry));
      combo->setCurrentIndex(-1);  // a page's own lists start without a selection
      widget = combo;
      break;
    }
    case ControlKind::CheckBox:
      widget = new QCheckBox(text, container);
      break;
    case ControlKind::Radio:
      widget = new QRadioButton(text, container);
      break;
  }
  widget->setEnabled((item.flags & kDisabled) == 0);
  return widget;
}

void EditorPage::Register(int id, QWidget* widget) {
  if (id == 0) return;  // a static without an ID
  if (!controls_.emplace(id, widget).second) qFatal("editor page: control ID %d appears twice", id);
  if (id > 0) widget->setObjectName(QString::number(id));
}

void EditorPage::ApplyTooltips(const PageTable& item) {
  for (const TooltipEntry& tip : item.tooltips)
    if (control(tip.id) == nullptr) qFatal("editor page: tooltip for unknown control %d", tip.id);
  for (const auto& [id, widget] : controls_) {
    const std::optional<std::string> tip = ControlTooltip(item, id);
    if (!tip) continue;
    widget->setToolTip(TooltipText(*tip));
    widget->installEventFilter(this);
  }
}

void EditorPage::ConnectFieldChecks(const PageTable& item) {
  for (const auto& [id, widget] : controls_) {
    auto* line = qobject_cast<QLineEdit*>(widget);
    if (line == nullptr || line->isReadOnly()) continue;
    connect(line, &QLineEdit::textChanged, this, [this, id = id] { OnTextChanged(id); });
  }
  for (const ControlEntry& entry : item.controls)
    if (entry.kind == ControlKind::Edit && (entry.flags & kAddress) != 0)
      address_fields_.push_back(entry.id);
  for (const FieldLimit& limit : item.limits) {
    if (edit(limit.field) == nullptr)
      qFatal("editor page: limit for unknown field %d", limit.field);
    if (limit.hex_box == 0) continue;
    QCheckBox* hex_box = box(limit.hex_box);
    if (hex_box == nullptr) qFatal("editor page: unknown hex box %d", limit.hex_box);
    // The box's member follows the box at once, whoever changes it, so that everything that
    // reads the member (the command length, the collection of the page) sees the current mode.
    // While the box is checked the field takes hex digits and spaces only.
    connect(hex_box, &QCheckBox::toggled, this,
            [this, box_id = limit.hex_box, field = limit.field](bool checked) {
              exchangeOneToMember(box_id);
              SetEntryRule(*edit(field), checked ? &IsHexDumpCharacters : nullptr);
            });
    connect(hex_box, &QCheckBox::clicked, this,
            [this, field = limit.field](bool checked) { HexDisplayToggle(checked, field); });
  }
}

QWidget* EditorPage::control(int id) const {
  const auto found = controls_.find(id);
  return found == controls_.end() ? nullptr : found->second;
}

QLineEdit* EditorPage::edit(int id) const {
  return qobject_cast<QLineEdit*>(control(id));
}
QComboBox* EditorPage::list(int id) const {
  return qobject_cast<QComboBox*>(control(id));
}
QCheckBox* EditorPage::box(int id) const {
  return qobject_cast<QCheckBox*>(control(id));
}
QRadioButton* EditorPage::radio(int id) const {
  return qobject_cast<QRadioButton*>(control(id));
}
QLabel* EditorPage::label(int id) const {
  return qobject_cast<QLabel*>(control(id));
}
QGroupBox* EditorPage::group(int id) const {
  return qobject_cast<QGroupBox*>(control(id));
}

QLabel* EditorPage::labelFor(int id) const {
  const auto found = labels_for_.find(id);
  return found == labels_for_.end() ? nullptr : found->second;
}

std::vector<int> EditorPage::controlIds() const {
  std::vector<int> ids;
  for (const auto& [id, widget] : controls_)
    if (id > 0) ids.push_back(id);
  return ids;
}

QString EditorPage::text(int id) const {
  QLineEdit* line = edit(id);
  Q_ASSERT_X(line != nullptr, "EditorPage::text", "not an edit");
  return line != nullptr ? line->text() : QString();
}

void EditorPage::setText(int id, const QString& text) {
  if (QLineEdit* line = edit(id)) line->setText(text);
}

bool EditorPage::isChecked(int id) const {
  const auto* button = qobject_cast<QAbstractButton*>(control(id));
  return button != nullptr && button->isChecked();
}

void EditorPage::setChecked(int id, bool checked) {
  if (auto* button = qobject_cast<QAbstractButton*>(control(id))) button->setChecked(checked);
}

bool EditorPage::ExchangeToMembers() {
  PageExchange dx(*this, PageExchange::Direction::ToMembers);
  Exchange(dx);
  return dx.ok();
}

void EditorPage::ExchangeToControls() {
  PageExchange dx(*this, PageExchange::Direction::ToControls);
  Exchange(dx);
}

void EditorPage::exchangeOneToMember(int id) {
  PageExchange dx(*this, PageExchange::Direction::ToMembers, id);
  Exchange(dx);
}

void EditorPage::CheckFieldLength(int id, std::size_t max_bytes, bool hex) {
  CheckField(id, max_bytes, hex);
}

void EditorPage::CheckField(int id, std::optional<std::size_t> max_bytes, bool hex) {
  const FieldCheck check = CheckFieldText(text(id).toStdString(), max_bytes, hex);
  // Rewriting the field raises its change notification again; that second check finds the
  // text within its limit and does nothing.
  if (check.rewrite) setText(id, QString::fromStdString(check.text));
  if (check.refused)
    messages_.Show(MessageKind::Warning, UnencodableCharacterMessage(*check.refused));
  if (check.cut) messages_.Show(MessageKind::Warning, MaxLengthMessage(*max_bytes));
}

void EditorPage::HexDisplayToggle(bool checked, int field_id) {
  // The members first, as every click on the page does. A refused entry has shown its message;
  // the conversion still follows the box the user has just set.
  ExchangeToMembers();
  // A dump that is not whole bytes would lose its odd digit (or read a foreign character as 0):
  // the field stays a dump until it is mended.
  if (!checked && text(field_id).size() >= 2) {
    if (const auto problem = HexDumpProblem(text(field_id).toStdString())) {
      messages_.Show(MessageKind::Warning, HexDumpMessage(fieldName(field_id), *problem));
      if (const FieldLimit* limit = limitOf(field_id)) setChecked(limit->hex_box, true);
      returnFocusTo(field_id);
      return;
    }
  }
  if (const auto converted = HexToggledText(text(field_id).toStdString(), checked)) {
    setText(field_id, QString::fromStdString(*converted));
    // The member took the text before the conversion; left so, the next exchange towards the
    // controls would write the old form back in the new mode (a dump read as plain text).
    exchangeOneToMember(field_id);
  }
}

void EditorPage::setFieldVisible(int id, bool visible) {
  if (QWidget* widget = control(id)) widget->setVisible(visible);
  if (QLabel* name = labelFor(id)) name->setVisible(visible);
}

void EditorPage::setDigitsOnly(int id, bool digits_only) {
  setEntryRule(id, digits_only ? &IsDecimalDigits : nullptr);
}

void EditorPage::setEntryRule(int id, EntryValidator::Rule rule) {
  if (QLineEdit* line = edit(id)) SetEntryRule(*line, rule);
}

bool EditorPage::showsMistake(int id) const {
  const QWidget* widget = control(id);
  return widget != nullptr && widget->property(kMistakeProperty).toBool();
}

void EditorPage::showChoice(int id, std::optional<int> entry, std::uint32_t value) {
  QComboBox* choices = list(id);
  if (choices == nullptr) return;
  // Choosing is not the user choosing: no reaction of the page runs.
  const QSignalBlocker quiet(choices);
  RemoveUnitValueEntries(*choices);
  if (entry) {
    choices->setCurrentIndex(*entry >= 0 && *entry < choices->count() ? *entry : -1);
    return;
  }
  choices->addItem(FromUtf8(UnitOwnValueEntry(value)));
  // The extra entry is longer than the list's own: the list widens to show it whole.
  choices->setSizeAdjustPolicy(QComboBox::AdjustToContents);
  choices->setItemData(choices->count() - 1, QVariant::fromValue(value), kUnitValueRole);
  choices->setCurrentIndex(choices->count() - 1);
}

int EditorPage::ownEntryCount(int id) const {
  const QComboBox* choices = list(id);
  if (choices == nullptr) return 0;
  int count = 0;
  for (int i = 0; i < choices->count(); ++i)
    if (!choices->itemData(i, kUnitValueRole).isValid()) ++count;
  return count;
}

std::optional<std::uint32_t> EditorPage::unitOwnChoice(int id) const {
  const QComboBox* choices = list(id);
  if (choices == nullptr || choices->currentIndex() < 0) return std::nullopt;
  const QVariant value = choices->itemData(choices->currentIndex(), kUnitValueRole);
  if (!value.isValid()) return std::nullopt;
  return value.value<std::uint32_t>();
}

std::string EditorPage::fieldName(int id) const {
  if (const QLabel* name = labelFor(id)) return name->text().toStdString();
  for (const QWidget* w = control(id); w != nullptr; w = w->parentWidget())
    if (const auto* group = qobject_cast<const QGroupBox*>(w); group && !group->title().isEmpty())
      return group->title().toStdString();
  return "控件" + std::to_string(id);
}

int EditorPage::checkedRadio(std::initializer_list<int> ids) const {
  int index = 0;
  for (int id : ids) {
    if (isChecked(id)) return index;
    ++index;
  }
  return -1;
}

void EditorPage::checkRadio(std::initializer_list<int> ids, int index) {
  // An exclusive radio button refuses to be cleared directly; lift the rule while setting.
  int position = 0;
  for (int id : ids) {
    if (QRadioButton* button = radio(id)) {
      button->setAutoExclusive(false);
      button->setChecked(position == index);
      button->setAutoExclusive(true);
    }
    ++position;
  }
}

void EditorPage::returnFocusTo(int id) {
  QWidget* widget = control(id);
  if (widget == nullptr) return;
  returning_focus_ = true;
  widget->setFocus(Qt::OtherFocusReason);
  if (auto* line = qobject_cast<QLineEdit*>(widget)) line->selectAll();
  returning_focus_ = false;
}

void EditorPage::AfterTextChange(int) {}

void EditorPage::FieldLeft(int) {}

void EditorPage::watchLeaving(std::initializer_list<int> ids) {
  for (int id : ids) {
    QWidget* widget = control(id);
    if (widget == nullptr) qFatal("editor page: cannot watch unknown control %d", id);
    watched_fields_.push_back(id);
    widget->installEventFilter(this);
  }
}

void EditorPage::ShowAddressMistake(int id) {
  QLineEdit* line = edit(id);
  const bool mistake = !IsAddressEntry(line->text().toStdString());
  if (line->property(kMistakeProperty).toBool() == mistake) return;
  line->setProperty(kMistakeProperty, mistake);
  line->setStyleSheet(mistake ? kMistakeStyle : QString());
}

void EditorPage::OnTextChanged(int id) {
  if (std::find(address_fields_.begin(), address_fields_.end(), id) != address_fields_.end())
    ShowAddressMistake(id);
  if (const FieldLimit* limit = limitOf(id)) {
    CheckFieldLength(id, limit->max_bytes, limit->hex_box != 0 && isChecked(limit->hex_box));
  } else {
    CheckField(id, std::nullopt, false);  // no byte limit, but only text GBK can hold
  }
  AfterTextChange(id);
}

const FieldLimit* EditorPage::limitOf(int id) const {
  for (const FieldLimit& limit : limits_)
    if (limit.field == id) return &limit;
  return nullptr;
}

bool EditorPage::eventFilter(QObject* watched, QEvent* event) {
  auto* widget = qobject_cast<QWidget*>(watched);
  if (widget == nullptr) return QWidget::eventFilter(watched, event);
  if (event->type() == QEvent::ToolTip && !widget->toolTip().isEmpty())
    return ShowWrappedTooltip(widget, event);
  if (event->type() == QEvent::FocusOut && !returning_focus_) {
    // A message box or a menu taking the focus is not the user leaving the field.
    const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
    const int id = widget->objectName().toInt();
    const bool is_watched =
        std::find(watched_fields_.begin(), watched_fields_.end(), id) != watched_fields_.end();
    if (is_watched && reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason) {
      // Run once the focus has settled on its new field, so that a check that returns the focus
      // does not fight the move in progress.
      QTimer::singleShot(0, this, [this, id] { FieldLeft(id); });
    }
  }
  return QWidget::eventFilter(watched, event);
}

bool EditorPage::ShowWrappedTooltip(QWidget* widget, QEvent* event) {
  // The long descriptions read better wrapped; a short line (what the control sets and its
  // limit) stays whole, which also keeps the tip from being squeezed narrow. The widget keeps
  // the plain text.
  constexpr qsizetype kShortLine = 60;
  QString html;
  for (const QString& line : widget->toolTip().split(QLatin1Char('\n'))) {
    html += line.size() <= kShortLine ? QStringLiteral("<p style=\"white-space:pre\">")
                                      : QStringLiteral("<p>");
    html += line.toHtmlEscaped() + QStringLiteral("</p>");
  }
  QToolTip::showText(static_cast<QHelpEvent*>(event)->globalPos(), html, widget);
  return true;
}

}  // namespace dtu
