#include "gui/platform/qt_user_messages.h"

#include <QMessageBox>

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

}  // namespace dtu
