#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QTest>

#include "core/block/parameter_block.h"
#include "gui/pages/page_exchange.h"
#include "gui/pages/sms_page.h"
#include "support/gui_test_support.h"
#include "support/scripted_messages.h"

namespace dtu::test {

class SmsPageTest : public QObject, public PageFixture<SmsPage> {
  Q_OBJECT

 private slots:
  void init() { CreatePage(); }
  void cleanup() { DestroyPage(); }

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
    page_->ShowWaitingMessages();  // the typing pauses
    QCOMPARE(messages_.texts(), std::vector<std::string>{"最大长度13个字节！"});
    Type(page_->edit(id), QStringLiteral("x"));  // digits only: refused without a message
    QCOMPARE(page_->edit(id)->text(), QStringLiteral("8613800000001"));
    QCOMPARE(messages_.records.size(), std::size_t{1});
  }

  // The hidden list and box are collected as they stand; the SIM card's own SMS centre is no
  // field of the block.
  void hiddenControlsAreStillCollected() {
    page_->setChecked(sms_id::kDualTargetsOnly, true);
    page_->list(sms_id::kOutputNumber)->setCurrentIndex(0);
    page_->list(sms_id::kMode)->setCurrentIndex(1);
    page_->list(sms_id::kCoding)->setCurrentIndex(2);
    page_->edit(sms_id::kSimSmsCentre)->setText(QStringLiteral("8613800100500"));
    ParameterBlock block;
    block.set_sms_output_number(1);
    const ParameterBlock before = block;
    QVERIFY(CollectPage(*page_, block).ok());
    QCOMPARE(block.dual_sms_targets_only(), 1);
    QCOMPARE(block.sms_output_number(), 0);
    QCOMPARE(block.sms_centre(), std::string());
    for (std::size_t i = 0; i < kBlockSize; ++i)
      if (i < field::sms_accept_all.offset || i >= field::gprs_rx_tag_len.offset)
        if (i != field::dual_sms_targets_only.offset) QCOMPARE(block.bytes()[i], before.bytes()[i]);
  }
};

}  // namespace dtu::test

QTEST_MAIN(dtu::test::SmsPageTest)
#include "sms_page_test.moc"
