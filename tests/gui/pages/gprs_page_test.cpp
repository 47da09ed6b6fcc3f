#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QTest>

#include "gui/pages/gprs_page.h"
#include "support/gui_test_support.h"
#include "support/scripted_messages.h"

namespace dtu::test {
namespace {}  // namespace

class GprsPageTest : public QObject, public PageFixture<GprsPage> {
  Q_OBJECT

 private:
  // Moves the focus from a field to the next one as the Tab key does, and lets the page react.
  void Leave(int id) {
    QWidget* field = page_->control(id);
    QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
    QApplication::sendEvent(field, &out);
    QCoreApplication::processEvents();
  }

 private slots:
  void init() { CreatePage(); }
  void cleanup() { DestroyPage(); }

  void ownDefaults() {
    // Before start-up writes its values, the page holds its own.
    const std::vector<std::pair<int, const char*>> texts{{gprs_id::kApn, ""},
                                                         {gprs_id::kDialCode, ""},
                                                         {gprs_id::kCentreIp[0], ""},
                                                         {gprs_id::kPort[0], "5001"},
                                                         {gprs_id::kCentreIp[1], "192.0.2.10"},
                                                         {gprs_id::kPort[1], "5002"},
                                                         {gprs_id::kCentreIp[2], "192.0.2.10"},
                                                         {gprs_id::kPort[2], "5003"},
                                                         {gprs_id::kCentreIp[3], "192.0.2.10"},
                                                         {gprs_id::kPort[3], "5004"},
                                                         {gprs_id::kCentreIp[4], "192.0.2.10"},
                                                         {gprs_id::kPort[4], "5005"},
                                                         {gprs_id::kCentreIp[5], "192.0.2.10"},
                                                         {gprs_id::kPort[5], "8081"},
                                                         {gprs_id::kProjectNumber, ""},
                                                         {gprs_id::kDeviceNumber, ""},
                                                         {gprs_id::kCentreNumber, ""},
                                                         {gprs_id::kHeartbeatInterval, "0"},
                                                         {gprs_id::kHeartbeatRetries, "0"},
                                                         {gprs_id::kTcpReconnectTime, "0"},
                                                         {gprs_id::kReceiverCount, "1"},
                                                         {gprs_id::kIpCount, "1"},
                                                         {gprs_id::kRegisterData, ""},
                                                         {gprs_id::kHeartbeatData, ""},
                                                         {gprs_id::kDnsPrimary, ""},
                                                         {gprs_id::kDnsSecondary, ""},
                                                         {gprs_id::kDomain[0], ""},
                                                         {gprs_id::kSimNumber, ""}};
    for (const auto& [id, text] : texts) QCOMPARE(edit(id)->text(), QString::fromUtf8(text));
    QCOMPARE(page_->list(gprs_id::kProtocol)->currentIndex(), 0);
    QVERIFY(page_->radio(gprs_id::kMainAndBackup)->isChecked());
    QVERIFY(!page_->radio(gprs_id::kGroupSend)->isChecked());
    for (int id :
         {gprs_id::kKxcProvidesIp, gprs_id::kHeartbeatTwice, gprs_id::kCustomPackets,
          gprs_id::kRegisterHex, gprs_id::kHeartbeatHex, gprs_id::kFixedDns,
          gprs_id::kDomainEnabled[0], gprs_id::kDomainEnabled[1], gprs_id::kDomainEnabled[2],
          gprs_id::kDomainEnabled[3], gprs_id::kDomainEnabled[4], gprs_id::kDomainEnabled[5]})
      QVERIFY(!page_->box(id)->isChecked());
    QVERIFY(messages_.records.empty());
  }

  // Each text field is held to what its block field can store; the message names that maximum.
  void lengthLimits_data() {
    QTest::addColumn<int>("id");
    QTest::addColumn<int>("max");
    QTest::addColumn<QString>("unit");
    QTest::newRow("APN") << gprs_id::kApn << 16 << "a";
    QTest::newRow("dial string") << gprs_id::kDialCode << 10 << "9";
    QTest::newRow("PPP user") << gprs_id::kPppUser << 8 << "u";
    QTest::newRow("PPP password") << gprs_id::kPppPassword << 8 << "p";
    QTest::newRow("mobile number") << gprs_id::kSimNumber << 11 << "1";
    QTest::newRow("main domain") << gprs_id::kDomain[0] << 30 << "d";
    QTest::newRow("domain 2") << gprs_id::kDomain[1] << 30 << "d";
    QTest::newRow("domain 3") << gprs_id::kDomain[2] << 30 << "d";
    QTest::newRow("domain 4") << gprs_id::kDomain[3] << 30 << "d";
    QTest::newRow("domain 5") << gprs_id::kDomain[4] << 30 << "d";
    QTest::newRow("domain 6") << gprs_id::kDomain[5] << 30 << "d";
    QTest::newRow("registration packet") << gprs_id::kRegisterData << 54 << "r";
    QTest::newRow("heartbeat packet") << gprs_id::kHeartbeatData << 54 << "h";
  }
  void lengthLimits() {
    QFETCH(int, id);
    QFETCH(int, max);
    QFETCH(QString, unit);
    Type(edit(id), unit.repeated(max));
    QCOMPARE(edit(id)->text(), unit.repeated(max));
    QVERIFY(messages_.records.empty());
    Type(edit(id), unit);  // one byte more than the field holds
    QCOMPARE(edit(id)->text(), unit.repeated(max));
    QVERIFY(messages_.records.empty());  // not while the user is typing
    QTRY_COMPARE(messages_.records.size(), std::size_t{1});
    QCOMPARE(Q(messages_.records[0].text), QStringLiteral("最大长度%1个字节！").arg(max));
    QCOMPARE(messages_.records[0].kind, MessageKind::Warning);
    QVERIFY(messages_.records[0].caption.empty());  // the application's title
  }

  void apnSeventeenthCharacterIsRefused() {
    Type(edit(gprs_id::kApn), QStringLiteral("abcdefghijklmnopq"));
    QCOMPARE(edit(gprs_id::kApn)->text(), QStringLiteral("abcdefghijklmnop"));
    page_->ShowWaitingMessages();  // the typing pauses
    QCOMPARE(messages_.texts(), std::vector<std::string>{"最大长度16个字节！"});
  }

  void chineseCharacterAtTheLimitIsNeverSplit() {
    // Seven Chinese characters and a letter make 15 bytes; the next character needs two.
    Type(edit(gprs_id::kApn), QStringLiteral("中国移动通信网A"));
    QVERIFY(messages_.records.empty());
    Type(edit(gprs_id::kApn), QStringLiteral("络"));
    QCOMPARE(edit(gprs_id::kApn)->text(), QStringLiteral("中国移动通信网A"));
    page_->ShowWaitingMessages();  // the typing pauses
    QCOMPARE(messages_.texts(), std::vector<std::string>{"最大长度16个字节！"});
  }

  void pastedTextIsCutAtItsLimit() {
    edit(gprs_id::kDialCode)->insert(QStringLiteral("*99***1#12345"));
    QCOMPARE(edit(gprs_id::kDialCode)->text(), QStringLiteral("*99***1#12"));
    page_->ShowWaitingMessages();  // the typing pauses
    QCOMPARE(messages_.records.size(), std::size_t{1});
  }

  void hexModeCountsDigitsWithoutSpaces() {
    page_->box(gprs_id::kRegisterHex)->click();
    const QString dump = QStringLiteral("7E ").repeated(54);  // 108 digits
    edit(gprs_id::kRegisterData)->setText(dump);
    QCOMPARE(edit(gprs_id::kRegisterData)->text(), dump);
    QVERIFY(messages_.records.empty());
    Type(edit(gprs_id::kRegisterData), QStringLiteral("7"));
    QCOMPARE(edit(gprs_id::kRegisterData)->text(), QStringLiteral("7E").repeated(54));
    page_->ShowWaitingMessages();  // the typing pauses
    QCOMPARE(messages_.texts(), std::vector<std::string>{"最大长度54个字节！"});
  }

  void emojiIsRefusedAndRemoved() {
    edit(gprs_id::kApn)->insert(QStringLiteral("CM"));
    edit(gprs_id::kApn)->insert(QString::fromUtf8("\xF0\x9F\x98\x80"));  // U+1F600
    edit(gprs_id::kApn)->insert(QStringLiteral("NET"));
    QCOMPARE(edit(gprs_id::kApn)->text(), QStringLiteral("CMNET"));
    page_->ShowWaitingMessages();  // the typing pauses
    QCOMPARE(messages_.records.size(), std::size_t{1});
    QCOMPARE(Q(messages_.records[0].text),
             QString::fromUtf8(
                 "不能输入字符 \"\xF0\x9F\x98\x80\" (U+1F600)：该字符无法用GBK编码保存。"));
    QCOMPARE(messages_.records[0].kind, MessageKind::Warning);
  }

  void emojiIsRefusedInFieldsWithoutLimit() {
    edit(gprs_id::kCentreIp[0])->setText(QString::fromUtf8("10.0.0.1\xF0\x9F\x98\x80"));
    QCOMPARE(edit(gprs_id::kCentreIp[0])->text(), QStringLiteral("10.0.0.1"));
    QCOMPARE(messages_.records.size(), std::size_t{1});
  }

  void hexToggle_data() {
    QTest::addColumn<int>("box");
    QTest::addColumn<int>("field");
    QTest::newRow("registration") << gprs_id::kRegisterHex << gprs_id::kRegisterData;
    QTest::newRow("heartbeat") << gprs_id::kHeartbeatHex << gprs_id::kHeartbeatData;
  }
  void hexToggle() {
    QFETCH(int, box);
    QFETCH(int, field);
    edit(field)->setText(QStringLiteral("AB"));
    page_->box(box)->click();
    QCOMPARE(edit(field)->text(), QStringLiteral("41 42 "));
    page_->box(box)->click();
    QCOMPARE(edit(field)->text(), QStringLiteral("AB"));

    page_->box(box)->click();
    edit(field)->setText(QStringLiteral("41 00 42 "));
    page_->box(box)->click();
    QCOMPARE(edit(field)->text(), QStringLiteral("A"));

    page_->box(box)->click();  // checked again
    edit(field)->setText(QStringLiteral("4"));
    page_->box(box)->click();  // one character stays when the box is cleared
    QCOMPARE(edit(field)->text(), QStringLiteral("4"));
    edit(field)->clear();
    page_->box(box)->click();  // an empty field stays empty either way
    QCOMPARE(edit(field)->text(), QString());
    page_->box(box)->click();
    QCOMPARE(edit(field)->text(), QString());
    QVERIFY(messages_.records.empty());
  }

  void hexToggleShowsChineseAsGbkBytes() {
    edit(gprs_id::kRegisterData)->setText(QStringLiteral("中A"));
    page_->box(gprs_id::kRegisterHex)->click();
    QCOMPARE(edit(gprs_id::kRegisterData)->text(), QStringLiteral("D6 D0 41 "));
    page_->box(gprs_id::kRegisterHex)->click();
    QCOMPARE(edit(gprs_id::kRegisterData)->text(), QStringLiteral("中A"));
  }

  void hexToggleFollowsTheBoxWhenAnEntryIsRefused() {
    edit(gprs_id::kReceiverCount)->setText(QStringLiteral("0"));
    edit(gprs_id::kRegisterData)->setText(QStringLiteral("AB"));
    page_->box(gprs_id::kRegisterHex)->click();
    QCOMPARE(messages_.texts(), std::vector<std::string>{"“请填入一个在1和32之间的整数。”"});
    QCOMPARE(edit(gprs_id::kRegisterData)->text(), QStringLiteral("41 42 "));
  }

  void receiveNumberCheck() {
    Type(edit(gprs_id::kCentreNumber), QStringLiteral("65536"));
    QCOMPARE(edit(gprs_id::kCentreNumber)->text(), QStringLiteral("6553"));
    page_->ShowWaitingMessages();  // the typing pauses
    QCOMPARE(messages_.texts(), std::vector<std::string>{"最大数值为65535！"});
    QCOMPARE(messages_.records[0].kind, MessageKind::Warning);
    QVERIFY(messages_.records[0].caption.empty());
    Type(edit(gprs_id::kCentreNumber), QStringLiteral("5"));
    QCOMPARE(edit(gprs_id::kCentreNumber)->text(), QStringLiteral("65535"));
    QCOMPARE(messages_.records.size(), std::size_t{1});
  }

  // A refused entry gives the field back what it held before: the unit's value or the last
  // accepted one, never a constant.
  void rangeChecksOnLeaving_data() {
    QTest::addColumn<int>("id");
    QTest::addColumn<QString>("entry");
    QTest::addColumn<bool>("accepted");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("caption");
    const QString heartbeat_text = QStringLiteral("请输入5到3600之间的数");
    const QString heartbeat_caption = QStringLiteral("心跳时间间隔");
    const int heartbeat = gprs_id::kHeartbeatInterval;
    QTest::newRow("heartbeat 4") << heartbeat << "4" << false << heartbeat_text
                                 << heartbeat_caption;
    QTest::newRow("heartbeat 5") << heartbeat << "5" << true << ""
                                 << "";
    QTest::newRow("heartbeat 3600") << heartbeat << "3600" << true << ""
                                    << "";
    QTest::newRow("heartbeat 3601")
        << heartbeat << "3601" << false << heartbeat_text << heartbeat_caption;
    const QString tcp_text = QStringLiteral("请输入20到60之间的数");
    const QString tcp_caption = QStringLiteral("TCP 连接时间");
    const int tcp = gprs_id::kTcpReconnectTime;
    QTest::newRow("tcp 19") << tcp << "19" << false << tcp_text << tcp_caption;
    QTest::newRow("tcp 20") << tcp << "20" << true << ""
                            << "";
    QTest::newRow("tcp 60") << tcp << "60" << true << ""
                            << "";
    QTest::newRow("tcp 61") << tcp << "61" << false << tcp_text << tcp_caption;
    const QString retries_text = QStringLiteral("请输入3到10之间的数");
    const QString retries_caption = QStringLiteral("重拨好号前心跳不回应次数");
    const int retries = gprs_id::kHeartbeatRetries;
    QTest::newRow("retries 2") << retries << "2" << false << retries_text << retries_caption;
    QTest::newRow("retries 3") << retries << "3" << true << ""
                               << "";
    QTest::newRow("retries 10") << retries << "10" << true << ""
                                << "";
    QTest::newRow("retries 11") << retries << "11" << false << retries_text << retries_caption;
  }
  void rangeChecksOnLeaving() {
    QFETCH(int, id);
    QFETCH(QString, entry);
    QFETCH(bool, accepted);
    QFETCH(QString, message);
    QFETCH(QString, caption);
    // The other range fields hold acceptable values, as after start-up; the field itself the
    // value a load wrote, which need not be within the range.
    page_->setText(gprs_id::kHeartbeatInterval, QStringLiteral("30"));
    page_->setText(gprs_id::kTcpReconnectTime, QStringLiteral("20"));
    page_->setText(gprs_id::kHeartbeatRetries, QStringLiteral("5"));
    page_->setText(id, QStringLiteral("4000"));
    edit(id)->setText(entry);
    Leave(id);
    QCOMPARE(edit(id)->text(), accepted ? entry : QStringLiteral("4000"));
    if (message.isEmpty()) {
      QVERIFY(messages_.records.empty());
    } else {
      QCOMPARE(messages_.records.size(), std::size_t{1});
      QCOMPARE(Q(messages_.records[0].text), message);
      QCOMPARE(Q(messages_.records[0].caption), caption);
      QCOMPARE(messages_.records[0].kind, MessageKind::Warning);
    }
  }

  // Typed with the real focus: the field goes back to the value it held when the user entered
  // it, also after an accepted entry.
  void leavingWithTheRealFocus() {
    page_->show();
    page_->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(page_.get()));
    page_->setText(gprs_id::kHeartbeatInterval, QStringLiteral("60"));  // the unit's
    QLineEdit* heartbeat = edit(gprs_id::kHeartbeatInterval);
    const auto enter = [&](const QString& typed) {
      heartbeat->setFocus(Qt::TabFocusReason);
      heartbeat->selectAll();
      QTest::keyClicks(heartbeat, typed);
      edit(gprs_id::kRegisterData)->setFocus(Qt::TabFocusReason);
    };
    enter(QStringLiteral("2"));
    QTRY_COMPARE(heartbeat->text(), QStringLiteral("60"));
    QCOMPARE(messages_.texts(), std::vector<std::string>{"请输入5到3600之间的数"});
    enter(QStringLiteral("45"));
    enter(QStringLiteral("4000"));
    QTRY_COMPARE(heartbeat->text(), QStringLiteral("45"));
    QCOMPARE(messages_.records.size(), std::size_t{2});
  }

  void leavingAPortRunsTheExchangeChecks() {
    edit(gprs_id::kPort[0])->clear();
    Leave(gprs_id::kPort[0]);
    QCOMPARE(messages_.texts(), std::vector<std::string>{"“请填入一个正整数。”"});
    messages_.clear();
    edit(gprs_id::kPort[0])->setText(QStringLiteral("1234"));
    edit(gprs_id::kPort[3])->clear();  // the fourth port is checked only with the page
    Leave(gprs_id::kPort[3]);
    QVERIFY(messages_.records.empty());
    QCOMPARE(page_->CheckEntries(), gprs_id::kPort[3]);
  }

  void receiverCountEntries_data() {
    QTest::addColumn<QString>("entry");
    QTest::addColumn<bool>("accepted");
    QTest::addColumn<QString>("message");
    const QString range = QStringLiteral("“请填入一个在1和32之间的整数。”");
    const QString byte = QStringLiteral("“请填入一个在0和255之间的整数。”");
    QTest::newRow("0") << "0" << false << range;
    QTest::newRow("1") << "1" << true << "";
    QTest::newRow("32") << "32" << true << "";
    QTest::newRow("33") << "33" << false << range;
    QTest::newRow("255") << "255" << false << range;
    QTest::newRow("256") << "256" << false << byte;
    QTest::newRow("empty") << "" << false << byte;
  }
  void receiverCountEntries() {
    QFETCH(QString, entry);
    QFETCH(bool, accepted);
    QFETCH(QString, message);
    page_->show();
    page_->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(page_.get()));
    edit(gprs_id::kApn)->setFocus();
    edit(gprs_id::kReceiverCount)->setText(entry);
    QCOMPARE(page_->CheckEntries() == 0, accepted);
    if (accepted) {
      QVERIFY(messages_.records.empty());
      QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(edit(gprs_id::kApn)));
    } else {
      QCOMPARE(messages_.records.size(), std::size_t{1});
      QCOMPARE(Q(messages_.records[0].text), message);
      QCOMPARE(messages_.records[0].kind, MessageKind::Warning);
      QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(edit(gprs_id::kReceiverCount)));
      QCOMPARE(edit(gprs_id::kReceiverCount)->selectedText(), entry);
    }
  }

  // A number field takes digits only, as it is typed.
  void numberFieldsTakeDigitsOnly_data() {
    QTest::addColumn<int>("id");
    for (int id : {gprs_id::kProjectNumber, gprs_id::kDeviceNumber, gprs_id::kCentreNumber,
                   gprs_id::kReceiverCount, gprs_id::kIpCount, gprs_id::kHeartbeatInterval,
                   gprs_id::kPort[0], gprs_id::kPort[5]})
      QTest::addRow("%d", id) << id;
  }
  void numberFieldsTakeDigitsOnly() {
    QFETCH(int, id);
    edit(id)->clear();
    QTest::keyClicks(edit(id), QStringLiteral("12abc-3 4"));
    QCOMPARE(edit(id)->text(), QStringLiteral("1234"));
  }

  void numericEntries_data() {
    QTest::addColumn<int>("id");
    QTest::addColumn<QString>("entry");
    for (int id : {gprs_id::kHeartbeatInterval, gprs_id::kHeartbeatRetries,
                   gprs_id::kTcpReconnectTime, gprs_id::kPort[0], gprs_id::kPort[1],
                   gprs_id::kPort[2], gprs_id::kPort[3], gprs_id::kPort[4], gprs_id::kPort[5]}) {
      QTest::addRow("%d empty", id) << id << "";
      QTest::addRow("%d too large", id) << id << "4294967296";
    }
  }
  void numericEntries() {
    QFETCH(int, id);
    QFETCH(QString, entry);
    edit(id)->setText(entry);
    QCOMPARE(page_->CheckEntries(), id);
    QCOMPARE(messages_.texts(), std::vector<std::string>{"“请填入一个正整数。”"});
  }

  void exchangeChecksStopAtTheFirstRefusedField() {
    edit(gprs_id::kReceiverCount)->setText(QStringLiteral("0"));
    edit(gprs_id::kPort[0])->clear();
    QCOMPARE(page_->CheckEntries(), gprs_id::kReceiverCount);
    QCOMPARE(messages_.records.size(), std::size_t{1});  // only the first refusal is reported
  }

  void domainBoxClickRunsTheExchangeChecks() {
    edit(gprs_id::kPort[1])->clear();
    page_->box(gprs_id::kDomainEnabled[1])->click();  // the other 启用 boxes do not
    QVERIFY(messages_.records.empty());
    page_->box(gprs_id::kDomainEnabled[0])->click();
    QCOMPARE(messages_.texts(), std::vector<std::string>{"“请填入一个正整数。”"});
  }

  void hiddenFieldTravelsWithItsLabel() {
    page_->setFieldVisible(gprs_id::kCentreNumber, false);
    QVERIFY(page_->edit(gprs_id::kCentreNumber)->isHidden());
    QVERIFY(page_->labelFor(gprs_id::kCentreNumber)->isHidden());
  }
};

}  // namespace dtu::test

QTEST_MAIN(dtu::test::GprsPageTest)
#include "gprs_page_test.moc"
