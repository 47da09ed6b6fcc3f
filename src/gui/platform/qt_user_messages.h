#pragma once

#include <QPointer>
#include <QWidget>

#include "core/user_messages.h"

namespace dtu {

// The user messages as modal Qt message boxes: the icon of the message kind, an OK button (or
// Yes and No with the given default), and the caption given or else the application's title.
class QtUserMessages : public UserMessages {
 public:
  explicit QtUserMessages(QWidget* owner = nullptr) : owner_(owner) {}

  // The window the boxes belong to (centred on it, modal to it).
  void setOwner(QWidget* owner) { owner_ = owner; }

  void Show(MessageKind kind, std::string_view text, std::string_view caption = {}) override;
  Answer Ask(std::string_view text, std::string_view caption, Answer default_answer) override;
  UnsavedChoice AskUnsaved(std::string_view text, bool offer_save) override;

 private:
  QPointer<QWidget> owner_;
};

}  // namespace dtu
