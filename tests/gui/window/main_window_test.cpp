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
#include <grp.h>
#include <pty.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <array>
#include <cstdlib>
#include <filesystem>
#include <optional>

#include "core/editing/control_tooltips.h"
#include "gui/pages/gprs_page.h"
#include "gui/pages/serial_page.h"
#include "gui/pages/sms_page.h"
#include "gui/window/about_dialog.h"
#include "gui/window/editor_tab_set.h"
#include "gui/window/port_combo_box.h"
#include "gui/window/signal_gauge.h"
#include "gui/window/status_display.h"
#include "gui/window/summary_pane_view.h"
#include "support/child_process.h"
#include "support/gui_test_support.h"
#include "support/main_window_fixture.h"
#include "support/ordinary_file_access.h"
#include "support/temp_dir.h"

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
    f_.port_scans = 0;
    f_.Create();
  }
  void cleanup() { f_.Destroy(); }

  // ---- start-up ----

  void startsWithoutMessages() { QVERIFY(f_.messages.records.empty()); }

  void captionAndIcon() {
    QCOMPARE(window().windowTitle(), QStringLiteral("DTU配置软件 版本6.0 — 默认参数"));
    QVERIFY(!window().windowIcon().isNull());
  }

  void portControls() {
    QCOMPARE(Entries(List(main_id::kBaudList)),
             (QStringList{"110", "300", "600", "1200", "2400", "4800", "9600", "19200", "38400",
                          "57600", "115200", "230400", "460800", "921600"}));
    QCOMPARE(List(main_id::kBaudList)->currentText(), QStringLiteral("9600"));
    QCOMPARE(Entries(List(main_id::kParityList)), (QStringList{"NONE", "ODD", "EVEN"}));
    QCOMPARE(List(main_id::kParityList)->currentIndex(), 0);
    QCOMPARE(Entries(List(main_id::kDataBitsList)), (QStringList{"8", "7"}));
    QCOMPARE(List(main_id::kDataBitsList)->currentIndex(), 0);
    QCOMPARE(Entries(List(main_id::kStopBitsList)), (QStringList{"1", "2"}));
    QCOMPARE(List(main_id::kStopBitsList)->currentIndex(), 0);
    QCOMPARE(Button(main_id::kOpenButton)->text(), QStringLiteral("打开(&P)"));
    QCOMPARE(EnclosingGroup(List(main_id::kPortList)), QStringLiteral("串口"));
    QCOMPARE(EnclosingGroup(Button(main_id::kOpenButton)), QStringLiteral("串口"));
    QVERIFY(!window().isPortOpen());
  }

  void portListFromTheMachine() {
    QComboBox* ports = List(main_id::kPortList);
    QVERIFY(ports->isEditable());
    QCOMPARE(Entries(ports), (QStringList{"/dev/ttyS0", "/dev/ttyUSB0"}));
    QCOMPARE(ports->currentIndex(), 0);
  }

  void portListWithCommandLinePorts() {
    f_.Destroy();
    f_.Create({"/tmp/dtu-link", "/dev/ttyUSB0", "/dev/pts/7"});
    QComboBox* ports = List(main_id::kPortList);
    // Listed once each, after the machine's ports; the first one named is selected. A
    // pseudo-terminal is named as one.
    QCOMPARE(Entries(ports), (QStringList{"/dev/ttyS0", "/dev/ttyUSB0", "/tmp/dtu-link",
                                          QStringLiteral("pts/7 — 伪终端")}));
    QCOMPARE(ports->currentText(), QStringLiteral("/tmp/dtu-link"));
  }

  void noPortsAtAll() {
    f_.Destroy();
    f_.machine_ports.clear();
    f_.Create();
    QCOMPARE(List(main_id::kPortList)->count(), 0);
    QCOMPARE(List(main_id::kPortList)->currentText(), QString());
    Button(main_id::kOpenButton)->click();
    QCOMPARE(f_.messages.texts(), (std::vector<std::string>{"请先选择或输入串口。"}));
    QVERIFY(!window().isPortOpen());
    QCOMPARE(Button(main_id::kOpenButton)->text(), QStringLiteral("打开(&P)"));
  }

  void portListIsScannedAgainWhenItDropsDown() {
    ShowWindow();
    auto* ports = static_cast<PortComboBox*>(List(main_id::kPortList));
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

  // The reason in Chinese for what the user can act on; the system's words for the rest.
  void aPortThatCannotBeOpenedSaysWhy_data() {
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("reason");
    QTest::newRow("missing") << "missing"
                             << "没有这个设备";
    QTest::newRow("a folder") << "folder"
                              << "不是串口设备";
    QTest::newRow("a plain file") << "file"
                                  << "不是串口设备";
  }
  void aPortThatCannotBeOpenedSaysWhy() {
    QFETCH(QString, kind);
    QFETCH(QString, reason);
    const TempDir dir;
    std::filesystem::path device = dir / "ttyDTU9";
    if (kind == QStringLiteral("folder")) std::filesystem::create_directory(device);
    if (kind == QStringLiteral("file")) WriteAllBytes(device, std::string("x"));
    List(main_id::kPortList)->setEditText(QString::fromStdString(device.string()));
    Button(main_id::kOpenButton)->click();
    QCOMPARE(f_.messages.records.size(), std::size_t{1});
    const QString text = QString::fromStdString(f_.messages.records[0].text);
    QVERIFY2(text.startsWith(QStringLiteral("无法打开串口 %1：").arg(device.c_str())),
             qPrintable(text));
    QVERIFY2(text.contains(reason), qPrintable(text));
    QVERIFY(!window().isPortOpen());
    QCOMPARE(Button(main_id::kOpenButton)->text(), QStringLiteral("打开(&P)"));
  }

  // A device the user may not open names the group that owns it and the fix; a device even its
  // group may not use asks for other permissions.
  void aPortWithoutPermissionSaysHowToGetIt_data() {
    QTest::addColumn<int>("mode");
    QTest::addColumn<QString>("advice");
    QTest::newRow("group may use it") << 0060 << "请把当前用户加入该组";
    QTest::newRow("nobody may") << 0000 << "该组也不能读写它";
  }
  void aPortWithoutPermissionSaysHowToGetIt() {
    QFETCH(int, mode);
    QFETCH(QString, advice);
    const TempDir dir;
    std::filesystem::permissions(dir.path(), std::filesystem::perms(0755));
    const std::filesystem::path device = dir / "ttyUSB0";
    WriteAllBytes(device, std::string());
    std::filesystem::permissions(device, std::filesystem::perms(mode));
    // Tests run as root still belong to the root group: the device gets a group of its own.
    if (::geteuid() == 0) QCOMPARE(::chown(device.c_str(), 0, OrdinaryFileAccess::kNobodyGroup), 0);
    struct stat info {};
    QCOMPARE(::stat(device.c_str(), &info), 0);
    const QString group = QString::fromLocal8Bit(::getgrgid(info.st_gid)->gr_name);

    List(main_id::kPortList)->setEditText(QString::fromStdString(device.string()));
    {
      const OrdinaryFileAccess as_ordinary_user;
      Button(main_id::kOpenButton)->click();
    }
    QCOMPARE(f_.messages.records.size(), std::size_t{1});
    const QString text = QString::fromStdString(f_.messages.records[0].text);
    QVERIFY2(text.startsWith(QStringLiteral("无法打开串口 %1：没有权限。").arg(device.c_str())),
             qPrintable(text));
    QVERIFY2(text.contains(QStringLiteral("用户组“%1”").arg(group)), qPrintable(text));
    QVERIFY2(text.contains(advice), qPrintable(text));
    if (mode != 0) {
      QVERIFY2(text.contains(QStringLiteral("usermod -aG %1 ").arg(group)), qPrintable(text));
      QVERIFY2(text.contains(QStringLiteral("重新登录")), qPrintable(text));
    }
    QVERIFY(!window().isPortOpen());
  }

  // A port another program holds names that program; others that merely have it open (this
  // test keeps the terminal open too) are not blamed.
  void aBusyPortNamesTheProgramHoldingIt() {
    int master_fd = -1, slave_fd = -1;
    std::array<char, 64> name{};
    QCOMPARE(::openpty(&master_fd, &slave_fd, name.data(), nullptr, nullptr), 0);
    const Fd master(master_fd), slave(slave_fd);
    const std::string device = name.data();
    Fd locked(::open(device.c_str(), O_RDWR | O_NOCTTY));
    QCOMPARE(::flock(locked.get(), LOCK_EX | LOCK_NB), 0);
    const ChildProcess holder({"/bin/sleep", "60"}, locked.get(), locked.get());
    locked.Close();
    List(main_id::kPortList)->setEditText(QString::fromStdString(device));
    Button(main_id::kOpenButton)->click();
    QCOMPARE(f_.messages.texts(),
             (std::vector<std::string>{"无法打开串口 " + device + "：串口被进程 " +
                                       std::to_string(holder.pid()) +
                                       "（sleep）占用，请先关闭那个程序。"}));
    QVERIFY(!window().isPortOpen());
  }

  // Plugged in or pulled out, an adapter shows in the list without it being opened; what the
  // user has typed stays, caret and all.
  void portListFollowsAdaptersPluggedInAndOut() {
    const TempDir dev;
    f_.Destroy();
    f_.port_folders = {dev.path()};
    f_.Create();
    f_.port_folders.clear();
    auto* ports = static_cast<PortComboBox*>(List(main_id::kPortList));
    ports->setEditText(QStringLiteral("/dev/serial/by-id/usb-unit"));
    ports->lineEdit()->setCursorPosition(5);

    f_.machine_ports = {"/dev/ttyS0", "/dev/ttyUSB0", "/dev/ttyUSB1"};
    WriteAllBytes(dev / "ttyUSB1", std::string());
    QTRY_COMPARE_WITH_TIMEOUT(Entries(ports).size(), 3, 5000);
    QCOMPARE(Entries(ports).back(), QStringLiteral("/dev/ttyUSB1"));
    QCOMPARE(ports->currentText(), QStringLiteral("/dev/serial/by-id/usb-unit"));
    QCOMPARE(ports->lineEdit()->cursorPosition(), 5);

    ports->setCurrentIndex(2);
    f_.machine_ports = {"/dev/ttyS0", "/dev/ttyUSB1"};
    std::filesystem::remove(dev / "ttyUSB1");
    QTRY_COMPARE_WITH_TIMEOUT(Entries(ports), (QStringList{"/dev/ttyS0", "/dev/ttyUSB1"}), 5000);
    QCOMPARE(ports->currentText(), QStringLiteral("/dev/ttyUSB1"));
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

    List(main_id::kPortList)->setEditText(slave);
    List(main_id::kBaudList)->setCurrentText(QStringLiteral("115200"));
    List(main_id::kParityList)->setCurrentText(QStringLiteral("EVEN"));
    List(main_id::kDataBitsList)->setCurrentText(QStringLiteral("7"));
    List(main_id::kStopBitsList)->setCurrentText(QStringLiteral("2"));
    Button(main_id::kOpenButton)->click();
    QVERIFY(window().isPortOpen());
    QVERIFY(f_.messages.records.empty());
    QCOMPARE(Button(main_id::kOpenButton)->text(), QStringLiteral("关闭串口(&P)"));
    termios line{};
    QCOMPARE(::tcgetattr(master, &line), 0);
    QCOMPARE(::cfgetospeed(&line), speed_t{B115200});
    QVERIFY((line.c_cflag & CSTOPB) != 0);

    Button(main_id::kOpenButton)->click();
    QVERIFY(!window().isPortOpen());
    QCOMPARE(Button(main_id::kOpenButton)->text(), QStringLiteral("打开串口(&P)"));
  }

  void statusDisplay() {
    const std::vector<std::pair<int, const char*>> identity{{main_id::kVersion, "软件版本"},
                                                            {main_id::kModuleSerial, "模块序列号"},
                                                            {main_id::kBoardSerial, "主板序列号"}};
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
    QLineEdit* strength = Edit(main_id::kSignalText);
    QVERIFY(strength->isReadOnly());
    QCOMPARE(strength->alignment() & Qt::AlignHCenter, Qt::AlignHCenter);
    QCOMPARE(EnclosingGroup(strength), QStringLiteral("信号强度"));
    auto* gauge = Control<SignalGauge>(main_id::kSignalGauge);
    QVERIFY(gauge != nullptr);
    QCOMPARE(gauge->value(), 0);
    QCOMPARE(EnclosingGroup(gauge), QStringLiteral("信号强度"));
    bool hinted = false;
    for (const QLabel* hint : strength->parentWidget()->findChildren<QLabel*>())
      hinted = hinted || hint->text() == QStringLiteral("0~31,10以上稳定");
    QVERIFY(hinted);
    // The two address edits of the layout are there but never shown.
    for (int id : {main_id::kResolvedAddress, main_id::kDtuAddress}) {
      QVERIFY(Edit(id) != nullptr);
      QVERIFY(Edit(id)->isHidden());
    }
  }

  void addressList() {
    auto* list = Control<QTableWidget>(main_id::kAddressList);
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
    QVERIFY(Control<QRadioButton>(main_id::kGprsModeRadio)->isChecked());
    QVERIFY(!Control<QRadioButton>(main_id::kSmsModeRadio)->isChecked());
    QVERIFY(Control<QRadioButton>(main_id::kDualModeRadio)->isHidden());
    QCOMPARE(window().workingBlock().work_mode(), 0);
    auto* tabs = Control<QTabBar>(main_id::kPageTabs);
    QCOMPARE(tabs->count(), 2);
    QCOMPARE(tabs->tabText(0), QStringLiteral("GPRS参数"));
    QCOMPARE(tabs->tabText(1), QStringLiteral("串口参数"));
    QVERIFY(window().tabs().gprsPage().isVisibleTo(&window()));
    QVERIFY(!window().tabs().smsPage().isVisibleTo(&window()));
    QVERIFY(!window().tabs().serialPage().isVisibleTo(&window()));
    // The pages show the start-up values.
    QCOMPARE(window().tabs().gprsPage().text(gprs_id::kApn), QStringLiteral("CMNET"));
    QCOMPARE(window().tabs().serialPage().text(serial_id::kFrameDelay), QStringLiteral("150"));
    QCOMPARE(window().tabs().smsPage().list(sms_id::kMode)->currentIndex(), 1);
    // The working block is all zeros apart from the mode.
    for (std::uint8_t byte : window().workingBlock().bytes()) QCOMPARE(byte, std::uint8_t{0});
  }

  void buttonsAndSummary() {
    QCOMPARE(Button(main_id::kReadButton)->text(), QStringLiteral("读取参数(&R)"));
    QCOMPARE(Button(main_id::kWriteButton)->text(), QStringLiteral("设置参数(&W)"));
    auto* summary = Control<QPlainTextEdit>(main_id::kSummaryPane);
    QVERIFY(summary != nullptr);
    QVERIFY(summary->isReadOnly());  // selectable and copyable, not typed into
    QVERIFY(summary->toPlainText().isEmpty());
  }

  // Every control the user can change on every page says what it sets and its limit, as the
  // page tables give them (their contents: control_tooltips_test).
  void everyEditableControlHasItsTooltip() {
    const std::vector<std::pair<EditorPage*, const PageTable*>> pages{
        {&window().tabs().gprsPage(), &kGprsPageTable},
        {&window().tabs().smsPage(), &kSmsPageTable},
        {&window().tabs().serialPage(), &kSerialPageTable}};
    for (const auto& [page, table] : pages) {
      int editable = 0;
      for (int id : page->controlIds()) {
        QWidget* widget = page->control(id);
        const auto* edit = qobject_cast<QLineEdit*>(widget);
        const bool changeable =
            widget->isEnabled() && (edit != nullptr ? !edit->isReadOnly()
                                                    : qobject_cast<QComboBox*>(widget) ||
                                                          qobject_cast<QAbstractButton*>(widget));
        if (!changeable) continue;
        ++editable;
        const std::optional<std::string> expected = ControlTooltip(*table, id);
        QVERIFY2(expected.has_value(), qPrintable(QString::number(id)));
        QCOMPARE(widget->toolTip(),
                 Q(*expected).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
      }
      QVERIFY(editable > 10);
    }
  }

  void mainWindowControlsHaveTooltips() {
    for (int id : {main_id::kPortList, main_id::kBaudList, main_id::kParityList,
                   main_id::kDataBitsList, main_id::kStopBitsList, main_id::kOpenButton,
                   main_id::kReadButton, main_id::kWriteButton, main_id::kSignalGauge,
                   main_id::kGprsModeRadio, main_id::kSmsModeRadio, main_id::kSummaryPane})
      QVERIFY2(!window().control(id)->toolTip().isEmpty(), qPrintable(QString::number(id)));
    QVERIFY(List(main_id::kBaudList)->toolTip().contains(QStringLiteral("110 到 921600")));
    QVERIFY(Button(main_id::kReadButton)->toolTip().contains(QStringLiteral("660字节")));
  }

  void fileMenu() {
    QList<QAction*> menus = window().menuBar()->actions();
    QVERIFY(menus.size() >= 1);
    QCOMPARE(menus.at(0)->text(), QStringLiteral("文件(&F)"));
    const QList<QAction*> items = menus.at(0)->menu()->actions();
    QCOMPARE(items.size(), 6);
    QCOMPARE(items.at(0)->text(), QStringLiteral("打开参数文件(&O)"));
    QCOMPARE(items.at(0), window().action(main_id::kOpenFileCommand));
    QCOMPARE(items.at(1)->text(), QStringLiteral("保存参数(&S)"));
    QCOMPARE(items.at(1), window().action(main_id::kSaveFileCommand));
    QCOMPARE(items.at(2)->text(), QStringLiteral("导出文本..."));
    QCOMPARE(items.at(2), window().action(main_id::kExportTextCommand));
    QCOMPARE(items.at(3)->text(), QStringLiteral("导入文本..."));
    QCOMPARE(items.at(3), window().action(main_id::kImportTextCommand));
    QVERIFY(items.at(4)->isSeparator());
    QCOMPARE(items.at(5)->text(), QStringLiteral("退出程序(&Q)"));
    QCOMPARE(items.at(5), window().action(main_id::kExitCommand));
    QCOMPARE(window().aboutAction()->text(), QStringLiteral("关于GPRS设备配置软件"));
  }

  void exitClosesTheWindowAccepted() {
    ShowWindow();
    window().action(main_id::kExitCommand)->trigger();
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
    Button(main_id::kReadButton)->click();
    Button(main_id::kWriteButton)->click();
    QTest::mouseClick(window().control(main_id::kSignalGauge), Qt::LeftButton);
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
    QTest::keyClick(Edit(main_id::kVersion), Qt::Key_Escape);
    QVERIFY(window().isVisible());
    QCOMPARE(window().result(), -1);
  }

  void enterPressesNoButton() {
    ShowWindow();
    // A pressed read button would say that the port is closed.
    Button(main_id::kReadButton)->setFocus();
    QTest::keyClick(Button(main_id::kReadButton), Qt::Key_Return);
    QTest::keyClick(Button(main_id::kReadButton), Qt::Key_Enter);
    QTest::keyClick(&window(), Qt::Key_Return);
    QLineEdit* apn = window().tabs().gprsPage().edit(gprs_id::kApn);
    apn->setFocus();
    QTest::keyClick(apn, Qt::Key_Return);
    QTest::keyClick(List(main_id::kPortList), Qt::Key_Return);
    QVERIFY(f_.messages.records.empty());
    QVERIFY(window().isVisible());
    QCOMPARE(List(main_id::kPortList)->count(), 2);  // Enter in the port list adds nothing either
    // The space bar still presses the focused button.
    Button(main_id::kReadButton)->setFocus();
    QTest::keyClick(Button(main_id::kReadButton), Qt::Key_Space);
    QCOMPARE(f_.messages.texts(), (std::vector<std::string>{"请先打开串口。"}));
  }

  // ---- logo ----

  void logoShowsTheAboutWindow() {
    ShowWindow();
    auto* logo = Control<QLabel>(main_id::kLogo);
    QVERIFY(!logo->pixmap().isNull());
    QCOMPARE(logo->cursor().shape(), Qt::PointingHandCursor);
    int shown = 0;
    const auto close_about = [&shown] {
      if (auto* about = qobject_cast<AboutDialog*>(QApplication::activeModalWidget())) {
        ++shown;
        about->close();
      }
    };
    QTimer::singleShot(0, close_about);
    QTest::mouseClick(logo, Qt::RightButton);
    QTest::qWait(20);
    QCOMPARE(shown, 0);
    QTimer::singleShot(0, close_about);
    QTest::mouseClick(logo, Qt::LeftButton);
    QCOMPARE(shown, 1);
    QVERIFY(f_.messages.records.empty());
  }

  void modeRadiosSwitchTheEditor() {
    Control<QRadioButton>(main_id::kSmsModeRadio)->click();
    QCOMPARE(window().workingBlock().work_mode(), 1);
    QCOMPARE(Control<QTabBar>(main_id::kPageTabs)->tabText(0), QStringLiteral("短信参数"));
    QVERIFY(window().tabs().smsPage().isVisibleTo(&window()));
    Control<QRadioButton>(main_id::kGprsModeRadio)->click();
    QCOMPARE(window().workingBlock().work_mode(), 0);
    QVERIFY(window().tabs().gprsPage().isVisibleTo(&window()));
  }
};

}  // namespace dtu::test

QTEST_MAIN(dtu::test::MainWindowTest)
#include "main_window_test.moc"
