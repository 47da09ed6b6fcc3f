#include <QAction>
#include <QDir>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>

#include "gui/window/session_adapter.h"
#include "gui/window/summary_pane_view.h"
#include "gui/window/traffic_log_view.h"
#include "support/device_test_support.h"
#include "support/main_window_fixture.h"

namespace dtu::test {

// Renders the whole main window after a read and a write with the simulated unit, the traffic log
// shown, into DTU_SCREENSHOT_DIR:
// a picture to look at after layout changes, and the source of docs/main-window.png.
class MainWindowScreenshot : public QObject {
  Q_OBJECT

 private slots:
  void afterARead() {
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    auto sim =
        StartSimulator({"--state", dir.filePath(QStringLiteral("unit.state")).toStdString()});
    MainWindowFixture f;
    f.machine_ports = {"/dev/ttyS0", "/dev/ttyUSB0"};
    f.Create();
    MainConfigDialog& window = *f.window;
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    OpenPortOf(window, sim->port_path());
    QVERIFY(window.isPortOpen());
    qobject_cast<QPushButton*>(window.control(main_id::kReadButton))->click();
    QVERIFY(WaitFor([&] { return window.summary().toPlainText().size() > 100; },
                    std::chrono::seconds(20)));
    QVERIFY(f.messages.records.empty());
    // A write too, answered Yes, with the traffic log shown below the pages.
    window.action(main_id::kShowLogCommand)->trigger();
    f.messages.answers = {Answer::Yes};
    qobject_cast<QPushButton*>(window.control(main_id::kWriteButton))->click();
    QVERIFY(WaitFor([&] { return !window.operation().busy(); }, std::chrono::seconds(20)));
    window.trafficLog().Flush();

    window.resize(window.sizeHint());  // adjustSize() would cap it at the small offscreen screen
    QCoreApplication::processEvents();
    if (QWidget* focused = QApplication::focusWidget()) focused->clearFocus();  // no caret
    window.summary().verticalScrollBar()->setValue(0);
    QScrollBar* log_end = window.trafficLog().text()->verticalScrollBar();
    log_end->setValue(log_end->maximum());  // the write's lines
    const QPixmap picture = window.grab();
    QVERIFY(!picture.isNull());
    QVERIFY(QDir().mkpath(QStringLiteral(DTU_SCREENSHOT_DIR)));
    const QString path = QStringLiteral(DTU_SCREENSHOT_DIR "/main-window.png");
    QVERIFY2(picture.save(path), qPrintable(path));
    qInfo("%s: %d x %d", qPrintable(path), picture.width(), picture.height());
  }
};

}  // namespace dtu::test

QTEST_MAIN(dtu::test::MainWindowScreenshot)
#include "main_window_screenshot.moc"
