#include <QDir>
#include <QPixmap>
#include <QTest>

#include "gui/production/production_window.h"
#include "gui/production/slot_tile.h"
#include "support/device_test_support.h"
#include "support/scripted_file_chooser.h"
#include "support/scripted_messages.h"
#include "support/sim_unit.h"

namespace dtu::test {

// Renders the production window with three slots, each with a simulated unit: one written and
// checked, one that rejects its block and one waiting, into DTU_SCREENSHOT_DIR: the source of
// docs/production-window.png.
class ProductionWindowScreenshot : public QObject {
  Q_OBJECT

 private slots:
  void threeSlots() {
    TempDir dir;
    std::vector<std::unique_ptr<SimUnit>> units;
    const std::vector<std::pair<std::string, std::vector<std::string>>> kinds{
        {"860001", {}}, {"860002", {"--fault", "reject"}}, {"860003", {"--fault", "silent"}}};
    ProductionEnvironment environment;
    for (std::size_t i = 0; i < kinds.size(); ++i) {
      const std::string link = (dir / ("ttyUSB" + std::to_string(i))).string();
      std::vector<std::string> args = kinds[i].second;
      args.insert(args.begin(), {"--link", link});
      units.push_back(std::make_unique<SimUnit>(dir, kinds[i].first, args));
      environment.given.ports.push_back(link);
    }
    WriteAllBytes(dir / "template.mts", units[0]->State());
    WriteAllBytes(dir / "units.csv", std::string("device_number\n101\n102\n103\n"));
    environment.given.template_path = (dir / "template.mts").string();
    environment.given.units_path = (dir / "units.csv").string();
    environment.list_ports = [] { return std::vector<SerialPortInfo>{}; };
    environment.settings_file = QString::fromStdString((dir / "settings.ini").string());
    ScriptedMessages messages;
    ScriptedFileChooser files;
    ProductionWindow window(messages, files, std::move(environment));
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QVERIFY(window.Start());
    QVERIFY(WaitFor(
        [&] {
          return window.tile(0)->step() == SlotStep::Done &&
                 window.tile(1)->step() == SlotStep::Failed;
        },
        std::chrono::seconds(30)));
    window.resize(1100, 760);
    QCoreApplication::processEvents();
    const QPixmap picture = window.grab();
    QVERIFY(QDir().mkpath(QStringLiteral(DTU_SCREENSHOT_DIR)));
    const QString path = QStringLiteral(DTU_SCREENSHOT_DIR "/production-window.png");
    QVERIFY2(picture.save(path), qPrintable(path));
    qInfo("%s: %d x %d", qPrintable(path), picture.width(), picture.height());
  }
};

}  // namespace dtu::test

QTEST_MAIN(dtu::test::ProductionWindowScreenshot)
#include "production_window_screenshot.moc"
