#include <QApplication>
#include <QClipboard>
#include <QScrollBar>
#include <QTest>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

#include <memory>
#include <string>

#include "core/block/parameter_block.h"
#include "core/block/parameter_summary.h"
#include "core/block/summary_pane.h"
#include "gui/window/main_window_ids.h"
#include "gui/window/summary_pane_view.h"
#include "support/gui_test_support.h"

namespace dtu::test {

class SummaryPaneViewTest : public QObject {
  Q_OBJECT

 private:
  std::unique_ptr<SummaryPaneView> pane_;

  static QString Repeat(const QString& piece, int times) { return piece.repeated(times); }

 private slots:
  void init() { pane_ = std::make_unique<SummaryPaneView>(); }
  void cleanup() { pane_.reset(); }

  // The user reads, selects and copies; typing, pasting and deleting change nothing.
  void isAReadOnlyBoxWithAVerticalScrollBar() {
    QCOMPARE(pane_->objectName(), QString::number(main_id::kSummaryPane));
    QVERIFY(pane_->isReadOnly());
    QCOMPARE(pane_->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    pane_->AppendSummaryLine("●协议------>澄川TCP");
    pane_->show();
    QVERIFY(QTest::qWaitForWindowExposed(pane_.get()));
    QApplication::clipboard()->setText(QStringLiteral("pasted"));
    QTest::keyClicks(pane_.get(), QStringLiteral("note"));
    QTest::keyClick(pane_.get(), Qt::Key_V, Qt::ControlModifier);
    QTest::keyClick(pane_.get(), Qt::Key_Backspace);
    QCOMPARE(pane_->toPlainText(), QStringLiteral("●协议------>澄川TCP\n"));

    QTest::keyClick(pane_.get(), Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(pane_.get(), Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("●协议------>澄川TCP\n"));
  }

  void appendsEachLineWithALineBreak() {
    pane_->AppendSummaryLine("-----------基本设置-----------");
    pane_->AppendSummaryLine(" ");
    pane_->AppendSummaryLine("");
    QCOMPARE(pane_->toPlainText(), QStringLiteral("-----------基本设置-----------\n \n\n"));
  }

  // A line's own line breaks are line ends of the box, each counted as two bytes.
  void lineBreaksInsideALine() {
    pane_->AppendSummaryLine("★GPRS通知-->启用,GPRSOK\r\n,长度8");
    QCOMPARE(pane_->toPlainText(), QStringLiteral("★GPRS通知-->启用,GPRSOK\n,长度8\n"));
    // A lone "\r" is a line end too. 6 + 10234 = 10240 bytes are not yet too many.
    pane_->setPlainText(QString());
    pane_->AppendSummaryLine("a\rb");                       // 1 + 2 + 1 + 2 = 6
    pane_->AppendSummaryLine(std::string(10234 - 2, 'x'));  // 6 + 10232 + 2 = 10240
    pane_->AppendSummaryLine("end");
    QVERIFY(pane_->toPlainText().startsWith(QStringLiteral("a\nb\n")));
    pane_->AppendSummaryLine("again");
    QCOMPARE(pane_->toPlainText(), QStringLiteral("again\n"));
  }

  void additionGoesToTheEndWithTheCaretThere() {
    pane_->setPlainText(QStringLiteral("typed by the user"));
    QTextCursor start = pane_->textCursor();
    start.movePosition(QTextCursor::Start);
    pane_->setTextCursor(start);

    pane_->AppendSummaryLine("●协议------>澄川TCP");
    QCOMPARE(pane_->toPlainText(), QStringLiteral("typed by the user●协议------>澄川TCP\n"));
    QVERIFY(pane_->textCursor().atEnd());
    QVERIFY(!pane_->textCursor().hasSelection());
  }

  void longSummaryScrollsToItsEnd() {
    pane_->resize(300, 120);
    pane_->show();
    QVERIFY(QTest::qWaitForWindowExposed(pane_.get()));
    for (int i = 0; i < 60; ++i) pane_->AppendSummaryLine("●心跳时间-->30秒");
    QScrollBar* bar = pane_->verticalScrollBar();
    QVERIFY(bar->maximum() > 0);
    QVERIFY(bar->value() > 0);
    QVERIFY(pane_->viewport()->rect().contains(pane_->cursorRect()));
  }

  void undoCannotRemoveTheAddition() {
    pane_->setPlainText(QStringLiteral("ab"));
    pane_->AppendSummaryLine("●短信中心-->空");
    const QString after = pane_->toPlainText();
    QVERIFY(!pane_->document()->isUndoAvailable());
    pane_->undo();
    QCOMPARE(pane_->toPlainText(), after);
  }

  // The box is emptied before a line only when it holds more than 10240 bytes as GBK, with a
  // Chinese character counting two and each line end two ("\r\n").
  void emptiedOnlyPastTenKilobytes_data() {
    QTest::addColumn<QString>("held");
    QTest::addColumn<bool>("emptied");
    QTest::newRow("10240 ASCII") << Repeat(QStringLiteral("a"), 10240) << false;
    QTest::newRow("10241 ASCII") << Repeat(QStringLiteral("a"), 10241) << true;
    QTest::newRow("5120 Chinese") << Repeat(QStringLiteral("中"), 5120) << false;
    QTest::newRow("5120 Chinese and one more byte")
        << Repeat(QStringLiteral("中"), 5120) + QStringLiteral("a") << true;
    QTest::newRow("line end counts two")
        << Repeat(QStringLiteral("a"), 10238) + QStringLiteral("\n") << false;
    QTest::newRow("line end past the limit")
        << Repeat(QStringLiteral("a"), 10239) + QStringLiteral("\n") << true;
    QTest::newRow("emoji counts two")
        << Repeat(QStringLiteral("a"), 10238) + QStringLiteral("😀") << false;
    QTest::newRow("emoji past the limit")
        << Repeat(QStringLiteral("a"), 10239) + QStringLiteral("😀") << true;
  }
  void emptiedOnlyPastTenKilobytes() {
    QFETCH(QString, held);
    QFETCH(bool, emptied);
    pane_->setPlainText(held);
    pane_->AppendSummaryLine("●TCP协议--->建立TCP链接发送请求的间隔30秒");
    const QString line = QStringLiteral("●TCP协议--->建立TCP链接发送请求的间隔30秒\n");
    QCOMPARE(pane_->toPlainText(), emptied ? line : held + line);
  }

  // The additions themselves are counted the same way: lines of 100 ASCII characters take 102
  // bytes each, so the 101st line still finds 100 × 102 = 10200 bytes and the box is emptied
  // before the 102nd (10302 bytes).
  void additionsCountTowardsTheLimit() {
    const std::string line(100, 'x');
    for (int i = 0; i < 101; ++i) pane_->AppendSummaryLine(line);
    QCOMPARE(pane_->toPlainText().count(QLatin1Char('\n')), 101);
    pane_->AppendSummaryLine("last");
    QCOMPARE(pane_->toPlainText(), QStringLiteral("last\n"));
  }

  void userEditsAreCountedToo() {
    const std::string line(100, 'x');
    for (int i = 0; i < 100; ++i) pane_->AppendSummaryLine(line);  // 10200 bytes
    QTextCursor cursor = pane_->textCursor();
    cursor.movePosition(QTextCursor::End);
    cursor.insertText(Repeat(QStringLiteral("中"), 21));  // 42 more: 10242
    pane_->setTextCursor(cursor);
    pane_->AppendSummaryLine("next");
    QCOMPARE(pane_->toPlainText(), QStringLiteral("next\n"));

    // And a box the user has shortened is not emptied.
    for (int i = 0; i < 100; ++i) pane_->AppendSummaryLine(line);
    pane_->setPlainText(QStringLiteral("kept"));
    pane_->AppendSummaryLine("more");
    QCOMPARE(pane_->toPlainText(), QStringLiteral("keptmore\n"));
  }

  void summaryOfABlockLineByLine() {
    ParameterBlock block;
    block.set_protocol(1);
    block.set_tcp_reconnect_time(30);
    block.set_baud_rate(9600);
    pane_->AppendSummary(block);
    QString expected;
    for (const std::string& line : PrintSummary(block)) expected += Q(line) + QLatin1Char('\n');
    QCOMPARE(pane_->toPlainText(), expected);
    QVERIFY(expected.contains(QStringLiteral("●协议------>澄川TCP\n")));
  }

  // After a whole summary the view starts at the summary's first line, below what came before,
  // with the caret there; the line-by-line additions still end at the bottom.
  void aSummaryIsShownFromItsFirstLine() {
    pane_->resize(300, 120);
    pane_->show();
    QVERIFY(QTest::qWaitForWindowExposed(pane_.get()));
    for (int i = 0; i < 30; ++i) pane_->AppendSummaryLine("earlier");
    ParameterBlock block;
    block.set_baud_rate(9600);
    const int first_line = pane_->document()->blockCount() - 1;
    pane_->AppendSummary(block);
    QVERIFY(pane_->verticalScrollBar()->value() < pane_->verticalScrollBar()->maximum());
    QCOMPARE(pane_->cursorForPosition(QPoint(1, 1)).blockNumber(), first_line);
    QCOMPARE(pane_->textCursor().blockNumber(), first_line);
    QCOMPARE(pane_->textCursor().positionInBlock(), 0);
    QCOMPARE(pane_->textCursor().block().text(), Q(PrintSummary(block).front()));
  }

  void summariesPileUpUntilTheLimit() {
    ParameterBlock block;
    block.set_baud_rate(115200);
    const std::vector<std::string> lines = PrintSummary(block);
    QString one;
    for (const std::string& line : lines) one += Q(line) + QLatin1Char('\n');
    pane_->AppendSummary(block);
    pane_->AppendSummary(block);
    QCOMPARE(pane_->toPlainText(), one + one);
    // However many follow, the box never holds much more than the limit.
    for (int i = 0; i < 200; ++i) pane_->AppendSummary(block);
    const QString text = pane_->toPlainText();
    const std::size_t bytes = SummaryPane::CountGbkBytes(text.toStdString()) +
                              static_cast<std::size_t>(text.count(QLatin1Char('\n')));
    QVERIFY(bytes <= SummaryPane::kMaxGbkBytes + 200);
    QVERIFY(!text.isEmpty());
  }

  void emptyClearsTheBox() {
    pane_->AppendSummaryLine("a");
    pane_->Empty();
    QCOMPARE(pane_->toPlainText(), QString());
    pane_->AppendSummaryLine("b");
    QCOMPARE(pane_->toPlainText(), QStringLiteral("b\n"));
  }
};

}  // namespace dtu::test

QTEST_MAIN(dtu::test::SummaryPaneViewTest)
#include "summary_pane_view_test.moc"
