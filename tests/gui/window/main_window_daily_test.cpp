#include <QLineEdit>
#include <QTest>

#include "gui/pages/gprs_page.h"
#include "gui/window/editor_tab_set.h"
#include "gui/window/pages_source.h"
#include "support/main_window_fixture.h"
#include "support/temp_dir.h"

namespace dtu::test {

// The main window as a day's work uses it: the title with its source and "*".
class MainWindowDailyTest : public QObject {
  Q_OBJECT

 private:
  MainWindowFixture f_;

  MainConfigDialog& window() { return *f_.window; }
  QLineEdit* Apn() { return window().tabs().gprsPage().edit(gprs_id::kApn); }
  void TypeApn(const QString& text) {
    Apn()->setFocus();
    QTest::keyClicks(Apn(), text);
  }

 private slots:
  void init() {
    f_.messages = ScriptedMessages();
    f_.files = ScriptedFileChooser();
    f_.machine_ports = {"/dev/ttyS0"};
    f_.Create();
    window().show();
    QVERIFY(QTest::qWaitForWindowExposed(&window()));
  }
  void cleanup() {
    window().pagesSource().setModified(false);
    f_.Destroy();
  }

  // ---- title ----

  void titleFollowsSourceAndEdits() {
    const QString name = QStringLiteral("DTU配置软件 版本6.0 — ");
    QCOMPARE(window().windowTitle(), name + "默认参数");
    TypeApn(QStringLiteral("x"));
    QCOMPARE(window().windowTitle(), name + "默认参数 *");
    const TempDir dir;
    f_.files.save_answers.push_back(dir / "站点.bpp");
    window().SaveParameterFile();
    QCOMPARE(window().windowTitle(), name + "默认参数");  // saved: no "*", the source stays
    TypeApn(QStringLiteral("y"));
    window().OpenParameterFileAt(dir / "站点.bpp");
    QCOMPARE(window().windowTitle(), name + "站点.bpp");
    QVERIFY(f_.messages.records.empty());
  }

  void closingWithEditsAsksFirst() {
    TypeApn(QStringLiteral("x"));
    f_.messages.answers = {Answer::No};
    QVERIFY(!window().close());
    QVERIFY(window().isVisible());
    QCOMPARE(f_.messages.texts(), std::vector<std::string>{std::string(kUnsavedCloseQuestion)});
    f_.messages.answers = {Answer::Yes};
    QVERIFY(window().close());
    QVERIFY(!window().isVisible());
  }
};

}  // namespace dtu::test

QTEST_MAIN(dtu::test::MainWindowDailyTest)
#include "main_window_daily_test.moc"
