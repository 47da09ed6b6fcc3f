#include <QAction>
#include <QComboBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScopeGuard>
#include <QTabBar>
#include <QTableWidget>
#include <QTest>
#include <QTimer>

#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

#include <cstdlib>

#include "gui/pages/gprs_page.h"
#include "gui/pages/serial_page.h"
#include "gui/pages/sms_page.h"
#include "gui/window/about_dialog.h"
#include "gui/window/editor_tab_set.h"
#include "gui/window/port_combo_box.h"
#include "gui/window/signal_gauge.h"
#include "gui/window/status_display.h"
#include "gui/window/summary_pane_view.h"
#include "support/gui_test_support.h"
#include "support/main_window_fixture.h"

namespace dtu::test {

class MainWindowTest : public QObject {
  Q_OBJECT

 private:
  MainWindowFixture f_;

  MainConfigDialog& window() { return *f_.window; }
  template <typename T>
  T* Control(int id) {
    auto* widget = qobject_cast<T*>(window().control(id));
    if (widget == nullptr) qWarning("control %d is missing or of another kind", id);
    return widget;
  }
  QComboBox* List(int id) { return Control<QComboBox>(id); }
  QLineEdit* Edit(int id) { return Control<QLineEdit>(id); }
  QPushButton* Button(int id) { return Control<QPushButton>(id); }

  static QStringList Entries(const QComboBox* list) {
    QStringList entries;
    for (int i = 0; i < list->count(); ++i) entries << list->itemText(i);
    return entries;
  }

  void ShowWindow() {
    window().show();
    QVERIFY(QTest::qWaitForWindowExposed(&window()));
  }

 private slots:
  void init() {
    f_.messages = ScriptedMessages();
    f_.files = ScriptedFileChooser();
    f_.machine_ports = {"/dev/ttyS0", "/dev/ttyUSB0"};
    f_.opened_urls.clear();
    f_.port_scans = 0;
    f_.Create();
  }
  void cleanup() { f_.Destroy(); }

  // ---- start-up ----

  void startsWithoutMessages() { QVERIFY(f_.messages.records.empty()); }

  void captionAndIcon() {
    QVERIFY(window().windowTitle().startsWith(QStringLiteral("版本6.0")));
    QVERIFY(window().windowTitle().contains(MainConfigDialog::MakerWebPage().toString()));
    QVERIFY(!window().windowIcon().isNull());
  }

  void portControls() {
    QCOMPARE(Entries(List(1020)),
             (QStringList{"110", "300", "600", "1200", "2400", "4800", "9600", "19200", "38400",
                          "57600", "115200", "230400", "460800", "921600"}));
    QCOMPARE(List(1020)->currentText(), QStringLiteral("9600"));
    QCOMPARE(Entries(List(1088)), (QStringList{"NONE", "ODD", "EVEN"}));
    QCOMPARE(List(1088)->currentIndex(), 0);
    QCOMPARE(Entries(List(1089)), (QStringList{"8", "7"}));
    QCOMPARE(List(1089)->currentIndex(), 0);
    QCOMPARE(Entries(List(1090)), (QStringList{"1", "2"}));
    QCOMPARE(List(1090)->currentIndex(), 0);
    QCOMPARE(Button(1001)->text(), QStringLiteral("打开"));
    QCOMPARE(EnclosingGroup(List(1000)), QStringLiteral("串口"));
    QCOMPARE(EnclosingGroup(Button(1001)), QStringLiteral("串口"));
    QVERIFY(!window().isPortOpen());
  }

  void portListFromTheMachine() {
    QComboBox* ports = List(1000);
    QVERIFY(ports->isEditable());
    QCOMPARE(Entries(ports), (QStringList{"/dev/ttyS0", "/dev/ttyUSB0"}));
    QCOMPARE(ports->currentIndex(), 0);
  }

  void portListWithCommandLinePorts() {
    f_.Destroy();
    f_.Create({"/tmp/dtu-link", "/dev/ttyUSB0", "/dev/pts/7"});
    QComboBox* ports = List(1000);
    // Listed once each, after the machine's ports; the first one named is selected.
    QCOMPARE(Entries(ports),
             (QStringList{"/dev/ttyS0", "/dev/ttyUSB0", "/tmp/dtu-link", "/dev/pts/7"}));
    QCOMPARE(ports->currentText(), QStringLiteral("/tmp/dtu-link"));
  }

  void noPortsAtAll() {
    f_.Destroy();
    f_.machine_ports.clear();
    f_.Create();
    QCOMPARE(List(1000)->count(), 0);
    QCOMPARE(List(1000)->currentText(), QString());
    Button(1001)->click();
    QCOMPARE(f_.messages.texts(), (std::vector<std::string>{"请先选择或输入串口。"}));
    QVERIFY(!window().isPortOpen());
    QCOMPARE(Button(1001)->text(), QStringLiteral("打开"));
  }

  void portListIsScannedAgainWhenItDropsDown() {
    ShowWindow();
    auto* ports = static_cast<PortComboBox*>(List(1000));
    ports->setCurrentIndex(1);  // /dev/ttyUSB0
    f_.machine_ports = {"/dev/ttyACM0", "/dev/ttyS0", "/dev/ttyUSB0"};
    const int scans = f_.port_scans;
    ports->showPopup();
    ports->hidePopup();
    QCOMPARE(f_.port_scans, scans + 1);
    QCOMPARE(Entries(ports), (QStringList{"/dev/ttyACM0", "/dev/ttyS0", "/dev/ttyUSB0"}));
    QCOMPARE(ports->currentText(), QStringLiteral("/dev/ttyUSB0"));

    // A typed path that is no listed port stays as typed; a port that went away too.
    ports->setEditText(QStringLiteral("/dev/serial/by-id/usb-unit"));
    f_.machine_ports = {"/dev/ttyS0"};
    ports->showPopup();
    ports->hidePopup();
    QCOMPARE(Entries(ports), (QStringList{"/dev/ttyS0"}));
    QCOMPARE(ports->currentText(), QStringLiteral("/dev/serial/by-id/usb-unit"));
    QCOMPARE(ports->portName(), std::string("/dev/serial/by-id/usb-unit"));
  }

  void aPortThatCannotBeOpenedSaysWhy() {
    List(1000)->setEditText(QStringLiteral("/nonexistent/ttyDTU9"));
    Button(1001)->click();
    QCOMPARE(f_.messages.records.size(), std::size_t{1});
    const QString text = QString::fromStdString(f_.messages.records[0].text);
    QVERIFY2(text.startsWith(QStringLiteral("无法打开串口 /nonexistent/ttyDTU9：")),
             qPrintable(text));
    QVERIFY2(text.contains(QStringLiteral("No such file")), qPrintable(text));
    QVERIFY(!window().isPortOpen());
    QCOMPARE(Button(1001)->text(), QStringLiteral("打开"));
  }

  void theChosenLineSettingsReachThePort() {
    // A pseudo-terminal stands in for the serial port; its master side shows the line settings
    // the window put on it (a pseudo-terminal keeps speed and stop bits, not the character size
    // or parity).
    const int master = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    QVERIFY(master >= 0);
    const auto close_master = qScopeGuard([master] { ::close(master); });
    QVERIFY(::grantpt(master) == 0 && ::unlockpt(master) == 0);
    const QString slave = QString::fromLocal8Bit(::ptsname(master));

    List(1000)->setEditText(slave);
    List(1020)->setCurrentText(QStringLiteral("115200"));
    List(1088)->setCurrentText(QStringLiteral("EVEN"));
    List(1089)->setCurrentText(QStringLiteral("7"));
    List(1090)->setCurrentText(QStringLiteral("2"));
    Button(1001)->click();
    QVERIFY(window().isPortOpen());
    QVERIFY(f_.messages.records.empty());
    QCOMPARE(Button(1001)->text(), QStringLiteral("关闭串口"));
    termios line{};
    QCOMPARE(::tcgetattr(master, &line), 0);
    QCOMPARE(::cfgetospeed(&line), speed_t{B115200});
    QVERIFY((line.c_cflag & CSTOPB) != 0);

    Button(1001)->click();
    QVERIFY(!window().isPortOpen());
    QCOMPARE(Button(1001)->text(), QStringLiteral("打开串口"));
  }

  void statusDisplay() {
    const std::vector<std::pair<int, const char*>> identity{
        {1145, "软件版本"}, {1144, "模块序列号"}, {1241, "主板序列号"}};
    for (const auto& [id, label] : identity) {
      QLineEdit* field = Edit(id);
      QVERIFY(field != nullptr);
      QVERIFY(field->isReadOnly());
      QVERIFY(field->text().isEmpty());
      QVERIFY(field->isVisibleTo(&window()));
      bool labelled = false;
      for (const QLabel* name : window().findChildren<QLabel*>())
        labelled = labelled || (name->buddy() == field && name->text() == QString::fromUtf8(label));
      QVERIFY2(labelled, label);
    }
    QLineEdit* strength = Edit(1192);
    QVERIFY(strength->isReadOnly());
    QCOMPARE(strength->alignment() & Qt::AlignHCenter, Qt::AlignHCenter);
    QCOMPARE(EnclosingGroup(strength), QStringLiteral("信号强度"));
    auto* gauge = Control<SignalGauge>(1194);
    QVERIFY(gauge != nullptr);
    QCOMPARE(gauge->value(), 0);
    QCOMPARE(EnclosingGroup(gauge), QStringLiteral("信号强度"));
    bool hinted = false;
    for (const QLabel* hint : strength->parentWidget()->findChildren<QLabel*>())
      hinted = hinted || hint->text() == QStringLiteral("0~31,10以上稳定");
    QVERIFY(hinted);
    // The two address edits of the layout are there but never shown.
    for (int id : {1160, 1143}) {
      QVERIFY(Edit(id) != nullptr);
      QVERIFY(Edit(id)->isHidden());
    }
  }

  void addressList() {
    auto* list = Control<QTableWidget>(1219);
    QVERIFY(list != nullptr);
    QCOMPARE(list->columnCount(), 2);
    QCOMPARE(list->horizontalHeaderItem(0)->text(), QStringLiteral("号码"));
    QCOMPARE(list->horizontalHeaderItem(1)->text(), QStringLiteral("IP地址"));
    QCOMPARE(list->columnWidth(0), 120);
    QCOMPARE(list->columnWidth(1), 120);
    QVERIFY(list->showGrid());
    QCOMPARE(list->selectionBehavior(), QAbstractItemView::SelectRows);
    const QStringList rows{"DTU的IP地址",  "DNS的IP1地址", "DNS的IP2地址",
                           "DNS的IP3地址", "DNS的IP4地址", "DNS的IP5地址",
                           "DNS的IP6地址", "DNS服务地址1", "DNS服务地址2"};
    QCOMPARE(list->rowCount(), rows.size());
    for (int row = 0; row < rows.size(); ++row) {
      QCOMPARE(list->item(row, 0)->text(), rows.at(row));
      QCOMPARE(list->item(row, 1)->text(), QString());
    }
    // Writing a row changes its second column only.
    window().status().SetAddress(8, "211.136.20.203");
    QCOMPARE(list->item(8, 0)->text(), QStringLiteral("DNS服务地址2"));
    QCOMPARE(list->item(8, 1)->text(), QStringLiteral("211.136.20.203"));
    for (int row = 0; row < 8; ++row) QCOMPARE(list->item(row, 1)->text(), QString());
    window().status().SetAddress(9, "nowhere");
    window().status().SetAddress(-1, "nowhere");
    QCOMPARE(list->rowCount(), 9);
  }

  void editorStartsInGprsMode() {
    QVERIFY(Control<QRadioButton>(1162)->isChecked());
    QVERIFY(!Control<QRadioButton>(1163)->isChecked());
    QVERIFY(Control<QRadioButton>(1176)->isHidden());
    QCOMPARE(window().workingBlock().work_mode(), 0);
    auto* tabs = Control<QTabBar>(1175);
    QCOMPARE(tabs->count(), 2);
    QCOMPARE(tabs->tabText(0), QStringLiteral("GPRS参数"));
    QCOMPARE(tabs->tabText(1), QStringLiteral("串口参数"));
    QVERIFY(window().tabs().gprsPage().isVisibleTo(&window()));
    QVERIFY(!window().tabs().smsPage().isVisibleTo(&window()));
    QVERIFY(!window().tabs().serialPage().isVisibleTo(&window()));
    // The pages show the start-up values.
    QCOMPARE(window().tabs().gprsPage().text(1151), QStringLiteral("CMNET"));
    QCOMPARE(window().tabs().serialPage().text(1113), QStringLiteral("150"));
    QCOMPARE(window().tabs().smsPage().list(1130)->currentIndex(), 1);
    // The working block is all zeros apart from the mode.
    for (std::uint8_t byte : window().workingBlock().bytes()) QCOMPARE(byte, std::uint8_t{0});
  }

  void buttonsAndSummary() {
    QCOMPARE(Button(1036)->text(), QStringLiteral("读取参数"));
    QCOMPARE(Button(1076)->text(), QStringLiteral("设置参数"));
    auto* summary = Control<QPlainTextEdit>(1097);
    QVERIFY(summary != nullptr);
    QVERIFY(!summary->isReadOnly());
    QVERIFY(summary->toPlainText().isEmpty());
  }

  void fileMenu() {
    QList<QAction*> menus = window().menuBar()->actions();
    QVERIFY(menus.size() >= 1);
    QCOMPARE(menus.at(0)->text(), QStringLiteral("文件(&F)"));
    const QList<QAction*> items = menus.at(0)->menu()->actions();
    QCOMPARE(items.size(), 6);
    QCOMPARE(items.at(0)->text(), QStringLiteral("打开参数文件(&O)"));
    QCOMPARE(items.at(0), window().action(32771));
    QCOMPARE(items.at(1)->text(), QStringLiteral("保存参数(&S)"));
    QCOMPARE(items.at(1), window().action(32776));
    QCOMPARE(items.at(2)->text(), QStringLiteral("导出文本..."));
    QCOMPARE(items.at(2), window().action(32790));
    QCOMPARE(items.at(3)->text(), QStringLiteral("导入文本..."));
    QCOMPARE(items.at(3), window().action(32791));
    QVERIFY(items.at(4)->isSeparator());
    QCOMPARE(items.at(5)->text(), QStringLiteral("退出程序(&Q)"));
    QCOMPARE(items.at(5), window().action(32783));
    QCOMPARE(window().aboutAction()->text(), QStringLiteral("关于GPRS设备配置软件"));
  }

  void exitClosesTheWindowAccepted() {
    ShowWindow();
    window().action(32783)->trigger();
    QVERIFY(!window().isVisible());
    QCOMPARE(window().result(), int(QDialog::Accepted));
  }

  void closeBoxClosesTheWindow() {
    ShowWindow();
    QVERIFY(window().close());
    QVERIFY(!window().isVisible());
  }

  void aboutWindow() {
    ShowWindow();
    QString title;
    QTimer::singleShot(0, [&title] {
      if (auto* about = qobject_cast<AboutDialog*>(QApplication::activeModalWidget())) {
        title = about->windowTitle();
        about->close();
      }
    });
    window().aboutAction()->trigger();
    QCOMPARE(title, QStringLiteral("DTU配置软件"));
    QVERIFY(window().isVisible());
  }

  // ---- commands with the port closed ----

  void sendingCommandsWantAnOpenPort() {
    ShowWindow();
    window().summary().AppendSummaryLine("earlier summary");
    Button(1036)->click();
    Button(1076)->click();
    QTest::mouseClick(window().control(1194), Qt::LeftButton);
    // Each says so, and nothing else happens: no question, the summary stays.
    QCOMPARE(f_.messages.texts(),
             (std::vector<std::string>{"请先打开串口。", "请先打开串口。", "请先打开串口。"}));
    for (const ScriptedMessages::Record& record : f_.messages.records) QVERIFY(!record.question);
    QCOMPARE(window().summary().toPlainText(), QStringLiteral("earlier summary\n"));
  }

  // ---- keys ----

  void escapeDoesNotCloseTheWindow() {
    ShowWindow();
    window().setResult(-1);
    QTest::keyClick(&window(), Qt::Key_Escape);
    QTest::keyClick(Edit(1145), Qt::Key_Escape);
    QVERIFY(window().isVisible());
    QCOMPARE(window().result(), -1);
  }

  void enterPressesNoButton() {
    ShowWindow();
    // A pressed read button would say that the port is closed.
    Button(1036)->setFocus();
    QTest::keyClick(Button(1036), Qt::Key_Return);
    QTest::keyClick(Button(1036), Qt::Key_Enter);
    QTest::keyClick(&window(), Qt::Key_Return);
    QLineEdit* apn = window().tabs().gprsPage().edit(1151);
    apn->setFocus();
    QTest::keyClick(apn, Qt::Key_Return);
    QTest::keyClick(List(1000), Qt::Key_Return);
    QVERIFY(f_.messages.records.empty());
    QVERIFY(window().isVisible());
    QCOMPARE(List(1000)->count(), 2);  // Enter in the port list adds nothing either
    // The space bar still presses the focused button.
    Button(1036)->setFocus();
    QTest::keyClick(Button(1036), Qt::Key_Space);
    QCOMPARE(f_.messages.texts(), (std::vector<std::string>{"请先打开串口。"}));
  }

  // ---- logo ----

  void logoOpensTheWebPage() {
    ShowWindow();
    auto* logo = Control<QLabel>(1196);
    QVERIFY(!logo->pixmap().isNull());
    QCOMPARE(logo->cursor().shape(), Qt::PointingHandCursor);
    QTest::mouseClick(logo, Qt::RightButton);
    QVERIFY(f_.opened_urls.empty());
    QTest::mouseClick(logo, Qt::LeftButton);
    QCOMPARE(f_.opened_urls.size(), std::size_t{1});
    QCOMPARE(f_.opened_urls[0], QUrl(QStringLiteral("https://dtuconfig.example.org/")));
    QVERIFY(f_.messages.records.empty());
  }

  void modeRadiosSwitchTheEditor() {
    Control<QRadioButton>(1163)->click();
    QCOMPARE(window().workingBlock().work_mode(), 1);
    QCOMPARE(Control<QTabBar>(1175)->tabText(0), QStringLiteral("短信参数"));
    QVERIFY(window().tabs().smsPage().isVisibleTo(&window()));
    Control<QRadioButton>(1162)->click();
    QCOMPARE(window().workingBlock().work_mode(), 0);
    QVERIFY(window().tabs().gprsPage().isVisibleTo(&window()));
  }
};

}  // namespace dtu::test

QTEST_MAIN(dtu::test::MainWindowTest)
#include "main_window_test.moc"
