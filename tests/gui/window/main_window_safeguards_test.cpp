#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>

#include "core/block/block_check.h"
#include "core/block/block_layout.h"
#include "gui/pages/gprs_page.h"
#include "gui/pages/serial_page.h"
#include "gui/pages/sms_page.h"
#include "gui/window/about_dialog.h"
#include "gui/window/editor_tab_set.h"
#include "gui/window/pages_scroll_area.h"
#include "gui/window/session_adapter.h"
#include "gui/window/summary_pane_view.h"
#include "gui/window/traffic_log_view.h"
#include "support/device_test_support.h"
#include "support/gui_test_support.h"
#include "support/main_window_fixture.h"
#include "support/sample_blocks.h"

namespace dtu::test {

namespace fs = std::filesystem;

constexpr std::chrono::milliseconds kWait(20000);  // a safety net, not a speed limit

// The window never fails in silence and never writes what the user did not mean: a unit that
// stops answering, misleading messages, addresses and hex entries, the pages' source, cancelled
// opens, values the lists lack, protocol changes, the mode radios and a port opened again;
// unsaved edits before a read or an open, the unit on the line before a write, the ports it
// marks, the messages of a time-out, a refused frame, a port lost mid-write, a long file and an
// unknown signal, and the pages' width beside the traffic log.
class MainWindowSafeguardsTest : public QObject {
  Q_OBJECT

 private:
  MainWindowFixture f_;
  std::unique_ptr<QTemporaryDir> dir_;
  std::unique_ptr<DtusimProcess> sim_;

  MainConfigDialog& window() { return *f_.window; }
  GprsPage& gprs() { return window().tabs().gprsPage(); }
  SerialPage& serial() { return window().tabs().serialPage(); }
  QPushButton* Button(int id) { return qobject_cast<QPushButton*>(window().control(id)); }
  QProgressBar* Progress() {
    return qobject_cast<QProgressBar*>(window().control(main_id::kExchangeProgress));
  }
  fs::path Path(const std::string& name) const {
    return fs::path(dir_->path().toStdString()) / name;
  }
  std::vector<std::uint8_t> WorkingBytes() {
    return {window().workingBlock().bytes().begin(), window().workingBlock().bytes().end()};
  }
  QString LastText() { return QString::fromStdString(f_.messages.records.back().text); }
  QString LogText() {
    window().trafficLog().Flush();
    return window().trafficLog().text()->toPlainText();
  }

  QString Status() {
    return qobject_cast<QLabel*>(window().control(main_id::kOperationStatus))->text();
  }
  // Until the command under way has ended, the unit asked who it is before a write included.
  void Settle() {
    QVERIFY(WaitFor([&] { return !window().isBusy(); }, kWait));
  }
  void Read() {
    Button(main_id::kReadButton)->click();
    Settle();
  }
  void Connect(std::vector<std::string> args) {
    args.insert(args.end(), {"--state", Path("unit.state").string()});
    sim_ = StartSimulator(args);
    OpenPortOf(window(), sim_->port_path());
    QVERIFY(window().isPortOpen());
  }

  // Opens a parameter file holding `block`, sealed, as the file menu does.
  void OpenBlock(ParameterBlock block, const std::string& name = "in.bpp") {
    SealBlock(block);
    std::ofstream(Path(name), std::ios::binary)
        .write(reinterpret_cast<const char*>(block.bytes().data()), kBlockSize);
    f_.files.open_answers.push_back(Path(name));
    window().action(main_id::kOpenFileCommand)->trigger();
  }
  // Saves through the file menu; the block written, or nothing when the save was refused.
  std::optional<ParameterBlock> Save() {
    const fs::path path = Path("out.bpp");
    fs::remove(path);
    f_.files.save_answers.push_back(path);
    window().action(main_id::kSaveFileCommand)->trigger();
    if (!fs::exists(path)) return std::nullopt;
    return ReadBlockFile(path);
  }

  // A window that writes without reading the unit first for the history, for the faults of the
  // write's own answer (a unit that cannot be read is not written: main_window_history_test).
  void WithoutHistory() {
    f_.keep_history = false;
    init();
    f_.keep_history = true;
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

  // 1. A read or write that stops short ends after the time limit with a message saying what
  // was sent and what came back; meanwhile the window shows it is busy and takes no second
  // command.
  void anAnswerThatStopsShortTimesOut_data() {
    QTest::addColumn<QString>("fault");
    QTest::addColumn<bool>("write");
    QTest::addColumn<QString>("said");
    QTest::addColumn<int>("digits");
    QTest::newRow("silent read") << "silent" << false << "设备在 1 秒内没有回应" << 0;
    QTest::newRow("short block") << "short-block" << false << "参数块 1000/1320 位" << 1000;
    QTest::newRow("silent write") << "silent" << true << "没有收到任何数据" << 1333;
    QTest::newRow("complete read") << "" << false << "" << 1320;
  }
  void anAnswerThatStopsShortTimesOut() {
    QFETCH(QString, fault);
    QFETCH(bool, write);
    QFETCH(QString, said);
    QFETCH(int, digits);
    if (write) WithoutHistory();
    Connect(fault.isEmpty() ? std::vector<std::string>{}
                            : std::vector<std::string>{"--fault", fault.toStdString()});
    f_.messages.answers.push_back(Answer::Yes);
    Button(write ? main_id::kWriteButton : main_id::kReadButton)->click();
    QVERIFY(window().operation().busy());
    QVERIFY(!Button(main_id::kReadButton)->isEnabled());
    QVERIFY(!Button(main_id::kWriteButton)->isEnabled());
    QVERIFY(Progress()->isVisible() || !Progress()->isHidden());
    QCOMPARE(QApplication::overrideCursor()->shape(), Qt::BusyCursor);
    const std::size_t asked = f_.messages.records.size();
    window().ReadParameters();  // never interleaved with the one under way
    QCOMPARE(f_.messages.records.size(), asked);

    QVERIFY(WaitFor([&] { return !window().operation().busy(); }, kWait));
    QCOMPARE(Progress()->value(), digits);
    QVERIFY(Progress()->isHidden() && Button(main_id::kReadButton)->isEnabled());
    QCOMPARE(QApplication::overrideCursor(), nullptr);
    if (said.isEmpty()) {
      QCOMPARE(f_.messages.records.size(), asked);
      return;
    }
    QCOMPARE(f_.messages.records.size(), asked + 1);
    QVERIFY2(LastText().contains(said), qPrintable(LastText()));
    QVERIFY(LastText().contains(write ? "已发送：$$$AT+SETPARA 与参数块（共 1333 字节"
                                      : "已发送：$$$AT+GETPARA?（共 14 字节"));
    QVERIFY(LastText().contains(QStringLiteral("请检查：设备电源")));
  }

  // 2. Failures say what failed, each once, with an icon that fits.
  void failuresSayWhatFailed_data() {
    QTest::addColumn<QString>("fault");
    QTest::addColumn<bool>("write");
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("said");
    QTest::newRow("rejected frame")
        << "reject" << true << int(MessageKind::Error) << "参数校验失败!";
    QTest::newRow("damaged block") << "bad-checksum" << false << int(MessageKind::Warning)
                                   << "参数设置有误，请重新设置\n设备发来的参数块在传输中损坏";
    QTest::newRow("vanished port") << "vanish" << false << int(MessageKind::Warning) << "串口 ";
  }
  void failuresSayWhatFailed() {
    QFETCH(QString, fault);
    QFETCH(bool, write);
    QFETCH(int, kind);
    QFETCH(QString, said);
    Connect({"--fault", fault.toStdString()});
    f_.messages.answers.push_back(Answer::Yes);
    Button(write ? main_id::kWriteButton : main_id::kReadButton)->click();
    QVERIFY(WaitFor([&] { return !window().operation().busy(); }, kWait));
    WaitFor([] { return false; }, std::chrono::milliseconds(300));  // a second box would come now
    QCOMPARE(f_.messages.records.size(), std::size_t{write ? 2u : 1u});
    QVERIFY2(LastText().startsWith(said), qPrintable(LastText()));
    QCOMPARE(int(f_.messages.records.back().kind), kind);
    if (fault == "vanish") QVERIFY(LastText().contains(QString::fromStdString(sim_->port_path())));
  }

  // 3 and 8. An address that is not four numbers from 0 to 255, an IP count outside 1 to 6 and a
  // hex dump that is not whole bytes are refused, naming the field with the focus on it; nothing
  // is saved and the working block stays as it was.
  void entriesThatMeanSomethingElseAreRefused_data() {
    QTest::addColumn<int>("page");  // 0 network, 2 serial
    QTest::addColumn<int>("field");
    QTest::addColumn<int>("hex_box");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("said");
    QTest::newRow("300.1.1.1") << 0 << gprs_id::kCentreIp[0] << 0 << "300.1.1.1"
                               << "主中心IP“300.1.1.1”";
    QTest::newRow("1.2.3") << 0 << gprs_id::kDnsPrimary << 0 << "1.2.3"
                           << "首选 DNS 服务器“1.2.3”";
    QTest::newRow("abc.1.1.999") << 0 << gprs_id::kCentreIp[5] << 0 << "abc.1.1.999"
                                 << "心跳IP“";
    QTest::newRow("ip count 0") << 0 << gprs_id::kIpCount << 0 << "0"
                                << "IP数目请输入1到6之间的数";
    QTest::newRow("ip count 7") << 0 << gprs_id::kIpCount << 0 << "7"
                                << "IP数目请输入1到6之间的数";
    QTest::newRow("odd digits") << 0 << gprs_id::kRegisterData << gprs_id::kRegisterHex << "41 42 4"
                                << "自定义注册包数据（16进制）：16进制数字的个数是奇数";
    QTest::newRow("not hex") << 2 << serial_id::kFrameHead << serial_id::kFrameHeadHex << "zz"
                             << "包头（16进制）：只能填写16进制数字";
  }
  void entriesThatMeanSomethingElseAreRefused() {
    QFETCH(int, page);
    QFETCH(int, field);
    QFETCH(int, hex_box);
    QFETCH(QString, text);
    QFETCH(QString, said);
    window().show();
    QVERIFY(QTest::qWaitForWindowActive(&window()));
    EditorPage& on = page == 0 ? static_cast<EditorPage&>(gprs()) : serial();
    if (hex_box != 0) on.setChecked(hex_box, true);
    on.setText(field, text);
    if (field != gprs_id::kIpCount && hex_box == 0) QVERIFY(on.showsMistake(field));
    const std::vector<std::uint8_t> before = WorkingBytes();
    QVERIFY(!Save());
    QCOMPARE(f_.messages.records.size(), std::size_t{1});
    QVERIFY2(LastText().startsWith(said), qPrintable(LastText()));
    QCOMPARE(f_.files.save_dialogs, 0);
    QCOMPARE(WorkingBytes(), before);
    QCOMPARE(QApplication::focusWidget(), on.control(field));
  }

  void aHexFieldTakesHexDigitsAndBlanksOnly() {
    serial().box(serial_id::kPollCommandHex)->click();  // "Read" becomes its dump
    serial().setText(serial_id::kPollCommand, QString());
    Type(serial().edit(serial_id::kPollCommand), QStringLiteral("zz 4g 12"));
    QCOMPARE(serial().text(serial_id::kPollCommand), QStringLiteral(" 4 12"));
    serial().box(serial_id::kPollCommandHex)->click();  // an odd dump stays a dump
    QVERIFY(serial().isChecked(serial_id::kPollCommandHex));
    QCOMPARE(serial().text(serial_id::kPollCommand), QStringLiteral(" 4 12"));
    QCOMPARE(f_.messages.records.size(), std::size_t{1});
    QVERIFY(!gprs().showsMistake(gprs_id::kCentreIp[0]));
  }

  // 4. The title names where the pages came from; a write to a unit that is not that source, or
  // with nothing read since start-up, says so in the question.
  void theWriteQuestionNamesTheSource_data() {
    QTest::addColumn<bool>("read_first");
    QTest::addColumn<QString>("second_board");  // another unit after the read, empty for none
    QTest::addColumn<QString>("said");
    QTest::newRow("nothing read") << false << ""
                                  << "注意：本次启动后还没有从任何设备读取过参数。";
    QTest::newRow("same unit") << true << ""
                               << "";
    QTest::newRow("other unit") << true << "B-0002"
                                << "注意：所连设备是设备（主板序列号 B-0002";
  }
  void theWriteQuestionNamesTheSource() {
    QFETCH(bool, read_first);
    QFETCH(QString, second_board);
    QFETCH(QString, said);
    QVERIFY(window().windowTitle().endsWith(QStringLiteral("— 默认参数")));
    Connect({"--board-serial", "A-0001"});
    if (read_first) {
      Button(main_id::kReadButton)->click();
      QVERIFY(WaitFor([&] { return !window().operation().busy(); }, kWait));
      QVERIFY2(window().windowTitle().endsWith(QStringLiteral("— 设备 A-0001")),
               qPrintable(window().windowTitle()));
    }
    if (!second_board.isEmpty()) {  // its block fails: the pages still hold the first unit's
      Button(main_id::kOpenButton)->click();
      Connect({"--board-serial", second_board.toStdString(), "--fault", "bad-checksum"});
      Button(main_id::kReadButton)->click();
      QVERIFY(WaitFor([&] { return !window().operation().busy(); }, kWait));
    }
    f_.messages.clear();
    Button(main_id::kWriteButton)->click();  // answered No, once the unit has said who it is
    QVERIFY(WaitFor([&] { return !f_.messages.records.empty(); }, kWait));
    QVERIFY(f_.messages.records.front().question);
    const QString question = QString::fromStdString(f_.messages.records.front().text);
    QVERIFY(question.startsWith(QStringLiteral("确定设置参数吗?")));
    if (said.isEmpty()) QCOMPARE(question, QStringLiteral("确定设置参数吗?"));
    QVERIFY2(question.contains(said), qPrintable(question));
  }

  // 6. A value the lists or radios cannot show is kept, shown as the unit's own.
  void valuesTheListsLackAreKept_data() {
    QTest::addColumn<QString>("row");
    QTest::addColumn<int>("value");
    QTest::addColumn<int>("list");  // the list's ID on its page, 0 for the mode radios
    QTest::newRow("baud 14400") << "baud_rate" << 14400 << serial_id::kBaudRate;
    QTest::newRow("6 data bits") << "data_bits" << 6 << serial_id::kDataBits;
    QTest::newRow("parity 3") << "parity" << 3 << serial_id::kParity;
    QTest::newRow("protocol 15") << "protocol" << 15 << gprs_id::kProtocol;
    QTest::newRow("sms coding 3") << "sms_coding" << 3 << sms_id::kCoding;
    QTest::newRow("work mode 3") << "work_mode" << 3 << 0;
  }
  void valuesTheListsLackAreKept() {
    QFETCH(QString, row);
    QFETCH(int, value);
    QFETCH(int, list);
    const auto found = std::ranges::find_if(
        kBlockLayout, [&](const FieldRow& r) { return r.name == row.toStdString(); });
    QVERIFY(found != kBlockLayout.end());
    const FieldRow* field = &*found;
    ParameterBlock block = BaseBlock();
    block.Set(*field, static_cast<std::uint32_t>(value));
    OpenBlock(block);
    QVERIFY(f_.messages.records.empty());
    const QString shown = QString::number(value) + QStringLiteral("（设备当前值）");
    if (list == 0) {
      QVERIFY(window().tabs().modeRadio(main_id::kUnitModeRadio)->isChecked());
      QVERIFY(window().tabs().modeRadio(main_id::kUnitModeRadio)->text().endsWith(shown));
    } else {
      QWidget* control = nullptr;
      for (EditorPage* page :
           {static_cast<EditorPage*>(&gprs()), static_cast<EditorPage*>(&serial()),
            static_cast<EditorPage*>(&window().tabs().smsPage())})
        if (page->list(list) != nullptr && control == nullptr) control = page->list(list);
      QCOMPARE(qobject_cast<QComboBox*>(control)->currentText(), shown);
    }
    const auto saved = Save();
    QVERIFY(saved.has_value());
    QCOMPARE(saved->Get(*field), static_cast<std::uint32_t>(value));
  }

  // 7. Moving between protocol 9 and another converts the device number between its forms; the
  // centre number always shows the block's own value.
  void aProtocolChangeConvertsTheDeviceNumber_data() {
    QTest::addColumn<int>("from");
    QTest::addColumn<uint>("stored");  // the device identifier, or device and centre numbers
    QTest::addColumn<int>("to");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<uint>("written");  // device_number after the save (protocol != 9)
    QTest::newRow("9 to 1, fits") << 9 << 0x00001A2Bu << 1 << "6699" << 6699u;
    QTest::newRow("9 to 1, too big") << 9 << 0x1A2B3C4Du << 1 << "" << 0u;
    QTest::newRow("1 to 9") << 1 << 0x12340042u << 9 << "1234" << 0u;
  }
  void aProtocolChangeConvertsTheDeviceNumber() {
    QFETCH(int, from);
    QFETCH(uint, stored);
    QFETCH(int, to);
    QFETCH(QString, shown);
    QFETCH(uint, written);
    ParameterBlock block = BaseBlock();
    block.set_protocol(static_cast<std::uint8_t>(from));
    block.set_device_id(stored);
    OpenBlock(block);
    QCOMPARE(gprs().text(gprs_id::kCentreNumber), QString::number(stored & 0xFFFF));
    gprs().list(gprs_id::kProtocol)->setCurrentIndex(to);
    QCOMPARE(gprs().text(gprs_id::kDeviceNumber), shown);
    QCOMPARE(f_.messages.records.size(), std::size_t{shown.isEmpty() ? 1u : 0u});
    if (to == 9 || shown.isEmpty()) return;
    const auto saved = Save();
    QVERIFY(saved.has_value());
    QCOMPARE(saved->device_number(), written);
    QCOMPARE(saved->centre_number(), stored & 0xFFFF);
  }

  // 9. Clicking the checked mode radio keeps it checked.
  void exactlyOneModeStaysChecked_data() {
    QTest::addColumn<int>("radio");
    QTest::newRow("GPRS") << main_id::kGprsModeRadio;
    QTest::newRow("短信") << main_id::kSmsModeRadio;
  }
  void exactlyOneModeStaysChecked() {
    QFETCH(int, radio);
    QRadioButton* button = window().tabs().modeRadio(radio);
    button->click();
    button->click();
    QVERIFY(button->isChecked());
    const auto saved = Save();
    QVERIFY(saved.has_value());
    QCOMPARE(saved->work_mode(), std::uint8_t(radio == main_id::kGprsModeRadio ? 0 : 1));
  }

  // 11. An answer that arrives after its read timed out is shown in the traffic log and never
  // loaded: the user's edits since stay, and so do the title and the status bar.
  void aLateAnswerIsNeverLoadedOverTheEdits() {
    qobject_cast<QComboBox*>(window().control(main_id::kBaudList))
        ->setCurrentText(QStringLiteral("921600"));  // the line's own time is next to nothing
    Connect({"--fault", "pause"});
    Button(main_id::kReadButton)->click();
    QVERIFY(WaitFor([&] { return !window().operation().busy(); }, kWait));
    QCOMPARE(f_.messages.records.size(), std::size_t{1});
    QVERIFY2(LastText().startsWith(QStringLiteral("读取参数超时：设备的回复不完整")),
             qPrintable(LastText()));
    Type(gprs().edit(gprs_id::kApn), QStringLiteral(".typed"));
    const QString typed = gprs().text(gprs_id::kApn);
    const std::vector<std::uint8_t> before = WorkingBytes();
    const QString title = window().windowTitle();
    const QString status =
        qobject_cast<QLabel*>(window().control(main_id::kOperationStatus))->text();

    QVERIFY(WaitFor([&] { return LogText().contains(QStringLiteral("不予处理")); }, kWait));
    WaitFor([] { return false; }, std::chrono::milliseconds(300));  // the whole rest is in
    QCOMPARE(gprs().text(gprs_id::kApn), typed);
    QCOMPARE(WorkingBytes(), before);
    QCOMPARE(window().windowTitle(), title);
    QVERIFY(title.endsWith(QStringLiteral("默认参数 *")));
    QCOMPARE(qobject_cast<QLabel*>(window().control(main_id::kOperationStatus))->text(), status);
    QVERIFY(window().summary().toPlainText().isEmpty());
    QCOMPARE(f_.messages.records.size(), std::size_t{1});
  }

  // 12. An answer that never ends (a unit sending noise) ends by the overall limit, by "取消" or by
  // Esc; the message says how much came and what it looked like.
  void anAnswerThatNeverEndsCanBeEnded_data() {
    QTest::addColumn<QString>("how");
    QTest::addColumn<QString>("said");
    QTest::newRow("overall limit") << "wait"
                                   << "读取参数超时：设备一直在发送数据，但 ";
    QTest::newRow("取消") << "button"
                          << "读取参数已取消。";
    QTest::newRow("Esc") << "key"
                         << "读取参数已取消。";
  }
  void anAnswerThatNeverEndsCanBeEnded() {
    QFETCH(QString, how);
    QFETCH(QString, said);
    Connect({"--fault", "babble", "--baud", "9600"});
    window().show();
    QVERIFY(QTest::qWaitForWindowActive(&window()));
    QPushButton* cancel = Button(main_id::kCancelButton);
    QVERIFY(cancel->isHidden());
    Button(main_id::kReadButton)->click();
    QVERIFY(!cancel->isHidden());
    QVERIFY(
        WaitFor([&] { return window().operation().exchange()->received_count() > 100; }, kWait));
    if (how == "button") cancel->click();
    if (how == "key") QTest::keyClick(&window(), Qt::Key_Escape);
    if (how != "wait") QVERIFY(!window().operation().busy());
    QVERIFY(WaitFor([&] { return !window().operation().busy(); }, kWait));
    QVERIFY(cancel->isHidden());
    QVERIFY(Button(main_id::kReadButton)->isEnabled());
    QCOMPARE(f_.messages.records.size(), std::size_t{1});
    QVERIFY2(LastText().startsWith(said), qPrintable(LastText()));
    QVERIFY(LastText().contains(QStringLiteral("其中参数块 0/1320 位。开头：")));
  }

  // 10. A reply cut off by closing the port costs nothing on the next read.
  void aPortOpenedAgainForgetsAHalfReply() {
    Connect({"--baud", "9600"});
    Button(main_id::kReadButton)->click();
    QVERIFY(WaitFor([&] { return Progress()->value() > 200; }, kWait));
    Button(main_id::kOpenButton)->click();  // closed in the middle of the block
    OpenPortOf(window(), sim_->port_path());
    Button(main_id::kReadButton)->click();
    QVERIFY(WaitFor([&] { return !window().operation().busy(); }, kWait));
    QVERIFY2(f_.messages.records.empty(),
             f_.messages.records.empty() ? "" : qPrintable(LastText()));
    QVERIFY(!window().summary().toPlainText().isEmpty());
  }

  // ---- what the window keeps and tells ----

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
    // Through the unit's own link, which goes with it: a pseudo-terminal's number may be taken
    // at once by another test's unit, and then the node would be there again.
    const std::string link = Path("ttyGONE").string();
    sim_ = StartSimulator({"--state", Path("unit.state").string(), "--link", link});
    OpenPortOf(window(), link);
    QVERIFY(window().isPortOpen());
    const QString port = QString::fromStdString(link);
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
    if (write) WithoutHistory();
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
    QVERIFY(pages->widget()->width() >= pages->widget()->sizeHint().width());  // the full width
  }

  void theAboutItemNamesTheAboutWindow() {
    AboutDialog about;
    QCOMPARE(window().aboutAction()->text(), QStringLiteral("关于") + about.windowTitle());
  }
};

}  // namespace dtu::test

QTEST_MAIN(dtu::test::MainWindowSafeguardsTest)
#include "main_window_safeguards_test.moc"
