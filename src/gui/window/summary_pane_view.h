#pragma once

#include <QPlainTextEdit>

#include <string_view>

#include "core/block/parameter_block.h"
#include "core/block/summary_pane.h"

namespace dtu {

// The summary pane of the main window: a multi-line text box the user may also type into, to
// which the summary of every accepted block is appended. It shows its SummaryPane model, which
// keeps the text's GBK count and empties the box before a line when it holds too much.
class SummaryPaneView : public QPlainTextEdit {
  Q_OBJECT

 public:
  explicit SummaryPaneView(QWidget* parent = nullptr);

  // Empties the box first when it holds too much, then appends the line and a line break at the
  // end of the text, with the caret left there; the addition cannot be undone. A line break
  // inside the line ("\r\n" or a lone "\r") is a line end of the box too.
  void AppendSummaryLine(std::string_view utf8_line);

  // Appends the block's summary, line by line.
  void AppendSummary(const ParameterBlock& block);

  // Empties the box (select all, clear), as "读取参数" does.
  void Empty();

 private:
  // The model, brought up to date with the box first when the user (or anyone else) has changed
  // the text since the last addition.
  SummaryPane& pane();

  SummaryPane pane_;
  bool pane_stale_ = false;  // the box's text changed since pane_ was right
  bool appending_ = false;   // the change under way is an addition the model already holds
};

}  // namespace dtu
