#include <QComboBox>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <filesystem>

#include "core/text/gbk_codec.h"
#include "gui/pages/gprs_page.h"
#include "gui/pages/serial_page.h"
#include "gui/pages/sms_page.h"
#include "gui/platform/qt_user_messages.h"
#include "gui/window/editor_tab_set.h"
#include "gui/window/session_adapter.h"
#include "gui/window/signal_gauge.h"
#include "gui/window/status_display.h"
#include "gui/window/summary_pane_view.h"
#include "support/device_test_support.h"
#include "support/main_window_fixture.h"

namespace dtu::test {

namespace fs = std::filesystem;

// A safety net for a reply that never comes, not a speed limit.
constexpr std::chrono::milliseconds kWait(20000);

// The main window talking to dtusim: reading, writing, the gauge, the unit's faults, and closing
// while a reply is still coming in.
class MainWindowDeviceTest : public QObject {
  Q_OBJECT

 private:
  MainWindowFixture f_;
  std::unique_ptr<QTemporaryDir> dir_;
  std::unique_ptr<DtusimProcess> sim_;

  MainConfigDialog& window() { return *f_.window; }
  fs::path StatePath() const { return fs::path(dir_->path().toStdString()) / "unit.state"; }
  QString Text(int id) { return qobject_cast<QLineEdit*>(window().control(id))->text(); }
  QPushButton* Button(int id) { return qobject_cast<QPushButton*>(window().control(id)); }
  QTableWidget* Addresses() {
    return qobject_cast<QTableWidget*>(window().control(main_id::kAddressList));
  }
  GprsPage& gprs() { return window().tabs().gprsPage(); }

  bool Shown(std::string_view text) {
    const auto texts = f_.messages.texts();
    return std::find(texts.begin(), texts.end(), text) != texts.end();
  }

  // Starts the unit with a state file of its own and opens its port in the window.
  // Starts a unit and opens its port: the pseudo-terminal, or `open_path` (a link the unit makes).
  void Connect(std::vector<std::string> args = {}, const std::string& open_path = {}) {
    args.insert(args.end(), {"--state", StatePath().string()});
    sim_ = StartSimulator(args);
    OpenPortOf(window(), open_path.empty() ? sim_->port_path() : open_path);
    QVERIFY2(window().isPortOpen(),
             f_.messages.texts().empty() ? "" : f_.messages.texts()[0].c_str());
    QCOMPARE(Button(main_id::kOpenButton)->text(), QStringLiteral("关闭串口(&P)"));
    QVERIFY(WaitFor([&] { return fs::exists(StatePath()); }, kWait));
  }

  std::vector<std::uint8_t> Bytes(const ParameterBlock& block) {
    return {block.bytes().begin(), block.bytes().end()};
  }

  // Asks for the signal strength and waits for the answer: the unit answers commands in the
  // order they came, so everything sent before has been dealt with once it arrives.
  void RoundTrip() {
    window().status().SetStatusText(main_id::kSignalText, "");
    QTest::mouseClick(window().control(main_id::kSignalGauge), Qt::LeftButton);
    QVERIFY(WaitFor([&] { return !Text(main_id::kSignalText).isEmpty(); }, kWait));
  }

 private slots:
  void init() {
    dir_ = std::make_unique<QTemporaryDir>();
    QVERIFY(dir_->isValid());
    f_.messages = ScriptedMessages();
    f_.files = ScriptedFileChooser();
    f_.Create();
  }
  void cleanup() {
    f_.Destroy();
    sim_.reset();
    dir_.reset();
  }

  void readFillsEverything() {
    Connect();
    window().summary().AppendSummaryLine("earlier");
    Button(main_id::kReadButton)->click();
    QVERIFY(WaitFor([&] { return window().summary().toPlainText().size() > 100; }, kWait));
    QVERIFY(!window().summary().toPlainText().contains(QStringLiteral("earlier")));
    QVERIFY(f_.messages.records.empty());

    QCOMPARE(Text(main_id::kVersion), QStringLiteral("V3.6.2"));
    QCOMPARE(Text(main_id::kModuleSerial), QStringLiteral("356938035643809"));
    QCOMPARE(Text(main_id::kBoardSerial), QStringLiteral("DTU2012A0817"));
    QCOMPARE(Text(main_id::kSignalText), QStringLiteral("23"));
    QCOMPARE(window().status().signal(), 23);
    QCOMPARE(window().tabs().smsPage().text(sms_id::kSimSmsCentre),
             QStringLiteral("+8613800100500"));
    const QStringList addresses{"10.20.30.40", "211.136.17.107", "211.136.20.203",
                                "0.0.0.0",     "0.0.0.0",        "0.0.0.0",
                                "0.0.0.0",     "211.136.17.107", "211.136.20.203"};
    for (int row = 0; row < 9; ++row)
      QCOMPARE(Addresses()->item(row, 1)->text(), addresses.at(row));

    // The unit's block is the working block and on the pages.
    const ParameterBlock unit = ReadBlockFile(StatePath());
    QCOMPARE(Bytes(window().workingBlock()), Bytes(unit));
    QCOMPARE(gprs().text(gprs_id::kApn), QString::fromStdString(GbkToUtf8(unit.apn())));
    QCOMPARE(window().tabs().CheckedMode(), std::optional<std::uint8_t>(unit.work_mode()));

    // Closing the port keeps what was shown.
    Button(main_id::kOpenButton)->click();
    QVERIFY(!window().isPortOpen());
    QCOMPARE(Button(main_id::kOpenButton)->text(), QStringLiteral("打开串口(&P)"));
    QCOMPARE(Text(main_id::kVersion), QStringLiteral("V3.6.2"));
  }

  void theGaugeAsksForTheSignal() {
    Connect({"--rssi", "9"});
    QTest::mouseClick(window().control(main_id::kSignalGauge), Qt::LeftButton);
    WaitFor([&] { return Text(main_id::kSignalText) == QStringLiteral("9"); }, kWait);
    QCOMPARE(Text(main_id::kSignalText), QStringLiteral("9"));
    QCOMPARE(window().status().signal(), 9);
    QVERIFY(window().summary().toPlainText().isEmpty());  // no block was asked for
  }

  // Read first: the pages come from the connected unit, so the question asks nothing more.
  void aConfirmedWriteReachesTheUnit() {
    Connect();
    Button(main_id::kReadButton)->click();
    QVERIFY(WaitFor([&] { return !window().operation().busy(); }, kWait));
    gprs().setText(gprs_id::kApn, QStringLiteral("written.apn"));
    window().tabs().serialPage().setText(serial_id::kFrameDelay, QStringLiteral("300"));
    f_.messages.answers.push_back(Answer::Yes);
    Button(main_id::kWriteButton)->click();  // the unit is asked who it is first
    QVERIFY(WaitFor([&] { return !f_.messages.records.empty(); }, kWait));
    QVERIFY(f_.messages.records[0].question);  // the unit's answer may already follow it
    QCOMPARE(f_.messages.records[0].text, std::string("确定设置参数吗?"));
    QCOMPARE(f_.messages.records[0].caption, std::string());  // the application's title
    QVERIFY(WaitFor([&] { return Shown("参数设置成功!"); }, kWait));
    QCOMPARE(f_.messages.records.back().caption, std::string("设置参数"));

    // What was sent is the sealed working block, now the unit's state.
    WaitFor([&] { return Bytes(ReadBlockFile(StatePath())) == Bytes(window().workingBlock()); },
            kWait);
    QCOMPARE(Bytes(ReadBlockFile(StatePath())), Bytes(window().workingBlock()));
    const ParameterBlock unit = ReadBlockFile(StatePath());
    QVERIFY(VerifyBlock(unit));
    QCOMPARE(unit.length(), std::uint16_t{660});
    QCOMPARE(unit.apn(), std::string("written.apn"));
    QCOMPARE(unit.frame_delay(), std::uint16_t{300});
  }

  void answeringNoSendsNothing() {
    Connect();
    const std::vector<std::uint8_t> before = Bytes(ReadBlockFile(StatePath()));
    gprs().setText(gprs_id::kApn, QStringLiteral("never.sent"));
    Button(main_id::kWriteButton)
        ->click();  // no answer scripted: the question's default, No, is taken
    QCOMPARE(f_.messages.records.size(), std::size_t{1});
    QVERIFY(f_.messages.records[0].question);
    QVERIFY(QString::fromStdString(f_.messages.records[0].text)
                .startsWith(QStringLiteral("确定设置参数吗?\n\n注意：本次启动后还没有")));
    RoundTrip();
    QCOMPARE(f_.messages.records.size(), std::size_t{1});
    QCOMPARE(Bytes(ReadBlockFile(StatePath())), before);
  }

  void aRefusedCollectionAsksNothing() {
    Connect();
    const std::vector<std::uint8_t> before = Bytes(ReadBlockFile(StatePath()));
    window().tabs().serialPage().setText(serial_id::kFrameDelay, QStringLiteral("19"));
    f_.messages.answers.push_back(Answer::Yes);
    Button(main_id::kWriteButton)->click();
    QCOMPARE(f_.messages.texts(), (std::vector<std::string>{"触发模式延时最小20ms!"}));
    RoundTrip();
    QCOMPARE(f_.messages.records.size(), std::size_t{1});
    QCOMPARE(Bytes(ReadBlockFile(StatePath())), before);
  }

  void aBlockWithAWrongChecksumChangesNothing() {
    Connect({"--fault", "bad-checksum"});
    gprs().setText(gprs_id::kApn, QStringLiteral("typed.apn"));
    const std::vector<std::uint8_t> before = Bytes(window().workingBlock());
    Button(main_id::kReadButton)->click();
    QVERIFY(WaitFor([&] { return !f_.messages.records.empty(); }, kWait));
    QCOMPARE(f_.messages.records.size(), std::size_t{1});
    QVERIFY(QString::fromStdString(f_.messages.records[0].text)
                .startsWith(QStringLiteral("参数设置有误，请重新设置\n")));
    QCOMPARE(gprs().text(gprs_id::kApn), QStringLiteral("typed.apn"));
    QCOMPARE(Bytes(window().workingBlock()), before);
    QVERIFY(window().summary().toPlainText().isEmpty());
    QCOMPARE(Text(main_id::kVersion), QStringLiteral("V3.6.2"));  // the labelled values still count
  }

  void aRejectedFrameIsReported() {
    Connect({"--fault", "reject"});
    const std::vector<std::uint8_t> before = Bytes(ReadBlockFile(StatePath()));
    f_.messages.answers.push_back(Answer::Yes);
    Button(main_id::kWriteButton)->click();
    // The box goes on to say what the refusal means.
    QVERIFY(WaitFor(
        [&] {
          return !f_.messages.records.empty() &&
                 QString::fromStdString(f_.messages.records.back().text)
                     .startsWith(QStringLiteral("参数校验失败!\n"));
        },
        kWait));
    QCOMPARE(f_.messages.records.back().caption, std::string("设置参数"));
    QVERIFY(!Shown("参数设置成功!"));
    QCOMPARE(Bytes(ReadBlockFile(StatePath())), before);
  }

  void otherLineSettingsOpenToo() {
    sim_ = StartSimulator({"--state", StatePath().string()});
    qobject_cast<QComboBox*>(window().control(main_id::kBaudList))
        ->setCurrentText(QStringLiteral("115200"));
    qobject_cast<QComboBox*>(window().control(main_id::kParityList))
        ->setCurrentText(QStringLiteral("EVEN"));
    qobject_cast<QComboBox*>(window().control(main_id::kDataBitsList))
        ->setCurrentText(QStringLiteral("7"));
    qobject_cast<QComboBox*>(window().control(main_id::kStopBitsList))
        ->setCurrentText(QStringLiteral("2"));
    OpenPortOf(window(), sim_->port_path());
    QVERIFY(window().isPortOpen());
    QVERIFY(f_.messages.records.empty());
  }

  void aPortNamedOnTheCommandLineIsSelected() {
    sim_ = StartSimulator({"--state", StatePath().string()});
    f_.Destroy();
    f_.Create({sim_->port_path()});
    Button(main_id::kOpenButton)->click();
    QVERIFY(window().isPortOpen());
    RoundTrip();
    QCOMPARE(Text(main_id::kSignalText), QStringLiteral("23"));
  }

  void closingThePortDuringAReply() {
    Connect({"--baud", "9600"});  // about two seconds for a whole reply
    Button(main_id::kReadButton)->click();
    QVERIFY(WaitFor([&] { return !Addresses()->item(0, 1)->text().isEmpty(); }, kWait));
    {
      Watchdog watchdog(std::chrono::seconds(20), "closing the port during a reply");
      Button(main_id::kOpenButton)->click();
    }
    QVERIFY(!window().isPortOpen());
    QCOMPARE(Button(main_id::kOpenButton)->text(), QStringLiteral("打开串口(&P)"));
    // Nothing more arrives: the block never completes.
    WaitFor([] { return false; }, std::chrono::milliseconds(300));
    QVERIFY(window().summary().toPlainText().isEmpty());
    QVERIFY(f_.messages.records.empty());

    // The port opens again and works.
    OpenPortOf(window(), sim_->port_path());
    QVERIFY(window().isPortOpen());
    RoundTrip();
  }

  void closingTheWindowDuringAReply() {
    Connect({"--baud", "9600"});
    window().show();
    Button(main_id::kReadButton)->click();
    QVERIFY(WaitFor([&] { return !Addresses()->item(0, 1)->text().isEmpty(); }, kWait));
    Watchdog watchdog(std::chrono::seconds(20), "closing the window during a reply");
    QVERIFY(window().close());
    QVERIFY(!window().isPortOpen());
  }

  void destroyingTheWindowDuringAReply() {
    Connect({"--baud", "9600"});
    Button(main_id::kReadButton)->click();
    QVERIFY(WaitFor([&] { return !Addresses()->item(0, 1)->text().isEmpty(); }, kWait));
    {
      Watchdog watchdog(std::chrono::seconds(20), "destroying the window during a reply");
      f_.Destroy();
    }
    WaitFor([] { return false; }, std::chrono::milliseconds(100));  // posted calls find nothing
  }

  void aVanishingPortIsClosed() {
    // Through a link of the unit's own, which goes with it: the pseudo-terminal's number may be
    // taken at once by another test's unit, and opening it again must find nothing.
    const std::string path = (StatePath().parent_path() / "ttyVANISH").string();
    Connect({"--fault", "vanish", "--link", path}, path);
    Button(main_id::kReadButton)->click();
    QVERIFY(WaitFor([&] { return !window().isPortOpen(); }, kWait));
    QCOMPARE(Button(main_id::kOpenButton)->text(), QStringLiteral("打开串口(&P)"));
    // One message, the window's, naming the port: the engine's own report is not shown.
    WaitFor([] { return false; }, std::chrono::milliseconds(400));
    QCOMPARE(f_.messages.records.size(), std::size_t{1});
    QCOMPARE(f_.messages.records[0].text,
             "串口 " + path + " 已断开，请检查串口线和设备后重新打开串口。");
    QCOMPARE(sim_->WaitForExit(std::chrono::seconds(10)), 3);
    // Opening it again names the reason it is not there.
    Button(main_id::kOpenButton)->click();
    QVERIFY(!window().isPortOpen());
    QVERIFY(QString::fromStdString(f_.messages.records.back().text)
                .startsWith(QStringLiteral("无法打开串口 ")));
  }

  // With real message boxes: each runs its own event loop while the unit's reply waits, and the
  // link goes on once it is closed.
  void realMessageBoxesWhileRepliesArrive() {
    f_.Destroy();
    QtUserMessages boxes;
    MainWindowEnvironment environment;
    environment.settings_file = f_.settings_file();
    MainConfigDialog window(boxes, f_.files, std::move(environment));
    boxes.setOwner(&window);
    window.show();
    QStringList seen;
    QTimer answerer;
    connect(&answerer, &QTimer::timeout, [&seen] {
      auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
      if (box == nullptr || !box->isVisible()) return;
      seen << box->text();
      QAbstractButton* button = box->button(QMessageBox::Yes);
      if (button == nullptr) button = box->button(QMessageBox::Ok);
      if (button != nullptr) button->click();
    });
    answerer.start(20);

    sim_ = StartSimulator({"--state", StatePath().string()});
    OpenPortOf(window, sim_->port_path());
    QVERIFY(window.isPortOpen());
    qobject_cast<QPushButton*>(window.control(main_id::kWriteButton))->click();  // asks, then sends
    QVERIFY(WaitFor([&] { return seen.size() >= 2; }, kWait));
    QCOMPARE(seen.size(), 2);
    QVERIFY(seen[0].startsWith(QStringLiteral("确定设置参数吗?")));  // and that nothing was read
    QCOMPARE(seen[1], QStringLiteral("参数设置成功!"));

    qobject_cast<QPushButton*>(window.control(main_id::kReadButton))->click();
    QVERIFY(WaitFor([&] { return window.summary().toPlainText().size() > 100; }, kWait));
    QCOMPARE(qobject_cast<QLineEdit*>(window.control(main_id::kVersion))->text(),
             QStringLiteral("V3.6.2"));
    QCOMPARE(seen.size(), 2);
  }
};

}  // namespace dtu::test

QTEST_MAIN(dtu::test::MainWindowDeviceTest)
#include "main_window_device_test.moc"
