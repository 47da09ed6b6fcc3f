#include <QComboBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QTest>

#include "core/block/parameter_block.h"
#include "gui/pages/gprs_page.h"
#include "gui/pages/page_exchange.h"
#include "gui/pages/serial_page.h"
#include "gui/pages/sms_page.h"
#include "gui/window/startup_values.h"
#include "support/gui_test_support.h"
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
        {gprs_id::kApn, "CMNET"},          {gprs_id::kDialCode, "*99***1#"},
        {gprs_id::kPppUser, ""},           {gprs_id::kPppPassword, ""},
        {gprs_id::kDeviceNumber, "88"},    {gprs_id::kProjectNumber, "01"},
        {gprs_id::kCentreNumber, "88"},    {gprs_id::kReceiverCount, "1"},
        {gprs_id::kSimNumber, ""},         {gprs_id::kHeartbeatInterval, "30"},
        {gprs_id::kRegisterData, ""},      {gprs_id::kHeartbeatData, ""},
        {gprs_id::kHeartbeatRetries, "5"}, {gprs_id::kTcpReconnectTime, "20"},
        {gprs_id::kIpCount, "1"},          {gprs_id::kCentreIp[0], "192.0.2.10"},
        {gprs_id::kPort[0], "8080"},       {gprs_id::kCentreIp[1], "192.0.2.10"},
        {gprs_id::kPort[1], "5002"},       {gprs_id::kCentreIp[2], "192.0.2.10"},
        {gprs_id::kPort[2], "5003"},       {gprs_id::kCentreIp[3], "192.0.2.10"},
        {gprs_id::kPort[3], "5004"},       {gprs_id::kCentreIp[4], "192.0.2.10"},
        {gprs_id::kPort[4], "5005"},       {gprs_id::kCentreIp[5], "192.0.2.10"},
        {gprs_id::kPort[5], "8081"},       {gprs_id::kDnsPrimary, ""},
        {gprs_id::kDnsSecondary, ""},      {gprs_id::kDomain[0], ""},
        {gprs_id::kDomain[1], ""},         {gprs_id::kDomain[2], ""},
        {gprs_id::kDomain[3], ""},         {gprs_id::kDomain[4], ""},
        {gprs_id::kDomain[5], ""}};
    for (const auto& [id, text] : texts)
      QVERIFY2(gprs_->edit(id)->text() == QString::fromUtf8(text),
               qPrintable(QStringLiteral("%1: %2").arg(id).arg(gprs_->edit(id)->text())));
    QCOMPARE(gprs_->list(gprs_id::kProtocol)->currentIndex(), 0);
    QCOMPARE(gprs_->list(gprs_id::kProtocol)->currentText(), QStringLiteral("UDP(澄川电子)"));
    QVERIFY(gprs_->radio(gprs_id::kMainAndBackup)->isChecked());
    for (int id :
         {gprs_id::kKxcProvidesIp, gprs_id::kHeartbeatTwice, gprs_id::kCustomPackets,
          gprs_id::kRegisterHex, gprs_id::kHeartbeatHex, gprs_id::kFixedDns,
          gprs_id::kDomainEnabled[0], gprs_id::kDomainEnabled[1], gprs_id::kDomainEnabled[2],
          gprs_id::kDomainEnabled[3], gprs_id::kDomainEnabled[4], gprs_id::kDomainEnabled[5]})
      QVERIFY(!gprs_->box(id)->isChecked());
  }

  // What the start-up pages write, collected into an empty block.
  void startupPagesCollect() {
    ParameterBlock block;
    for (EditorPage* page :
         {static_cast<EditorPage*>(gprs_.get()), static_cast<EditorPage*>(sms_.get()),
          static_cast<EditorPage*>(serial_.get())})
      QVERIFY(CollectPage(*page, block).ok());
    QCOMPARE(block.apn(), std::string("CMNET"));
    QCOMPARE(block.heartbeat_interval(), 30);
    QCOMPARE(block.heartbeat_retries(), 0);  // shown, never collected
    QCOMPARE(block.tcp_reconnect_time(), 20);
    QCOMPARE(block.port1(), 8080);
    QCOMPARE(block.centre_ip1(), (Ipv4Bytes{192, 0, 2, 10}));
    QCOMPARE(block.receiver_count(), 1);
    QCOMPARE(block.ip_mode(), 1);
    QCOMPARE(block.project_number(), 1);
    QCOMPARE(block.device_number(), 88);
    QCOMPARE(block.sms_number2(), std::string("13800000002"));
    QCOMPARE(block.frame_mode(), 0);
    QCOMPARE(block.baud_rate(), 9600u);
    QCOMPARE(block.gprs_notice_len(), 8);
    QVERIFY(messages_.records.empty());
  }

  void smsPage() {
    QCOMPARE(sms_->list(sms_id::kMode)->currentText(), QStringLiteral("透明模式"));
    QCOMPARE(sms_->list(sms_id::kCoding)->currentText(),
             QStringLiteral("UCS2(对手机进行收发数据)"));
    QCOMPARE(sms_->list(sms_id::kOutputNumber)->currentText(), QStringLiteral("包含"));
    QCOMPARE(sms_->edit(sms_id::kSmsCentre)->text(), QString());
    QCOMPARE(sms_->edit(sms_id::kNumber[0])->text(), QStringLiteral("13800000001"));
    QCOMPARE(sms_->edit(sms_id::kNumber[1])->text(), QStringLiteral("13800000002"));
    for (int id :
         {sms_id::kNumber[2], sms_id::kNumber[3], sms_id::kNumber[4], sms_id::kSimSmsCentre})
      QCOMPARE(sms_->edit(id)->text(), QString());
    QVERIFY(!sms_->box(sms_id::kAcceptAll)->isChecked());
    QVERIFY(!sms_->box(sms_id::kDualTargetsOnly)->isChecked());
  }

  void serialPage() {
    QCOMPARE(serial_->list(serial_id::kBaudRate)->currentText(), QStringLiteral("9600"));
    QCOMPARE(serial_->list(serial_id::kBaudRate)->currentIndex(), 6);
    QCOMPARE(serial_->list(serial_id::kParity)->currentText(), QStringLiteral("无校验"));
    QCOMPARE(serial_->list(serial_id::kDataBits)->currentText(), QStringLiteral("8"));
    QCOMPARE(serial_->list(serial_id::kStopBits)->currentText(), QStringLiteral("1"));
    const std::vector<std::pair<int, const char*>> texts{{serial_id::kPollInterval, "0"},
                                                         {serial_id::kPollCommand, "Read"},
                                                         {serial_id::kPollCommandLength, "4"},
                                                         {serial_id::kFrameDelay, "150"},
                                                         {serial_id::kFrameHead, "#"},
                                                         {serial_id::kFrameTail, "^"},
                                                         {serial_id::kTimedReceiveInterval, "0"},
                                                         {serial_id::kGprsRxTag, "AT+1"},
                                                         {serial_id::kGprsTxTag, "AT+1"},
                                                         {serial_id::kSmsRxTag, "AT+2"},
                                                         {serial_id::kSmsTxTag, "AT+2"},
                                                         {serial_id::kGprsNotice, "GPRSOK\r\n"},
                                                         {serial_id::kTcpNotice, "TCPOK\r\n"}};
    for (const auto& [id, text] : texts)
      QCOMPARE(serial_->edit(id)->text(), QString::fromUtf8(text));
    QVERIFY(serial_->radio(serial_id::kByDelay)->isChecked());
    QVERIFY(!serial_->radio(serial_id::kByHeadAndTail)->isChecked());
    for (int id : {serial_id::kPollCommandHex, serial_id::kTimedReceive, serial_id::kFrameHeadHex,
                   serial_id::kFrameTailHex, serial_id::kGprsRxTagHex, serial_id::kSmsRxTagHex,
                   serial_id::kGprsTxTagHex, serial_id::kSmsTxTagHex, serial_id::kGprsNoticeHex,
                   serial_id::kTcpNoticeHex})
      QVERIFY(!serial_->box(id)->isChecked());
  }
};

}  // namespace dtu::test

QTEST_MAIN(dtu::test::StartupValuesTest)
#include "startup_values_test.moc"
