#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QHelpEvent>
#include <QLineEdit>
#include <QRadioButton>
#include <QTest>
#include <QToolTip>

#include "core/block/parameter_block.h"
#include "gui/pages/page_exchange.h"
#include "gui/pages/serial_page.h"
#include "support/gui_test_support.h"
#include "support/scripted_messages.h"

namespace dtu::test {

class SerialPageTest : public QObject, public PageFixture<SerialPage> {
  Q_OBJECT

 private slots:
  void init() { CreatePage(); }

  // The line on what the field sets stays whole; the long description wraps.
  void tooltipShowsTheLimitLineWhole() {
    page_->show();
    QVERIFY(QTest::qWaitForWindowExposed(page_.get()));
    QLineEdit* notice = edit(serial_id::kFrameHead);
    QHelpEvent ask(QEvent::ToolTip, QPoint(2, 2), notice->mapToGlobal(QPoint(2, 2)));
    QApplication::sendEvent(notice, &ask);
    QTRY_VERIFY(QToolTip::isVisible());
    const QString shown = QToolTip::text();
    QToolTip::hideText();
    QVERIFY2(shown.startsWith(QStringLiteral("<p style=\"white-space:pre\">包头：最多8个字节")),
             qPrintable(shown));
    QVERIFY2(shown.contains(QStringLiteral("<p>包头包尾：")), qPrintable(shown));
  }
  void cleanup() { DestroyPage(); }

  void ownDefaults() {
    QCOMPARE(edit(serial_id::kGprsNotice)->text(), QStringLiteral("GPRSOK\r\n"));
    QCOMPARE(edit(serial_id::kTcpNotice)->text(), QStringLiteral("TCPOK\r\n"));
    for (int id : {serial_id::kPollInterval, serial_id::kPollCommand, serial_id::kPollCommandLength,
                   serial_id::kTimedReceiveInterval, serial_id::kFrameDelay, serial_id::kFrameHead,
                   serial_id::kFrameTail, serial_id::kGprsRxTag, serial_id::kSmsRxTag,
                   serial_id::kGprsTxTag, serial_id::kSmsTxTag})
      QCOMPARE(edit(id)->text(), QString());
    for (int id :
         {serial_id::kBaudRate, serial_id::kParity, serial_id::kDataBits, serial_id::kStopBits})
      QCOMPARE(page_->list(id)->currentIndex(), -1);
    QVERIFY(!page_->radio(serial_id::kByDelay)->isChecked());
    QVERIFY(!page_->radio(serial_id::kByHeadAndTail)->isChecked());
    QVERIFY(messages_.records.empty());
  }

  // Every byte field is held to its block field, in bytes also in hex mode.
  void lengthLimits_data() {
    QTest::addColumn<int>("id");
    QTest::addColumn<int>("hex_box");
    QTest::addColumn<int>("max");
    const std::vector<std::tuple<const char*, int, int, int>> fields{
        {"head", serial_id::kFrameHead, serial_id::kFrameHeadHex, 8},
        {"tail", serial_id::kFrameTail, serial_id::kFrameTailHex, 8},
        {"command", serial_id::kPollCommand, serial_id::kPollCommandHex, 10},
        {"gprs rx tag", serial_id::kGprsRxTag, serial_id::kGprsRxTagHex, 8},
        {"sms rx tag", serial_id::kSmsRxTag, serial_id::kSmsRxTagHex, 8},
        {"gprs tx tag", serial_id::kGprsTxTag, serial_id::kGprsTxTagHex, 8},
        {"sms tx tag", serial_id::kSmsTxTag, serial_id::kSmsTxTagHex, 8},
        {"gprs notice", serial_id::kGprsNotice, serial_id::kGprsNoticeHex, 10},
        {"tcp notice", serial_id::kTcpNotice, serial_id::kTcpNoticeHex, 10}};
    for (const auto& [name, id, hex_box, max] : fields) {
      QTest::addRow("%s text", name) << id << 0 << max;
      QTest::addRow("%s hex", name) << id << hex_box << max;
    }
  }
  void lengthLimits() {
    QFETCH(int, id);
    QFETCH(int, hex_box);
    QFETCH(int, max);
    edit(id)->clear();
    if (hex_box != 0) page_->box(hex_box)->click();
    const QString unit = hex_box != 0 ? QStringLiteral("3A ") : QStringLiteral("x");
    edit(id)->insert(unit.repeated(max));
    QCOMPARE(edit(id)->text(), unit.repeated(max));
    QVERIFY(messages_.records.empty());
    Type(edit(id), QStringLiteral("3"));
    page_->ShowWaitingMessages();  // the typing pauses
    const QString kept = hex_box != 0 ? QStringLiteral("3A").repeated(max) : unit.repeated(max);
    QCOMPARE(edit(id)->text(), kept);
    QCOMPARE(messages_.records.size(), std::size_t{1});
    QCOMPARE(Q(messages_.records[0].text), QStringLiteral("最大长度%1个字节！").arg(max));
  }

  void packetHeadNinthCharacter() {
    Type(edit(serial_id::kFrameHead), QStringLiteral("#########"));
    QCOMPARE(edit(serial_id::kFrameHead)->text(), QStringLiteral("########"));
    QTRY_COMPARE(messages_.records.size(), std::size_t{1});  // once the typing pauses
    QCOMPARE(messages_.texts(), std::vector<std::string>{"最大长度8个字节！"});
  }

  void packetHeadHexCut() {
    page_->box(serial_id::kFrameHeadHex)->click();
    edit(serial_id::kFrameHead)->setText(QStringLiteral("01 02 03 04 05 06 07 08 "));
    QCOMPARE(edit(serial_id::kFrameHead)->text(), QStringLiteral("01 02 03 04 05 06 07 08 "));
    QVERIFY(messages_.records.empty());
    edit(serial_id::kFrameHead)->setText(QStringLiteral("01 02 03 04 05 06 07 08 09"));
    QCOMPARE(edit(serial_id::kFrameHead)->text(), QStringLiteral("0102030405060708"));
    QCOMPARE(messages_.texts(), std::vector<std::string>{"最大长度8个字节！"});
  }

  void packetHeadHexTyped() {
    page_->box(serial_id::kFrameHeadHex)->click();
    Type(edit(serial_id::kFrameHead), QStringLiteral("23 24 25 26 27 28 29 2A 2B"));
    QCOMPARE(edit(serial_id::kFrameHead)->text(), QStringLiteral("232425262728292A"));
    // The two keys past the limit are refused; the message comes once, when the typing pauses.
    page_->ShowWaitingMessages();
    QCOMPARE(messages_.texts(), std::vector<std::string>{"最大长度8个字节！"});
  }

  void commandLength_data() {
    QTest::addColumn<bool>("hex");
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("length");
    QTest::newRow("text") << false << "Read"
                          << "4";
    QTest::newRow("chinese") << false << "读取"
                             << "4";
    QTest::newRow("empty") << false << ""
                           << "0";
    QTest::newRow("dump") << true << "52 65 61 64 "
                          << "4";
    QTest::newRow("three bytes") << true << "52 65 61"
                                 << "3";
    QTest::newRow("half a byte") << true << "52 65 6"
                                 << "2";
  }
  void commandLength() {
    QFETCH(bool, hex);
    QFETCH(QString, command);
    QFETCH(QString, length);
    edit(serial_id::kPollCommand)->setText(QStringLiteral("x"));
    if (hex) page_->box(serial_id::kPollCommandHex)->click();
    edit(serial_id::kPollCommand)->setText(command);
    QCOMPARE(edit(serial_id::kPollCommandLength)->text(), length);
  }

  void commandLengthFollowsABoxSetWithoutAClick() {
    // As when a loaded block checks the box and fills the field.
    page_->setChecked(serial_id::kPollCommandHex, true);
    edit(serial_id::kPollCommand)->setText(QStringLiteral("52 65 61 "));
    QCOMPARE(edit(serial_id::kPollCommandLength)->text(), QStringLiteral("3"));
  }

  void commandLengthAfterToggle() {
    edit(serial_id::kPollCommand)->setText(QStringLiteral("Read"));
    page_->box(serial_id::kPollCommandHex)->click();
    QCOMPARE(edit(serial_id::kPollCommand)->text(), QStringLiteral("52 65 61 64 "));
    QCOMPARE(edit(serial_id::kPollCommandLength)->text(), QStringLiteral("4"));
    page_->box(serial_id::kPollCommandHex)->click();
    QCOMPARE(edit(serial_id::kPollCommand)->text(), QStringLiteral("Read"));
    QCOMPARE(edit(serial_id::kPollCommandLength)->text(), QStringLiteral("4"));
  }

  void hexToggles_data() {
    QTest::addColumn<int>("box");
    QTest::addColumn<int>("field");
    const std::vector<std::pair<int, int>> pairs{
        {serial_id::kFrameHeadHex, serial_id::kFrameHead},
        {serial_id::kFrameTailHex, serial_id::kFrameTail},
        {serial_id::kPollCommandHex, serial_id::kPollCommand},
        {serial_id::kGprsRxTagHex, serial_id::kGprsRxTag},
        {serial_id::kSmsRxTagHex, serial_id::kSmsRxTag},
        {serial_id::kGprsTxTagHex, serial_id::kGprsTxTag},
        {serial_id::kSmsTxTagHex, serial_id::kSmsTxTag},
        {serial_id::kGprsNoticeHex, serial_id::kGprsNotice},
        {serial_id::kTcpNoticeHex, serial_id::kTcpNotice}};
    for (const auto& [box, field] : pairs) QTest::addRow("%d-%d", box, field) << box << field;
  }
  void hexToggles() {
    QFETCH(int, box);
    QFETCH(int, field);
    edit(field)->setText(QStringLiteral("AB"));
    page_->box(box)->click();
    QCOMPARE(edit(field)->text(), QStringLiteral("41 42 "));
    page_->box(box)->click();
    QCOMPARE(edit(field)->text(), QStringLiteral("AB"));
    page_->box(box)->click();
    edit(field)->setText(QStringLiteral("0D 0A "));
    page_->box(box)->click();
    QCOMPARE(edit(field)->text(), QStringLiteral("\r\n"));
    page_->box(box)->click();
    edit(field)->setText(QStringLiteral("41 00 42 "));
    page_->box(box)->click();
    QCOMPARE(edit(field)->text(), QStringLiteral("A"));
    QVERIFY(messages_.records.empty());
  }

  void gprsNoticeAsHex() {
    page_->box(serial_id::kGprsNoticeHex)->click();
    QCOMPARE(edit(serial_id::kGprsNotice)->text(), QStringLiteral("47 50 52 53 4F 4B 0D 0A "));
    page_->box(serial_id::kGprsNoticeHex)->click();
    QCOMPARE(edit(serial_id::kGprsNotice)->text(), QStringLiteral("GPRSOK\r\n"));
  }

  void groupsFollowTheMode_data() {
    AddModeGroupRows();
    QTest::newRow("unknown") << 7 << false << true;
  }
  void groupsFollowTheMode() {
    QFETCH(int, mode);
    QFETCH(bool, tags);
    QFETCH(bool, notices);
    edit(serial_id::kGprsRxTag)->setText(QStringLiteral("AT+9"));
    page_->ShowGroupsForMode(static_cast<std::uint8_t>(mode));
    for (int id : {serial_id::kRxTagGroup, serial_id::kTxTagGroup, serial_id::kGprsRxTag,
                   serial_id::kGprsRxTagHex, serial_id::kSmsRxTag, serial_id::kSmsRxTagHex,
                   serial_id::kGprsTxTag, serial_id::kGprsTxTagHex, serial_id::kSmsTxTag,
                   serial_id::kSmsTxTagHex, serial_id::kGprsRxTagLabel, serial_id::kSmsRxTagLabel,
                   serial_id::kGprsTxTagLabel, serial_id::kSmsTxTagLabel})
      QCOMPARE(page_->control(id)->isVisibleTo(page_.get()), tags);
    for (int id : {serial_id::kGprsNoticeGroup, serial_id::kTcpNoticeGroup, serial_id::kGprsNotice,
                   serial_id::kGprsNoticeHex, serial_id::kGprsNoticeLabel, serial_id::kTcpNotice,
                   serial_id::kTcpNoticeHex, serial_id::kTcpNoticeLabel})
      QCOMPARE(page_->control(id)->isVisibleTo(page_.get()), notices);
    for (int id : {serial_id::kBaudRate, serial_id::kParity, serial_id::kPollCommand,
                   serial_id::kPollCommandHex, serial_id::kByDelay, serial_id::kByHeadAndTail,
                   serial_id::kFrameHead, serial_id::kFrameTail, serial_id::kTimedReceive})
      QVERIFY(page_->control(id)->isVisibleTo(page_.get()));
    // Hidden fields keep their values and are still collected.
    QCOMPARE(edit(serial_id::kGprsRxTag)->text(), QStringLiteral("AT+9"));
    page_->radio(serial_id::kByDelay)->click();
    page_->list(serial_id::kBaudRate)->setCurrentIndex(6);
    page_->list(serial_id::kParity)->setCurrentIndex(0);
    page_->list(serial_id::kDataBits)->setCurrentIndex(0);
    page_->list(serial_id::kStopBits)->setCurrentIndex(0);
    edit(serial_id::kFrameDelay)->setText(QStringLiteral("150"));
    edit(serial_id::kPollInterval)->setText(QStringLiteral("0"));
    edit(serial_id::kTimedReceiveInterval)->setText(QStringLiteral("0"));
    ParameterBlock block;
    QVERIFY(CollectPage(*page_, block).ok());
    QCOMPARE(block.gprs_rx_tag(), (std::vector<std::uint8_t>{'A', 'T', '+', '9'}));
  }

  void emojiIsRefused() {
    edit(serial_id::kGprsNotice)->insert(QString::fromUtf8("OK\xF0\x9F\x98\x80"));
    QCOMPARE(edit(serial_id::kGprsNotice)->text(), QStringLiteral("GPRSOK\r\nOK"));
    QTRY_COMPARE(messages_.records.size(), std::size_t{1});
  }
};

}  // namespace dtu::test

QTEST_MAIN(dtu::test::SerialPageTest)
#include "serial_page_test.moc"
