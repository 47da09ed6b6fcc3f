#include <QAction>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>

#include <algorithm>
#include <memory>
#include <vector>

#include "core/history/unit_history.h"
#include "gui/pages/gprs_page.h"
#include "gui/window/editor_tab_set.h"
#include "gui/window/history_dialog.h"
#include "gui/window/pages_source.h"
#include "gui/window/session_adapter.h"
#include "gui/window/summary_pane_view.h"
#include "support/device_test_support.h"
#include "support/main_window_fixture.h"
#include "support/sim_unit.h"

namespace dtu::test {

// A safety net for a reply that never comes, not a speed limit.
constexpr std::chrono::milliseconds kWait(20000);
constexpr std::string_view kGsnA = "860000000000001";
constexpr std::string_view kGsnB = "860000000000002";

using Bytes = std::vector<std::uint8_t>;

// The window keeping the units' history as it reads and writes simulated units, the history
// window, and "撤销写入".
class MainWindowHistoryTest : public QObject {
  Q_OBJECT

 private:
  MainWindowFixture f_;
  std::unique_ptr<TempDir> dir_;
  std::vector<std::unique_ptr<SimUnit>> units_;

  MainConfigDialog& window() { return *f_.window; }
  QPushButton* Button(int id) { return qobject_cast<QPushButton*>(window().control(id)); }
  static Bytes BytesOf(const ParameterBlock& block) {
    return {block.bytes().begin(), block.bytes().end()};
  }
  std::vector<HistoryEntry> Entries() {
    UnitHistory history(f_.history_file);
    std::vector<HistoryEntry> entries;
    history.Entries({}, entries);
    return entries;
  }
  bool Idle() { return !window().isBusy(); }

  SimUnit& Connect(std::string_view gsn) {
    if (window().isPortOpen()) window().OpenOrClosePort();
    units_.push_back(std::make_unique<SimUnit>(*dir_, std::string(gsn)));
    OpenPortOf(window(), units_.back()->port());
    return *units_.back();
  }
  void Read() {
    window().ReadParameters();
    QVERIFY(
        WaitFor([&] { return Idle() && window().summary().toPlainText().size() > 100; }, kWait));
  }
  // Writes the pages, answering the question with yes, until the unit has answered.
  void Write() {
    const std::size_t shown = f_.messages.records.size();
    f_.messages.answers.push_back(Answer::Yes);
    window().WriteParameters();
    QVERIFY(WaitFor([&] { return Idle() && f_.messages.shown("参数设置成功!"); }, kWait));
    QVERIFY(f_.messages.records.size() > shown);
  }
  void ChangeApn(const QString& apn) {
    window().tabs().gprsPage().setText(gprs_id::kApn, apn);
    window().pagesSource().setModified(true);
  }
  HistoryDialog& OpenHistory() {
    window().action(main_id::kHistoryCommand)->trigger();
    return *window().historyDialog();
  }
  static QTableWidget* Table(HistoryDialog& dialog, int id) {
    return qobject_cast<QTableWidget*>(dialog.control(id));
  }
  static void SelectEntries(HistoryDialog& dialog, const std::vector<int>& rows) {
    QTableWidget* list = Table(dialog, history_id::kEntryList);
    list->clearSelection();
    for (const int row : rows)
      list->selectionModel()->select(list->model()->index(row, 0),
                                     QItemSelectionModel::Select | QItemSelectionModel::Rows);
  }
  static QString Comparison(HistoryDialog& dialog) {
    return qobject_cast<QPlainTextEdit*>(dialog.control(history_id::kComparison))->toPlainText();
  }

 private slots:
  void init() {
    dir_ = std::make_unique<TempDir>();
    f_.messages = ScriptedMessages();
    f_.history_file = *dir_ / "history.sqlite";
    f_.Create();
  }
  void cleanup() {
    f_.Destroy();
    units_.clear();
    dir_.reset();
  }

  void aReadAndAWriteKeepTheBlockBeforeAndAfter() {
    SimUnit& a = Connect(kGsnA);
    const Bytes original = BytesOf(a.Block());
    Read();
    ChangeApn(QStringLiteral("written.apn"));
    Write();
    const std::vector<HistoryEntry> entries = Entries();
    QCOMPARE(entries.size(), std::size_t{2});
    QCOMPARE(entries[0].event, HistoryEvent::Read);
    QCOMPARE(BytesOf(entries[0].block), original);
    QCOMPARE(entries[1].event, HistoryEvent::Written);
    QCOMPARE(BytesOf(entries[1].block), BytesOf(a.Block()));
    QCOMPARE(entries[1].unit.module_serial, std::string(kGsnA));
    QCOMPARE(entries[1].port, a.port());
    QVERIFY(f_.messages.records.size() == 2);  // the question and the answer: no notice
  }

  // Pages from a file or the defaults: the unit is read before it is written, and its block
  // goes into the history only.
  void aWriteOfOtherPagesReadsTheUnitFirst() {
    SimUnit& a = Connect(kGsnA);
    const Bytes original = BytesOf(a.Block());
    const QString apn = window().tabs().gprsPage().text(gprs_id::kApn);
    Write();
    QCOMPARE(window().tabs().gprsPage().text(gprs_id::kApn), apn);
    const std::vector<HistoryEntry> entries = Entries();
    QCOMPARE(entries.size(), std::size_t{2});
    QCOMPARE(entries[0].event, HistoryEvent::Read);
    QCOMPARE(BytesOf(entries[0].block), original);
    QCOMPARE(BytesOf(entries[1].block), BytesOf(a.Block()));
  }

  void theHistoryWindowListsUnitsAndEntriesAndComparesByLabel() {
    Connect(kGsnA);
    Read();
    ChangeApn(QStringLiteral("written.apn"));
    Write();
    Connect(kGsnB);
    Read();
    HistoryDialog& dialog = OpenHistory();
    QTableWidget* units = Table(dialog, history_id::kUnitList);
    QCOMPARE(units->rowCount(), 2);
    QCOMPARE(units->item(0, 1)->text(), QString::fromStdString(std::string(kGsnA)));
    QCOMPARE(units->item(1, 1)->text(), QString::fromStdString(std::string(kGsnB)));
    QCOMPARE(units->item(0, 3)->text(), QStringLiteral("2"));
    QCOMPARE(dialog.entries().size(), std::size_t{1});  // the unit seen last is selected
    units->setCurrentCell(0, 0);
    QCOMPARE(dialog.entries().size(), std::size_t{2});
    QTableWidget* entries = Table(dialog, history_id::kEntryList);
    QCOMPARE(entries->item(0, 2)->text(), QStringLiteral("读取"));
    QCOMPARE(entries->item(1, 2)->text(), QStringLiteral("写入"));

    SelectEntries(dialog, {0, 1});
    qobject_cast<QPushButton*>(dialog.control(history_id::kCompareEntries))->click();
    const QString compared = Comparison(dialog);
    QVERIFY2(compared.contains(QStringLiteral("接入点名称（APN）（apn）：")), qPrintable(compared));
    QVERIFY2(compared.contains(QStringLiteral("：\"CMNET\" → \"written.apn\"")),
             qPrintable(compared));
    QVERIFY(compared.contains(QStringLiteral("有 1 项不同")));

    // The pages now hold unit B's block, as its only entry does.
    units->setCurrentCell(1, 0);
    SelectEntries(dialog, {0});
    qobject_cast<QPushButton*>(dialog.control(history_id::kCompareWithPages))->click();
    QVERIFY2(Comparison(dialog).endsWith(QStringLiteral("页面上的参数 的参数相同。")),
             qPrintable(Comparison(dialog)));
  }

  void loadingAnEntryFillsThePagesAndNamesItInTheTitle() {
    SimUnit& a = Connect(kGsnA);
    const Bytes original = BytesOf(a.Block());
    Read();
    ChangeApn(QStringLiteral("written.apn"));
    Write();
    HistoryDialog& dialog = OpenHistory();
    SelectEntries(dialog, {0});
    const std::int64_t id = dialog.entries()[0].id;
    qobject_cast<QPushButton*>(dialog.control(history_id::kLoadEntry))->click();
    QVERIFY(!dialog.isVisible());
    QCOMPARE(BytesOf(window().workingBlock()), original);
    QVERIFY(window().tabs().gprsPage().text(gprs_id::kApn) != QStringLiteral("written.apn"));
    QVERIFY2(window().windowTitle().contains(
                 QStringLiteral("的历史记录 %1").arg(static_cast<qlonglong>(id))),
             qPrintable(window().windowTitle()));
    // Written as usual: the unit holds the entry's block again.
    Write();
    QCOMPARE(BytesOf(a.Block()), original);
  }

  void undoingAWritePutsTheOriginalBytesBack() {
    SimUnit& a = Connect(kGsnA);
    const Bytes original = BytesOf(a.Block());
    QVERIFY(!Button(main_id::kUndoWriteButton)->isVisibleTo(&window()));
    Read();
    ChangeApn(QStringLiteral("written.apn"));
    Write();
    QVERIFY(BytesOf(a.Block()) != original);
    QPushButton* undo = Button(main_id::kUndoWriteButton);
    QVERIFY(undo->isVisibleTo(&window()));
    f_.messages.clear();
    f_.messages.answers.push_back(Answer::Yes);
    undo->click();
    QVERIFY(WaitFor([&] { return Idle() && f_.messages.shown("参数设置成功!"); }, kWait));
    QCOMPARE(BytesOf(a.Block()), original);
    QVERIFY(f_.messages.records[0].question);
    QVERIFY(QString::fromStdString(f_.messages.records[0].text)
                .startsWith(QStringLiteral("确定设置参数吗?\n\n撤销写入：")));
    QCOMPARE(BytesOf(window().workingBlock()), original);  // the pages show it too
    QCOMPARE(Entries().back().event, HistoryEvent::Written);

    // Closing the port takes the offer away.
    QVERIFY(undo->isVisibleTo(&window()));
    window().OpenOrClosePort();
    QVERIFY(!undo->isVisibleTo(&window()));
  }

  // The port goes during the read before the write: the frame is never sent.
  void aUnitThatCannotBeReadFirstIsNotWritten() {
    units_.push_back(std::make_unique<SimUnit>(*dir_, std::string(kGsnA),
                                               std::vector<std::string>{"--fault", "vanish"}));
    OpenPortOf(window(), units_.back()->port());
    const Bytes original = BytesOf(units_.back()->Block());
    f_.messages.answers = {Answer::Yes, Answer::Yes};  // the write; a read once it is back
    window().WriteParameters();
    QVERIFY(WaitFor([&] { return Idle() && !window().isPortOpen(); }, kWait));
    QVERIFY(WaitFor([&] { return f_.messages.records.size() >= 2; }, kWait));
    QVERIFY(f_.messages.records[0].question);
    const std::string said = f_.messages.records.back().text;
    QVERIFY2(said.find("已断开") != std::string::npos, said.c_str());
    QVERIFY2(said.find("参数块已发出") == std::string::npos, said.c_str());
    QVERIFY(Entries().empty());
    QCOMPARE(BytesOf(units_.back()->Block()), original);
  }

  void aHistoryThatCannotBeWrittenIsToldOnceAndNeverStopsAReadOrWrite() {
    WriteAllBytes(*dir_ / "file", Bytes{'x'});
    f_.history_file = *dir_ / "file" / "history.sqlite";  // a file where its folder should be
    f_.Create();
    SimUnit& a = Connect(kGsnA);
    Read();
    ChangeApn(QStringLiteral("written.apn"));
    Write();
    Read();
    QCOMPARE(a.Block().apn(), std::string("written.apn"));
    std::vector<std::string> notices;
    for (const ScriptedMessages::Record& record : f_.messages.records)
      if (record.kind == MessageKind::Warning) notices.push_back(record.text);
    QCOMPARE(notices.size(), std::size_t{1});
    QVERIFY2(notices[0].starts_with("历史记录无法保存：文件或它的文件夹不能写入"),
             notices[0].c_str());
    QVERIFY(!Button(main_id::kUndoWriteButton)->isVisibleTo(&window()));  // nothing to put back
  }
};

}  // namespace dtu::test

QTEST_MAIN(dtu::test::MainWindowHistoryTest)
#include "main_window_history_test.moc"
