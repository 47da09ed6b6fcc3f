#include "console_messages.h"

#include <string>

#include "core/message_language.h"

namespace dtuctl {

void ConsoleMessages::Show(dtu::MessageKind kind, std::string_view text, std::string_view caption) {
  if (kind == dtu::MessageKind::Warning || kind == dtu::MessageKind::Error) ++problems_;
  PrintLine(caption, text, {});
}

dtu::Answer ConsoleMessages::Ask(std::string_view text, std::string_view caption,
                                 dtu::Answer default_answer) {
  const dtu::Answer answer = forced_answer_.value_or(default_answer);
  PrintLine(
      caption, text,
      answer == dtu::Answer::Yes ? dtu::Say(" -> 是", " -> yes") : dtu::Say(" -> 否", " -> no"));
  return answer;
}

void ConsoleMessages::PrintLine(std::string_view caption, std::string_view text,
                                std::string_view tail) {
  // The application's title is the caption of every box that names none; it says nothing here.
  std::string line;
  if (!caption.empty() && caption != dtu::kAppTitle) line.append("[").append(caption).append("] ");
  line.append(text).append(tail).append("\n");
  // Written as bytes: a text may hold any byte, and an empty view may point nowhere.
  std::fwrite(line.data(), 1, line.size(), out_);
  std::fflush(out_);
}

}  // namespace dtuctl
