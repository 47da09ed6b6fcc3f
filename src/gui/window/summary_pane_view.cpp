#include "gui/window/summary_pane_view.h"

#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

#include <string>

#include "core/block/parameter_summary.h"
#include "gui/platform/qt_text.h"
#include "gui/window/main_window_ids.h"

namespace dtu {
namespace {

// The box stores each line end as one "\n"; the model holds "\r\n", and a line break inside a
// summary line ("\r\n" or a lone "\r") is a line end of the box as well.
QString BoxText(std::string_view pane_text) {
  QString text = FromUtf8(pane_text);
  text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
  return text;
}

std::string PaneText(const QString& box_text) {
  QString text = box_text;
  text.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
  return text.toStdString();
}

}  // namespace

SummaryPaneView::SummaryPaneView(QWidget* parent) : QPlainTextEdit(parent) {
  setObjectName(QString::number(main_id::kSummaryPane));
  // The user reads, selects and copies the summaries; only the window writes them.
  setReadOnly(true);
  setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
  setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  setTabChangesFocus(true);  // Tab goes on to the next control
  connect(document(), &QTextDocument::contentsChanged, this, [this] {
    if (!appending_) pane_stale_ = true;
  });
}

SummaryPane& SummaryPaneView::pane() {
  if (pane_stale_) {
    pane_.SetText(PaneText(toPlainText()));
    pane_stale_ = false;
  }
  return pane_;
}

void SummaryPaneView::AppendSummaryLine(std::string_view utf8_line) {
  AppendLine(utf8_line);
}

bool SummaryPaneView::AppendLine(std::string_view utf8_line) {
  SummaryPane& model = pane();
  const std::size_t kept = model.text().size();
  const bool emptied = model.AppendSummaryLine(PaneText(BoxText(utf8_line)));
  const QString addition = BoxText(std::string_view(model.text()).substr(emptied ? 0 : kept));

  // The addition is no step the user could undo. Turning undo off around it empties the undo
  // history, which must go anyway: its positions would no longer match the text.
  QTextDocument* doc = document();
  appending_ = true;
  if (emptied) clear();
  doc->setUndoRedoEnabled(false);
  QTextCursor cursor(doc);
  cursor.movePosition(QTextCursor::End);
  cursor.insertText(addition);
  doc->setUndoRedoEnabled(true);
  appending_ = false;

  setTextCursor(cursor);
  ensureCursorVisible();
  return emptied;
}

void SummaryPaneView::AppendSummary(const ParameterBlock& block) {
  // Each line leaves the view at the end; the summary's own first line is where reading starts.
  // It is the box's last (empty) line now, or the top when the box is emptied on the way.
  int first_line = document()->blockCount() - 1;
  for (const std::string& line : PrintSummary(block))
    if (AppendLine(line)) first_line = 0;
  ShowFromLine(first_line);
}

void SummaryPaneView::ShowFromLine(int line) {
  // From the end, bringing the caret up to the line scrolls it to the top of the view.
  QTextCursor cursor(document()->findBlockByNumber(line));
  setTextCursor(cursor);
  ensureCursorVisible();
}

void SummaryPaneView::Empty() {
  clear();
}

}  // namespace dtu
