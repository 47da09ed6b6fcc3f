#include "console_progress.h"

#include <sys/ioctl.h>
#include <unistd.h>

#include <utility>

#include "core/text/utf8_text.h"

namespace dtuctl {
namespace {

constexpr std::string_view kClearLine = "\r\x1b[2K";

}  // namespace

std::string FitColumns(std::string_view text, std::size_t columns) {
  std::size_t used = 0;
  for (std::size_t pos = 0; pos < text.size();) {
    const dtu::Utf8Char c = dtu::DecodeUtf8At(text, pos);
    // Control characters (a line end in a unit's value) would break the lines' layout.
    if (c.code < 0x20 || used + dtu::TerminalColumns(c.code) > columns)
      return std::string(text.substr(0, pos));
    used += dtu::TerminalColumns(c.code);
    pos += c.length;
  }
  return std::string(text);
}

bool ConsoleProgress::StdoutIsTerminal(std::size_t& columns) {
  if (::isatty(STDOUT_FILENO) == 0) return false;
  winsize size{};
  columns = ::ioctl(STDOUT_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_col > 0 ? size.ws_col : 80;
  return true;
}

ConsoleProgress::ConsoleProgress(Output out, std::vector<std::string> ports, bool terminal,
                                 std::size_t columns)
    : out_(std::move(out)),
      ports_(std::move(ports)),
      terminal_(terminal),
      columns_(columns),
      texts_(ports_.size()) {}

std::string ConsoleProgress::Line(std::size_t port_index) const {
  return ports_[port_index] + ": " + texts_[port_index];
}

// Puts `above` (a finished line, or nothing) where the ports' lines began, then the ports' lines
// below it. The cursor stays below the last of them.
void ConsoleProgress::Redraw(std::string_view above) {
  std::string out;
  if (drawn_) out += "\x1b[" + std::to_string(ports_.size()) + "F";
  if (!above.empty()) out += std::string(kClearLine) + std::string(above) + "\n";
  for (std::size_t i = 0; i < ports_.size(); ++i)
    out += std::string(kClearLine) + FitColumns(Line(i), columns_ - 1) + "\n";
  drawn_ = true;
  out_(out);
}

void ConsoleProgress::Update(std::size_t port_index, std::string_view text) {
  std::lock_guard lock(mutex_);
  texts_[port_index] = std::string(text);
  if (terminal_) {
    Redraw({});
  } else {
    out_(Line(port_index) + "\n");
  }
}

void ConsoleProgress::UnitEnded(std::size_t port_index, const dtu::LogEntry&) {
  std::lock_guard lock(mutex_);
  // A plain line has already said it; on a terminal the result stays above the ports' lines.
  if (terminal_) Redraw(Line(port_index));
}

// On a terminal the finished units' lines stay; the ports' lines go.
void ConsoleProgress::Finish() {
  std::lock_guard lock(mutex_);
  if (terminal_ && drawn_) out_("\x1b[" + std::to_string(ports_.size()) + "F\x1b[J");
  drawn_ = false;
}

}  // namespace dtuctl
