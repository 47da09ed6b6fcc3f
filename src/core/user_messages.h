#pragma once

#include <string_view>

namespace dtu {

// The application's title: the caption of every message box that names no caption of its own.
inline constexpr std::string_view kAppTitle = "DTU配置软件";

// The icon a message box shows.
enum class MessageKind {
  Plain,        // no icon
  Information,  // information icon
  Warning,      // exclamation icon
  Error,        // error (stop) icon
};

enum class Answer { Yes, No };

// What to do with edits not yet kept anywhere, before something replaces or drops them.
enum class UnsavedChoice {
  Save,     // "保存": save them first, then go on
  Discard,  // "不保存": go on, the edits are lost
  Keep,     // "取消": do nothing, the edits stay
};

// Every text the user sees in a box goes through this interface: the GUI shows a modal
// box, the command line prints, tests record and answer. Texts are UTF-8. An empty caption
// means the application's title.
class UserMessages {
 public:
  virtual ~UserMessages() = default;

  // Shows a message with an OK button and returns when the user has dismissed it.
  virtual void Show(MessageKind kind, std::string_view text, std::string_view caption = {}) = 0;

  // Asks a Yes/No question (question icon); `default_answer` is the default button.
  virtual Answer Ask(std::string_view text, std::string_view caption, Answer default_answer) = 0;

  // Asks before unsaved edits are lost: "保存" (when `offer_save`), "不保存" and "取消", which is
  // the default. Where no such choice can be shown, a Yes/No question: Yes goes on without saving.
  virtual UnsavedChoice AskUnsaved(std::string_view text, bool offer_save) {
    (void)offer_save;
    return Ask(text, {}, Answer::No) == Answer::Yes ? UnsavedChoice::Discard : UnsavedChoice::Keep;
  }
};

}  // namespace dtu
