// The window's port list on a mocked udev (umockdev): the recorded adapters of
// support/recorded_adapters.h as the user sees them, found again after renumbering, and
// following adapters plugged in and pulled out.
// GLib's headers, under umockdev's, name a member "signals": they come before Qt's, which make
// that word a macro.
#include "support/recorded_adapters.h"
#include "support/umockdev_testbed.h"
// clang-format off
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <memory>

#include "gui/window/port_combo_box.h"
#include "support/main_window_fixture.h"
// clang-format on

namespace dtu::test {

namespace {

QStringList Entries(const QComboBox& list) {
  QStringList entries;
  for (int i = 0; i < list.count(); ++i) entries << list.itemText(i);
  return entries;
}

}  // namespace

class PortListUdevTest : public QObject {
  Q_OBJECT

 private:
  std::unique_ptr<UmockdevTestbed> testbed_;
  MainWindowFixture f_;

  PortComboBox& ports() { return f_.window->portList(); }

  void CreateWindow(const std::string& record) {
    f_.Destroy();
    testbed_.reset();
    testbed_ = std::make_unique<UmockdevTestbed>();
    testbed_->Add(record);
    f_.Create();
  }

 private slots:
  void init() {
    f_.udev_ports = true;
    f_.keep_settings = false;
    CreateWindow(adapters::Workbench());
  }
  void cleanup() {
    f_.Destroy();
    testbed_.reset();
  }

  void eachAdapterByMakerProductAndSerial() {
    QCOMPARE(Entries(ports()),
             (QStringList{QStringLiteral("ttyACM0 — LTE Module (Example Modems, MDM0042)"),
                          QStringLiteral("ttyS0 — 板载串口"),
                          QStringLiteral("ttyUSB0 — FT232R USB UART (FTDI, A10K3J2L)"),
                          QStringLiteral("ttyUSB1 — FT232R USB UART (FTDI, A9G5XQ1M)"),
                          QStringLiteral("ttyUSB2 — USB Serial (QinHeng Electronics)")}));
    // Each entry's tooltip holds every detail; the list's own, those of the port shown.
    const QString details = ports().itemData(3, Qt::ToolTipRole).toString();
    for (const QString& line :
         {QStringLiteral("设备：/dev/ttyUSB1"), QStringLiteral("类型：USB 串口适配器"),
          QStringLiteral("USB ID：0403:6001"), QStringLiteral("序列号：A9G5XQ1M"),
          QStringLiteral("厂商（硬件数据库）：Future Technology Devices International, Ltd"),
          QStringLiteral("驱动：ftdi_sio"),
          QStringLiteral("by-id：") + QString::fromStdString(adapters::kSecondFtdi.by_id())})
      QVERIFY2(details.contains(line), qPrintable(details));
    ports().setCurrentIndex(3);
    QVERIFY(ports().portToolTip().startsWith(ports().toolTip()));
    QVERIFY(ports().portToolTip().endsWith(details));
    QCOMPARE(ports().portName(), std::string("/dev/ttyUSB1"));
    // Typed, a serial number names its adapter too.
    ports().setEditText(QStringLiteral("serial:A10K3J2L"));
    QCOMPARE(ports().portName(), adapters::kFirstFtdi.by_id());
    ports().setEditText(QStringLiteral("serial:NOSUCH"));
    qobject_cast<QPushButton*>(f_.window->control(main_id::kOpenButton))->click();
    QCOMPARE(f_.messages.texts(),
             (std::vector<std::string>{"无法打开串口 serial:NOSUCH：没有插入序列号为 NOSUCH "
                                       "的串口适配器（串口列表列出插入的适配器及其序列号）。"}));
  }

  // Opened once as ttyUSB0, the adapter is chosen again at the next start as ttyUSB1, where it
  // is now, not the other adapter of its make that took its number.
  void theRememberedAdapterIsFoundAfterRenumbering() {
    ports().setCurrentIndex(2);  // the first FTDI, ttyUSB0
    qobject_cast<QPushButton*>(f_.window->control(main_id::kOpenButton))->click();
    QVERIFY2(f_.window->isPortOpen(),
             f_.messages.texts().empty() ? "" : f_.messages.texts()[0].c_str());
    f_.keep_settings = true;
    CreateWindow(adapters::Ftdi("1-2", "ttyUSB0", "A9G5XQ1M").Record() +
                 adapters::Ftdi("1-1", "ttyUSB1", "A10K3J2L").Record());
    QCOMPARE(ports().currentText(), QStringLiteral("ttyUSB1 — FT232R USB UART (FTDI, A10K3J2L)"));
    QCOMPARE(ports().portName(), std::string("/dev/ttyUSB1"));
  }

  void followsAdaptersPluggedInAndPulledOut() {
    ports().setEditText(QStringLiteral("/dev/serial/by-id/usb-unit"));
    ports().lineEdit()->setCursorPosition(5);
    const adapters::UsbAdapter third = adapters::Ftdi("1-5", "ttyUSB3", "B0000001");
    testbed_->Add(third.Record());
    const QString label = QStringLiteral("ttyUSB3 — FT232R USB UART (FTDI, B0000001)");
    QTRY_VERIFY_WITH_TIMEOUT(Entries(ports()).contains(label), 10000);
    QCOMPARE(ports().currentText(), QStringLiteral("/dev/serial/by-id/usb-unit"));
    QCOMPARE(ports().lineEdit()->cursorPosition(), 5);

    // The chosen adapter pulled out stays offered, marked, and is found again when it is back.
    ports().setCurrentIndex(static_cast<int>(Entries(ports()).indexOf(label)));
    adapters::Unplug(*testbed_, third);
    QTRY_VERIFY_WITH_TIMEOUT(Entries(ports()).contains(label + QStringLiteral("（未找到）")),
                             10000);
    QCOMPARE(ports().currentText(), label + QStringLiteral("（未找到）"));
  }
};

}  // namespace dtu::test

int main(int argc, char** argv) {
  dtu::test::RestartUnderUmockdev(argv);
  QApplication app(argc, argv);
  dtu::test::PortListUdevTest test;
  return QTest::qExec(&test, argc, argv);
}

#include "port_list_udev_test.moc"
