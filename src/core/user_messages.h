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
};

}  // namespace dtu
