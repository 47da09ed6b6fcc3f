// The production window over the production core, against simulated units on real
// pseudo-terminals: a good unit, one that rejects its block and a silent one, each on a slot of
// its own; then a new unit on the finished slot's port, noticed without a click.
#include <QAction>
#include <QMenuBar>
#include <QPushButton>
#include <QSettings>
#include <QTest>

#include <memory>
#include <string>
#include <vector>

#include "core/production/provision_inputs.h"
#include "core/record/production_record.h"
#include "gui/production/production_ids.h"
#include "gui/production/production_window.h"
#include "gui/production/slot_tile.h"
#include "support/device_test_support.h"
#include "support/gui_test_support.h"
#include "support/main_window_fixture.h"
#include "support/scripted_file_chooser.h"
#include "support/sim_unit.h"

namespace dtu::test {
namespace {

using namespace std::chrono_literals;
constexpr auto kLimit = 30s;

SimUnit* Linked(const TempDir& dir, const std::string& gsn, const std::string& slot,
                std::vector<std::string> faults = {}) {
  faults.insert(faults.begin(), {"--link", (dir / slot).string()});
  return new SimUnit(dir, gsn, faults);
}

struct Line {
  explicit Line(std::vector<std::string> first_faults = {}) {
    units.emplace_back(Linked(dir, "8101", "slot-a", std::move(first_faults)));
    units.emplace_back(Linked(dir, "8102", "slot-b", {"--fault", "reject"}));
    units.emplace_back(Linked(dir, "8103", "slot-c", {"--fault", "silent"}));
    WriteAllBytes(dir / "template.mts", units[0]->State());
    WriteAllBytes(dir / "units.csv", std::string("device_number\n101\n102\n103\n104\n"));
    environment.given.template_path = (dir / "template.mts").string();
    environment.given.units_path = (dir / "units.csv").string();
    environment.given.ports = {slot("slot-a"), slot("slot-b"), slot("slot-c")};
    environment.list_ports = [] { return std::vector<SerialPortInfo>{}; };
    environment.settings_file = QString::fromStdString((dir / "settings.ini").string());
  }
  std::string slot(const std::string& name) const { return (dir / name).string(); }
  std::unique_ptr<ProductionWindow> Window() {
    return std::make_unique<ProductionWindow>(messages, files, environment);
  }

  TempDir dir;
  std::vector<std::unique_ptr<SimUnit>> units;
  ProductionEnvironment environment;
  ScriptedMessages messages;
  ScriptedFileChooser files;
};

// The record's figures of the window's batch: its one station's counts by outcome.
StationFigures Figures(const std::string& record) {
  RecordError error;
  const auto opened = ProductionRecord::Open(record, ProductionRecord::Access::Read, error);
  std::vector<BatchReport> report;
  if (!opened || !opened->Report({}, report).ok() || report.empty() ||
      report.front().stations.empty())
    return {};
  return report.front().stations.front();
}

class ProductionWindowTest : public QObject {
  Q_OBJECT

 private slots:
  void eachTileShowsItsUnitsCourseAndOutcome() {
    Line line;
    auto window = line.Window();
    window->show();
    QCOMPARE(window->choices().record, (line.dir / "units.db").string());
    QVERIFY(window->Start());
    QCOMPARE(window->tileCount(), 3);
    SlotTile& good = *window->tile(0);
    SlotTile& rejecting = *window->tile(1);
    SlotTile& silent = *window->tile(2);
    QVERIFY(WaitFor([&] { return good.step() == SlotStep::Done; }, kLimit));
    QVERIFY(WaitFor([&] { return rejecting.step() == SlotStep::Failed; }, kLimit));
    QCOMPARE(good.word(), Q("完成"));
    // The two answering units take the first two rows, whichever comes first; the tile names
    // the row the unit got.
    const int row = good.detail().contains(Q("8101  第 2 行")) ? 2 : 3;
    QVERIFY(good.detail().contains(Q("8101  第 %1 行").arg(row)));
    QCOMPARE(good.progress(), kUnitSteps);
    QCOMPARE(rejecting.word(), Q("失败"));
    QVERIFY(rejecting.detail().contains(Q("设备拒绝参数，请检查模板")));
    // A unit that never answers cannot be told from an empty slot.
    QCOMPARE(silent.word(), Q("等待设备"));
    QCOMPARE(line.units[0]->Block().device_number(), 99u + row);

    // One click on the red tile tries the rejecting unit again.
    QTest::mouseClick(&rejecting, Qt::LeftButton);
    QVERIFY(WaitFor([&] { return window->counts().failed() == 2; }, kLimit));

    // The good unit is taken out and another plugged into its slot: written without a click.
    line.units[0].reset();
    QVERIFY(WaitFor([&] { return good.step() == SlotStep::PortGone; }, kLimit));
    line.units[0].reset(Linked(line.dir, "8104", "slot-a"));
    QVERIFY(WaitFor([&] { return window->counts().ok() == 2; }, kLimit));
    QVERIFY(WaitFor([&] { return good.detail().contains(Q("8104")); }, kLimit));
    // A row no unit ended well with: the record hands out the first free one.
    const auto number = line.units[0]->Block().device_number();
    QVERIFY(number != 99u + row && number >= 101u && number <= 104u);

    // The record holds one result per attempt, counted as the bar counts them.
    const StationFigures figures = Figures(window->choices().record);
    QCOMPARE(figures.count(RecordOutcome::Ok), window->counts().ok());
    QCOMPARE(figures.count(RecordOutcome::Rejected), window->counts().failed());
    QCOMPARE(figures.results, 4);
    // The window speaks Chinese, and so does its report.
    QVERIFY(window->ReportText().find("已完成") != std::string::npos);

    qobject_cast<QPushButton*>(window->control(production_id::kStopButton))->click();
    QVERIFY(WaitFor([&] { return !window->running(); }, kLimit));
    QCOMPARE(line.messages.texts(), std::vector<std::string>{});
  }

  // Paused, no slot starts a unit; "继续" lets them go on. The run starts with silent units
  // only, so that no slot can be under way with a unit when the pause comes; a good unit is
  // plugged in while the run is paused.
  void aPausedRunStartsNoUnit() {
    Line line({"--fault", "silent"});
    line.units[1].reset(Linked(line.dir, "8102", "slot-b", {"--fault", "silent"}));
    auto window = line.Window();
    QVERIFY(window->Start());
    auto* pause = qobject_cast<QPushButton*>(window->control(production_id::kPauseButton));
    pause->click();
    QCOMPARE(pause->text(), Q(kResumeCaption));
    QVERIFY(WaitFor(
        [&] {
          for (int i = 0; i < window->tileCount(); ++i)
            if (window->tile(i)->step() != SlotStep::Paused) return false;
          return true;
        },
        kLimit));
    line.units[0].reset(Linked(line.dir, "8104", "slot-a"));
    const auto untouched = line.units[0]->Stamp();
    // A while with a unit in the slot: the slot stays paused and the unit untouched (this can
    // only miss a fault, never invent one).
    QTest::qWait(300);
    QCOMPARE(window->tile(0)->step(), SlotStep::Paused);
    QVERIFY(line.units[0]->Stamp() == untouched);
    pause->click();
    QCOMPARE(pause->text(), Q(kPauseCaption));
    QVERIFY(WaitFor([&] { return window->tile(0)->step() == SlotStep::Done; }, kLimit));
  }

  // A unit answering in small pieces keeps its slot busy for seconds: closing then asks first.
  void closingWhileAUnitIsUnderWayAsksFirst() {
    Line line({"--fault", "chunked"});
    auto window = line.Window();
    window->show();
    QVERIFY(window->Start());
    QVERIFY(WaitFor([&] { return window->tile(0)->step() == SlotStep::Reading; }, kLimit));
    QVERIFY(window->busy());
    line.messages.answers = {Answer::No};
    window->reject();
    QVERIFY(window->isVisible());
    QVERIFY(window->running());
    QCOMPARE(line.messages.texts(), std::vector<std::string>{std::string(kCloseWhileBusyQuestion)});
    line.messages.answers = {Answer::Yes};
    window->reject();
    QVERIFY(!window->isVisible());
  }

  void faultsAreNamedBeforeAnyUnitIsTouched() {
    struct Case {
      const char* name;
      std::function<void(Line&)> spoil;
      std::string fault;  // what the message begins with or holds
    };
    const std::vector<Case> cases{
        {"no slot", [](Line& l) { l.environment.given.ports.clear(); }, std::string(kNoSlotChosen)},
        {"a record that cannot be made",
         [](Line& l) { l.environment.given.record = l.slot("no-such-folder/line.db"); },
         NothingWrittenText()},
        {"a row that does not fit",
         [](Line& l) { WriteAllBytes(l.dir / "units.csv", std::string("no_such_field\n1\n")); },
         NothingWrittenText()},
        {"a template that is no parameter file",
         [](Line& l) { WriteAllBytes(l.dir / "template.mts", std::string("x")); },
         "template.mts: "},
    };
    for (const Case& c : cases) {
      Line line;
      const auto untouched = line.units[0]->Stamp();
      c.spoil(line);
      auto window = line.Window();
      QVERIFY2(!window->Start(), c.name);
      QVERIFY2(line.messages.records.size() == 1, c.name);
      QVERIFY2(line.messages.records.front().text.find(c.fault) != std::string::npos,
               line.messages.records.front().text.c_str());
      QVERIFY2(!window->running(), c.name);
      QVERIFY2(line.units[0]->Stamp() == untouched, c.name);
    }
  }

  // The configuration window reaches the production window from a menu of its own, whose key
  // is not the port button's Alt+P.
  void theConfigurationWindowsMenuHasTheItem() {
    MainWindowFixture f;
    f.Create();
    QAction* item = f.window->action(main_id::kBatchConfigCommand);
    QVERIFY(item != nullptr);
    QCOMPARE(item->text(), Q(kBatchConfigItem));
    QStringList menus;
    for (QAction* menu : f.window->menuBar()->actions()) menus << menu->text();
    QVERIFY(menus.contains(Q(kProductionMenu)));
    for (const QString& menu : menus)
      QVERIFY2(!menu.contains(QStringLiteral("&P")), qPrintable(menu));
  }

  void theChoicesAreRememberedForTheNextShift() {
    Line line;
    {
      auto window = line.Window();
      QVERIFY(window->Start());
      window->reject();
    }
    line.environment.given = {};
    auto next = line.Window();
    const ProductionChoices remembered = next->choices();
    QCOMPARE(remembered.template_path, (line.dir / "template.mts").string());
    QCOMPARE(remembered.record, (line.dir / "units.db").string());
    QCOMPARE(remembered.ports.size(), std::size_t{3});
  }
};

}  // namespace
}  // namespace dtu::test

QTEST_MAIN(dtu::test::ProductionWindowTest)
#include "production_window_test.moc"
