#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QHelpEvent>
#include <QLineEdit>
#include <QRadioButton>
#include <QTest>
#include <QToolTip>

#include "gui/pages/serial_page.h"
#include "support/gui_test_support.h"
#include "support/scripted_messages.h"

namespace dtu::test {
namespace {

constexpr const char* kHeadTailTip =
    "包头包尾：接收到了设定的包头和包尾，则认为一个数据包接收完成，并进行相应的处理，包头包尾之间可"
    "允"
    "许时间停顿。在业务数据没有和包头包尾重复的情况下可使用此模式，反之则不要使用。";
constexpr const char* kPollTip =
    "串口定时输出命令：设备串口定时输出设定的命令，可用于定时召唤下位机的数据,"
    "定时设为0则停止此功能。";
constexpr const char* kTimedTip =
    "串口接收数据定时处理：可定时处理串口收到的数据，在下位机数据量很大的情况下，此功能可定时去处理"
    "数"
    "据，每个定时间隔处理一次，可减少无线数据流量。";

const char* const kPort = "设备串口";
const char* const kPoll = "串口定时输出命令";
const char* const kFraming = "串口接收数据处理方式";
const char* const kRx = "串口接收：数据通道选择标识     双通道方式";
const char* const kTx = "串口输出：数据来源标识输出    双通道方式";
const char* const kGprsNotice = "GPRS入网通知";
const char* const kTcpNotice = "TCP连接通知";

std::vector<ExpectedControl> ExpectedControls() {
  return {
      {serial_id::kBaudRate,
       'L',
       "",
       kPort,
       kShown,
       "",
       {"110", "300", "600", "1200", "2400", "4800", "9600", "19200", "38400", "57600", "115200",
        "230400", "460800", "921600"}},
      {serial_id::kParity, 'L', "", kPort, kShown, "", {"无校验", "奇校验", "偶校验"}},
      {serial_id::kDataBits, 'L', "", kPort, kShown, "", {"8", "7"}},
      {serial_id::kStopBits, 'L', "", kPort, kShown, "", {"1", "2"}},
      {serial_id::kPollInterval, 'E', "定时", kPoll, kDigits, kPollTip, {}},
      {serial_id::kPollCommand, 'E', "命令", kPoll, kShown, kPollTip, {}},
      {serial_id::kPollCommandHex, 'C', "16进制", kPoll, kShown, "", {}},
      {serial_id::kPollCommandLength, 'E', "长度", kPoll, kReadOnlyEdit, "", {}},
      {serial_id::kTimedReceive, 'C', "定时接收", kFraming, kShown, kTimedTip, {}},
      {serial_id::kTimedReceiveInterval, 'E', "时间(秒)", kFraming, kDigits, kTimedTip, {}},
      {serial_id::kByDelay,
       'R',
       "延时分包",
       kFraming,
       kShown,
       "时间分包：在一个数据字节后若个毫秒内没有收到数据，则认为一个数据包接收完成，并进行相应的处"
       "理。",
       {}},
      {serial_id::kByHeadAndTail, 'R', "包头包尾", kFraming, kShown, kHeadTailTip, {}},
      {serial_id::kFrameDelay, 'E', "延时(毫秒)", kFraming, kDigits, "", {}},
      {serial_id::kFrameHead, 'E', "包头", kFraming, kShown, kHeadTailTip, {}},
      {serial_id::kFrameHeadHex, 'C', "16进制", kFraming, kShown, "", {}},
      {serial_id::kFrameTail, 'E', "包尾", kFraming, kShown, kHeadTailTip, {}},
      {serial_id::kFrameTailHex, 'C', "16进制", kFraming, kShown, "", {}},
      {serial_id::kRxTagGroup, 'G', kRx, "<none>", kShown, "", {}},
      {serial_id::kGprsRxTag,
       'E',
       "GPRS",
       kRx,
       kShown,
       "双通道方式下，串口收到的数据前面几个字节用来识别无线通道。例：此命令识别为AT+"
       "1，则串口接收到的"
       "整个数据包为：AT+1xxxx  表示把xxxx通过短信通道发送到GPRS应用中心的IP地址上。",
       {}},
      {serial_id::kGprsRxTagLabel, 'S', "GPRS", kRx, kShown, "", {}},
      {serial_id::kGprsRxTagHex, 'C', "16进制", kRx, kShown, "", {}},
      {serial_id::kSmsRxTag,
       'E',
       "短信",
       kRx,
       kShown,
       "双通道方式下，串口收到的数据前面几个字节用来识别无线通道。例：此命令识别为AT+"
       "2，则串口接收到的"
       "整个数据包为：AT+28613800000000:xxxx  表示把xxxx通过短信通道发送到8613800000000的手机上。",
       {}},
      {serial_id::kSmsRxTagLabel, 'S', "短信", kRx, kShown, "", {}},
      {serial_id::kSmsRxTagHex, 'C', "16进制", kRx, kShown, "", {}},
      {serial_id::kTxTagGroup, 'G', kTx, "<none>", kShown, "", {}},
      {serial_id::kGprsTxTag,
       'E',
       "GPRS",
       kTx,
       kShown,
       "双通道方式下,收到GPRS数据后先输出此命令。例：此识别为AT+1，串口输出：AT+1xxxx  "
       "表示收到了来自"
       "GPRS应用中欣IP地址的数据xxxx。",
       {}},
      {serial_id::kGprsTxTagLabel, 'S', "GPRS", kTx, kShown, "", {}},
      {serial_id::kGprsTxTagHex, 'C', "16进制", kTx, kShown, "", {}},
      {serial_id::kSmsTxTag,
       'E',
       "短信",
       kTx,
       kShown,
       "双通道方式下,收到短信数据后先输出此命令。例：此识别为AT+2，串口输出：AT+28613800000000:"
       "xxxx  "
       "表示收到了来自手机号28613800000000的短信数据xxxx。如果短信参数中输出包含号码设为不包含，则"
       "输出："
       "AT+2xxxx",
       {}},
      {serial_id::kSmsTxTagLabel, 'S', "短信", kTx, kShown, "", {}},
      {serial_id::kSmsTxTagHex, 'C', "16进制", kTx, kShown, "", {}},
      {serial_id::kGprsNoticeGroup, 'G', kGprsNotice, "<none>", kShown, "", {}},
      {serial_id::kGprsNotice,
       'E',
       "内容",
       kGprsNotice,
       kShown,
       "GPRS入网后将从串口发出此内容。",
       {}},
      {serial_id::kGprsNoticeLabel, 'S', "内容", kGprsNotice, kShown, "", {}},
      {serial_id::kGprsNoticeHex, 'C', "16进制", kGprsNotice, kShown, "", {}},
      {serial_id::kTcpNoticeGroup, 'G', kTcpNotice, "<none>", kShown, "", {}},
      {serial_id::kTcpNotice,
       'E',
       "内容",
       kTcpNotice,
       kShown,
       "TCP协议连接到服务器后将从串口发出此内容。",
       {}},
      {serial_id::kTcpNoticeLabel, 'S', "内容", kTcpNotice, kShown, "", {}},
      {serial_id::kTcpNoticeHex, 'C', "16进制", kTcpNotice, kShown, "", {}},
  };
}

}  // namespace

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

  void controls_data() { AddControlRows(ExpectedControls()); }
  void controls() { CheckControlRow(*page_, ExpectedControls()); }

  void everyControlIdIsExpected() { CheckIdSet(*page_, ExpectedControls()); }

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
    QCOMPARE(page_->members().frame_mode, -1);
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
    const QString kept = hex_box != 0 ? QStringLiteral("3A").repeated(max) : unit.repeated(max);
    QCOMPARE(edit(id)->text(), kept);
    QCOMPARE(messages_.records.size(), std::size_t{1});
    QCOMPARE(Q(messages_.records[0].text), QStringLiteral("最大长度%1个字节！").arg(max));
  }

  void packetHeadNinthCharacter() {
    Type(edit(serial_id::kFrameHead), QStringLiteral("#########"));
    QCOMPARE(edit(serial_id::kFrameHead)->text(), QStringLiteral("########"));
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
    // Each of the two keys past the limit is refused with the message.
    QCOMPARE(messages_.texts(), std::vector<std::string>(2, "最大长度8个字节！"));
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
    QCOMPARE(page_->members().poll_command_hex, 1);
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
    QCOMPARE(page_->members().gprs_notice_hex, 1);
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
    // Hidden fields keep their values and are still exchanged.
    QCOMPARE(edit(serial_id::kGprsRxTag)->text(), QStringLiteral("AT+9"));
    QVERIFY(page_->ExchangeToMembers());
    QCOMPARE(page_->members().gprs_rx_tag, std::string("AT+9"));
  }

  void exchangeCoversEveryField() {
    page_->box(serial_id::kTimedReceive)->click();  // a click on 定时接收 exchanges at once
    QCOMPARE(page_->members().timed_receive, 1);
    page_->radio(serial_id::kByHeadAndTail)->click();
    edit(serial_id::kFrameDelay)->setText(QStringLiteral("200"));
    QVERIFY(page_->ExchangeToMembers());
    QCOMPARE(page_->members().frame_mode, 1);
    QCOMPARE(page_->members().frame_delay, std::string("200"));

    SerialMembers& m = page_->members();
    m.frame_mode = -1;
    m.frame_head = "7E ";
    m.frame_head_hex = 1;
    m.tcp_notice = "CONNECT";
    page_->ExchangeToControls();
    QVERIFY(!page_->radio(serial_id::kByDelay)->isChecked());
    QVERIFY(!page_->radio(serial_id::kByHeadAndTail)->isChecked());
    QVERIFY(page_->box(serial_id::kFrameHeadHex)->isChecked());
    QCOMPARE(edit(serial_id::kFrameHead)->text(), QStringLiteral("7E "));
    QCOMPARE(edit(serial_id::kTcpNotice)->text(), QStringLiteral("CONNECT"));
  }

  void emojiIsRefused() {
    edit(serial_id::kGprsNotice)->insert(QString::fromUtf8("OK\xF0\x9F\x98\x80"));
    QCOMPARE(edit(serial_id::kGprsNotice)->text(), QStringLiteral("GPRSOK\r\nOK"));
    QCOMPARE(messages_.records.size(), std::size_t{1});
  }
};

}  // namespace dtu::test

QTEST_MAIN(dtu::test::SerialPageTest)
#include "serial_page_test.moc"
