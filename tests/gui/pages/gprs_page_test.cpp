#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QTest>

#include "support/gui_test_support.h"
#include "gui/pages/gprs_page.h"
#include "support/scripted_messages.h"

namespace dtu::test {
namespace {

constexpr const char* kCentreIpTip =
    "中心IP：澄川UDP协议最多支持向3个中心发送和接收数据，其他协议下中心IP2和IP3无效";
constexpr const char* kDnsTip =
    "DNS：使用DNS解析，设备可解析设定的服务器域名，解析成功后可和获得的IP地址进行收发数据。";
constexpr const char* kDeviceTip =
    "设备编号:设备的编号（范围1－65535），用于设备的识别，在透传方式和澄川协议下需要设置此参数。";

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
      {1151, 'E', "接入点名称（APN）", kOperator, kShown, "", {}},
      {1161, 'E', "服务代码", kOperator, kShown, "", {}},
      {1098, 'E', "PPP用户名", kOperator, kShown, "", {}},
      {1099, 'E', "PPP用户密码", kOperator, kShown, "", {}},
      {1164,
       'C',
       "KXC提供IP(仅限KXUDP和KXTCP)",
       kOperator,
       kHiddenControl | kDisabledControl,
       "",
       {}},
      {1127, 'L', "协议类型", kProtocol, kShown, "", protocols},
      {1129, 'E', "设备编号", kProtocol, kDigits, kDeviceTip, {}},
      {1240, 'E', "项目编号", kProtocol, kShown, "", {}},
      {1146, 'E', "接收编号", kProtocol, kDigits, kDeviceTip, {}},
      {1238, 'E', "接收数目", kProtocol, kShown, "", {}},
      {1114,
       'E',
       "手机号码",
       kProtocol,
       kDigits,
       "SIM卡号码:用于设备的识别，在透传方式和组态王方式下需要设置此参数。",
       {}},
      {1117,
       'E',
       "心跳间隔(秒)",
       kHeartbeat,
       kDigits,
       "心跳间隔：UDP建议30秒，TCP建议60秒。最小5秒，最大65536秒",
       {}},
      {1155, 'S', "心跳间隔(秒)", kHeartbeat, kShown, "", {}},
      {1189,
       'C',
       "心跳连发两次",
       kHeartbeat,
       kHiddenControl | kDisabledControl,
       "UDP协议使用此选项，可解决单次心跳无法唤醒网络的问题，",
       {}},
      {1157, 'C', "启用自定义注册包、心跳包", kHeartbeat, kShown, "", {}},
      {1223, 'E', "自定义注册包数据：", kHeartbeat, kShown, "", {}},
      {1211, 'S', "自定义注册包数据：", kHeartbeat, kShown, "", {}},
      {1237, 'C', "16进制", kHeartbeat, kShown, "", {}},
      {1124, 'E', "自定义心跳数据：", kHeartbeat, kShown, "", {}},
      {1210, 'S', "自定义心跳数据：", kHeartbeat, kShown, "", {}},
      {1236, 'C', "16进制", kHeartbeat, kShown, "", {}},
      {1120,
       'E',
       "重发次数",
       kHeartbeat,
       kDigits | kHiddenControl | kDisabledControl,
       "重发次数：对于需要心跳回应的协议，本参数表示几次没收到回应设备就要重新拨号",
       {}},
      {1156, 'S', "重发次数", kHeartbeat, kHiddenControl, "", {}},
      {1170,
       'E',
       "TCP重连接时间(秒)",
       kHeartbeat,
       kDigits | kHiddenControl,
       "TCP重连接时间:设备检测到服务器断开后，多长时间后再重新连接，默认20S，设置长了可减少流量，"
       "但有可能影响重上线的速度。",
       {}},
      {1218, 'S', "TCP重连接时间(秒)", kHeartbeat, kHiddenControl, "", {}},
      {1229, 'R', "主备方式", kCentre, kShown, "", {}},
      {1230, 'R', "群发方式", kCentre, kShown, "", {}},
      {1231, 'E', "IP数目", kCentre, kShown, "", {}},
      {1102, 'E', "主中心IP", kCentre, kShown, kCentreIpTip, {}},
      {1217, 'S', "主中心IP", kCentre, kShown, "", {}},
      {1103, 'E', "端口", kCentre, kDigits, "", {}},
      {1104, 'E', "第二IP", kCentre, kShown, kCentreIpTip, {}},
      {1206, 'S', "第二IP", kCentre, kShown, "", {}},
      {1105, 'E', "端口", kCentre, kDigits, "", {}},
      {1208, 'S', "端口", kCentre, kShown, "", {}},
      {1106, 'E', "第三IP", kCentre, kShown, kCentreIpTip, {}},
      {1207, 'S', "第三IP", kCentre, kShown, "", {}},
      {1107, 'E', "端口", kCentre, kDigits, "", {}},
      {1209, 'S', "端口", kCentre, kShown, "", {}},
      {1108, 'E', "第四IP", kCentre, kShown, "", {}},
      {1212, 'S', "第四IP", kCentre, kShown, "", {}},
      {1111, 'E', "端口", kCentre, kDigits, "", {}},
      {1220, 'S', "端口", kCentre, kShown, "", {}},
      {1109, 'E', "第五IP", kCentre, kShown, "", {}},
      {1213, 'S', "第五IP", kCentre, kShown, "", {}},
      {1112, 'E', "端口", kCentre, kDigits, "", {}},
      {1221, 'S', "端口", kCentre, kShown, "", {}},
      {1110, 'E', "心跳IP", kCentre, kShown, "", {}},
      {1219, 'S', "心跳IP", kCentre, kShown, "", {}},
      {1113, 'E', "端口", kCentre, kDigits, "", {}},
      {1222, 'S', "端口", kCentre, kShown, "", {}},
      {1188, 'C', "不使用自动获取的DNS，使用下面设置的DNS", kCentre, kShown, "", {}},
      {1224, 'E', "首选 DNS 服务器", kCentre, kShown, "", {}},
      {1225, 'E', "备用 DNS 服务器", kCentre, kShown, "", {}},
      {1119, 'E', "主中心域名", kCentre, kShown, kDnsTip, {}},
      {1214, 'S', "主中心域名", kCentre, kShown, "", {}},
      {1150, 'C', "启用", kCentre, kShown, kDnsTip, {}},
      {1121, 'E', "第二中心域名", kCentre, kShown, "", {}},
      {1227, 'S', "第二中心域名", kCentre, kShown, "", {}},
      {1154, 'C', "启用", kCentre, kShown, "", {}},
      {1122, 'E', "第三中心域名", kCentre, kShown, "", {}},
      {1232, 'S', "第三中心域名", kCentre, kShown, "", {}},
      {1162, 'C', "启用", kCentre, kShown, "", {}},
      {1123, 'E', "第四中心域名", kCentre, kShown, "", {}},
      {1233, 'S', "第四中心域名", kCentre, kShown, "", {}},
      {1158, 'C', "启用", kCentre, kShown, "", {}},
      {1125, 'E', "第五中心域名", kCentre, kShown, "", {}},
      {1234, 'S', "第五中心域名", kCentre, kShown, "", {}},
      {1159, 'C', "启用", kCentre, kShown, "", {}},
      {1126, 'E', "第六中心域名", kCentre, kShown, "", {}},
      {1235, 'S', "第六中心域名", kCentre, kShown, "", {}},
      {1160, 'C', "启用", kCentre, kShown, "", {}},
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
    const std::vector<std::pair<int, const char*>> texts{
        {1151, ""},           {1161, ""},     {1102, ""},           {1103, "5001"},
        {1104, "192.0.2.10"}, {1105, "5002"}, {1106, "192.0.2.10"}, {1107, "5003"},
        {1108, "192.0.2.10"}, {1111, "5004"}, {1109, "192.0.2.10"}, {1112, "5005"},
        {1110, "192.0.2.10"}, {1113, "8081"}, {1240, ""},           {1129, ""},
        {1146, ""},           {1117, "0"},    {1120, "0"},          {1170, "0"},
        {1238, "1"},          {1231, "1"},    {1223, ""},           {1124, ""},
        {1224, ""},           {1225, ""},     {1119, ""},           {1114, ""}};
    for (const auto& [id, text] : texts) QCOMPARE(edit(id)->text(), QString::fromUtf8(text));
    QCOMPARE(page_->list(1127)->currentIndex(), 0);
    QVERIFY(page_->radio(1229)->isChecked());
    QVERIFY(!page_->radio(1230)->isChecked());
    QCOMPARE(page_->members().ip_mode, 1);
    for (int id : {1164, 1189, 1157, 1237, 1236, 1188, 1150, 1154, 1162, 1158, 1159, 1160})
      QVERIFY(!page_->box(id)->isChecked());
    QVERIFY(messages_.records.empty());
  }

  // Each text field is held to what its block field can store; the message names that maximum.
  void lengthLimits_data() {
    QTest::addColumn<int>("id");
    QTest::addColumn<int>("max");
    QTest::addColumn<QString>("unit");
    QTest::newRow("APN") << 1151 << 16 << "a";
    QTest::newRow("dial string") << 1161 << 10 << "9";
    QTest::newRow("PPP user") << 1098 << 8 << "u";
    QTest::newRow("PPP password") << 1099 << 8 << "p";
    QTest::newRow("mobile number") << 1114 << 11 << "1";
    QTest::newRow("main domain") << 1119 << 30 << "d";
    QTest::newRow("domain 2") << 1121 << 30 << "d";
    QTest::newRow("domain 3") << 1122 << 30 << "d";
    QTest::newRow("domain 4") << 1123 << 30 << "d";
    QTest::newRow("domain 5") << 1125 << 30 << "d";
    QTest::newRow("domain 6") << 1126 << 30 << "d";
    QTest::newRow("registration packet") << 1223 << 54 << "r";
    QTest::newRow("heartbeat packet") << 1124 << 54 << "h";
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
    Type(edit(1151), QStringLiteral("abcdefghijklmnopq"));
    QCOMPARE(edit(1151)->text(), QStringLiteral("abcdefghijklmnop"));
    QCOMPARE(messages_.texts(), std::vector<std::string>{"最大长度16个字节！"});
  }

  void chineseCharacterAtTheLimitIsNeverSplit() {
    // Seven Chinese characters and a letter make 15 bytes; the next character needs two.
    Type(edit(1151), QStringLiteral("中国移动通信网A"));
    QVERIFY(messages_.records.empty());
    Type(edit(1151), QStringLiteral("络"));
    QCOMPARE(edit(1151)->text(), QStringLiteral("中国移动通信网A"));
    QCOMPARE(messages_.texts(), std::vector<std::string>{"最大长度16个字节！"});
  }

  void pastedTextIsCutAtItsLimit() {
    edit(1161)->insert(QStringLiteral("*99***1#12345"));
    QCOMPARE(edit(1161)->text(), QStringLiteral("*99***1#12"));
    QCOMPARE(messages_.records.size(), std::size_t{1});
  }

  void hexModeCountsDigitsWithoutSpaces() {
    page_->box(1237)->click();
    const QString dump = QStringLiteral("7E ").repeated(54);  // 108 digits
    edit(1223)->setText(dump);
    QCOMPARE(edit(1223)->text(), dump);
    QVERIFY(messages_.records.empty());
    Type(edit(1223), QStringLiteral("7"));
    QCOMPARE(edit(1223)->text(), QStringLiteral("7E").repeated(54));
    QCOMPARE(messages_.texts(), std::vector<std::string>{"最大长度54个字节！"});
  }

  void emojiIsRefusedAndRemoved() {
    edit(1151)->insert(QStringLiteral("CM"));
    edit(1151)->insert(QString::fromUtf8("\xF0\x9F\x98\x80"));  // U+1F600
    edit(1151)->insert(QStringLiteral("NET"));
    QCOMPARE(edit(1151)->text(), QStringLiteral("CMNET"));
    QCOMPARE(messages_.records.size(), std::size_t{1});
    QCOMPARE(Q(messages_.records[0].text),
             QString::fromUtf8(
                 "不能输入字符 \"\xF0\x9F\x98\x80\" (U+1F600)：该字符无法用GBK编码保存。"));
    QCOMPARE(messages_.records[0].kind, MessageKind::Warning);
  }

  void emojiIsRefusedInFieldsWithoutLimit() {
    edit(1102)->setText(QString::fromUtf8("10.0.0.1\xF0\x9F\x98\x80"));
    QCOMPARE(edit(1102)->text(), QStringLiteral("10.0.0.1"));
    QCOMPARE(messages_.records.size(), std::size_t{1});
  }

  void hexToggle_data() {
    QTest::addColumn<int>("box");
    QTest::addColumn<int>("field");
    QTest::newRow("registration") << 1237 << 1223;
    QTest::newRow("heartbeat") << 1236 << 1124;
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
    edit(1223)->setText(QStringLiteral("中A"));
    page_->box(1237)->click();
    QCOMPARE(edit(1223)->text(), QStringLiteral("D6 D0 41 "));
    page_->box(1237)->click();
    QCOMPARE(edit(1223)->text(), QStringLiteral("中A"));
  }

  void hexToggleExchangesFirst() {
    edit(1151)->setText(QStringLiteral("APN2"));
    page_->box(1237)->click();
    QCOMPARE(page_->members().apn, std::string("APN2"));
    QCOMPARE(page_->members().register_hex, 1);
  }

  // The field's member follows the conversion: an exchange towards the controls afterwards (a
  // range check's reset, a load) must not put the dump back as plain text.
  void hexToggleKeepsTheFieldMemberCurrent_data() {
    QTest::addColumn<int>("box");
    QTest::addColumn<int>("field");
    QTest::newRow("registration") << 1237 << 1223;
    QTest::newRow("heartbeat") << 1236 << 1124;
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
    edit(1238)->setText(QStringLiteral("0"));
    edit(1223)->setText(QStringLiteral("AB"));
    page_->box(1237)->click();
    QCOMPARE(messages_.texts(), std::vector<std::string>{"“请填入一个在1和32之间的整数。”"});
    QCOMPARE(edit(1223)->text(), QStringLiteral("41 42 "));
  }

  void receiveNumberCheck() {
    Type(edit(1146), QStringLiteral("65536"));
    QCOMPARE(edit(1146)->text(), QStringLiteral("6553"));
    QCOMPARE(messages_.texts(), std::vector<std::string>{"最大数值为65535！"});
    QCOMPARE(messages_.records[0].kind, MessageKind::Warning);
    QVERIFY(messages_.records[0].caption.empty());
    Type(edit(1146), QStringLiteral("5"));
    QCOMPARE(edit(1146)->text(), QStringLiteral("65535"));
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
    QTest::newRow("heartbeat 4") << 1117 << "4"
                                 << "30" << heartbeat_text << heartbeat_caption;
    QTest::newRow("heartbeat 5") << 1117 << "5"
                                 << "5"
                                 << ""
                                 << "";
    QTest::newRow("heartbeat 3600") << 1117 << "3600"
                                    << "3600"
                                    << ""
                                    << "";
    QTest::newRow("heartbeat 3601") << 1117 << "3601"
                                    << "30" << heartbeat_text << heartbeat_caption;
    const QString tcp_text = QStringLiteral("请输入20到60之间的数");
    const QString tcp_caption = QStringLiteral("TCP 连接时间");
    QTest::newRow("tcp 19") << 1170 << "19"
                            << "30" << tcp_text << tcp_caption;
    QTest::newRow("tcp 20") << 1170 << "20"
                            << "20"
                            << ""
                            << "";
    QTest::newRow("tcp 60") << 1170 << "60"
                            << "60"
                            << ""
                            << "";
    QTest::newRow("tcp 61") << 1170 << "61"
                            << "30" << tcp_text << tcp_caption;
    const QString retries_text = QStringLiteral("请输入3到10之间的数");
    const QString retries_caption = QStringLiteral("重拨好号前心跳不回应次数");
    QTest::newRow("retries 2") << 1120 << "2"
                               << "5" << retries_text << retries_caption;
    QTest::newRow("retries 3") << 1120 << "3"
                               << "3"
                               << ""
                               << "";
    QTest::newRow("retries 10") << 1120 << "10"
                                << "10"
                                << ""
                                << "";
    QTest::newRow("retries 11") << 1120 << "11"
                                << "5" << retries_text << retries_caption;
  }
  void rangeChecksOnLeaving() {
    QFETCH(int, id);
    QFETCH(QString, entry);
    QFETCH(QString, result);
    QFETCH(QString, message);
    QFETCH(QString, caption);
    // The other range fields must hold acceptable values, as after start-up.
    edit(1117)->setText(QStringLiteral("30"));
    edit(1170)->setText(QStringLiteral("20"));
    edit(1120)->setText(QStringLiteral("5"));
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
    edit(1117)->setFocus(Qt::OtherFocusReason);
    edit(1117)->setText(QStringLiteral("4"));
    edit(1223)->setFocus(Qt::TabFocusReason);
    QTRY_COMPARE(edit(1117)->text(), QStringLiteral("30"));
    QCOMPARE(messages_.texts(), std::vector<std::string>{"请输入5到3600之间的数"});
  }

  void leavingAPortExchanges() {
    edit(1103)->setText(QStringLiteral("1234"));
    Leave(1103);
    QCOMPARE(page_->members().port[0], std::uint32_t{1234});
    edit(1111)->setText(QStringLiteral("4321"));  // the fourth port is read only on collection
    Leave(1111);
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
    edit(1151)->setFocus();
    edit(1238)->setText(entry);
    QCOMPARE(page_->ExchangeToMembers(), accepted);
    if (accepted) {
      QVERIFY(messages_.records.empty());
      QCOMPARE(page_->members().receiver_count, static_cast<std::uint8_t>(entry.trimmed().toInt()));
      QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(edit(1151)));
    } else {
      QCOMPARE(messages_.records.size(), std::size_t{1});
      QCOMPARE(Q(messages_.records[0].text), message);
      QCOMPARE(messages_.records[0].kind, MessageKind::Warning);
      QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(edit(1238)));
      QCOMPARE(edit(1238)->selectedText(), entry);
    }
  }

  void numericMemberEntries_data() {
    QTest::addColumn<int>("id");
    QTest::addColumn<QString>("entry");
    for (int id : {1117, 1120, 1170, 1103, 1105, 1107, 1111, 1112, 1113}) {
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
    edit(1151)->setText(QStringLiteral("before"));
    edit(1238)->setText(QStringLiteral("0"));
    edit(1231)->setText(QStringLiteral("3"));
    edit(1103)->clear();
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
    QCOMPARE(edit(1238)->text(), QStringLiteral("7"));
    QCOMPARE(edit(1117)->text(), QStringLiteral("45"));
    QCOMPARE(edit(1126)->text(), QStringLiteral("example.com"));
    QVERIFY(page_->box(1160)->isChecked());
    QCOMPARE(page_->list(1127)->currentIndex(), 9);
    QCOMPARE(edit(1113)->text(), QStringLiteral("9999"));
  }

  void exchangeToControlsWritesADumpInHexMode() {
    // A 54-byte packet shown as its 162-character dump, box and text from the members.
    GprsMembers& m = page_->members();
    m.register_hex = 1;
    m.register_data = QStringLiteral("7E ").repeated(54).toStdString();
    page_->ExchangeToControls();
    QVERIFY(page_->box(1237)->isChecked());
    QCOMPARE(edit(1223)->text(), QStringLiteral("7E ").repeated(54));
    QVERIFY(messages_.records.empty());
  }

  void ipModeFollowsTheRadios() {
    page_->radio(1230)->click();
    QCOMPARE(page_->members().ip_mode, 2);
    page_->radio(1229)->click();
    QCOMPARE(page_->members().ip_mode, 1);
  }

  void domainBoxClickExchanges() {
    edit(1151)->setText(QStringLiteral("NEWAPN"));
    page_->box(1150)->click();
    QCOMPARE(page_->members().domain_enabled[0], 1);
    QCOMPARE(page_->members().apn, std::string("NEWAPN"));
    page_->box(1154)->click();  // other 启用 boxes are read only when the page is collected
    QCOMPARE(page_->members().domain_enabled[1], 0);
  }

  void hiddenFieldTravelsWithItsLabel() {
    page_->setFieldVisible(1146, false);
    QVERIFY(page_->edit(1146)->isHidden());
    QVERIFY(page_->labelFor(1146)->isHidden());
  }
};

}  // namespace dtu::test

QTEST_MAIN(dtu::test::GprsPageTest)
#include "gprs_page_test.moc"
