#pragma once

#include <cstdio>
#include <optional>
#include <string_view>

#include "core/user_messages.h"

namespace dtuctl {

// The command line's stand-in for message boxes: every message and question goes to stderr as
// one line, "[caption] text" when the caption is more than the application's title. Questions
// are answered without waiting for input: with the answer given on the command line when there
// is one, otherwise with the question's default; the answer is printed after the question.
class ConsoleMessages : public dtu::UserMessages {
 public:
  explicit ConsoleMessages(std::optional<dtu::Answer> forced_answer = std::nullopt,
                           std::FILE* out = stderr)
      : forced_answer_(forced_answer), out_(out) {}

  void Show(dtu::MessageKind kind, std::string_view text, std::string_view caption = {}) override;
  dtu::Answer Ask(std::string_view text, std::string_view caption,
                  dtu::Answer default_answer) override;

  // How many messages of kind Warning or Error were shown, for a command's exit status.
  int problems() const { return problems_; }

 private:
  void PrintLine(std::string_view caption, std::string_view text, std::string_view tail);

  std::optional<dtu::Answer> forced_answer_;
  std::FILE* out_;
  int problems_ = 0;
};

}  // namespace dtuctl
