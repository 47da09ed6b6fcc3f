#include "console_messages.h"

namespace dtuctl {

void ConsoleMessages::Show(dtu::MessageKind kind, std::string_view text, std::string_view caption) {
  if (kind == dtu::MessageKind::Warning || kind == dtu::MessageKind::Error) ++problems_;
  PrintLine(caption, text, "");  // not {}: printf must not be given a null pointer
}

dtu::Answer ConsoleMessages::Ask(std::string_view text, std::string_view caption,
                                 dtu::Answer default_answer) {
  const dtu::Answer answer = forced_answer_.value_or(default_answer);
  PrintLine(caption, text, answer == dtu::Answer::Yes ? " -> 是" : " -> 否");
  return answer;
}

void ConsoleMessages::PrintLine(std::string_view caption, std::string_view text,
                                std::string_view tail) {
  // The application's title is the caption of every box that names none; it says nothing here.
  if (!caption.empty() && caption != dtu::kAppTitle)
    std::fprintf(out_, "[%.*s] ", static_cast<int>(caption.size()), caption.data());
  std::fprintf(out_, "%.*s%.*s\n", static_cast<int>(text.size()), text.data(),
               static_cast<int>(tail.size()), tail.data());
  std::fflush(out_);
}

}  // namespace dtuctl
