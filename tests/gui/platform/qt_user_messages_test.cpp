#include <QAbstractButton>
#include <QApplication>
#include <QDialogButtonBox>
#include <QFile>
#include <QFileDialog>
#include <QLibraryInfo>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <functional>

#include "gui/platform/qt_file_chooser.h"
#include "gui/platform/qt_translations.h"
#include "gui/platform/qt_user_messages.h"

namespace dtu::test {

// What a shown box looked like.
struct SeenBox {
  QMessageBox::Icon icon = QMessageBox::NoIcon;
  QString title;
  QString text;
  QMessageBox::StandardButtons buttons;
  QMessageBox::StandardButton default_button = QMessageBox::NoButton;
  QStringList button_texts;
};

class QtUserMessagesTest : public QObject {
  Q_OBJECT

 private:
  // Looks at the modal box as soon as it is up, notes it and presses `press` to close it.
  SeenBox WhileShown(QMessageBox::StandardButton press, const std::function<void()>& show) {
    SeenBox seen;
    QTimer poll;
    poll.setInterval(10);
    connect(&poll, &QTimer::timeout, this, [&] {
      auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
      if (box == nullptr) return;
      poll.stop();
      seen.icon = box->icon();
      seen.title = box->windowTitle();
      seen.text = box->text();
      seen.buttons = box->standardButtons();
      for (QAbstractButton* button : box->buttons()) seen.button_texts << button->text();
      if (QPushButton* button = box->defaultButton())
        seen.default_button = box->standardButton(button);
      box->button(press)->click();
    });
    poll.start();
    show();
    return seen;
  }

 private slots:
  void showKinds_data() {
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("icon");
    QTest::newRow("plain") << static_cast<int>(MessageKind::Plain)
                           << static_cast<int>(QMessageBox::NoIcon);
    QTest::newRow("information") << static_cast<int>(MessageKind::Information)
                                 << static_cast<int>(QMessageBox::Information);
    QTest::newRow("warning") << static_cast<int>(MessageKind::Warning)
                             << static_cast<int>(QMessageBox::Warning);
    QTest::newRow("error") << static_cast<int>(MessageKind::Error)
                           << static_cast<int>(QMessageBox::Critical);
  }
  void showKinds() {
    QFETCH(int, kind);
    QFETCH(int, icon);
    QtUserMessages messages;
    const SeenBox seen = WhileShown(QMessageBox::Ok, [&] {
      messages.Show(static_cast<MessageKind>(kind), "最大长度16个字节！");
    });
    QCOMPARE(static_cast<int>(seen.icon), icon);
    QCOMPARE(seen.title, QStringLiteral("DTU配置软件"));
    QCOMPARE(seen.text, QStringLiteral("最大长度16个字节！"));
    QCOMPARE(seen.buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
  }

  void showWithCaption() {
    QtUserMessages messages;
    const SeenBox seen = WhileShown(QMessageBox::Ok, [&] {
      messages.Show(MessageKind::Warning, "请输入5到3600之间的数", "心跳时间间隔");
    });
    QCOMPARE(seen.title, QStringLiteral("心跳时间间隔"));
  }

  void ask_data() {
    QTest::addColumn<int>("default_answer");
    QTest::addColumn<int>("press");
    QTest::addColumn<int>("answer");
    QTest::newRow("no default, yes")
        << static_cast<int>(Answer::No) << static_cast<int>(QMessageBox::Yes)
        << static_cast<int>(Answer::Yes);
    QTest::newRow("no default, no")
        << static_cast<int>(Answer::No) << static_cast<int>(QMessageBox::No)
        << static_cast<int>(Answer::No);
    QTest::newRow("yes default, no")
        << static_cast<int>(Answer::Yes) << static_cast<int>(QMessageBox::No)
        << static_cast<int>(Answer::No);
  }
  void ask() {
    QFETCH(int, default_answer);
    QFETCH(int, press);
    QFETCH(int, answer);
    QtUserMessages messages;
    Answer given = Answer::No;
    const SeenBox seen = WhileShown(static_cast<QMessageBox::StandardButton>(press), [&] {
      given = messages.Ask("确定设置参数吗?", {}, static_cast<Answer>(default_answer));
    });
    QCOMPARE(static_cast<int>(given), answer);
    QCOMPARE(seen.icon, QMessageBox::Question);
    QCOMPARE(seen.title, QStringLiteral("DTU配置软件"));
    QCOMPARE(seen.text, QStringLiteral("确定设置参数吗?"));
    QCOMPARE(seen.buttons, QMessageBox::StandardButtons(QMessageBox::Yes | QMessageBox::No));
    QCOMPARE(seen.default_button, static_cast<Answer>(default_answer) == Answer::Yes
                                      ? QMessageBox::Yes
                                      : QMessageBox::No);
  }

  // Last: the translation stays installed for the rest of the program.
  void qtOwnTextsAreChinese() {
    if (!QFile::exists(QLibraryInfo::path(QLibraryInfo::TranslationsPath) +
                       QStringLiteral("/qtbase_zh_CN.qm")))
      QSKIP("Qt's Chinese translations (qt6-translations-l10n) are not installed");
    QVERIFY(InstallQtChineseTranslation(*QCoreApplication::instance()));
    QtUserMessages messages;
    const SeenBox shown =
        WhileShown(QMessageBox::Ok, [&] { messages.Show(MessageKind::Information, "已保存"); });
    QCOMPARE(shown.button_texts, QStringList{QStringLiteral("确定")});
    const SeenBox asked =
        WhileShown(QMessageBox::No, [&] { messages.Ask("确定设置参数吗?", {}, Answer::No); });
    QCOMPARE(asked.button_texts.size(), 2);
    for (const QString& text : asked.button_texts)
      QVERIFY2(text.startsWith(QStringLiteral("是")) || text.startsWith(QStringLiteral("否")),
               qPrintable(text));

    const auto dialog = QtFileChooser::CreateOpenDialog(nullptr);
    auto* buttons = dialog->findChild<QDialogButtonBox*>();
    QVERIFY(buttons != nullptr);
    QVERIFY2(buttons->button(QDialogButtonBox::Open)->text().startsWith(QStringLiteral("打开")),
             qPrintable(buttons->button(QDialogButtonBox::Open)->text()));
    QVERIFY2(buttons->button(QDialogButtonBox::Cancel)->text().startsWith(QStringLiteral("取消")),
             qPrintable(buttons->button(QDialogButtonBox::Cancel)->text()));
  }
};

}  // namespace dtu::test

QTEST_MAIN(dtu::test::QtUserMessagesTest)
#include "qt_user_messages_test.moc"
