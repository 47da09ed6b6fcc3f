#include <QImage>
#include <QSignalSpy>
#include <QTest>

#include "gui/window/gauge_geometry.h"
#include "gui/window/main_window_ids.h"
#include "gui/window/signal_gauge.h"

namespace dtu::test {

class SignalGaugeTest : public QObject {
  Q_OBJECT

 private:
  static QColor At(const QImage& image, int x, int y) { return image.pixelColor(x, y); }

 private slots:
  void barsOfTheSixtyFiveByTwentyGauge() {
    const GaugeShapes shapes = LayoutGauge(65, 20, 0);
    QCOMPARE(shapes.bars.size(), std::size_t{20});
    // Step 15 / 20 = 0.75 pixel per bar, the top cut to an integer.
    QCOMPARE(shapes.bars[0], (GaugeRect{2, 18, 5, 18}));  // no height: bar 0 covers nothing
    QCOMPARE(shapes.bars[1], (GaugeRect{5, 18, 8, 18}));  // 0.75 cut to 0: still nothing
    QCOMPARE(shapes.bars[2], (GaugeRect{8, 17, 11, 18}));
  }

  void colouredBarsAndColours_data() {
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("height");
    QTest::addColumn<int>("value");
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("coloured");
    QTest::addColumn<QColor>("colour");
    const QColor red(255, 0, 0), magenta(255, 0, 255), blue(0, 0, 255), green(0, 255, 0);
    QTest::newRow("9 weak") << 65 << 20 << 9 << 20 << 5 << red;
    QTest::newRow("10 fair") << 65 << 20 << 10 << 20 << 6 << magenta;
    QTest::newRow("14 fair") << 65 << 20 << 14 << 20 << 9 << magenta;
    QTest::newRow("15 good") << 65 << 20 << 15 << 20 << 9 << blue;
    QTest::newRow("18 good") << 65 << 20 << 18 << 20 << 11 << blue;
    QTest::newRow("20 strong") << 65 << 20 << 20 << 20 << 12 << green;
    QTest::newRow("31 full") << 65 << 20 << 31 << 20 << 20 << green;
    QTest::newRow("32 counts as 0") << 65 << 20 << 32 << 20 << 0 << red;
    QTest::newRow("99 counts as 0") << 65 << 20 << 99 << 20 << 0 << red;
    QTest::newRow("0") << 65 << 20 << 0 << 20 << 0 << red;
    QTest::newRow("negative") << 65 << 20 << -5 << 20 << 0 << red;
    QTest::newRow("31 bars, one per step") << 98 << 26 << 17 << 31 << 17 << blue;
    QTest::newRow("too narrow for a bar") << 7 << 20 << 20 << 0 << 0 << green;
    QTest::newRow("one bar") << 8 << 20 << 31 << 1 << 1 << green;
  }

  void colouredBarsAndColours() {
    QFETCH(int, width);
    QFETCH(int, height);
    QFETCH(int, value);
    QFETCH(int, count);
    QFETCH(int, coloured);
    QFETCH(QColor, colour);
    const GaugeShapes shapes = LayoutGauge(width, height, value);
    QCOMPARE(static_cast<int>(shapes.bars.size()), count);
    QCOMPARE(shapes.coloured_bars, coloured);
    QCOMPARE(QColor(shapes.colour.red, shapes.colour.green, shapes.colour.blue), colour);
  }

  void barGeometry() {
    const GaugeShapes shapes = LayoutGauge(65, 20, 0);
    // Outline: along the baseline to x = 3n, up by the inner height, back to the start.
    QCOMPARE(shapes.outline[0], (GaugePoint{2, 18}));
    QCOMPARE(shapes.outline[1], (GaugePoint{60, 18}));
    QCOMPARE(shapes.outline[2], (GaugePoint{60, 3}));
    QCOMPARE(shapes.outline[3], (GaugePoint{2, 18}));
    // Bars stand side by side, 3 pixels wide, on the baseline; bar i rises by (int)(i * 0.75).
    for (std::size_t i = 0; i < shapes.bars.size(); ++i) {
      const GaugeRect& bar = shapes.bars[i];
      QCOMPARE(bar.left, 2 + 3 * static_cast<int>(i));
      QCOMPARE(bar.right, bar.left + 3);
      QCOMPARE(bar.bottom, 18);
      QCOMPARE(bar.top, 18 - static_cast<int>(static_cast<double>(i) * 0.75));
    }
    QCOMPARE(shapes.bars[19].top, 4);
  }

  void tooLowForTheMargins() {
    // Bars never turn upside down, whatever the area.
    for (const GaugeRect& bar : LayoutGauge(65, 3, 31).bars) QVERIFY(bar.top <= bar.bottom);
  }

  void paintsTheLayout() {
    SignalGauge gauge;
    gauge.setFixedSize(65, 20);
    gauge.setValue(18);
    const QImage image = gauge.grab().toImage();
    QCOMPARE(image.size(), QSize(65, 20));
    QCOMPARE(At(image, 1, 1), QColor(255, 255, 0));      // yellow ground
    QCOMPARE(At(image, 20, 16), QColor(0, 0, 255));      // bar 6 of 11 coloured: blue
    QCOMPARE(At(image, 50, 16), QColor(160, 160, 160));  // bar 16: grey
    QCOMPARE(At(image, 30, 18), QColor(192, 192, 192));  // the baseline of the outline
    gauge.setValue(32);
    const QImage empty = gauge.grab().toImage();
    QCOMPARE(At(empty, 20, 16), QColor(160, 160, 160));
  }

  void paletteAndClick() {
    SignalGauge gauge;
    QCOMPARE(gauge.objectName(), QString::number(main_id::kSignalGauge));
    QCOMPARE(gauge.palette().color(QPalette::Window), QColor(255, 255, 0));
    QCOMPARE(gauge.palette().color(QPalette::WindowText), QColor(255, 0, 0));
    QCOMPARE(gauge.value(), 0);
    QSignalSpy clicks(&gauge, &SignalGauge::clicked);
    QTest::mouseClick(&gauge, Qt::LeftButton);
    QCOMPARE(clicks.count(), 1);
    QTest::mouseClick(&gauge, Qt::RightButton);
    QCOMPARE(clicks.count(), 1);
  }
};

}  // namespace dtu::test

QTEST_MAIN(dtu::test::SignalGaugeTest)
#include "signal_gauge_test.moc"
