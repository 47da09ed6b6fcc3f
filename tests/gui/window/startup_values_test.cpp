#include <QComboBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QTest>

#include "gui/window/startup_values.h"
#include "support/gui_test_support.h"
#include "gui/pages/gprs_page.h"
#include "gui/pages/serial_page.h"
#include "gui/pages/sms_page.h"
#include "support/scripted_messages.h"

namespace dtu::test {

class StartupValuesTest : public QObject {
  Q_OBJECT

 private:
  ScriptedMessages messages_;
  std::unique_ptr<GprsPage> gprs_;
  std::unique_ptr<SmsPage> sms_;
  std::unique_ptr<SerialPage> serial_;

 private slots:
  void init() {
    messages_ = ScriptedMessages();
    gprs_ = std::make_unique<GprsPage>(messages_);
    sms_ = std::make_unique<SmsPage>(messages_);
    serial_ = std::make_unique<SerialPage>(messages_);
    WriteStartupValues(*gprs_, *sms_, *serial_);
  }
  void cleanup() {
    gprs_.reset();
    sms_.reset();
    serial_.reset();
  }

  void noMessages() { QVERIFY(messages_.records.empty()); }

  void gprsPage() {
    const std::vector<std::pair<int, const char*>> texts{
        {1151, "CMNET"}, {1161, "*99***1#"},   {1098, ""},     {1099, ""},
        {1129, "88"},    {1240, "01"},         {1146, "88"},   {1238, "1"},
        {1114, ""},      {1117, "30"},         {1223, ""},     {1124, ""},
        {1120, "5"},     {1170, "20"},         {1231, "1"},    {1102, "192.0.2.10"},
        {1103, "8080"},  {1104, "192.0.2.10"}, {1105, "5002"}, {1106, "192.0.2.10"},
        {1107, "5003"},  {1108, "192.0.2.10"}, {1111, "5004"}, {1109, "192.0.2.10"},
        {1112, "5005"},  {1110, "192.0.2.10"}, {1113, "8081"}, {1224, ""},
        {1225, ""},      {1119, ""},           {1121, ""},     {1122, ""},
        {1123, ""},      {1125, ""},           {1126, ""}};
    for (const auto& [id, text] : texts)
      QVERIFY2(gprs_->edit(id)->text() == QString::fromUtf8(text),
               qPrintable(QStringLiteral("%1: %2").arg(id).arg(gprs_->edit(id)->text())));
    QCOMPARE(gprs_->list(1127)->currentIndex(), 0);
    QCOMPARE(gprs_->list(1127)->currentText(), QStringLiteral("UDP(澄川电子)"));
    QVERIFY(gprs_->radio(1229)->isChecked());
    for (int id : {1164, 1189, 1157, 1237, 1236, 1188, 1150, 1154, 1162, 1158, 1159, 1160})
      QVERIFY(!gprs_->box(id)->isChecked());
  }

  void gprsMembersFollow() {
    const GprsMembers& m = gprs_->members();
    QCOMPARE(m.apn, std::string("CMNET"));
    QCOMPARE(m.heartbeat_interval, 30u);
    QCOMPARE(m.heartbeat_retries, 5u);
    QCOMPARE(m.tcp_reconnect_time, 20u);
    QCOMPARE(m.port[0], 8080u);
    QCOMPARE(m.centre_ip[0], std::string("192.0.2.10"));
    QCOMPARE(m.receiver_count, std::uint8_t{1});
    QCOMPARE(m.ip_mode, 1);
  }

  void smsPage() {
    QCOMPARE(sms_->list(1130)->currentText(), QStringLiteral("透明模式"));
    QCOMPARE(sms_->list(1149)->currentText(), QStringLiteral("UCS2(对手机进行收发数据)"));
    QCOMPARE(sms_->list(1142)->currentText(), QStringLiteral("包含"));
    QCOMPARE(sms_->edit(1159)->text(), QString());
    QCOMPARE(sms_->edit(1156)->text(), QStringLiteral("13800000001"));
    QCOMPARE(sms_->edit(1157)->text(), QStringLiteral("13800000002"));
    for (int id : {1158, 1160, 1161, 1165}) QCOMPARE(sms_->edit(id)->text(), QString());
    QVERIFY(!sms_->box(1188)->isChecked());
    QVERIFY(!sms_->box(1191)->isChecked());
    QCOMPARE(sms_->members().number[1], std::string("13800000002"));
  }

  void serialPage() {
    QCOMPARE(serial_->list(1120)->currentText(), QStringLiteral("9600"));
    QCOMPARE(serial_->list(1120)->currentIndex(), 6);
    QCOMPARE(serial_->list(1121)->currentText(), QStringLiteral("无校验"));
    QCOMPARE(serial_->list(1122)->currentText(), QStringLiteral("8"));
    QCOMPARE(serial_->list(1123)->currentText(), QStringLiteral("1"));
    const std::vector<std::pair<int, const char*>> texts{
        {1116, "0"},    {1109, "Read"},       {1134, "4"},        {1113, "150"},  {1005, "#"},
        {1006, "^"},    {1148, "0"},          {1181, "AT+1"},     {1099, "AT+1"}, {1098, "AT+2"},
        {1100, "AT+2"}, {1196, "GPRSOK\r\n"}, {1114, "TCPOK\r\n"}};
    for (const auto& [id, text] : texts)
      QCOMPARE(serial_->edit(id)->text(), QString::fromUtf8(text));
    QVERIFY(serial_->radio(1110)->isChecked());
    QVERIFY(!serial_->radio(1111)->isChecked());
    QCOMPARE(serial_->members().frame_mode, 0);
    for (int id : {1135, 1147, 1028, 1029, 1177, 1178, 1179, 1180, 1136, 1137})
      QVERIFY(!serial_->box(id)->isChecked());
  }
};

}  // namespace dtu::test

QTEST_MAIN(dtu::test::StartupValuesTest)
#include "startup_values_test.moc"
