#include "gui/pages/page_exchange.h"

#include <QComboBox>
#include <QLineEdit>

#include <optional>

#include "core/editing/field_codec.h"
#include "gui/pages/editor_page.h"
#include "gui/platform/qt_text.h"

namespace dtu {
namespace {

void ShowRow(EditorPage& page, const FieldEntry& row, const ParameterBlock& block) {
  switch (row.form) {
    case FieldForm::List: {
      const std::uint32_t value = block.Get(row.field);
      const std::optional<std::size_t> entry = ChoiceEntry(row, value);
      page.showChoice(row.id, entry ? std::optional<int>(static_cast<int>(*entry)) : std::nullopt,
                      value);
      return;
    }
    case FieldForm::Check:
      page.setChecked(row.id, block.Get(row.field) == 1);
      return;
    case FieldForm::Radio:
      page.checkRadio({row.id, row.partner}, ShowsFirstButton(row, block.Get(row.field)) ? 0 : 1);
      return;
    case FieldForm::Counted:
      // The box first, so that the field's length check counts the dump's bytes.
      if (row.partner != 0) page.setChecked(row.partner, true);
      [[fallthrough]];
    default:
      page.setText(row.id, FromUtf8(ShownText(row, block)));
  }
}

// The value a list's selection stands for: the unit's own value of its extra entry, or the
// value of the entry chosen; nothing without a selection.
std::optional<std::uint32_t> ChosenValue(const EditorPage& page, const FieldEntry& row) {
  if (const auto own = page.unitOwnChoice(row.id)) return own;
  const int index = page.list(row.id)->currentIndex();
  if (index < 0) return std::nullopt;
  return ChoiceValue(row, static_cast<std::size_t>(index));
}

// Stores one row; the refusal's message when it cannot be stored as it stands.
std::optional<std::string> CollectRow(EditorPage& page, const FieldEntry& row,
                                      ParameterBlock& block, std::vector<std::string>& notes) {
  switch (row.form) {
    case FieldForm::List: {
      const std::optional<std::uint32_t> value = ChosenValue(page, row);
      if (!value) return EntryName(row) + "：请从列表中选择一项。";
      StoreCode(row, *value, block);
      return std::nullopt;
    }
    case FieldForm::Check:
      StoreCode(row, page.isChecked(row.id) ? 1 : 0, block);
      return std::nullopt;
    case FieldForm::Radio:
      StoreCode(row, row.codes[page.checkedRadio({row.id, row.partner}) == 0 ? 0 : 1], block);
      return std::nullopt;
    default: {
      const bool hex = row.partner != 0 && page.isChecked(row.partner);
      const EntryOutcome outcome = StoreEntry(row, page.text(row.id).toStdString(), hex, block);
      if (!outcome.substitution.empty()) notes.push_back(outcome.substitution);
      return outcome.refusal;
    }
  }
}

}  // namespace

void LoadPage(EditorPage& page, const ParameterBlock& block) {
  for (const FieldEntry& row : page.table().fields) ShowRow(page, row, block);
  page.AfterLoad(block);
  page.RememberLoadedStates(block);
}

PageCollection CollectPage(EditorPage& page, ParameterBlock& block) {
  PageCollection collection;
  // A refused entry leaves the rows after it unchecked: storing them could send values the user
  // did not mean, so the refusal ends the collection.
  collection.refused = page.CheckEntries();
  if (!collection.ok()) return collection;
  for (const FieldEntry& row : page.table().fields) {
    if (!RowIsStored(row, block)) continue;
    if (!page.changedSinceLoad(row)) {
      // Written back as it came, whatever an earlier collection stored there.
      CopyRowBytes(row, *page.loadedBlock(), block);
      continue;
    }
    if (const auto refusal = CollectRow(page, row, block, collection.substitutions)) {
      page.messages().Show(MessageKind::Warning, *refusal);
      collection.refused = row.id;
      return collection;
    }
  }
  return collection;
}

}  // namespace dtu
