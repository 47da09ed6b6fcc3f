#include "gui/pages/editor_page.h"

#include <QAbstractButton>
#include <QAbstractItemView>
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
#include <QStyle>
#include <QStyleOptionComboBox>
#include <QTimer>
#include <QToolTip>
#include <QVBoxLayout>

#include <algorithm>
#include <set>

#include "core/editing/control_tooltips.h"
#include "core/editing/entry_checks.h"
#include "core/editing/field_codec.h"
#include "core/editing/field_rules.h"
#include "core/editing/page_rules.h"
#include "gui/pages/entry_validator.h"
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

// How long the typing may pause before a field's message is shown: long enough for a key
// sequence typed at speed, short enough to be read as the answer to it.
constexpr int kTypingPauseMs = 700;

// Whether the form of a row takes digits only (the device number switches with its protocol).
bool TakesDigitsOnly(const FieldEntry* row) {
  return row != nullptr &&
         (row->form == FieldForm::Decimal || row->form == FieldForm::DeviceNumber);
}

// The width a list needs to show `text` whole in its box, arrow and frame included.
int WidthShowing(const QComboBox& list, const QString& text) {
  QStyleOptionComboBox option;
  option.initFrom(&list);
  option.editable = list.isEditable();
  const QSize contents(list.fontMetrics().horizontalAdvance(text), list.fontMetrics().height());
  return list.style()->sizeFromContents(QStyle::CT_ComboBox, &option, contents, &list).width();
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
    : QWidget(parent), table_(item), messages_(messages) {
  typing_pause_.setSingleShot(true);
  typing_pause_.setInterval(kTypingPauseMs);
  connect(&typing_pause_, &QTimer::timeout, this, [this] { ShowWaitingMessages(); });
  Build();
}

EditorPage::~EditorPage() = default;

void EditorPage::Build() {
  PageLayout layout;
  for (const ControlEntry& entry : table_.controls) {
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
  ApplyTooltips();
  ConnectFieldChecks();
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
      auto* line = new QLineEdit(FromUtf8(item.initial), container);
      if ((item.flags & kDigitsOnly) || TakesDigitsOnly(FieldOf(table_.fields, item.id)))
        SetEntryRule(*line, &IsDecimalDigits);
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

void EditorPage::ApplyTooltips() {
  for (const TooltipEntry& tip : table_.tooltips)
    if (control(tip.id) == nullptr) qFatal("editor page: tooltip for unknown control %d", tip.id);
  for (const auto& [id, widget] : controls_) {
    const std::optional<std::string> tip = ControlTooltip(table_, id);
    if (!tip) continue;
    widget->setToolTip(TooltipText(*tip));
    widget->installEventFilter(this);
  }
}

void EditorPage::ConnectFieldChecks() {
  for (const auto& [id, widget] : controls_) {
    auto* line = qobject_cast<QLineEdit*>(widget);
    if (line == nullptr || line->isReadOnly()) continue;
    line->installEventFilter(this);  // its messages wait until the user leaves it, at the latest
    text_before_entry_[id] = line->text();
    // A change the user makes is announced before the change itself.
    connect(line, &QLineEdit::textEdited, this, [this, id = id] { typing_field_ = id; });
    connect(line, &QLineEdit::textChanged, this, [this, id = id] {
      const bool typed = typing_field_ == id;
      typing_field_ = 0;
      OnTextChanged(id, typed);
    });
  }
  for (const FieldEntry& row : table_.fields) {
    if (control(row.id) == nullptr) qFatal("editor page: field for unknown control %d", row.id);
    if (row.Has(kCheckedOnLeaving)) watched_fields_.push_back(row.id);
    if (row.form != FieldForm::Counted || row.partner == 0) continue;
    QCheckBox* hex_box = box(row.partner);
    if (hex_box == nullptr) qFatal("editor page: unknown hex box %d", row.partner);
    // While the box is checked the field takes hex digits and spaces only.
    connect(hex_box, &QCheckBox::toggled, this, [this, field = row.id](bool checked) {
      SetEntryRule(*edit(field), checked ? &IsHexDumpCharacters : nullptr);
    });
    connect(hex_box, &QCheckBox::clicked, this,
            [this, field = row.id](bool checked) { HexDisplayToggle(checked, field); });
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
  QLineEdit* line = edit(id);
  if (line == nullptr) return;
  line->setText(text);
  // What the program writes is what a refused entry goes back to.
  text_before_entry_[id] = line->text();
}

bool EditorPage::isChecked(int id) const {
  const auto* button = qobject_cast<QAbstractButton*>(control(id));
  return button != nullptr && button->isChecked();
}

void EditorPage::setChecked(int id, bool checked) {
  if (auto* button = qobject_cast<QAbstractButton*>(control(id))) button->setChecked(checked);
}

const FieldEntry* EditorPage::fieldOf(int id) const {
  return FieldOf(table_.fields, id);
}

std::optional<std::string> EditorPage::EntryCheckFailure(const FieldEntry& row) const {
  if (!row.Has(kUnsignedEntry) && !row.Has(kByteEntry)) return std::nullopt;
  const std::string entry = text(row.id).toStdString();
  if (row.Has(kUnsignedEntry)) {
    if (ParseUnsignedEntry(entry)) return std::nullopt;
    return std::string(kEnterUnsignedMessage);
  }
  const auto value = ParseByteEntry(entry);
  if (!value) return std::string(kEnterByteMessage);
  for (const RangeRule& rule : kRangeRules)
    if (rule.field.offset == row.field.offset && !rule.Holds(*value))
      return EnterRangeMessage(rule.min, rule.max);
  return std::nullopt;
}

int EditorPage::CheckEntries() {
  ShowWaitingMessages();
  for (const FieldEntry& row : table_.fields) {
    // A unit's own value left as it came is no entry.
    if (!changedSinceLoad(row)) continue;
    if (const auto failure = EntryCheckFailure(row)) {
      messages_.Show(MessageKind::Warning, *failure);
      returnFocusTo(row.id);
      return row.id;
    }
  }
  return 0;
}

QString EditorPage::RowState(const FieldEntry& row) const {
  switch (row.form) {
    case FieldForm::List: {
      const QComboBox* choices = list(row.id);
      const auto own = unitOwnChoice(row.id);
      return QString::number(choices->currentIndex()) + QLatin1Char(':') +
             (own ? QString::number(*own) : QString());
    }
    case FieldForm::Check:
      return QString::number(isChecked(row.id));
    case FieldForm::Radio:
      return QString::number(checkedRadio({row.id, row.partner}));
    case FieldForm::DeviceNumber: {
      // The same digits mean another number once the protocol changes the field's form.
      const auto* rule = qobject_cast<const EntryValidator*>(edit(row.id)->validator());
      const bool identifier = rule != nullptr && rule->rule() == &IsHexDigits;
      return text(row.id) + QLatin1Char('\x1f') + QString::number(identifier);
    }
    default: {
      const bool hex = row.form == FieldForm::Counted && row.partner != 0 && isChecked(row.partner);
      return text(row.id) + QLatin1Char('\x1f') + QString::number(hex);
    }
  }
}

void EditorPage::RememberLoadedStates(const ParameterBlock& block) {
  loaded_block_ = block;
  loaded_states_.clear();
  for (const FieldEntry& row : table_.fields) loaded_states_[row.id] = RowState(row);
}

bool EditorPage::changedSinceLoad(const FieldEntry& row) const {
  const auto found = loaded_states_.find(row.id);
  return found == loaded_states_.end() || found->second != RowState(row);
}

void EditorPage::AfterLoad(const ParameterBlock&) {}

QString EditorPage::textBeforeEntry(int id) const {
  const auto found = text_before_entry_.find(id);
  return found == text_before_entry_.end() ? QString() : found->second;
}

void EditorPage::Tell(std::string_view message, bool typed) {
  if (!typed) {
    messages_.Show(MessageKind::Warning, message);
    return;
  }
  // While the user types, a box would take the keys that follow: the message waits for the
  // typing to pause, and is given once however many keys ran into it.
  if (std::find(waiting_messages_.begin(), waiting_messages_.end(), message) ==
      waiting_messages_.end())
    waiting_messages_.emplace_back(message);
  typing_pause_.start();
}

void EditorPage::ShowWaitingMessages() {
  typing_pause_.stop();
  const std::vector<std::string> waiting = std::move(waiting_messages_);
  waiting_messages_.clear();
  for (const std::string& message : waiting) messages_.Show(MessageKind::Warning, message);
}

void EditorPage::CheckFieldLength(int id, std::size_t max_bytes, bool hex) {
  CheckField(id, max_bytes, hex, false);
}

void EditorPage::CheckField(int id, std::optional<std::size_t> max_bytes, bool hex, bool typed) {
  const FieldCheck check = CheckFieldText(text(id).toStdString(), max_bytes, hex);
  // Rewriting the field raises its change notification again; that second check finds the
  // text within its limit and does nothing.
  if (check.rewrite) edit(id)->setText(QString::fromStdString(check.text));
  if (check.refused) Tell(UnencodableCharacterMessage(*check.refused), typed);
  if (check.cut) Tell(MaxLengthMessage(*max_bytes), typed);
}

void EditorPage::HexDisplayToggle(bool checked, int field_id) {
  // The exchange's checks first, as every click on the page runs them. A refused entry has
  // shown its message; the conversion still follows the box the user has just set.
  CheckEntries();
  // A dump that is not whole bytes would lose its odd digit (or read a foreign character as 0):
  // the field stays a dump until it is mended.
  const FieldEntry* row = fieldOf(field_id);
  if (!checked && text(field_id).size() >= 2) {
    if (const auto problem = HexDumpProblem(text(field_id).toStdString())) {
      messages_.Show(MessageKind::Warning, HexDumpMessage(fieldName(field_id), *problem));
      if (row != nullptr) setChecked(row->partner, true);
      returnFocusTo(field_id);
      return;
    }
  }
  if (const auto converted = HexToggledText(text(field_id).toStdString(), checked))
    edit(field_id)->setText(QString::fromStdString(*converted));
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
    ShowUnitOwnValueTip(*choices, std::nullopt);
    return;
  }
  const QString own = FromUtf8(UnitOwnValueEntry(value));
  choices->addItem(own);
  choices->setItemData(choices->count() - 1, QVariant::fromValue(value), kUnitValueRole);
  choices->setItemData(choices->count() - 1, own, Qt::ToolTipRole);
  choices->setCurrentIndex(choices->count() - 1);
  // The extra entry is longer than the list's own: the list and its drop-down widen to show it
  // whole, and the tooltip names it.
  choices->setMinimumWidth(WidthShowing(*choices, own));
  choices->view()->setMinimumWidth(choices->minimumWidth());
  ShowUnitOwnValueTip(*choices, value);
}

void EditorPage::ShowUnitOwnValueTip(QComboBox& list, std::optional<std::uint32_t> value) {
  const int id = list.objectName().toInt();
  const std::optional<std::string> tip = ControlTooltip(table_, id);
  std::string text = tip.value_or(std::string());
  if (value) text = UnitOwnValueTooltip(*value) + (text.empty() ? "" : "\r\n") + text;
  list.setToolTip(TooltipText(text));
  if (!value) {
    list.setMinimumWidth(0);
    list.view()->setMinimumWidth(0);
  }
  if (!text.empty()) list.installEventFilter(this);
}

std::optional<std::uint32_t> EditorPage::unitOwnChoice(int id) const {
  const QComboBox* choices = list(id);
  if (choices == nullptr || choices->currentIndex() < 0) return std::nullopt;
  const QVariant value = choices->itemData(choices->currentIndex(), kUnitValueRole);
  if (!value.isValid()) return std::nullopt;
  return value.value<std::uint32_t>();
}

std::string EditorPage::fieldName(int id) const {
  if (const FieldEntry* row = fieldOf(id)) return EntryName(*row);
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

void EditorPage::AfterTextChange(int, bool) {}

void EditorPage::FieldLeft(int id) {
  const FieldEntry* row = fieldOf(id);
  if (row == nullptr || !row->Has(kCheckedOnLeaving)) return;
  // A refused entry has said so and holds the focus; nothing is tested or written back.
  if (CheckEntries() != 0) return;
  const std::optional<std::uint32_t> value = ParseUnsignedEntry(text(id).toStdString());
  for (const RangeRule& rule : kRangeRules) {
    if (rule.field.offset != row->field.offset || !value || rule.Holds(*value)) continue;
    messages_.Show(MessageKind::Warning, rule.message, rule.caption);
    // Not a value of its own: what the field held before the entry, the unit's or the last one
    // accepted.
    setText(id, textBeforeEntry(id));
    return;
  }
  text_before_entry_[id] = text(id);
}

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

void EditorPage::OnTextChanged(int id, bool typed) {
  const FieldEntry* row = fieldOf(id);
  if (row != nullptr && row->form == FieldForm::Address) ShowAddressMistake(id);
  // Without a byte limit only the text GBK can hold is checked.
  const std::optional<std::size_t> limit = row != nullptr ? ByteLimit(*row) : std::nullopt;
  const bool hex = limit && row->partner != 0 && isChecked(row->partner);
  CheckField(id, limit, hex, typed);
  if (typed && typing_pause_.isActive()) typing_pause_.start();  // still typing
  AfterTextChange(id, typed);
}

bool EditorPage::eventFilter(QObject* watched, QEvent* event) {
  auto* widget = qobject_cast<QWidget*>(watched);
  if (widget == nullptr) return QWidget::eventFilter(watched, event);
  if (event->type() == QEvent::ToolTip && !widget->toolTip().isEmpty())
    return ShowWrappedTooltip(widget, event);
  // A box or a menu taking the focus is not the user entering or leaving the field.
  const auto user_move = [event] {
    const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
    return reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason;
  };
  if (event->type() == QEvent::FocusIn && user_move()) {
    if (auto* line = qobject_cast<QLineEdit*>(widget))
      text_before_entry_[widget->objectName().toInt()] = line->text();
  }
  if (event->type() == QEvent::FocusOut && user_move()) {
    const int id = widget->objectName().toInt();
    const bool is_watched =
        std::find(watched_fields_.begin(), watched_fields_.end(), id) != watched_fields_.end();
    // Run once the focus has settled on its new field, so that a box does not fight the move in
    // progress and a check that returns the focus wins. What waited for the typing to pause
    // comes first.
    QTimer::singleShot(0, this, [this] { ShowWaitingMessages(); });
    if (is_watched && !returning_focus_) QTimer::singleShot(0, this, [this, id] { FieldLeft(id); });
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
