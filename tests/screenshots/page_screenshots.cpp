#include <QApplication>
#include <QDir>
#include <QPixmap>
#include <QRadioButton>
#include <QTabBar>
#include <QTest>

#include "core/block/parameter_block.h"
#include "gui/pages/gprs_page.h"
#include "gui/pages/serial_page.h"
#include "gui/pages/sms_page.h"
#include "gui/window/editor_tab_set.h"
#include "gui/window/main_window_ids.h"
#include "gui/window/startup_values.h"
#include "support/scripted_messages.h"

namespace dtu::test {

// Renders each page alone, as it looks after start-up, into DTU_SCREENSHOT_DIR: a picture to
// look at after layout changes, and the source of the pictures in docs/.
class PageScreenshots : public QObject {
  Q_OBJECT

 private:
  static void Save(QWidget& widget, const QString& name) {
    widget.show();
    QVERIFY(QTest::qWaitForWindowExposed(&widget));
    QCoreApplication::processEvents();  // let the layouts settle after the last change
    widget.resize(widget.sizeHint());   // adjustSize() would cap it at the small offscreen screen
    QCoreApplication::processEvents();
    if (QWidget* focused = QApplication::focusWidget()) focused->clearFocus();  // no caret
    const QPixmap picture = widget.grab();
    QVERIFY(!picture.isNull());
    QVERIFY(QDir().mkpath(QStringLiteral(DTU_SCREENSHOT_DIR)));
    const QString path = QStringLiteral(DTU_SCREENSHOT_DIR "/") + name;
    QVERIFY2(picture.save(path), qPrintable(path));
  }

 private slots:
  void pages() {
    ScriptedMessages messages;
    GprsPage gprs(messages);
    SmsPage sms(messages);
    SerialPage serial(messages);
    WriteStartupValues(gprs, sms, serial);
    serial.ShowGroupsForMode(2);  // every group, as in dual-channel mode
    Save(gprs, QStringLiteral("gprs-page.png"));
    Save(sms, QStringLiteral("sms-page.png"));
    Save(serial, QStringLiteral("serial-page.png"));
    QVERIFY(messages.records.empty());
  }

  void tabSet() {
    ScriptedMessages messages;
    ParameterBlock block;
    EditorTabSet tabs(block, messages);
    WriteStartupValues(tabs.gprsPage(), tabs.smsPage(), tabs.serialPage());
    tabs.CheckModeRadio(0);
    tabs.ShowSelectedPage(0);
    Save(tabs, QStringLiteral("tab-set.png"));
    tabs.modeRadio(main_id::kSmsModeRadio)->click();
    Save(tabs, QStringLiteral("tab-set-sms.png"));
    tabs.tabBar()->setCurrentIndex(1);
    Save(tabs, QStringLiteral("tab-set-serial-sms-mode.png"));
  }
};

}  // namespace dtu::test

QTEST_MAIN(dtu::test::PageScreenshots)
#include "page_screenshots.moc"
