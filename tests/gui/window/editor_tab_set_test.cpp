#include <QGroupBox>
#include <QRadioButton>
#include <QTabBar>
#include <QTest>

#include "core/block/parameter_block.h"
#include "gui/pages/gprs_page.h"
#include "gui/pages/serial_page.h"
#include "gui/pages/sms_page.h"
#include "gui/window/editor_tab_set.h"
#include "gui/window/main_window_ids.h"
#include "support/gui_test_support.h"
#include "support/scripted_messages.h"

namespace dtu::test {

class EditorTabSetTest : public QObject {
  Q_OBJECT

 private:
  ScriptedMessages messages_;
  ParameterBlock block_;
  std::unique_ptr<EditorTabSet> tabs_;

  QTabBar* bar() { return tabs_->tabBar(); }

  // Which page is shown: "gprs", "sms" or "serial", and that exactly one is.
  QString ShownPage() {
    QStringList shown;
    if (tabs_->gprsPage().isVisibleTo(tabs_.get())) shown << QStringLiteral("gprs");
    if (tabs_->smsPage().isVisibleTo(tabs_.get())) shown << QStringLiteral("sms");
    if (tabs_->serialPage().isVisibleTo(tabs_.get())) shown << QStringLiteral("serial");
    return shown.join(QLatin1Char(','));
  }

  void CheckTabs(const QString& first, int first_image) {
    QCOMPARE(bar()->count(), 2);
    QCOMPARE(bar()->tabText(0), first);
    QCOMPARE(bar()->tabData(0).toInt(), first_image);
    QCOMPARE(bar()->tabText(1), QStringLiteral("串口参数"));
    QCOMPARE(bar()->tabData(1).toInt(), 3);
    QCOMPARE(bar()->currentIndex(), 0);
  }

 private slots:
  void init() {
    messages_ = ScriptedMessages();
    block_ = ParameterBlock();
    tabs_ = std::make_unique<EditorTabSet>(block_, messages_);
  }
  void cleanup() { tabs_.reset(); }

  void startsInGprsMode() {
    CheckTabs(QStringLiteral("GPRS参数"), 2);
    QCOMPARE(ShownPage(), QStringLiteral("gprs"));
    QVERIFY(!tabs_->CheckedMode().has_value());
    QCOMPARE(tabs_->control(main_id::kPageTabs), static_cast<QWidget*>(bar()));
  }

  void modeRadios() {
    QCOMPARE(tabs_->modeRadio(main_id::kGprsModeRadio)->text(), QStringLiteral("GPRS"));
    QCOMPARE(tabs_->modeRadio(main_id::kSmsModeRadio)->text(), QStringLiteral("短信"));
    QCOMPARE(tabs_->modeRadio(main_id::kDualModeRadio)->text(), QStringLiteral("双通道"));
    QVERIFY(!tabs_->modeRadio(main_id::kGprsModeRadio)->isHidden());
    QVERIFY(!tabs_->modeRadio(main_id::kSmsModeRadio)->isHidden());
    QVERIFY(tabs_->modeRadio(main_id::kDualModeRadio)->isHidden());
    QVERIFY(tabs_->modeRadio(main_id::kPageTabs) == nullptr);
  }

  void tabImagesAreSixteenPixels() {
    std::vector<QImage> images;
    for (int i = 0; i < 5; ++i) {
      const QIcon& icon = tabs_->tabImage(i);
      QVERIFY2(!icon.isNull(), qPrintable(QStringLiteral("image %1").arg(i)));
      QCOMPARE(icon.availableSizes().value(0), QSize(16, 16));
      images.push_back(icon.pixmap(16, 16).toImage());
    }
    for (std::size_t i = 0; i < images.size(); ++i)
      for (std::size_t j = i + 1; j < images.size(); ++j) QVERIFY(images[i] != images[j]);
    QCOMPARE(bar()->tabIcon(0).pixmap(16, 16).toImage(), images[2]);
    QCOMPARE(bar()->tabIcon(1).pixmap(16, 16).toImage(), images[3]);
  }

  void clickingSmsAndBack() {
    tabs_->modeRadio(main_id::kSmsModeRadio)->click();
    QCOMPARE(block_.work_mode(), 1);
    CheckTabs(QStringLiteral("短信参数"), 1);
    QCOMPARE(ShownPage(), QStringLiteral("sms"));

    tabs_->modeRadio(main_id::kGprsModeRadio)->click();
    QCOMPARE(block_.work_mode(), 0);
    CheckTabs(QStringLiteral("GPRS参数"), 2);
    QCOMPARE(ShownPage(), QStringLiteral("gprs"));
    QVERIFY(messages_.records.empty());
  }

  void modeClickSelectsTheFirstTab() {
    bar()->setCurrentIndex(1);
    QCOMPARE(ShownPage(), QStringLiteral("serial"));
    tabs_->modeRadio(main_id::kSmsModeRadio)->click();
    QCOMPARE(bar()->currentIndex(), 0);
    QCOMPARE(ShownPage(), QStringLiteral("sms"));
  }

  void secondTabShowsTheSerialPage_data() {
    QTest::addColumn<int>("mode");
    QTest::newRow("gprs") << 0;
    QTest::newRow("sms") << 1;
    QTest::newRow("dual") << 2;
  }
  void secondTabShowsTheSerialPage() {
    QFETCH(int, mode);
    block_.set_work_mode(static_cast<std::uint8_t>(mode));
    tabs_->RebuildTabSet(block_.work_mode());
    tabs_->ShowSelectedPage(block_.work_mode());
    bar()->setCurrentIndex(1);
    QCOMPARE(ShownPage(), QStringLiteral("serial"));
    bar()->setCurrentIndex(0);
    QCOMPARE(ShownPage(), mode == 1 ? QStringLiteral("sms") : QStringLiteral("gprs"));
  }

  void dualModeFromALoadedBlock() {
    // What loading a block with work_mode 2 does: rebuild, show, check the hidden radio.
    block_.set_work_mode(2);
    tabs_->RebuildTabSet(2);
    tabs_->ShowSelectedPage(2);
    tabs_->CheckModeRadio(2);
    CheckTabs(QStringLiteral("GPRS参数"), 2);
    QCOMPARE(ShownPage(), QStringLiteral("gprs"));
    QVERIFY(tabs_->modeRadio(main_id::kDualModeRadio)->isChecked());
    QVERIFY(tabs_->modeRadio(main_id::kDualModeRadio)->isHidden());
    QVERIFY(tabs_->CheckedMode() == std::optional<std::uint8_t>(2));
    QCOMPARE(block_.work_mode(), 2);
  }

  void checkModeRadio_data() {
    QTest::addColumn<int>("mode");
    QTest::addColumn<int>("checked");
    QTest::newRow("gprs") << 0 << main_id::kGprsModeRadio;
    QTest::newRow("sms") << 1 << main_id::kSmsModeRadio;
    QTest::newRow("dual") << 2 << main_id::kDualModeRadio;
    QTest::newRow("other") << 3 << main_id::kUnitModeRadio;  // shown as the unit's own
  }
  void checkModeRadio() {
    QFETCH(int, mode);
    QFETCH(int, checked);
    tabs_->CheckModeRadio(1);
    tabs_->CheckModeRadio(static_cast<std::uint8_t>(mode));
    for (int id : {main_id::kGprsModeRadio, main_id::kSmsModeRadio, main_id::kDualModeRadio,
                   main_id::kUnitModeRadio})
      QCOMPARE(tabs_->modeRadio(id)->isChecked(), id == checked);
    QCOMPARE(tabs_->CheckedMode(), std::optional<std::uint8_t>(mode));
    QCOMPARE(block_.work_mode(), 0);  // checking is not clicking
    QCOMPARE(bar()->tabText(0), QStringLiteral("GPRS参数"));
  }

  void serialGroupsFollowTheMode_data() { AddModeGroupRows(); }
  void serialGroupsFollowTheMode() {
    QFETCH(int, mode);
    QFETCH(bool, tags);
    QFETCH(bool, notices);
    block_.set_work_mode(static_cast<std::uint8_t>(mode));
    tabs_->RebuildTabSet(block_.work_mode());
    bar()->setCurrentIndex(1);  // the user picks the serial tab
    SerialPage& serial = tabs_->serialPage();
    QCOMPARE(serial.group(serial_id::kRxTagGroup)->isVisibleTo(&serial), tags);
    QCOMPARE(serial.group(serial_id::kTxTagGroup)->isVisibleTo(&serial), tags);
    QCOMPARE(serial.group(serial_id::kGprsNoticeGroup)->isVisibleTo(&serial), notices);
    QCOMPARE(serial.group(serial_id::kTcpNoticeGroup)->isVisibleTo(&serial), notices);
  }

  void switchingToSmsAndBackHidesAndShowsTheNotices() {
    tabs_->modeRadio(main_id::kSmsModeRadio)->click();
    QVERIFY(
        !tabs_->serialPage().group(serial_id::kGprsNoticeGroup)->isVisibleTo(&tabs_->serialPage()));
    tabs_->modeRadio(main_id::kGprsModeRadio)->click();
    QVERIFY(
        tabs_->serialPage().group(serial_id::kGprsNoticeGroup)->isVisibleTo(&tabs_->serialPage()));
    QVERIFY(!tabs_->serialPage().group(serial_id::kRxTagGroup)->isVisibleTo(&tabs_->serialPage()));
  }

  void pagesKeepTheirContentsWhileHidden() {
    tabs_->gprsPage().edit(gprs_id::kApn)->setText(QStringLiteral("KEEP"));
    tabs_->modeRadio(main_id::kSmsModeRadio)->click();
    tabs_->modeRadio(main_id::kGprsModeRadio)->click();
    QCOMPARE(tabs_->gprsPage().edit(gprs_id::kApn)->text(), QStringLiteral("KEEP"));
  }

  void shownOnScreen() {
    tabs_->show();
    QVERIFY(QTest::qWaitForWindowExposed(tabs_.get()));
    QVERIFY(tabs_->gprsPage().isVisible());
    QVERIFY(!tabs_->smsPage().isVisible());
    QTest::mouseClick(tabs_->modeRadio(main_id::kSmsModeRadio), Qt::LeftButton);
    QCOMPARE(block_.work_mode(), 1);
    QVERIFY(tabs_->smsPage().isVisible());
    QVERIFY(!tabs_->gprsPage().isVisible());
  }
};

}  // namespace dtu::test

QTEST_MAIN(dtu::test::EditorTabSetTest)
#include "editor_tab_set_test.moc"
