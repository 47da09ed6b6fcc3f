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
namespace {

constexpr const char* kCentreIpTip =
    "中心IP：澄川UDP协议最多支持向3个中心发送和接收数据，其他协议下中心IP2和IP3无效";
constexpr const char* kDnsTip =
    "DNS：使用DNS解析，设备可解析设定的服务器域名，解析成功后可和获得的IP地址进行收发数据。";
constexpr const char* kDeviceTip =
    "设备编号:设备的编号，用于设备的识别，在透传方式和澄川协议下需要设置此参数。";

const char* const kOperator = "运营商相关";
const char* const kProtocol = "协议相关";
const char* const kHeartbeat = "";
const char* const kCentre = "中心IP地址参数";

std::vector<ExpectedControl> ExpectedControls() {
  const std::vector<const char*> protocols{"UDP(澄川电子)",
                                           "TCP(澄川电子)",
                                           "TCP(澄川电子-透传)",
                                           "UDP(宏电)",
                                           "TCP(宏电)",
                                           "用户编程协议(高级用户)",
                                           "UDP(纯透明)",
                                           "TCP(驿唐，支持mServer)",
                                           "TCP(纯透明)",
                                           "TCP(桑荣、四信)",
                                           "UDP(免固定IP组态王专用)",
                                           "TCP(透传,KeepAlive)",
                                           "UDP(MODBUS)",
                                           "UDP(ESN)",
                                           "UDP(ESN D2D)"};
  return {
      {gprs_id::kApn, 'E', "接入点名称（APN）", kOperator, kShown, "", {}},
      {gprs_id::kDialCode, 'E', "服务代码", kOperator, kShown, "", {}},
      {gprs_id::kPppUser, 'E', "PPP用户名", kOperator, kShown, "", {}},
      {gprs_id::kPppPassword, 'E', "PPP用户密码", kOperator, kShown, "", {}},
      {gprs_id::kKxcProvidesIp,
       'C',
       "KXC提供IP(仅限KXUDP和KXTCP)",
       kOperator,
       kHiddenControl | kDisabledControl,
       "",
       {}},
      {gprs_id::kProtocol, 'L', "协议类型", kProtocol, kShown, "", protocols},
      {gprs_id::kDeviceNumber, 'E', "设备编号", kProtocol, kDigits, kDeviceTip, {}},
      {gprs_id::kProjectNumber, 'E', "项目编号", kProtocol, kShown, "", {}},
      {gprs_id::kCentreNumber, 'E', "接收编号", kProtocol, kDigits, kDeviceTip, {}},
      {gprs_id::kReceiverCount, 'E', "接收数目", kProtocol, kShown, "", {}},
      {gprs_id::kSimNumber,
       'E',
       "手机号码",
       kProtocol,
       kDigits,
       "SIM卡号码:用于设备的识别，在透传方式和组态王方式下需要设置此参数。",
       {}},
      {gprs_id::kHeartbeatInterval,
       'E',
       "心跳间隔(秒)",
       kHeartbeat,
       kDigits,
       "心跳间隔：UDP建议30秒，TCP建议60秒。",
       {}},
      {gprs_id::kHeartbeatIntervalLabel, 'S', "心跳间隔(秒)", kHeartbeat, kShown, "", {}},
      {gprs_id::kHeartbeatTwice,
       'C',
       "心跳连发两次",
       kHeartbeat,
       kHiddenControl | kDisabledControl,
       "UDP协议使用此选项，可解决单次心跳无法唤醒网络的问题，",
       {}},
      {gprs_id::kCustomPackets, 'C', "启用自定义注册包、心跳包", kHeartbeat, kShown, "", {}},
      {gprs_id::kRegisterData, 'E', "自定义注册包数据：", kHeartbeat, kShown, "", {}},
      {gprs_id::kRegisterDataLabel, 'S', "自定义注册包数据：", kHeartbeat, kShown, "", {}},
      {gprs_id::kRegisterHex, 'C', "16进制", kHeartbeat, kShown, "", {}},
      {gprs_id::kHeartbeatData, 'E', "自定义心跳数据：", kHeartbeat, kShown, "", {}},
      {gprs_id::kHeartbeatDataLabel, 'S', "自定义心跳数据：", kHeartbeat, kShown, "", {}},
      {gprs_id::kHeartbeatHex, 'C', "16进制", kHeartbeat, kShown, "", {}},
      {gprs_id::kHeartbeatRetries,
       'E',
       "重发次数",
       kHeartbeat,
       kDigits | kHiddenControl | kDisabledControl,
       "重发次数：对于需要心跳回应的协议，本参数表示几次没收到回应设备就要重新拨号",
       {}},
      {gprs_id::kHeartbeatRetriesLabel, 'S', "重发次数", kHeartbeat, kHiddenControl, "", {}},
      {gprs_id::kTcpReconnectTime,
       'E',
       "TCP重连接时间(秒)",
       kHeartbeat,
       kDigits | kHiddenControl,
       "TCP重连接时间:设备检测到服务器断开后，多长时间后再重新连接，默认20S，设置长了可减少流量，"
       "但有可能影响重上线的速度。",
       {}},
      {gprs_id::kTcpReconnectTimeLabel,
       'S',
       "TCP重连接时间(秒)",
       kHeartbeat,
       kHiddenControl,
       "",
       {}},
      {gprs_id::kMainAndBackup, 'R', "主备方式", kCentre, kShown, "", {}},
      {gprs_id::kGroupSend, 'R', "群发方式", kCentre, kShown, "", {}},
      {gprs_id::kIpCount, 'E', "IP数目", kCentre, kShown, "", {}},
      {gprs_id::kCentreIp[0], 'E', "主中心IP", kCentre, kShown, kCentreIpTip, {}},
      {gprs_id::kCentreIpLabel[0], 'S', "主中心IP", kCentre, kShown, "", {}},
      {gprs_id::kPort[0], 'E', "端口", kCentre, kDigits, "", {}},
      {gprs_id::kCentreIp[1], 'E', "第二IP", kCentre, kShown, kCentreIpTip, {}},
      {gprs_id::kCentreIpLabel[1], 'S', "第二IP", kCentre, kShown, "", {}},
      {gprs_id::kPort[1], 'E', "端口", kCentre, kDigits, "", {}},
      {gprs_id::kPortLabel[1], 'S', "端口", kCentre, kShown, "", {}},
      {gprs_id::kCentreIp[2], 'E', "第三IP", kCentre, kShown, kCentreIpTip, {}},
      {gprs_id::kCentreIpLabel[2], 'S', "第三IP", kCentre, kShown, "", {}},
      {gprs_id::kPort[2], 'E', "端口", kCentre, kDigits, "", {}},
      {gprs_id::kPortLabel[2], 'S', "端口", kCentre, kShown, "", {}},
      {gprs_id::kCentreIp[3], 'E', "第四IP", kCentre, kShown, "", {}},
      {gprs_id::kCentreIpLabel[3], 'S', "第四IP", kCentre, kShown, "", {}},
      {gprs_id::kPort[3], 'E', "端口", kCentre, kDigits, "", {}},
      {gprs_id::kPortLabel[3], 'S', "端口", kCentre, kShown, "", {}},
      {gprs_id::kCentreIp[4], 'E', "第五IP", kCentre, kShown, "", {}},
      {gprs_id::kCentreIpLabel[4], 'S', "第五IP", kCentre, kShown, "", {}},
      {gprs_id::kPort[4], 'E', "端口", kCentre, kDigits, "", {}},
      {gprs_id::kPortLabel[4], 'S', "端口", kCentre, kShown, "", {}},
      {gprs_id::kCentreIp[5], 'E', "心跳IP", kCentre, kShown, "", {}},
      {gprs_id::kCentreIpLabel[5], 'S', "心跳IP", kCentre, kShown, "", {}},
      {gprs_id::kPort[5], 'E', "端口", kCentre, kDigits, "", {}},
      {gprs_id::kPortLabel[5], 'S', "端口", kCentre, kShown, "", {}},
      {gprs_id::kFixedDns, 'C', "不使用自动获取的DNS，使用下面设置的DNS", kCentre, kShown, "", {}},
      {gprs_id::kDnsPrimary, 'E', "首选 DNS 服务器", kCentre, kShown, "", {}},
      {gprs_id::kDnsSecondary, 'E', "备用 DNS 服务器", kCentre, kShown, "", {}},
      {gprs_id::kDomain[0], 'E', "主中心域名", kCentre, kShown, kDnsTip, {}},
      {gprs_id::kDomainLabel[0], 'S', "主中心域名", kCentre, kShown, "", {}},
      {gprs_id::kDomainEnabled[0], 'C', "启用", kCentre, kShown, kDnsTip, {}},
      {gprs_id::kDomain[1], 'E', "第二中心域名", kCentre, kShown, "", {}},
      {gprs_id::kDomainLabel[1], 'S', "第二中心域名", kCentre, kShown, "", {}},
      {gprs_id::kDomainEnabled[1], 'C', "启用", kCentre, kShown, "", {}},
      {gprs_id::kDomain[2], 'E', "第三中心域名", kCentre, kShown, "", {}},
      {gprs_id::kDomainLabel[2], 'S', "第三中心域名", kCentre, kShown, "", {}},
      {gprs_id::kDomainEnabled[2], 'C', "启用", kCentre, kShown, "", {}},
      {gprs_id::kDomain[3], 'E', "第四中心域名", kCentre, kShown, "", {}},
      {gprs_id::kDomainLabel[3], 'S', "第四中心域名", kCentre, kShown, "", {}},
      {gprs_id::kDomainEnabled[3], 'C', "启用", kCentre, kShown, "", {}},
      {gprs_id::kDomain[4], 'E', "第五中心域名", kCentre, kShown, "", {}},
      {gprs_id::kDomainLabel[4], 'S', "第五中心域名", kCentre, kShown, "", {}},
      {gprs_id::kDomainEnabled[4], 'C', "启用", kCentre, kShown, "", {}},
      {gprs_id::kDomain[5], 'E', "第六中心域名", kCentre, kShown, "", {}},
      {gprs_id::kDomainLabel[5], 'S', "第六中心域名", kCentre, kShown, "", {}},
      {gprs_id::kDomainEnabled[5], 'C', "启用", kCentre, kShown, "", {}},
  };
}

}  // namespace

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

  void controls_data() { AddControlRows(ExpectedControls()); }
  void controls() { CheckControlRow(*page_, ExpectedControls()); }

  void everyControlIdIsExpected() { CheckIdSet(*page_, ExpectedControls()); }

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
    QCOMPARE(page_->members().ip_mode, 1);
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
    QCOMPARE(messages_.records.size(), std::size_t{1});
    QCOMPARE(Q(messages_.records[0].text), QStringLiteral("最大长度%1个字节！").arg(max));
    QCOMPARE(messages_.records[0].kind, MessageKind::Warning);
    QVERIFY(messages_.records[0].caption.empty());  // the application's title
  }

  void apnSeventeenthCharacterIsRefused() {
    Type(edit(gprs_id::kApn), QStringLiteral("abcdefghijklmnopq"));
    QCOMPARE(edit(gprs_id::kApn)->text(), QStringLiteral("abcdefghijklmnop"));
    QCOMPARE(messages_.texts(), std::vector<std::string>{"最大长度16个字节！"});
  }

  void chineseCharacterAtTheLimitIsNeverSplit() {
    // Seven Chinese characters and a letter make 15 bytes; the next character needs two.
    Type(edit(gprs_id::kApn), QStringLiteral("中国移动通信网A"));
    QVERIFY(messages_.records.empty());
    Type(edit(gprs_id::kApn), QStringLiteral("络"));
    QCOMPARE(edit(gprs_id::kApn)->text(), QStringLiteral("中国移动通信网A"));
    QCOMPARE(messages_.texts(), std::vector<std::string>{"最大长度16个字节！"});
  }

  void pastedTextIsCutAtItsLimit() {
    edit(gprs_id::kDialCode)->insert(QStringLiteral("*99***1#12345"));
    QCOMPARE(edit(gprs_id::kDialCode)->text(), QStringLiteral("*99***1#12"));
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
    QCOMPARE(messages_.texts(), std::vector<std::string>{"最大长度54个字节！"});
  }

  void emojiIsRefusedAndRemoved() {
    edit(gprs_id::kApn)->insert(QStringLiteral("CM"));
    edit(gprs_id::kApn)->insert(QString::fromUtf8("\xF0\x9F\x98\x80"));  // U+1F600
    edit(gprs_id::kApn)->insert(QStringLiteral("NET"));
    QCOMPARE(edit(gprs_id::kApn)->text(), QStringLiteral("CMNET"));
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

  void hexToggleExchangesFirst() {
    edit(gprs_id::kApn)->setText(QStringLiteral("APN2"));
    page_->box(gprs_id::kRegisterHex)->click();
    QCOMPARE(page_->members().apn, std::string("APN2"));
    QCOMPARE(page_->members().register_hex, 1);
  }

  // The field's member follows the conversion: an exchange towards the controls afterwards (a
  // range check's reset, a load) must not put the dump back as plain text.
  void hexToggleKeepsTheFieldMemberCurrent_data() {
    QTest::addColumn<int>("box");
    QTest::addColumn<int>("field");
    QTest::newRow("registration") << gprs_id::kRegisterHex << gprs_id::kRegisterData;
    QTest::newRow("heartbeat") << gprs_id::kHeartbeatHex << gprs_id::kHeartbeatData;
  }
  void hexToggleKeepsTheFieldMemberCurrent() {
    QFETCH(int, box);
    QFETCH(int, field);
    edit(field)->setText(QStringLiteral("AB"));
    page_->box(box)->click();
    page_->box(box)->click();
    QCOMPARE(edit(field)->text(), QStringLiteral("AB"));
    page_->ExchangeToControls();
    QCOMPARE(edit(field)->text(), QStringLiteral("AB"));
    page_->box(box)->click();
    page_->ExchangeToControls();
    QCOMPARE(edit(field)->text(), QStringLiteral("41 42 "));
    QVERIFY(messages_.records.empty());
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
    QCOMPARE(messages_.texts(), std::vector<std::string>{"最大数值为65535！"});
    QCOMPARE(messages_.records[0].kind, MessageKind::Warning);
    QVERIFY(messages_.records[0].caption.empty());
    Type(edit(gprs_id::kCentreNumber), QStringLiteral("5"));
    QCOMPARE(edit(gprs_id::kCentreNumber)->text(), QStringLiteral("65535"));
    QCOMPARE(messages_.records.size(), std::size_t{1});
  }

  void rangeChecksOnLeaving_data() {
    QTest::addColumn<int>("id");
    QTest::addColumn<QString>("entry");
    QTest::addColumn<QString>("result");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("caption");
    const QString heartbeat_text = QStringLiteral("请输入5到3600之间的数");
    const QString heartbeat_caption = QStringLiteral("心跳时间间隔");
    QTest::newRow("heartbeat 4") << gprs_id::kHeartbeatInterval << "4"
                                 << "30" << heartbeat_text << heartbeat_caption;
    QTest::newRow("heartbeat 5") << gprs_id::kHeartbeatInterval << "5"
                                 << "5"
                                 << ""
                                 << "";
    QTest::newRow("heartbeat 3600") << gprs_id::kHeartbeatInterval << "3600"
                                    << "3600"
                                    << ""
                                    << "";
    QTest::newRow("heartbeat 3601") << gprs_id::kHeartbeatInterval << "3601"
                                    << "30" << heartbeat_text << heartbeat_caption;
    const QString tcp_text = QStringLiteral("请输入20到60之间的数");
    const QString tcp_caption = QStringLiteral("TCP 连接时间");
    QTest::newRow("tcp 19") << gprs_id::kTcpReconnectTime << "19"
                            << "30" << tcp_text << tcp_caption;
    QTest::newRow("tcp 20") << gprs_id::kTcpReconnectTime << "20"
                            << "20"
                            << ""
                            << "";
    QTest::newRow("tcp 60") << gprs_id::kTcpReconnectTime << "60"
                            << "60"
                            << ""
                            << "";
    QTest::newRow("tcp 61") << gprs_id::kTcpReconnectTime << "61"
                            << "30" << tcp_text << tcp_caption;
    const QString retries_text = QStringLiteral("请输入3到10之间的数");
    const QString retries_caption = QStringLiteral("重拨好号前心跳不回应次数");
    QTest::newRow("retries 2") << gprs_id::kHeartbeatRetries << "2"
                               << "5" << retries_text << retries_caption;
    QTest::newRow("retries 3") << gprs_id::kHeartbeatRetries << "3"
                               << "3"
                               << ""
                               << "";
    QTest::newRow("retries 10") << gprs_id::kHeartbeatRetries << "10"
                                << "10"
                                << ""
                                << "";
    QTest::newRow("retries 11") << gprs_id::kHeartbeatRetries << "11"
                                << "5" << retries_text << retries_caption;
  }
  void rangeChecksOnLeaving() {
    QFETCH(int, id);
    QFETCH(QString, entry);
    QFETCH(QString, result);
    QFETCH(QString, message);
    QFETCH(QString, caption);
    // The other range fields must hold acceptable values, as after start-up.
    edit(gprs_id::kHeartbeatInterval)->setText(QStringLiteral("30"));
    edit(gprs_id::kTcpReconnectTime)->setText(QStringLiteral("20"));
    edit(gprs_id::kHeartbeatRetries)->setText(QStringLiteral("5"));
    edit(id)->setText(entry);
    Leave(id);
    QCOMPARE(edit(id)->text(), result);
    if (message.isEmpty()) {
      QVERIFY(messages_.records.empty());
    } else {
      QCOMPARE(messages_.records.size(), std::size_t{1});
      QCOMPARE(Q(messages_.records[0].text), message);
      QCOMPARE(Q(messages_.records[0].caption), caption);
      QCOMPARE(messages_.records[0].kind, MessageKind::Warning);
    }
  }

  void leavingWithTheRealFocus() {
    page_->show();
    page_->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(page_.get()));
    edit(gprs_id::kHeartbeatInterval)->setFocus(Qt::OtherFocusReason);
    edit(gprs_id::kHeartbeatInterval)->setText(QStringLiteral("4"));
    edit(gprs_id::kRegisterData)->setFocus(Qt::TabFocusReason);
    QTRY_COMPARE(edit(gprs_id::kHeartbeatInterval)->text(), QStringLiteral("30"));
    QCOMPARE(messages_.texts(), std::vector<std::string>{"请输入5到3600之间的数"});
  }

  void leavingAPortExchanges() {
    edit(gprs_id::kPort[0])->setText(QStringLiteral("1234"));
    Leave(gprs_id::kPort[0]);
    QCOMPARE(page_->members().port[0], std::uint32_t{1234});
    edit(gprs_id::kPort[3])
        ->setText(QStringLiteral("4321"));  // the fourth port is read only on collection
    Leave(gprs_id::kPort[3]);
    QCOMPARE(page_->members().port[3], std::uint32_t{5004});
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
    QTest::newRow("-1") << "-1" << false << byte;
    QTest::newRow("abc") << "abc" << false << byte;
    QTest::newRow("empty") << "" << false << byte;
    QTest::newRow("blanks") << " 7 " << true << "";
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
    QCOMPARE(page_->ExchangeToMembers(), accepted);
    if (accepted) {
      QVERIFY(messages_.records.empty());
      QCOMPARE(page_->members().receiver_count, static_cast<std::uint8_t>(entry.trimmed().toInt()));
      QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(edit(gprs_id::kApn)));
    } else {
      QCOMPARE(messages_.records.size(), std::size_t{1});
      QCOMPARE(Q(messages_.records[0].text), message);
      QCOMPARE(messages_.records[0].kind, MessageKind::Warning);
      QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(edit(gprs_id::kReceiverCount)));
      QCOMPARE(edit(gprs_id::kReceiverCount)->selectedText(), entry);
    }
  }

  void numericMemberEntries_data() {
    QTest::addColumn<int>("id");
    QTest::addColumn<QString>("entry");
    for (int id : {gprs_id::kHeartbeatInterval, gprs_id::kHeartbeatRetries,
                   gprs_id::kTcpReconnectTime, gprs_id::kPort[0], gprs_id::kPort[1],
                   gprs_id::kPort[2], gprs_id::kPort[3], gprs_id::kPort[4], gprs_id::kPort[5]}) {
      QTest::addRow("%d empty", id) << id << "";
      QTest::addRow("%d too large", id) << id << "4294967296";
    }
  }
  void numericMemberEntries() {
    QFETCH(int, id);
    QFETCH(QString, entry);
    edit(id)->setText(entry);
    QVERIFY(!page_->ExchangeToMembers());
    QCOMPARE(messages_.texts(), std::vector<std::string>{"“请填入一个正整数。”"});
  }

  void exchangeStopsAtTheFirstRefusedField() {
    edit(gprs_id::kApn)->setText(QStringLiteral("before"));
    edit(gprs_id::kReceiverCount)->setText(QStringLiteral("0"));
    edit(gprs_id::kIpCount)->setText(QStringLiteral("3"));
    edit(gprs_id::kPort[0])->clear();
    QVERIFY(!page_->ExchangeToMembers());
    QCOMPARE(messages_.records.size(), std::size_t{1});  // only the first refusal is reported
    QCOMPARE(page_->members().apn, std::string("before"));
    QCOMPARE(page_->members().ip_count, std::string("1"));  // after the refused field: untouched
  }

  void exchangeToControlsRewritesEveryExchangedControl() {
    GprsMembers& m = page_->members();
    m.receiver_count = 7;
    m.heartbeat_interval = 45;
    m.domain[5] = "example.com";
    m.domain_enabled[5] = 1;
    m.protocol = 9;
    m.port[5] = 9999;
    page_->ExchangeToControls();
    QCOMPARE(edit(gprs_id::kReceiverCount)->text(), QStringLiteral("7"));
    QCOMPARE(edit(gprs_id::kHeartbeatInterval)->text(), QStringLiteral("45"));
    QCOMPARE(edit(gprs_id::kDomain[5])->text(), QStringLiteral("example.com"));
    QVERIFY(page_->box(gprs_id::kDomainEnabled[5])->isChecked());
    QCOMPARE(page_->list(gprs_id::kProtocol)->currentIndex(), 9);
    QCOMPARE(edit(gprs_id::kPort[5])->text(), QStringLiteral("9999"));
  }

  void exchangeToControlsWritesADumpInHexMode() {
    // A 54-byte packet shown as its 162-character dump, box and text from the members.
    GprsMembers& m = page_->members();
    m.register_hex = 1;
    m.register_data = QStringLiteral("7E ").repeated(54).toStdString();
    page_->ExchangeToControls();
    QVERIFY(page_->box(gprs_id::kRegisterHex)->isChecked());
    QCOMPARE(edit(gprs_id::kRegisterData)->text(), QStringLiteral("7E ").repeated(54));
    QVERIFY(messages_.records.empty());
  }

  void ipModeFollowsTheRadios() {
    page_->radio(gprs_id::kGroupSend)->click();
    QCOMPARE(page_->members().ip_mode, 2);
    page_->radio(gprs_id::kMainAndBackup)->click();
    QCOMPARE(page_->members().ip_mode, 1);
  }

  void domainBoxClickExchanges() {
    edit(gprs_id::kApn)->setText(QStringLiteral("NEWAPN"));
    page_->box(gprs_id::kDomainEnabled[0])->click();
    QCOMPARE(page_->members().domain_enabled[0], 1);
    QCOMPARE(page_->members().apn, std::string("NEWAPN"));
    page_->box(gprs_id::kDomainEnabled[1])
        ->click();  // other 启用 boxes are read only when the page is collected
    QCOMPARE(page_->members().domain_enabled[1], 0);
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
