#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>

#include <filesystem>
#include <fstream>

#include "gui/pages/gprs_page.h"
#include "gui/window/about_dialog.h"
#include "gui/window/editor_tab_set.h"
#include "gui/window/pages_scroll_area.h"
#include "gui/window/port_combo_box.h"
#include "gui/window/session_adapter.h"
#include "support/device_test_support.h"
#include "support/gui_test_support.h"
#include "support/main_window_fixture.h"
#include "support/sample_blocks.h"

namespace dtu::test {

namespace fs = std::filesystem;

constexpr std::chrono::milliseconds kWait(20000);  // a safety net, not a speed limit

// The window against dtusim keeps what the user holds and tells what it knows: unsaved edits
// before a read or an open, the unit on the line before a write, the ports it marks, and the
// messages of a time-out, a refused frame, a port lost mid-write, a long file and an unknown
// signal.
class MainWindowKeepingTest : public QObject {
  Q_OBJECT

 private:
  MainWindowFixture f_;
  std::unique_ptr<QTemporaryDir> dir_;
  std::unique_ptr<DtusimProcess> sim_;

  MainConfigDialog& window() { return *f_.window; }
  GprsPage& gprs() { return window().tabs().gprsPage(); }
  QPushButton* Button(int id) { return qobject_cast<QPushButton*>(window().control(id)); }
  fs::path Path(const std::string& name) const {
    return fs::path(dir_->path().toStdString()) / name;
  }
  QString LastText() { return QString::fromStdString(f_.messages.records.back().text); }
  QString Status() {
    return qobject_cast<QLabel*>(window().control(main_id::kOperationStatus))->text();
  }

  void Connect(std::vector<std::string> args) {
    args.insert(args.end(), {"--state", Path("unit.state").string()});
    sim_ = StartSimulator(args);
    OpenPortOf(window(), sim_->port_path());
    QVERIFY(window().isPortOpen());
  }
  void Settle() {
    QVERIFY(WaitFor([&] { return !window().operation().busy(); }, kWait));
  }
  void Read() {
    Button(main_id::kReadButton)->click();
    Settle();
  }

 private slots:
  void init() {
    dir_ = std::make_unique<QTemporaryDir>();
    f_.messages = ScriptedMessages();
    f_.files = ScriptedFileChooser();
    f_.Create();
    qobject_cast<QSpinBox*>(window().control(main_id::kReplyTimeLimit))->setValue(1);
  }
  void cleanup() {
    f_.Destroy();
    sim_.reset();
    dir_.reset();
  }

  // Read (button, F5) and open (Ctrl+O) ask before unsaved edits go, offering to save them.
  void unsavedEditsAreAskedAbout_data() {
    QTest::addColumn<QString>("how");
    QTest::addColumn<int>("choice");
    for (const char* how : {"read", "F5", "open"}) {
      QTest::addRow("%s, kept", how) << how << int(UnsavedChoice::Keep);
      QTest::addRow("%s, discarded", how) << how << int(UnsavedChoice::Discard);
      QTest::addRow("%s, saved", how) << how << int(UnsavedChoice::Save);
    }
  }
  void unsavedEditsAreAskedAbout() {
    QFETCH(QString, how);
    QFETCH(int, choice);
    Connect({});
    ParameterBlock file_block = GprsBlock();
    SealBlock(file_block);
    std::ofstream(Path("in.MTS"), std::ios::binary)
        .write(reinterpret_cast<const char*>(file_block.bytes().data()), kBlockSize);
    Type(gprs().edit(gprs_id::kApn), QStringLiteral(".typed"));
    QVERIFY(window().windowTitle().endsWith(QStringLiteral(" *")));
    f_.messages.unsaved_answers.push_back(UnsavedChoice(choice));
    f_.files.save_answers.push_back(Path("saved.MTS"));
    f_.files.open_answers.push_back(Path("in.MTS"));
    if (how == "read") Button(main_id::kReadButton)->click();
    if (how == "F5") window().action(main_id::kReadCommand)->trigger();
    if (how == "open") window().action(main_id::kOpenFileCommand)->trigger();
    Settle();
    QVERIFY(!f_.messages.records.empty());
    QVERIFY(f_.messages.records.front().save_offered);
    QVERIFY2(
        QString::fromStdString(f_.messages.records.front().text).contains(QStringLiteral("将丢失")),
        f_.messages.records.front().text.c_str());
    const bool replaced = choice != int(UnsavedChoice::Keep);
    QCOMPARE(gprs().text(gprs_id::kApn).endsWith(QStringLiteral(".typed")), !replaced);
    QCOMPARE(fs::exists(Path("saved.MTS")), choice == int(UnsavedChoice::Save));
    QCOMPARE(window().windowTitle().endsWith(QStringLiteral(" *")), !replaced);
  }

  // Before a write of a unit's pages, the unit on the line is asked who it is: another unit
  // behind the port is named in the question, and its block is not loaded.
  void theWriteAsksWhoIsOnTheLine() {
    Connect({"--board-serial", "A-0001"});
    Read();
    Button(main_id::kOpenButton)->click();
    Connect({"--board-serial", "B-0002"});
    gprs().setText(gprs_id::kApn, QStringLiteral("for.a"));
    Button(main_id::kWriteButton)->click();  // answered No
    QVERIFY(WaitFor([&] { return !f_.messages.records.empty(); }, kWait));
    QVERIFY2(LastText().contains(QStringLiteral("注意：所连设备是设备（主板序列号 B-0002")) &&
                 LastText().contains(QStringLiteral("另一台设备（主板序列号 A-0001")),
             qPrintable(LastText()));
    QCOMPARE(gprs().text(gprs_id::kApn), QStringLiteral("for.a"));
    QVERIFY(window().windowTitle().contains(QStringLiteral("A-0001")));
  }

  // Only a port whose device node is gone is marked "（未找到）".
  void onlyAGonePortIsMarked_data() {
    QTest::addColumn<bool>("gone");
    QTest::newRow("pseudo-terminal still there") << false;
    QTest::newRow("device node gone") << true;
  }
  void onlyAGonePortIsMarked() {
    QFETCH(bool, gone);
    Connect({});
    const QString port = QString::fromStdString(sim_->port_path());
    QVERIFY(window().close());
    f_.Destroy();
    if (gone) sim_.reset();
    f_.keep_settings = true;
    f_.Create();
    f_.keep_settings = false;
    QCOMPARE(qobject_cast<QComboBox*>(window().control(main_id::kPortList))->currentText(),
             gone ? port + QStringLiteral("（未找到）") : port);
  }

  // Messages that say what the window knows.
  void messagesSayWhatIsKnown_data() {
    QTest::addColumn<QStringList>("sim");
    QTest::addColumn<bool>("write");
    QTest::addColumn<QString>("said");
    QTest::newRow("time-out, some bytes")
        << QStringList{"--fault", "short-block"} << false << "status:已收到 1";
    QTest::newRow("time-out, nothing")
        << QStringList{"--fault", "silent"} << false << "status:没有收到任何数据";
    QTest::newRow("refused frame")
        << QStringList{"--fault", "reject"} << true << "参数校验失败!\n设备拒绝了这个参数块";
    QTest::newRow("port lost mid-write")
        << QStringList{"--fault", "vanish"} << true << "可能已经保存了这个参数块，也可能没有";
    QTest::newRow("RSSI 99") << QStringList{"--rssi", "99"} << false << "signal:未知";
  }
  void messagesSayWhatIsKnown() {
    QFETCH(QStringList, sim);
    QFETCH(bool, write);
    QFETCH(QString, said);
    std::vector<std::string> args;
    for (const QString& arg : sim) args.push_back(arg.toStdString());
    Connect(args);
    f_.messages.answers = {Answer::Yes, Answer::No};  // write; no read-back
    Button(write ? main_id::kWriteButton : main_id::kReadButton)->click();
    Settle();
    if (said.startsWith(QStringLiteral("status:"))) {
      QVERIFY2(Status().contains(said.mid(7)), qPrintable(Status()));
    } else if (said.startsWith(QStringLiteral("signal:"))) {
      QCOMPARE(qobject_cast<QLineEdit*>(window().control(main_id::kSignalText))->text(),
               said.mid(7));
    } else {
      QVERIFY(WaitFor([&] { return !f_.messages.records.empty() && LastText().contains(said); },
                      kWait));
    }
  }

  void aLongFileOpensWithANote() {
    ParameterBlock block = GprsBlock();
    SealBlock(block);
    std::ofstream file(Path("long.MTS"), std::ios::binary);
    file.write(reinterpret_cast<const char*>(block.bytes().data()), kBlockSize);
    file.write("\r\n", 2);
    file.close();
    f_.files.open_answers.push_back(Path("long.MTS"));
    window().action(main_id::kOpenFileCommand)->trigger();
    QCOMPARE(f_.messages.records.size(), std::size_t{1});
    QVERIFY2(LastText().contains(QStringLiteral("有 662 字节")) &&
                 LastText().contains(QStringLiteral("后面的 2 字节")),
             qPrintable(LastText()));
    QVERIFY(window().windowTitle().contains(QStringLiteral("long.MTS")));
  }

  // The traffic log takes the pages' height, never their width: they scroll up and down only.
  void theLogLeavesThePagesTheirWidth() {
    window().show();
    QVERIFY(QTest::qWaitForWindowExposed(&window()));
    QVERIFY(window().sizeHint().width() <= 1366);
    window().resize(window().sizeHint().width(), 700);
    window().action(main_id::kShowLogCommand)->trigger();
    QCoreApplication::processEvents();
    auto* pages = window().findChild<PagesScrollArea*>();
    QVERIFY(pages->verticalScrollBar()->isVisible());
    QVERIFY(!pages->horizontalScrollBar()->isVisible());
    QCOMPARE(pages->widget()->width(), pages->viewport()->width());
  }

  void theAboutItemNamesTheAboutWindow() {
    AboutDialog about;
    QCOMPARE(window().aboutAction()->text(), QStringLiteral("关于") + about.windowTitle());
  }
};

}  // namespace dtu::test

QTEST_MAIN(dtu::test::MainWindowKeepingTest)
#include "main_window_keeping_test.moc"
