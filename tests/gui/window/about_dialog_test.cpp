#include <QAbstractButton>
#include <QLabel>
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
    QCOMPARE(texts.size(), 3);
    QCOMPARE(texts.at(0), QStringLiteral("配置软件"));
    QCOMPARE(texts.at(1), QStringLiteral("版本：6.0"));
    QVERIFY(texts.at(2).contains(QStringLiteral("MIT")));  // the maker and the licence
    const auto* icon = about.findChild<QLabel*>(QStringLiteral("icon"));
    QVERIFY(icon != nullptr);
    QVERIFY(!icon->pixmap().isNull());
    QCOMPARE(about.findChildren<QAbstractButton*>().size(), qsizetype{0});  // no buttons of its own
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
