#pragma once

#include <QString>
#include <QTimer>
#include <QWidget>

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/block/parameter_block.h"
#include "core/editing/page_table.h"
#include "core/user_messages.h"
#include "gui/pages/entry_validator.h"

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QRadioButton;

namespace dtu {

// The common part of the three editor pages. A page is built from its declarative table
// (`PageTable`): every control carries its numeric ID, and everything else addresses it by that
// ID. IDs are unique within a page (checked at construction) and repeat across pages. The
// table's field rows say which block field each control shows and sets (page_exchange.h loads
// and collects them) and what is checked.
//
// The page's exchange checks (CheckEntries) run over the rows' numeric entries: the first
// refused entry shows its message and gets the focus back.
//
// Every text field is checked on each change: characters GBK cannot hold are refused, and the
// fields with a byte limit are kept within it (hex-aware where a "16进制" box belongs to the
// field). While the user types, the message waits until the typing pauses (or the field is
// left), so that no box takes the keys that follow; what was refused stays out and what fits
// stays in. Clicking a "16进制" box converts its field.
//
// A field whose range is checked as the user leaves it gets back the text it held before the
// entry when the entry is refused.
//
// All messages go through the `UserMessages` given at construction.
class EditorPage : public QWidget {
  Q_OBJECT

 public:
  ~EditorPage() override;

  // The control with this ID (a group also by its page-private key), or nullptr.
  QWidget* control(int id) const;
  QLineEdit* edit(int id) const;
  QComboBox* list(int id) const;
  QCheckBox* box(int id) const;
  QRadioButton* radio(int id) const;
  QLabel* label(int id) const;
  QGroupBox* group(int id) const;
  // The static that names a control (an edit's or list's label), or nullptr.
  QLabel* labelFor(int id) const;
  // Every control ID of the page (group keys without an ID excluded), ascending.
  std::vector<int> controlIds() const;

  // An edit's text; setText writes it (and so runs the field's change checks). What the program
  // writes there is what a refused entry goes back to.
  QString text(int id) const;
  void setText(int id, const QString& text);

  // Whether a check box is checked, and setting it without the click reaction.
  bool isChecked(int id) const;
  void setChecked(int id, bool checked);

  // The page's field table.
  const PageTable& table() const { return table_; }
  // The row of a control (nullptr for one that sets no field).
  const FieldEntry* fieldOf(int id) const;

  // The page's exchange checks: the numeric entries the rows check as the page is copied
  // ("“请填入一个正整数。”", a byte within its range). Returns 0 when all pass, else the ID of
  // the first refused entry, whose message has been shown and which has the focus. Messages
  // waiting for the typing to pause are shown first.
  int CheckEntries();

  // The length check of a field, run on each of its changes: cuts the text to `max_bytes`
  // (hex: 2 × `max_bytes` digits, spaces not counted) and says "最大长度%d个字节！".
  void CheckFieldLength(int id, std::size_t max_bytes, bool hex);

  // The reaction to a click on a "16进制" box whose new state is `checked`: runs the page's
  // exchange checks, then shows the field's bytes as a hex dump (checked) or reads the dump back
  // as text (cleared).
  void HexDisplayToggle(bool checked, int field_id);

  // What the page showed when `block` was last loaded into it: a field still showing it gets
  // back its loaded bytes when the page is collected. RememberLoadedStates records every row
  // and the block; changedSinceLoad tells whether a row differs from it (always, before any
  // load); loadedBlock is the block (nothing before any load).
  void RememberLoadedStates(const ParameterBlock& block);
  bool changedSinceLoad(const FieldEntry& row) const;
  const std::optional<ParameterBlock>& loadedBlock() const { return loaded_block_; }
  // Called once a block has been shown on the page (page_exchange.h), before its states are
  // remembered.
  virtual void AfterLoad(const ParameterBlock& block);

  // Messages waiting for the typing to pause, shown now.
  void ShowWaitingMessages();

  // Shows or hides a control together with the static that names it.
  void setFieldVisible(int id, bool visible);

  // Swaps the digits-only input rule of an edit on or off; setEntryRule gives it any rule of
  // the core (nullptr: any text).
  void setDigitsOnly(int id, bool digits_only);
  void setEntryRule(int id, EntryValidator::Rule rule);

  // Whether an address field shows its text as a mistake (a red frame): the text is no address.
  bool showsMistake(int id) const;

  // Selects a list's entry `entry`, or, for a stored value none of the list's entries stands
  // for, an extra entry that shows the value as the unit's own ("14400（设备当前值）"), wide
  // enough to be read whole and named in the list's tooltip; an earlier extra entry goes first.
  // No reaction of the page runs.
  void showChoice(int id, std::optional<int> entry, std::uint32_t value);
  // The stored value of the extra entry when it is the selected one; nothing for the list's
  // own entries or no selection.
  std::optional<std::uint32_t> unitOwnChoice(int id) const;

  // The name the user knows a field by: its row's name, else its label, else the title of its
  // group.
  std::string fieldName(int id) const;

  // The index of the checked radio button among `ids`, -1 when none is checked; and checking
  // the one at `index` (-1 clears them all).
  int checkedRadio(std::initializer_list<int> ids) const;
  void checkRadio(std::initializer_list<int> ids, int index);

  UserMessages& messages() const { return messages_; }

  // Puts the focus on a field whose entry was refused, selecting its text, without that move
  // counting as the user leaving another field.
  void returnFocusTo(int id);

 protected:
  EditorPage(const PageTable& item, UserMessages& messages, QWidget* parent);

  // Called after each change of an edit's text, once the generic checks have run; `typed` when
  // the user made the change.
  virtual void AfterTextChange(int id, bool typed);

  // Shows a field's warning, or, when the user is typing (`typed`), once the typing pauses.
  void Tell(std::string_view message, bool typed);

  // Called (once the focus has settled) when the user has left a field given to watchLeaving or
  // one whose row checks its range on leaving. The page's own check tests that range: outside
  // it, the rule's message is shown and the field gets back the text it held before the entry.
  virtual void FieldLeft(int id);
  void watchLeaving(std::initializer_list<int> ids);

  // The text the field held before the user's entry: when the field last got the focus, or as
  // the program last wrote it.
  QString textBeforeEntry(int id) const;

  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void Build();
  QWidget* CreateControl(const ControlEntry& item, QWidget* container);
  void Register(int id, QWidget* widget);
  void ApplyTooltips();
  void ConnectFieldChecks();
  void OnTextChanged(int id, bool typed);
  void ShowAddressMistake(int id);
  void CheckField(int id, std::optional<std::size_t> max_bytes, bool hex, bool typed);
  std::optional<std::string> EntryCheckFailure(const FieldEntry& row) const;
  QString RowState(const FieldEntry& row) const;
  bool ShowWrappedTooltip(QWidget* widget, QEvent* event);
  void ShowUnitOwnValueTip(QComboBox& list, std::optional<std::uint32_t> value);

  PageTable table_;
  UserMessages& messages_;
  std::map<int, QWidget*> controls_;  // owned by Qt's parent chain
  std::map<int, QLabel*> labels_for_;
  std::vector<int> watched_fields_;
  std::map<int, QString> text_before_entry_;
  std::map<int, QString> loaded_states_;
  std::optional<ParameterBlock> loaded_block_;
  int typing_field_ = 0;  // the field whose change is being typed, 0 for none
  std::vector<std::string> waiting_messages_;
  QTimer typing_pause_;
  bool returning_focus_ = false;
};

}  // namespace dtu
