#pragma once

#include <QPlainTextEdit>

#include <cstddef>
#include <string_view>

#include "core/block/parameter_block.h"

namespace dtu {

// The summary pane: a multi-line text box the user may also type into, to which
// the summary of every accepted block is appended. Before each line is added, a box holding
// more than 10,240 bytes of text (counted as GBK, a Chinese character two, each line end two)
// is emptied.
class SummaryPaneView : public QPlainTextEdit {
  Q_OBJECT

 public:
  explicit SummaryPaneView(QWidget* parent = nullptr);

  // Empties the box first when it holds too much, then appends the line and a line break at the
  // end of the text, with the caret left there; the addition cannot be undone.
  void AppendSummaryLine(std::string_view utf8_line);

  // Appends the block's summary, line by line.
  void AppendSummary(const ParameterBlock& block);

  // Empties the box (select all, clear), as "读取参数" does.
  void Empty();

 private:
  // The box's text counted as above. The count is kept up to date through the additions and
  // taken afresh only after the user (or anyone else) has changed the text.
  std::size_t GbkBytesInBox();

  std::size_t gbk_bytes_ = 0;
  bool recount_ = false;    // the text changed since gbk_bytes_ was right
  bool appending_ = false;  // the change under way is an addition already counted
};

}  // namespace dtu
