#pragma once

#include <QString>
#include <QWidget>

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <map>
#include <optional>
#include <string>
#include <vector>

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

class PageExchange;

// The common part of the three editor pages. A page is built from its declarative table
// (`PageTable`): every control carries its numeric ID, and everything else addresses it by that
// ID. IDs are unique within a page (checked at construction) and repeat across pages.
//
// Values travel between controls and the page's members only through the data exchange: one
// `Exchange` function per page lists every exchanged control with its member, and runs in either
// direction. Copying into the members validates numeric entries, stops at the first refused
// field with a message and returns the focus to it.
//
// Every text field is checked on each change: characters GBK cannot hold are refused, and the
// fields of the page's limit table are kept within their byte limits (hex-aware where a
// "16进制" box belongs to the field). Clicking a "16进制" box converts its field.
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

  // An edit's text; setText writes it (and so runs the field's change checks).
  QString text(int id) const;
  void setText(int id, const QString& text);

  // Whether a check box is checked, and setting it without the click reaction.
  bool isChecked(int id) const;
  void setChecked(int id, bool checked);

  // The page's data exchange. ExchangeToMembers returns false when an entry was refused (its
  // message shown, the focus returned to it); the members after that field keep their values.
  bool ExchangeToMembers();
  void ExchangeToControls();

  // The length check of a field, run on each of its changes: cuts the text to `max_bytes`
  // (hex: 2 × `max_bytes` digits, spaces not counted) and says "最大长度%d个字节！".
  void CheckFieldLength(int id, std::size_t max_bytes, bool hex);

  // The reaction to a click on a "16进制" box whose new state is `checked`: copies the page into
  // its members, then shows the field's bytes as a hex dump (checked) or reads the dump back as
  // text (cleared); the field's member then takes the converted text.
  void HexDisplayToggle(bool checked, int field_id);

  // Shows or hides a control together with the static that names it.
  void setFieldVisible(int id, bool visible);

  // Swaps the digits-only input rule of an edit on or off; setEntryRule gives it any rule of
  // the core (nullptr: any text).
  void setDigitsOnly(int id, bool digits_only);
  void setEntryRule(int id, EntryValidator::Rule rule);

  // Whether an address field shows its text as a mistake (a red frame): the text is no address.
  bool showsMistake(int id) const;

  // Selects a list's entry `entry`, or, for a stored value none of the list's entries stands
  // for, an extra entry that shows the value as the unit's own ("14400（设备当前值）"); an
  // earlier extra entry goes first. No reaction of the page runs.
  void showChoice(int id, std::optional<int> entry, std::uint32_t value);
  // The number of a list's own entries, without an extra one.
  int ownEntryCount(int id) const;
  // The stored value of the extra entry when it is the selected one; nothing for the list's
  // own entries or no selection.
  std::optional<std::uint32_t> unitOwnChoice(int id) const;

  // The name the user knows a field by: its label, else the title of its group.
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

  // Lists every exchanged control with its member; runs in the direction of `dx`.
  virtual void Exchange(PageExchange& dx) = 0;

  // Called after each change of an edit's text, once the generic checks have run.
  virtual void AfterTextChange(int id);

  // Called (once the focus has settled) when the user has left a field given to watchLeaving.
  virtual void FieldLeft(int id);
  void watchLeaving(std::initializer_list<int> ids);

  // Copies one control into its member (the exchange restricted to that control).
  void exchangeOneToMember(int id);

  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void Build(const PageTable& item);
  QWidget* CreateControl(const ControlEntry& item, QWidget* container);
  void Register(int id, QWidget* widget);
  void ApplyTooltips(const PageTable& item);
  void ConnectFieldChecks(const PageTable& item);
  void OnTextChanged(int id);
  void ShowAddressMistake(int id);
  void CheckField(int id, std::optional<std::size_t> max_bytes, bool hex);
  const FieldLimit* limitOf(int id) const;
  bool ShowWrappedTooltip(QWidget* widget, QEvent* event);

  UserMessages& messages_;
  std::map<int, QWidget*> controls_;  // owned by Qt's parent chain
  std::map<int, QLabel*> labels_for_;
  std::vector<FieldLimit> limits_;
  std::vector<int> watched_fields_;
  std::vector<int> address_fields_;
  bool returning_focus_ = false;
};

}  // namespace dtu
