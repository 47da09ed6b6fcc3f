#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QTest>

#include "gui/pages/sms_page.h"
#include "support/gui_test_support.h"
#include "support/scripted_messages.h"

namespace dtu::test {
namespace {

constexpr const char* kNumberTip =
    "授权号码：GPRS和双通道方式下，用来配置设备参数的手机号码。短信工作方式下仅用于终端模式的目标手"
    "机号码";
const char* const kSms = "短信";
const char* const kNumbers = "授权号码";

std::vector<ExpectedControl> ExpectedControls() {
  return {
      {sms_id::kMode,
       'L',
       "模式选择",
       kSms,
       kShown,
       "短信模式：仅在短信工作方式下使用。\n中心模式：作为中心设备，可接收其他设备发来的短信，并可"
       "向串"
       "口协议中约定的短信号码发送短信。终端模式：仅可向系统预设的5个短信号码发送短信",
       {"协议模式", "透明模式", "voz模式"}},
      {sms_id::kModeLabel, 'S', "模式选择", kSms, kShown, "", {}},
      {sms_id::kSmsCentre,
       'E',
       "设置短信中心",
       kSms,
       kDigits,
       "短信中心：格式为86***********，如果SIM卡固有短信中心可读出则不用设置此参数。",
       {}},
      {sms_id::kNumbersGroup, 'G', "授权号码", kSms, kShown, "", {}},
      {sms_id::kNumber[0], 'E', "群发手机号码1", kNumbers, kDigits, kNumberTip, {}},
      {sms_id::kNumberLabel[0], 'S', "群发手机号码1", kNumbers, kShown, "", {}},
      {sms_id::kNumber[1], 'E', "群发手机号码2", kNumbers, kDigits, kNumberTip, {}},
      {sms_id::kNumberLabel[1], 'S', "群发手机号码2", kNumbers, kShown, "", {}},
      {sms_id::kNumber[2], 'E', "群发手机号码3", kNumbers, kDigits, kNumberTip, {}},
      {sms_id::kNumberLabel[2], 'S', "群发手机号码3", kNumbers, kShown, "", {}},
      {sms_id::kNumber[3], 'E', "群发手机号码4", kNumbers, kDigits, kNumberTip, {}},
      {sms_id::kNumberLabel[3], 'S', "群发手机号码4", kNumbers, kShown, "", {}},
      {sms_id::kNumber[4], 'E', "群发手机号码5", kNumbers, kDigits, kNumberTip, {}},
      {sms_id::kNumberLabel[4], 'S', "群发手机号码5", kNumbers, kShown, "", {}},
      {sms_id::kAcceptAll,
       'C',
       "接收来自目标号码外的短信",
       kSms,
       kShown,
       "是否接收5个授权号码以外的短信。但是设定设备参数的号码仅限于5个授权号码。",
       {}},
      {sms_id::kCoding,
       'L',
       "短信编码",
       kSms,
       kShown,
       "短信编码 "
       "7BIT：用来发送英文和数字，8BIT：可用来发送16进制数据（0x00－0xff），UCS2：用来发送手"
       "机可识别的短信，支持中英文混发.",
       {"7 BIT(仅收发数字英文)", "8 BIT(对设备进行16进制收发数据)", "UCS2(对手机进行收发数据)"}},
      {sms_id::kCodingLabel, 'S', "短信编码", kSms, kShown, "", {}},
      {sms_id::kSimSmsCentre,
       'E',
       "SIM卡固有短信中心",
       kSms,
       kDigits | kReadOnlyEdit,
       "SIM卡固有短信中心：SIM卡中固有的短信中心。",
       {}},
      {sms_id::kOutputNumber,
       'L',
       "输出包含号码",
       kSms,
       kHiddenControl,
       "数据输出包含号码：包含：接收到短信后输入来电号码，格式为86***********:xxxx,"
       "不包含：仅输出数据"
       "xxxx",
       {"不包含", "包含"}},
      {sms_id::kOutputNumberLabel, 'S', "输出包含号码", kSms, kHiddenControl, "", {}},
      {sms_id::kDualTargetsOnly,
       'C',
       "双通道方式短信仅发向设定的目标号码",
       kSms,
       kHiddenControl,
       "双通道方式下，短信仅发向设定的目标号码，串口协议中的目标不起作用，但要求原有格式。",
       {}},
  };
}

}  // namespace

class SmsPageTest : public QObject, public PageFixture<SmsPage> {
  Q_OBJECT

 private slots:
  void init() { CreatePage(); }
  void cleanup() { DestroyPage(); }

  void controls_data() { AddControlRows(ExpectedControls()); }
  void controls() { CheckControlRow(*page_, ExpectedControls()); }

  void everyControlIdIsExpected() { CheckIdSet(*page_, ExpectedControls()); }

  void ownDefaults() {
    for (int id : {sms_id::kSmsCentre, sms_id::kNumber[0], sms_id::kNumber[1], sms_id::kNumber[2],
                   sms_id::kNumber[3], sms_id::kNumber[4], sms_id::kSimSmsCentre})
      QCOMPARE(page_->edit(id)->text(), QString());
    for (int id : {sms_id::kMode, sms_id::kCoding, sms_id::kOutputNumber})
      QCOMPARE(page_->list(id)->currentIndex(), -1);
    QVERIFY(!page_->box(sms_id::kAcceptAll)->isChecked());
    QVERIFY(!page_->box(sms_id::kDualTargetsOnly)->isChecked());
  }

  // A number or the SMS centre holds 13 digits, what its block field stores.
  void numbersHoldThirteenDigits_data() {
    QTest::addColumn<int>("id");
    for (int id : {sms_id::kSmsCentre, sms_id::kNumber[0], sms_id::kNumber[1], sms_id::kNumber[2],
                   sms_id::kNumber[3], sms_id::kNumber[4]})
      QTest::addRow("%d", id) << id;
  }
  void numbersHoldThirteenDigits() {
    QFETCH(int, id);
    Type(page_->edit(id), QStringLiteral("8613800000001"));
    QVERIFY(messages_.records.empty());
    Type(page_->edit(id), QStringLiteral("9"));
    QCOMPARE(page_->edit(id)->text(), QStringLiteral("8613800000001"));
    QCOMPARE(messages_.texts(), std::vector<std::string>{"最大长度13个字节！"});
    Type(page_->edit(id), QStringLiteral("x"));  // digits only: refused without a message
    QCOMPARE(page_->edit(id)->text(), QStringLiteral("8613800000001"));
    QCOMPARE(messages_.records.size(), std::size_t{1});
  }

  void hiddenControlsAreStillExchanged() {
    page_->setChecked(sms_id::kDualTargetsOnly, true);
    page_->edit(sms_id::kSimSmsCentre)->setText(QStringLiteral("8613800100500"));
    QVERIFY(page_->ExchangeToMembers());
    QCOMPARE(page_->members().dual_targets_only, 1);
    QCOMPARE(page_->members().sim_sms_centre, std::string("8613800100500"));

    page_->members().number[3] = "13912345678";
    page_->members().accept_all = 1;
    page_->ExchangeToControls();
    QCOMPARE(page_->edit(sms_id::kNumber[3])->text(), QStringLiteral("13912345678"));
    QVERIFY(page_->box(sms_id::kAcceptAll)->isChecked());
  }
};

}  // namespace dtu::test

QTEST_MAIN(dtu::test::SmsPageTest)
#include "sms_page_test.moc"
