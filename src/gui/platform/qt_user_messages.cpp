#include "gui/platform/qt_user_messages.h"

#include <QMessageBox>
#include <QPushButton>

#include "gui/platform/qt_text.h"

namespace dtu {
namespace {

QString Caption(std::string_view caption) {
  return FromUtf8(caption.empty() ? kAppTitle : caption);
}

QMessageBox::Icon IconOf(MessageKind kind) {
  switch (kind) {
    case MessageKind::Information:
      return QMessageBox::Information;
    case MessageKind::Warning:
      return QMessageBox::Warning;
    case MessageKind::Error:
      return QMessageBox::Critical;
    case MessageKind::Plain:
      break;
  }
  return QMessageBox::NoIcon;
}

}  // namespace

void QtUserMessages::Show(MessageKind kind, std::string_view text, std::string_view caption) {
  QMessageBox box(IconOf(kind), Caption(caption), FromUtf8(text), QMessageBox::Ok, owner_);
  box.setDefaultButton(QMessageBox::Ok);
  box.exec();
}

Answer QtUserMessages::Ask(std::string_view text, std::string_view caption, Answer default_answer) {
  QMessageBox box(QMessageBox::Question, Caption(caption), FromUtf8(text),
                  QMessageBox::Yes | QMessageBox::No, owner_);
  box.setDefaultButton(default_answer == Answer::Yes ? QMessageBox::Yes : QMessageBox::No);
  box.setEscapeButton(QMessageBox::No);
  return box.exec() == QMessageBox::Yes ? Answer::Yes : Answer::No;
}

UnsavedChoice QtUserMessages::AskUnsaved(std::string_view text, bool offer_save) {
  QMessageBox box(QMessageBox::Question, Caption({}), FromUtf8(text), QMessageBox::NoButton,
                  owner_);
  QPushButton* save =
      offer_save ? box.addButton(QStringLiteral("保存"), QMessageBox::AcceptRole) : nullptr;
  QPushButton* discard = box.addButton(QStringLiteral("不保存"), QMessageBox::DestructiveRole);
  QPushButton* keep = box.addButton(QStringLiteral("取消"), QMessageBox::RejectRole);
  box.setDefaultButton(keep);
  box.setEscapeButton(keep);
  box.exec();
  if (save != nullptr && box.clickedButton() == save) return UnsavedChoice::Save;
  return box.clickedButton() == discard ? UnsavedChoice::Discard : UnsavedChoice::Keep;
}

}  // namespace dtu
