#include "gui/window/summary_pane_view.h"

#include <QTextCursor>
#include <QTextDocument>

#include <string>

#include "core/block/parameter_summary.h"
#include "core/block/summary_pane.h"
#include "gui/platform/qt_text.h"
#include "gui/window/main_window_ids.h"

namespace dtu {
namespace {

// Text as the unit counts it: GBK bytes, each line end two bytes ("\r\n"), whereas the
// document separates its lines by a single "\n".
std::size_t GbkBytesOf(const QString& plain_text) {
  return SummaryPane::CountGbkBytes(plain_text.toStdString()) +
         static_cast<std::size_t>(plain_text.count(QLatin1Char('\n')));
}

}  // namespace

SummaryPaneView::SummaryPaneView(QWidget* parent) : QPlainTextEdit(parent) {
  setObjectName(QString::number(main_id::kSummaryPane));
  setReadOnly(false);  // the user may write notes into it
  setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  connect(document(), &QTextDocument::contentsChanged, this, [this] {
    if (!appending_) recount_ = true;
  });
}

std::size_t SummaryPaneView::GbkBytesInBox() {
  if (recount_) {
    gbk_bytes_ = GbkBytesOf(toPlainText());
    recount_ = false;
  }
  return gbk_bytes_;
}

void SummaryPaneView::AppendSummaryLine(std::string_view utf8_line) {
  if (SummaryPane::MustEmptyBefore(GbkBytesInBox())) Empty();

  // A line may carry line breaks of its own (a notice ending in "\r\n"); the box shows each as
  // a line end, as the document stores it: one "\n".
  QString addition = FromUtf8(utf8_line);
  addition.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  addition.replace(QLatin1Char('\r'), QLatin1Char('\n'));
  addition += QLatin1Char('\n');
  const std::size_t added_bytes = GbkBytesOf(addition);
  const std::size_t bytes_before = GbkBytesInBox();

  // The addition is no step the user could undo. Turning undo off around it empties the undo
  // history, which must go anyway: its positions would no longer match the text.
  QTextDocument* doc = document();
  appending_ = true;
  doc->setUndoRedoEnabled(false);
  QTextCursor cursor(doc);
  cursor.movePosition(QTextCursor::End);
  cursor.insertText(addition);
  doc->setUndoRedoEnabled(true);
  appending_ = false;
  gbk_bytes_ = bytes_before + added_bytes;

  setTextCursor(cursor);
  ensureCursorVisible();
}

void SummaryPaneView::AppendSummary(const ParameterBlock& block) {
  for (const std::string& line : PrintSummary(block)) AppendSummaryLine(line);
}

void SummaryPaneView::Empty() {
  clear();
}

}  // namespace dtu
