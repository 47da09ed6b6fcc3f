#pragma once

#include <QPlainTextEdit>

#include <string_view>

#include "core/block/parameter_block.h"
#include "core/block/summary_pane.h"

namespace dtu {

// The summary pane of the main window: a read-only multi-line text box (its text can be selected
// and copied) to which the summary of every accepted block is appended. It shows its SummaryPane
// model, which keeps the text's GBK count and empties the box before a line when it holds too
// much.
class SummaryPaneView : public QPlainTextEdit {
  Q_OBJECT

 public:
  explicit SummaryPaneView(QWidget* parent = nullptr);

  // Empties the box first when it holds too much, then appends the line and a line break at the
  // end of the text, with the caret left there; the addition cannot be undone. A line break
  // inside the line ("\r\n" or a lone "\r") is a line end of the box too.
  void AppendSummaryLine(std::string_view utf8_line);

  // Appends the block's summary, line by line, then shows it from its first line, with the caret
  // at the start of that line.
  void AppendSummary(const ParameterBlock& block);

  // Empties the box (select all, clear), as "读取参数" does.
  void Empty();

 private:
  // AppendSummaryLine; returns whether the box was emptied first.
  bool AppendLine(std::string_view utf8_line);
  // Scrolls the box so that this line (a block of the document) is in view, caret at its start.
  void ShowFromLine(int line);

  // The model, brought up to date with the box first when the text has been changed from
  // outside (setPlainText, a cut by the program) since the last addition.
  SummaryPane& pane();

  SummaryPane pane_;
  bool pane_stale_ = false;  // the box's text changed since pane_ was right
  bool appending_ = false;   // the change under way is an addition the model already holds
};

}  // namespace dtu
