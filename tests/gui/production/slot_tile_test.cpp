// The production window's parts without a run: a slot's tile over the typed events, the bar's
// counts and the choices remembered for the next shift.
#include <QSettings>
#include <QSignalSpy>
#include <QTest>

#include "core/production/unit_result.h"
#include "gui/production/batch_counts.h"
#include "gui/production/production_choices.h"
#include "gui/production/slot_tile.h"
#include "support/gui_test_support.h"
#include "support/temp_dir.h"

namespace dtu::test {
namespace {

SlotEvent Event(SlotStep step, int number = 0, std::optional<UnitResult> result = {}) {
  SlotEvent event;
  event.step = step;
  event.step_number = number;
  event.unit.module_serial = "869001";
  event.row_line = number >= 2 || result ? 7 : 0;
  event.result = result;
  return event;
}

}  // namespace

class SlotTileTest : public QObject {
  Q_OBJECT

 private slots:
  // What a tile says at each step: a word in large type, the unit and its row or the reason and
  // what to do, the unit's progress.
  void eachStepHasItsWord() {
    struct Case {
      SlotEvent event;
      const char* word;
      const char* detail;  // a part of it
      int progress;
    };
    const std::vector<Case> cases{
        {Event(SlotStep::WaitingForUnit), "等待设备", "请插入设备", 0},
        {Event(SlotStep::Reading, 1), "读取", "869001", 1},
        {Event(SlotStep::Writing, 2), "写入", "869001  第 7 行", 2},
        {Event(SlotStep::Checking, 3), "校验", "869001  第 7 行", 3},
        {Event(SlotStep::Done, 0, UnitResult::Ok), "完成", "869001  第 7 行", kUnitSteps},
        {Event(SlotStep::Done, 0, UnitResult::Skipped), "完成（已是这一行）", "请取下设备",
         kUnitSteps},
        {Event(SlotStep::Failed, 0, UnitResult::Rejected), "失败", "设备拒绝参数，请检查模板", 0},
        {Event(SlotStep::Failed, 0, UnitResult::NoAnswer), "失败", "设备无应答，请检查电源和接线",
         0},
        {Event(SlotStep::PortGone), "端口断开", "插回后自动继续", 0},
        {Event(SlotStep::Paused), "已暂停", "", 0},
        {Event(SlotStep::RowsFinished), "全部完成", "单元表中的行都已完成", 0},
    };
    for (const Case& c : cases) {
      SlotTile tile(1, QStringLiteral("/dev/serial/by-path/pci-0000:00:14.0-usb-0:1:1.0-port0"));
      tile.Show(c.event);
      QCOMPARE(tile.word(), Q(c.word));
      QVERIFY2(tile.detail().contains(Q(c.detail)), qPrintable(tile.detail()));
      QCOMPARE(tile.progress(), c.progress);
    }
  }

  // A failure stays in sight while the port waits for the next unit (a silent unit is waited
  // for at once); the next unit's read replaces it. Only a failed tile asks for a retry.
  void aFailureStaysUntilTheNextUnit() {
    SlotTile tile(1, QStringLiteral("slot"));
    QSignalSpy retries(&tile, &SlotTile::retryRequested);
    tile.Show(Event(SlotStep::Done, 0, UnitResult::Ok));
    QTest::mouseClick(&tile, Qt::LeftButton);
    QCOMPARE(retries.count(), 0);
    tile.Show(Event(SlotStep::Failed, 0, UnitResult::Mismatch));
    tile.Show(Event(SlotStep::WaitingForUnit));
    QCOMPARE(tile.word(), Q("失败"));
    QTest::mouseClick(&tile, Qt::LeftButton);
    QCOMPARE(retries.count(), 1);
    tile.Show(Event(SlotStep::Reading, 1));
    QCOMPARE(tile.word(), Q("读取"));
  }

  // Once the batch has stopped, no tile may say it waits, and no click may promise a retry.
  void aStoppedRunLeavesNoTileWaiting() {
    struct Case {
      SlotStep last;
      const char* word;
    };
    for (const Case& c : {Case{SlotStep::WaitingForUnit, "已停止"},
                          Case{SlotStep::Paused, "已停止"}, Case{SlotStep::PortGone, "已停止"},
                          Case{SlotStep::Done, "完成"}, Case{SlotStep::Failed, "失败"}}) {
      SlotTile tile(1, QStringLiteral("slot"));
      QSignalSpy retries(&tile, &SlotTile::retryRequested);
      tile.Show(
          Event(c.last, 0, c.last == SlotStep::Failed ? UnitResult::Rejected : UnitResult::Ok));
      tile.ShowRunEnded();
      QCOMPARE(tile.word(), Q(c.word));
      QVERIFY(!tile.detail().contains(Q("点击重试")));
      QTest::mouseClick(&tile, Qt::LeftButton);
      QCOMPARE(retries.count(), 0);
    }
  }

  void everyFailureHasItsAdvice() {
    for (const UnitResult result :
         {UnitResult::Rejected, UnitResult::Mismatch, UnitResult::NoAnswer, UnitResult::Vanished,
          UnitResult::NoRow, UnitResult::Unidentified, UnitResult::NotRecorded})
      QVERIFY2(FailureAdvice(result).find("请") != std::string_view::npos,
               ResultName(result).data());
    QVERIFY(FailureAdvice(UnitResult::Ok).empty());
  }

  // The bar counts every attempt as the record counts its results; the rate waits for a
  // minute's worth of work.
  void theCountsAndTheRate() {
    using namespace std::chrono_literals;
    const BatchCounts::Clock::time_point start{};
    BatchCounts counts(start);
    for (const UnitResult result : {UnitResult::Ok, UnitResult::Ok, UnitResult::Skipped,
                                    UnitResult::Rejected, UnitResult::NoAnswer, UnitResult::Ok})
      counts.Add(result);
    QCOMPARE(counts.ok(), 3);
    QCOMPARE(counts.skipped(), 1);
    QCOMPARE(counts.failed(), 2);
    QVERIFY(!counts.UnitsPerHour(start + 30s));
    QCOMPARE(*counts.UnitsPerHour(start + 6min), 30.0);
    QCOMPARE(counts.Text(4, start + 6min),
             std::string("成功 3   失败 2   跳过 1   剩余 4 行   每小时 30 个"));
    QCOMPARE(counts.Text(-1, start + 30s), std::string("成功 3   失败 2   跳过 1   每小时 - 个"));
  }

  void theChoicesComeBackNextShift() {
    TempDir dir;
    QSettings settings(QString::fromStdString((dir / "settings.ini").string()),
                       QSettings::IniFormat);
    ProductionChoices choices;
    choices.template_path = "/srv/line/模板.json";
    choices.units_path = "/srv/line/units.csv";
    choices.record = "postgresql://line@db/line";
    choices.station = "bench2";
    choices.operator_name = "王工";
    choices.ports = {"/dev/serial/by-path/pci-0000:00:14.0-usb-0:1:1.0-port0", "/dev/ttyS0"};
    choices.line = {115200, 'E', 7, 2, false};
    choices.timeout_seconds = 9;
    choices.Save(settings);
    const ProductionChoices back = ProductionChoices::Load(settings);
    QCOMPARE(back.template_path, choices.template_path);
    QCOMPARE(back.units_path, choices.units_path);
    QCOMPARE(back.record, choices.record);
    QCOMPARE(back.station, choices.station);
    QCOMPARE(back.operator_name, choices.operator_name);
    QCOMPARE(back.ports, choices.ports);
    QCOMPARE(back.line.baud_rate, 115200);
    QCOMPARE(back.line.parity, 'E');
    QCOMPARE(back.line.data_bits, 7);
    QCOMPARE(back.line.stop_bits, 2);
    QCOMPARE(back.timeout_seconds, 9);
  }

  void theRecordIsBesideTheTable() {
    QCOMPARE(DefaultRecordFor("/srv/line/units.csv"), std::string("/srv/line/units.db"));
    QCOMPARE(DefaultRecordFor("units"), std::string("units.db"));
    QCOMPARE(DefaultRecordFor(""), std::string());
  }
};

}  // namespace dtu::test

QTEST_MAIN(dtu::test::SlotTileTest)
#include "slot_tile_test.moc"
