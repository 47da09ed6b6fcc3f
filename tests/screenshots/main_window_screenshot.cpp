#include <QDir>
#include <QPixmap>
#include <QPushButton>
#include <QScrollBar>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>

#include "gui/window/summary_pane_view.h"
#include "support/device_test_support.h"
#include "support/main_window_fixture.h"

namespace dtu::test {

// Renders the whole main window after a read from the simulated unit into DTU_SCREENSHOT_DIR:
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

    window.resize(window.sizeHint());  // adjustSize() would cap it at the small offscreen screen
    QCoreApplication::processEvents();
    if (QWidget* focused = QApplication::focusWidget()) focused->clearFocus();  // no caret
    window.summary().verticalScrollBar()->setValue(0);
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
