#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>

#include <fstream>

#include "gui/pages/gprs_page.h"
#include "gui/window/editor_tab_set.h"
#include "gui/window/pages_scroll_area.h"
#include "gui/window/pages_source.h"
#include "gui/window/port_combo_box.h"
#include "gui/window/session_adapter.h"
#include "gui/window/traffic_log_view.h"
#include "support/device_test_support.h"
#include "support/file_size_limit.h"
#include "support/main_window_fixture.h"
#include "support/temp_dir.h"

namespace dtu::test {

constexpr std::chrono::milliseconds kWait(20000);  // a safety net, not a speed limit

// The main window as a day's work uses it: the title with its source and "*", the status bar and
// the traffic log.
class MainWindowDailyTest : public QObject {
  Q_OBJECT

 private:
  MainWindowFixture f_;
  QTemporaryDir dir_;
  std::unique_ptr<DtusimProcess> sim_;

  MainConfigDialog& window() { return *f_.window; }
  QLineEdit* Apn() { return window().tabs().gprsPage().edit(gprs_id::kApn); }
  QString StatusText(int id) { return qobject_cast<QLabel*>(window().control(id))->text(); }
  QStringList LogLines() {
    window().trafficLog().Flush();
    return window().trafficLog().text()->toPlainText().split(QLatin1Char('\n'));
  }
  void Exchange(int button) {
    qobject_cast<QPushButton*>(window().control(button))->click();
    QVERIFY(WaitFor([&] { return !window().isBusy(); }, kWait));
  }
  void TypeApn(const QString& text) {
    Apn()->setFocus();
    QTest::keyClicks(Apn(), text);
  }

 private slots:
  void init() {
    f_.keep_settings = false;
    f_.messages = ScriptedMessages();
    f_.files = ScriptedFileChooser();
    f_.machine_ports = {"/dev/ttyS0"};
    f_.Create();
    window().show();
    QVERIFY(QTest::qWaitForWindowExposed(&window()));
  }
  void cleanup() {
    window().pagesSource().setModified(false);
    f_.Destroy();
    sim_.reset();
  }

  // ---- title ----

  void titleFollowsSourceAndEdits() {
    const QString name = QStringLiteral("DTU配置软件 版本6.0 — ");
    QCOMPARE(window().windowTitle(), name + "默认参数");
    TypeApn(QStringLiteral("x"));
    QCOMPARE(window().windowTitle(), name + "默认参数 *");
    const TempDir dir;
    f_.files.save_answers.push_back(dir / "站点.bpp");
    window().SaveParameterFile();
    QCOMPARE(window().windowTitle(), name + "默认参数");  // saved: no "*", the source stays
    TypeApn(QStringLiteral("y"));
    window().OpenParameterFileAt(dir / "站点.bpp");
    QCOMPARE(window().windowTitle(), name + "站点.bpp");
    QVERIFY(f_.messages.records.empty());
  }

  void closingWithEditsAsksFirst() {
    TypeApn(QStringLiteral("x"));
    f_.messages.answers = {Answer::No};
    QVERIFY(!window().close());
    QVERIFY(window().isVisible());
    QCOMPARE(f_.messages.texts(), std::vector<std::string>{std::string(kUnsavedCloseQuestion)});
    f_.messages.answers = {Answer::Yes};
    QVERIFY(window().close());
    QVERIFY(!window().isVisible());
  }

  // ---- status bar and traffic log ----

  void readAndWriteShowInTheLogAndStatusBar() {
    QVERIFY(!window().trafficLog().isVisible());  // hidden until the view menu shows it
    window().action(main_id::kShowLogCommand)->trigger();
    QVERIFY(window().trafficLog().isVisible());
    QCOMPARE(StatusText(main_id::kPortStatus), QStringLiteral("串口未打开"));
    QCOMPARE(StatusText(main_id::kSourceStatus), QStringLiteral("参数来源：默认参数"));

    sim_ = StartSimulator({"--board-serial", "A-0001", "--state",
                           (dir_.path() + QStringLiteral("/unit.state")).toStdString()});
    OpenPortOf(window(), sim_->port_path());
    QCOMPARE(StatusText(main_id::kPortStatus),
             QString::fromStdString(sim_->port_path()) + QStringLiteral("  9600 8N1"));
    Exchange(main_id::kReadButton);
    QVERIFY(StatusText(main_id::kOperationStatus).startsWith(QStringLiteral("读取参数成功（")));
    QVERIFY(StatusText(main_id::kSourceStatus).contains(QStringLiteral("A-0001")));
    f_.messages.answers = {Answer::Yes};
    Exchange(main_id::kWriteButton);
    QVERIFY(StatusText(main_id::kOperationStatus).startsWith(QStringLiteral("设置参数成功（")));

    // The commands, the unit's answers and what they meant, in order.
    const QStringList lines = LogLines();
    int at = 0;
    for (const auto& [direction, part] : std::initializer_list<std::pair<const char*, const char*>>{
             {"识别", "打开串口 /dev/"},
             {"发送", "$$$AT+GETPARA?"},
             {"接收", "DTUPARA"},
             {"识别", "参数块完整，已载入页面"},
             {"发送", "$$$AT+SETPARA"},
             {"接收", "$$$SETOK"},
             {"识别", "设备回复：参数设置成功!"}}) {
      while (at < lines.size() && !(lines[at].mid(14, 2) == QString::fromUtf8(direction) &&
                                    lines[at].contains(QString::fromUtf8(part))))
        ++at;
      QVERIFY2(at < lines.size(), part);
    }
    // Hex on demand.
    window().trafficLog().hexBox()->setChecked(true);
    // The read, and the one that asked the unit who it is before the write.
    QVERIFY(LogLines().filter(QStringLiteral("发送  24 24 24 41 54 2B 47 45 54 50")).size() == 2);
  }

  void theLogKeepsItsLastLines() {
    TrafficLogView& log = window().trafficLog();
    for (std::size_t i = 0; i < TrafficLog::kDefaultMaxLines + 5; ++i) {
      log.AddNote(std::to_string(i));
      if (i % 1000 == 0) QCoreApplication::processEvents();
    }
    const QStringList lines = LogLines();
    QCOMPARE(lines.size(), static_cast<qsizetype>(TrafficLog::kDefaultMaxLines));
    QVERIFY(lines.front().endsWith(QStringLiteral("识别  5")));
    QVERIFY(lines.back().endsWith(QStringLiteral("识别  10004")));

    const QString saved = dir_.path() + QStringLiteral("/log.txt");
    f_.files.save_answers.push_back(saved.toStdString());
    log.Save();
    std::ifstream in(saved.toStdString());
    std::string first;
    std::getline(in, first);
    QVERIFY(QString::fromStdString(first).endsWith(QStringLiteral("识别  5")));

    // A save that fails half-way (a full disk) leaves the earlier one as it was, and says so.
    const std::vector<std::uint8_t> before = ReadAllBytes(saved.toStdString());
    log.AddNote("more");
    f_.files.save_answers.push_back(saved.toStdString());
    {
      const FileSizeLimit full_disk(512);
      log.Save();
    }
    QCOMPARE(ReadAllBytes(saved.toStdString()), before);
    QCOMPARE(QDir(dir_.path())
                 .entryList({QStringLiteral("*log.txt*")},
                            QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
             QStringList{QStringLiteral("log.txt")});
    QCOMPARE(f_.messages.records.size(), std::size_t{1});
    QVERIFY(f_.messages.records.back().text.find("文件过大") != std::string::npos);
    f_.messages.records.clear();
    log.Clear();
    QCOMPARE(log.text()->toPlainText(), QString());
    QVERIFY(f_.messages.records.empty());
  }

  // ---- keyboard ----

  // Tab from the port list visits every kind of control once round and comes back: nothing
  // keeps the focus.
  void tabReachesEveryControlAndComesBack() {
    window().activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&window()));
    QWidget* start = window().control(main_id::kPortList);
    start->setFocus();
    QList<QWidget*> visited;
    for (int i = 0; i < 200; ++i) {
      QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
      QWidget* focus = QApplication::focusWidget();
      if (focus == start || (focus != nullptr && focus->parentWidget() == start)) break;
      visited << focus;
    }
    QVERIFY2(visited.size() < 199, "Tab never came back to the port list");
    for (QWidget* expected :
         {window().control(main_id::kOpenButton), window().control(main_id::kReadButton),
          window().control(main_id::kWriteButton), window().control(main_id::kAddressList),
          window().control(main_id::kSummaryPane), window().control(main_id::kPageTabs),
          static_cast<QWidget*>(Apn())})
      QVERIFY2(expected != nullptr && visited.contains(expected),
               qPrintable(expected ? expected->objectName() : QString()));
  }

  void keysRunTheCommands_data() {
    QTest::addColumn<QKeySequence>("key");
    QTest::addColumn<int>("command");
    QTest::addColumn<int>("open_dialogs");
    QTest::addColumn<int>("save_dialogs");
    QTest::addColumn<QString>("said");
    QTest::newRow("Ctrl+O") << QKeySequence(Qt::CTRL | Qt::Key_O) << main_id::kOpenFileCommand << 1
                            << 0 << "";
    QTest::newRow("Ctrl+S") << QKeySequence(Qt::CTRL | Qt::Key_S) << main_id::kSaveFileCommand << 0
                            << 1 << "";
    QTest::newRow("F5") << QKeySequence(Qt::Key_F5) << main_id::kReadCommand << 0 << 0
                        << "请先打开串口。";
    QTest::newRow("F6") << QKeySequence(Qt::Key_F6) << main_id::kWriteCommand << 0 << 0
                        << "请先打开串口。";
  }
  void keysRunTheCommands() {
    QFETCH(QKeySequence, key);
    QFETCH(int, command);
    QFETCH(int, open_dialogs);
    QFETCH(int, save_dialogs);
    QFETCH(QString, said);
    QCOMPARE(window().action(command)->shortcut(), key);  // shown in the menu
    Apn()->setFocus();
    QTest::keySequence(&window(), key);
    QCOMPARE(f_.files.open_dialogs, open_dialogs);
    QCOMPARE(f_.files.save_dialogs, save_dialogs);
    QCOMPARE(f_.messages.texts(), said.isEmpty() ? std::vector<std::string>{}
                                                 : std::vector<std::string>{said.toStdString()});
  }

  // ---- fits the screen ----

  void smallWindowsScrollThePages() {
    QVERIFY(window().minimumSizeHint().height() <= 700);
    window().resize(900, 500);
    QVERIFY(window().height() <= 500);
    QCoreApplication::processEvents();
    auto* scroll = window().findChild<PagesScrollArea*>();
    QVERIFY(scroll->verticalScrollBar()->maximum() > 0);
    window().resize(window().sizeHint());  // room for everything: nothing to scroll
    QCoreApplication::processEvents();
    QCOMPARE(scroll->verticalScrollBar()->maximum(), 0);
  }

  // ---- remembered settings ----

  void aRestartOffersTheLastPortFolderAndPanes() {
    f_.keep_settings = true;
    // The unit is opened through a link of this test's own: a pseudo-terminal's number may be
    // taken again by another test's unit at once, and the port must be gone at the next start.
    const std::string link = (dir_.path() + QStringLiteral("/ttyDTU")).toStdString();
    sim_ = StartSimulator(
        {"--state", (dir_.path() + QStringLiteral("/unit.state")).toStdString(), "--link", link});
    const QString port = QString::fromStdString(link);
    qobject_cast<QComboBox*>(window().control(main_id::kBaudList))->setCurrentText("19200");
    qobject_cast<QComboBox*>(window().control(main_id::kParityList))->setCurrentText("EVEN");
    qobject_cast<QSpinBox*>(window().control(main_id::kReplyTimeLimit))->setValue(9);
    OpenPortOf(window(), link);
    QVERIFY(window().isPortOpen());
    window().action(main_id::kShowLogCommand)->trigger();
    const TempDir folder;
    f_.files.save_answers.push_back(folder / "a.bpp");
    window().SaveParameterFile();
    QVERIFY(window().close());
    f_.Destroy();
    sim_.reset();  // the port is gone at the next start

    f_.files = ScriptedFileChooser();
    f_.Create();
    window().show();
    QVERIFY(QTest::qWaitForWindowExposed(&window()));
    auto* ports = qobject_cast<QComboBox*>(window().control(main_id::kPortList));
    QCOMPARE(ports->currentText(), port + QStringLiteral("（未找到）"));
    QCOMPARE(QString::fromStdString(window().portList().portName()), port);
    for (const auto& [id, text] :
         std::initializer_list<std::pair<int, const char*>>{{main_id::kBaudList, "19200"},
                                                            {main_id::kParityList, "EVEN"},
                                                            {main_id::kDataBitsList, "8"},
                                                            {main_id::kStopBitsList, "1"}})
      QCOMPARE(qobject_cast<QComboBox*>(window().control(id))->currentText(), QString(text));
    QCOMPARE(qobject_cast<QSpinBox*>(window().control(main_id::kReplyTimeLimit))->value(), 9);
    QCOMPARE(f_.files.folder(), folder.path());
    QVERIFY(window().trafficLog().isVisible());
  }
};

}  // namespace dtu::test

QTEST_MAIN(dtu::test::MainWindowDailyTest)
#include "main_window_daily_test.moc"
