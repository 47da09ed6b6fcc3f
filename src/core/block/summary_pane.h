#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "core/block/parameter_block.h"

namespace dtu {

// The text box that collects the summaries of loaded blocks, as a plain model; SummaryPaneView
// shows it in the main window.
//
// The box only grows: every summary is appended below what it holds. So that it stays small, it
// is emptied before a line is added whenever it already holds more than kMaxGbkBytes bytes of
// text as the unit would count them: GBK, a Chinese character two bytes, each "\r\n" two.
// A summary may therefore start in an empty box part-way through its lines.
class SummaryPane {
 public:
  static constexpr std::size_t kMaxGbkBytes = 10240;
  static constexpr std::string_view kLineEnd = "\r\n";

  // True when a box holding this many GBK bytes must be emptied before the next line.
  static bool MustEmptyBefore(std::size_t gbk_bytes_in_pane) {
    return gbk_bytes_in_pane > kMaxGbkBytes;
  }

  // The GBK byte count of UTF-8 text for the rule above. The user may type into the box,
  // including characters GBK cannot hold; each of those, and each byte that is not valid UTF-8,
  // counts as 2 bytes, so that the count always exists and never falls short of the box's size.
  static std::size_t CountGbkBytes(std::string_view utf8);

  // Empties the box first if MustEmptyBefore says so, then appends the line and "\r\n".
  // Returns whether the box was emptied.
  bool AppendSummaryLine(std::string_view line);

  // Appends every line of the block's summary through AppendSummaryLine.
  void AppendSummary(const ParameterBlock& block);

  void Clear();

  // Replaces the whole text, as when the user edits the box by hand.
  void SetText(std::string_view utf8);

  // The box's text, UTF-8 with "\r\n" line ends.
  const std::string& text() const { return text_; }

  // CountGbkBytes(text()), kept up to date as the text changes.
  std::size_t gbk_bytes() const { return gbk_bytes_; }

 private:
  std::string text_;
  std::size_t gbk_bytes_ = 0;
};

}  // namespace dtu
