#include "gui/pages/page_exchange.h"

#include <QComboBox>
#include <QLineEdit>

#include "core/editing/entry_checks.h"
#include "gui/pages/editor_page.h"

namespace dtu {

PageExchange::PageExchange(EditorPage& page, Direction direction, int only_id)
    : page_(page), direction_(direction), only_id_(only_id) {}

bool PageExchange::Takes(int id) const {
  return !failed_ && (only_id_ == 0 || only_id_ == id) && page_.control(id) != nullptr;
}

bool PageExchange::Takes(std::initializer_list<int> ids) const {
  if (failed_) return false;
  if (only_id_ == 0) return true;
  for (int id : ids)
    if (id == only_id_) return true;
  return false;
}

void PageExchange::Fail(int id, std::string_view message) {
  failed_ = true;
  page_.messages().Show(MessageKind::Warning, message);
  page_.returnFocusTo(id);
}

void PageExchange::Text(int id, std::string& member) {
  if (!Takes(id)) return;
  if (toMembers()) {
    member = page_.text(id).toStdString();
  } else {
    page_.setText(id, QString::fromStdString(member));
  }
}

void PageExchange::Check(int id, int& member) {
  if (!Takes(id)) return;
  if (toMembers()) {
    member = page_.isChecked(id) ? 1 : 0;
  } else {
    page_.setChecked(id, member != 0);
  }
}

void PageExchange::Index(int id, int& member) {
  if (!Takes(id)) return;
  QComboBox* list = page_.list(id);
  if (toMembers()) {
    member = list->currentIndex();
  } else {
    list->setCurrentIndex(member >= 0 && member < list->count() ? member : -1);
  }
}

void PageExchange::Unsigned(int id, std::uint32_t& member) {
  if (!Takes(id)) return;
  if (!toMembers()) {
    page_.setText(id, QString::number(member));
    return;
  }
  if (const auto value = ParseUnsignedEntry(page_.text(id).toStdString())) {
    member = *value;
  } else {
    Fail(id, kEnterUnsignedMessage);
  }
}

void PageExchange::Byte(int id, std::uint8_t& member, std::uint8_t min, std::uint8_t max) {
  if (!Takes(id)) return;
  if (!toMembers()) {
    page_.setText(id, QString::number(member));
    return;
  }
  const auto value = ParseByteEntry(page_.text(id).toStdString());
  if (!value) {
    Fail(id, kEnterByteMessage);
  } else if (*value < min || *value > max) {
    member = *value;  // the framework keeps the byte it read before it tests the range
    Fail(id, EnterRangeMessage(min, max));
  } else {
    member = *value;
  }
}

void PageExchange::RadioIndex(std::initializer_list<int> ids, int& member) {
  if (!Takes(ids)) return;
  if (toMembers()) {
    member = page_.checkedRadio(ids);
  } else {
    page_.checkRadio(ids, member);
  }
}

}  // namespace dtu
