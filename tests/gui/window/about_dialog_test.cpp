#include <QAbstractButton>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "gui/window/about_dialog.h"

namespace dtu::test {

class AboutDialogTest : public QObject {
  Q_OBJECT

 private:
  static QStringList Texts(const QWidget& dialog) {
    QStringList texts;
    for (const QLabel* label : dialog.findChildren<QLabel*>())
      if (!label->text().isEmpty()) texts << label->text();
    return texts;
  }

 private slots:
  void contents() {
    AboutDialog about;
    QCOMPARE(about.windowTitle(), QStringLiteral("DTU配置软件"));
    QVERIFY(about.isModal());
    QVERIFY(!about.windowIcon().isNull());
    const QStringList texts = Texts(about);
    // Name, version, Qt's version and the licence; no telephone, fax or web address.
    QCOMPARE(texts, (QStringList{"DTU配置软件", "版本：6.0",
                                 QStringLiteral("Qt 版本：") + QString::fromLatin1(qVersion()),
                                 "按 MIT 许可证发布"}));
    const auto* icon = about.findChild<QLabel*>(QStringLiteral("icon"));
    QVERIFY(icon != nullptr);
    QVERIFY(!icon->pixmap().isNull());
  }

  void enterAndTheButtonClose() {
    for (const bool by_enter : {true, false}) {
      AboutDialog about;
      about.show();
      QVERIFY(QTest::qWaitForWindowExposed(&about));
      QCOMPARE(about.findChildren<QAbstractButton*>().size(), qsizetype{1});
      QCOMPARE(about.closeButton()->text(), QStringLiteral("关闭"));
      if (by_enter)
        QTest::keyClick(&about, Qt::Key_Return);
      else
        about.closeButton()->click();
      QVERIFY(!about.isVisible());
    }
  }

  void showRunsUntilClosed() {
    bool seen = false;
    QTimer::singleShot(0, [&seen] {
      auto* shown = qobject_cast<AboutDialog*>(QApplication::activeModalWidget());
      seen = shown != nullptr && shown->isVisible();
      if (shown != nullptr) shown->close();
    });
    AboutDialog::Show(nullptr);
    QVERIFY(seen);
  }
};

}  // namespace dtu::test

QTEST_MAIN(dtu::test::AboutDialogTest)
#include "about_dialog_test.moc"
