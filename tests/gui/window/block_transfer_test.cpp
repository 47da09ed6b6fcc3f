#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QTabBar>
#include <QTest>

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "core/baud_rates.h"
#include "core/block/block_check.h"
#include "core/block/block_codes.h"
#include "core/block/block_layout.h"
#include "core/block/parameter_block.h"
#include "core/block/parameter_summary.h"
#include "core/editing/page_table.h"
#include "core/text/gbk_codec.h"
#include "gui/pages/gprs_page.h"
#include "gui/pages/serial_page.h"
#include "gui/pages/sms_page.h"
#include "gui/window/block_origin.h"
#include "gui/window/block_transfer.h"
#include "gui/window/editor_tab_set.h"
#include "gui/window/main_window_ids.h"
#include "gui/window/startup_values.h"
#include "gui/window/summary_pane_view.h"
#include "support/gui_test_support.h"
#include "support/sample_blocks.h"
#include "support/scripted_messages.h"

namespace dtu::test {
namespace {

constexpr const char* kMismatch = "参数设置有误，请重新设置";
const BlockOrigin kFromUnit{BlockOrigin::Kind::Unit, {}, {}};
constexpr const char* kPollRefusal = "串口自动发送命令间隔最小5秒!";
constexpr const char* kDelayRefusal = "触发模式延时最小20ms!";

std::string Gbk(std::string_view utf8) {
  return Utf8ToGbk(utf8).bytes;
}

std::vector<std::uint8_t> Bytes(std::initializer_list<int> values) {
  std::vector<std::uint8_t> bytes;
  for (int v : values) bytes.push_back(static_cast<std::uint8_t>(v));
  return bytes;
}

ParameterBlock Sealed(ParameterBlock b) {
  SealBlock(b);
  return b;
}

ParameterBlock Normalised(ParameterBlock b) {
  b.set_length(static_cast<std::uint16_t>(kBlockSize));
  NormaliseBlock(b);
  return b;
}

// What the editor writes for a (normalised) block whose every field the user has typed anew as
// the pages show it: the block itself except where an entry's rules or a control store another
// value. These are the only exclusions from the byte-by-byte comparisons.
ParameterBlock AsTyped(ParameterBlock b) {
  if (b.ip_mode() != 1) b.set_ip_mode(2);  // the group-send radio
  if (b.protocol() != 9) {
    if (b.device_number() == 0) b.set_device_number(8000);
    if (b.centre_number() == 0) b.set_centre_number(8000);
  }
  // A value a list lacks is shown as the unit's own and kept.
  // Only 1 means on; a check box writes 0 or 1.
  for (const FieldRow& flag : kBlockLayout)
    if (flag.type == FieldType::Flag && flag.name != "sms_output_number" && b.Get(flag) != 1)
      b.Set(flag, 0);
  if (b.frame_mode() != 0) b.set_frame_mode(1);
  // An empty notice is cleared: length 0 and first byte 0.
  for (const CountedRow& notice : {counted::gprs_notice, counted::tcp_notice})
    if (b.Get(notice.length) == 0) b.Area(notice.area)[0] = 0;
  b.set_length(static_cast<std::uint16_t>(kBlockSize));
  return b;
}

// Overwrites in a loaded block every byte the collection is to write, so that the comparison
// afterwards shows each of them written, not left over from the load.
void ScrambleEditorFields(ParameterBlock& b) {
  const auto flip = [](std::uint8_t& byte) { byte = static_cast<std::uint8_t>(~byte); };
  const bool project_kept = b.project_number() == 0;  // 0 leaves the field as it is
  std::vector<std::size_t> used;
  for (const CountedRow& c : kCountedFields) used.push_back(b.GetCounted(c).size());
  for (const FieldRow& f : kBlockLayout) {
    const bool number = f.type == FieldType::U8 || f.type == FieldType::Flag ||
                        f.type == FieldType::U16 || f.type == FieldType::U16BE ||
                        f.type == FieldType::U32 || f.type == FieldType::IPv4;
    if (!number || f.name == "length" || f.name == "checksum" || f.name == "heartbeat_retries")
      continue;
    if (f.name.ends_with("_len") && f.name != "poll_command_len") continue;
    if (f.name == "project_number" && project_kept) continue;
    for (std::uint8_t& byte : b.Area(f)) flip(byte);
  }
  for (const FieldRow& text : kTextFields) {
    const std::size_t end = b.GetText(text).size();  // the text and its terminator
    auto area = b.Area(text);
    for (std::size_t i = 0; i <= end && i < area.size(); ++i) area[i] = 0xFF;
  }
  for (std::size_t k = 0; k < kCountedFields.size(); ++k) {
    const CountedRow& c = kCountedFields[k];
    auto area = b.Area(c.area);
    for (std::size_t i = 0; i < used[k]; ++i) flip(area[i]);
    if (used[k] > 0) b.Set(c.length, 0xEE);
  }
  for (const CountedRow& notice : {counted::gprs_notice, counted::tcp_notice})
    if (b.Get(notice.length) == 0) flip(b.Area(notice.area)[0]);
}

std::string FieldAt(std::size_t offset) {
  for (const FieldRow& f : kBlockLayout)
    if (offset >= f.offset && offset < f.offset + f.size) return std::string(f.name);
  return "?";
}

// The differing bytes, one per line, with the field they belong to.
QString Differences(const ParameterBlock& actual, const ParameterBlock& expected) {
  QStringList lines;
  for (std::size_t i = 0; i < kBlockSize; ++i)
    if (actual.bytes()[i] != expected.bytes()[i])
      lines << QStringLiteral("byte %1 (%2): %3, expected %4")
                   .arg(i)
                   .arg(Q(FieldAt(i)))
                   .arg(int{actual.bytes()[i]}, 2, 16, QLatin1Char('0'))
                   .arg(int{expected.bytes()[i]}, 2, 16, QLatin1Char('0'));
  return lines.join(QLatin1Char('\n'));
}

#define COMPARE_BLOCKS(actual, expected)                               \
  do {                                                                 \
    const QString diff = Differences((actual), (expected));            \
    QVERIFY2(diff.isEmpty(), qPrintable(QStringLiteral("\n") + diff)); \
  } while (false)

// Random blocks. Typed() gives blocks whose editor fields hold values the pages accept as
// entries: lists and radios within their entries, numbers within the pages' ranges, text the
// fields hold. Held() gives any block a unit can hold: every byte random but texts that end
// inside their fields (any bytes, GBK or not) and counts within their areas, full ones often.
// Everything the pages do not show (bytes after a text's end, unused bytes of counted fields,
// reserved bytes) is random in both.
class RandomBlocks {
 public:
  explicit RandomBlocks(std::uint32_t seed) : rng_(seed) {}

  ParameterBlock Typed() {
    ParameterBlock b;
    for (auto& byte : b.bytes()) byte = static_cast<std::uint8_t>(Below(256));
    b.set_work_mode(static_cast<std::uint8_t>(Below(3)));
    b.set_protocol(static_cast<std::uint8_t>(Below(18)));  // 15 to 17 have no entry
    b.set_parity(static_cast<std::uint8_t>(Below(3)));
    b.set_data_bits(std::array<std::uint8_t, 3>{8, 7, 6}[Below(3)]);
    b.set_stop_bits(static_cast<std::uint8_t>(1 + Below(2)));
    b.set_receiver_count(static_cast<std::uint8_t>(1 + Below(32)));
    b.set_ip_count(static_cast<std::uint8_t>(1 + Below(6)));
    b.set_baud_rate(kBaudRates[Below(kBaudRates.size())]);
    b.set_frame_delay(static_cast<std::uint16_t>(20 + Below(65536 - 20)));
    b.set_poll_interval(Below(4) == 0 ? 0 : static_cast<std::uint16_t>(5 + Below(65536 - 5)));
    b.set_heartbeat_interval(static_cast<std::uint16_t>(5 + Below(3600 - 5 + 1)));
    b.set_tcp_reconnect_time(static_cast<std::uint16_t>(20 + Below(60 - 20 + 1)));
    for (const FieldRow& flag : kBlockLayout)
      if (flag.type == FieldType::Flag) b.Set(flag, Below(3));  // 2 is not on
    b.set_ip_mode(static_cast<std::uint8_t>(Below(4)));
    b.set_sms_mode(static_cast<std::uint8_t>(Below(4)));
    b.set_sms_coding(static_cast<std::uint8_t>(Below(4)));
    b.set_sms_output_number(static_cast<std::uint8_t>(Below(3)));
    if (Below(8) == 0) b.set_device_number(0);
    if (Below(8) == 0) b.set_centre_number(0);
    if (Below(8) == 0) b.set_project_number(0);
    for (const FieldRow& text : kTextFields) {
      // Blanks around the APN and the dial string are not stored.
      const bool trimmed = text.name == "apn" || text.name == "dial_code";
      b.SetText(text, Gbk(Text(text.size - 1u, !trimmed)));
    }
    for (const CountedRow& area : kCountedFields)
      b.Set(area.length, Below(3) == 0 ? area.area.size : Below(area.area.size + 1u));
    SealBlock(b);
    return b;
  }

  ParameterBlock Held() {
    ParameterBlock b;
    for (auto& byte : b.bytes()) byte = static_cast<std::uint8_t>(Below(256));
    for (const FieldRow& text : kTextFields) {
      auto area = b.Area(text);
      const std::size_t end = Below(3) == 0 ? text.size - 1u : Below(text.size);
      for (std::size_t i = 0; i < end; ++i)
        if (area[i] == 0) area[i] = static_cast<std::uint8_t>(1 + Below(255));
      area[end] = 0;
    }
    for (const CountedRow& area : kCountedFields)
      b.Set(area.length, Below(2) == 0 ? area.area.size : Below(area.area.size + 1u));
    SealBlock(b);
    return b;
  }

 private:
  std::uint32_t Below(std::size_t n) {
    return std::uniform_int_distribution<std::uint32_t>(0, static_cast<std::uint32_t>(n - 1))(rng_);
  }

  // UTF-8 text of at most `capacity` GBK bytes: printable ASCII and Chinese characters.
  std::string Text(std::size_t capacity, bool inner_blanks) {
    static const std::array<const char*, 8> kChinese{"中", "文", "数", "据",
                                                     "测", "试", "网", "络"};
    const std::size_t target = Below(capacity + 1);
    std::string text;
    std::size_t bytes = 0;
    while (bytes < target) {
      if (bytes + 2 <= target && Below(4) == 0) {
        text += kChinese[Below(kChinese.size())];
        bytes += 2;
      } else {
        char c = static_cast<char>(0x21 + Below(0x7E - 0x21 + 1));
        if (inner_blanks && Below(10) == 0) c = ' ';
        text += c;
        bytes += 1;
      }
    }
    return text;
  }

  std::mt19937 rng_;
};

}  // namespace

class BlockTransferTest : public QObject {
  Q_OBJECT

 private:
  ScriptedMessages messages_;
  ParameterBlock working_;
  std::unique_ptr<EditorTabSet> tabs_;
  std::unique_ptr<SummaryPaneView> summary_;
  std::unique_ptr<BlockTransfer> transfer_;
  ParameterBlock typist_block_;
  std::unique_ptr<EditorTabSet> typist_;  // an editor that never loads a block: all is typed

  GprsPage& gprs() { return tabs_->gprsPage(); }
  SmsPage& sms() { return tabs_->smsPage(); }
  SerialPage& serial() { return tabs_->serialPage(); }

  bool Load(const ParameterBlock& block) {
    return transfer_->LoadBlock(Sealed(block), working_, kFromUnit);
  }
  bool Collect() { return transfer_->CollectBlock(working_); }

  // Read and written back without an edit: every byte as it came.
  void UneditedRoundTrip(const ParameterBlock& block) {
    QVERIFY(transfer_->LoadBlock(block, working_, kFromUnit));
    COMPARE_BLOCKS(working_, Normalised(block));
    QVERIFY(Collect());
    COMPARE_BLOCKS(working_, Normalised(block));
    QVERIFY2(messages_.records.empty(),
             messages_.records.empty() ? "" : messages_.records.front().text.c_str());
  }

  // The pages show a block; the same values typed into an editor that has loaded nothing are
  // collected over a block whose every written byte differs, and give the block back but for
  // the entry rules.
  void TypedRoundTrip(const ParameterBlock& block) {
    QVERIFY(transfer_->LoadBlock(block, working_, kFromUnit));
    ParameterBlock other = working_;
    ScrambleEditorFields(other);
    TypeAsShown(gprs(), typist_->gprsPage());
    TypeAsShown(sms(), typist_->smsPage());
    TypeAsShown(serial(), typist_->serialPage());
    typist_->CheckModeRadio(block.work_mode());
    BlockTransfer typed(*typist_, *summary_, messages_);
    QVERIFY(typed.CollectBlock(other));
    COMPARE_BLOCKS(other, AsTyped(Normalised(block)));
    QVERIFY2(messages_.records.empty(),
             messages_.records.empty() ? "" : messages_.records.front().text.c_str());
  }

  // Gives `to` what `from` shows, as the user would set it: boxes first (a dump is counted in
  // its box's mode), then lists, radios and texts.
  static void TypeAsShown(const EditorPage& from, EditorPage& to) {
    const std::vector<int> ids = from.controlIds();
    for (int id : ids)
      if (auto* box = qobject_cast<QCheckBox*>(from.control(id)))
        to.setChecked(id, box->isChecked());
    for (int id : ids) {
      if (auto* list = qobject_cast<QComboBox*>(from.control(id))) {
        const QSignalBlocker quiet(to.list(id));
        const auto own = from.unitOwnChoice(id);
        to.showChoice(id, own ? std::nullopt : std::optional<int>(list->currentIndex()),
                      own.value_or(0));
      }
    }
    for (const FieldEntry& row : from.table().fields)
      if (row.form == FieldForm::Radio)
        to.checkRadio({row.id, row.partner}, from.checkedRadio({row.id, row.partner}));
    for (int id : ids)
      if (auto* edit = qobject_cast<QLineEdit*>(from.control(id)); edit && !edit->isReadOnly())
        to.edit(id)->setText(edit->text());
  }

  // Every exchanged and shown state the user can see, for "nothing changed" checks.
  QStringList Snapshot() {
    QStringList state;
    for (EditorPage* page : {static_cast<EditorPage*>(&gprs()), static_cast<EditorPage*>(&sms()),
                             static_cast<EditorPage*>(&serial())}) {
      for (int id : page->controlIds()) {
        QWidget* w = page->control(id);
        QString value;
        if (auto* e = qobject_cast<QLineEdit*>(w)) value = e->text();
        if (auto* l = qobject_cast<QComboBox*>(w)) value = QString::number(l->currentIndex());
        if (auto* b = qobject_cast<QAbstractButton*>(w)) value = QString::number(b->isChecked());
        state << QStringLiteral("%1:%2:%3:%4")
                     .arg(page->metaObject()->className())
                     .arg(id)
                     .arg(value)
                     .arg(w->isHidden() ? 1 : 0);
      }
    }
    for (int i = 0; i < tabs_->tabBar()->count(); ++i) state << tabs_->tabBar()->tabText(i);
    state << QString::number(tabs_->tabBar()->currentIndex());
    for (int id : {main_id::kGprsModeRadio, main_id::kSmsModeRadio, main_id::kDualModeRadio})
      state << QString::number(tabs_->modeRadio(id)->isChecked());
    state << QString::number(gprs().isHidden()) << QString::number(sms().isHidden())
          << QString::number(serial().isHidden());
    state << summary_->toPlainText();
    return state;
  }

  void ExpectOneWarning(const QString& text) {
    QCOMPARE(messages_.records.size(), std::size_t{1});
    QCOMPARE(Q(messages_.records[0].text), text);
    QVERIFY(messages_.records[0].kind == MessageKind::Warning);
    QCOMPARE(Q(messages_.records[0].caption), QString());
  }

 private slots:
  void init() {
    messages_ = ScriptedMessages();
    working_ = ParameterBlock();
    tabs_ = std::make_unique<EditorTabSet>(working_, messages_);
    summary_ = std::make_unique<SummaryPaneView>();
    transfer_ = std::make_unique<BlockTransfer>(*tabs_, *summary_, messages_);
    typist_ = std::make_unique<EditorTabSet>(typist_block_, messages_);
    WriteStartupValues(gprs(), sms(), serial());
    tabs_->CheckModeRadio(0);
    tabs_->ShowSelectedPage(0);
    QVERIFY(messages_.records.empty());
  }
  void cleanup() {
    typist_.reset();
    transfer_.reset();
    summary_.reset();
    tabs_.reset();
  }

  // ---- Round trips --------------------------------------------------------------------------

  void roundTripOfEveryModeAndProtocol_data() {
    QTest::addColumn<int>("mode");
    QTest::addColumn<int>("protocol");
    for (int mode = 0; mode <= 2; ++mode)
      for (int protocol = 0; protocol < 16; ++protocol)
        QTest::addRow("mode %d protocol %d", mode, protocol) << mode << protocol;
  }
  void roundTripOfEveryModeAndProtocol() {
    QFETCH(int, mode);
    QFETCH(int, protocol);
    ParameterBlock b = BaseBlock();
    b.set_work_mode(static_cast<std::uint8_t>(mode));
    b.set_protocol(static_cast<std::uint8_t>(protocol));
    if (protocol == 9) b.set_device_id(0x1A2B3C4D);
    UneditedRoundTrip(Sealed(b));
    TypedRoundTrip(Sealed(b));
  }

  // Read, then written back without an edit, any block a unit can hold comes back whole: full
  // counted fields (a ten-byte notice ending in CR LF), texts with any bytes after their end,
  // bytes GBK does not know, values the pages would refuse as entries.
  void uneditedRoundTripOfAnyBlock() {
    RandomBlocks blocks(20240611);
    for (int i = 0; i < 300; ++i) {
      UneditedRoundTrip(blocks.Held());
      if (QTest::currentTestFailed()) {
        qWarning("block %d", i);
        return;
      }
    }
  }

  // Every field at its capacity: the block of a unit whose counted fields are all full.
  void uneditedRoundTripOfFullFields() {
    ParameterBlock b = BaseBlock();
    for (const CountedRow& area : kCountedFields) {
      std::vector<std::uint8_t> full(area.area.size, 0x41);
      full.back() = 0x0A;
      b.SetCounted(area, full);
    }
    for (const FieldRow& text : kTextFields) b.SetText(text, std::string(text.size - 1u, '7'));
    UneditedRoundTrip(Sealed(b));
    QCOMPARE(serial().text(serial_id::kGprsNotice),
             QStringLiteral("41 41 41 41 41 41 41 41 41 0A "));
  }

  void typedRoundTripOfRandomBlocks() {
    RandomBlocks blocks(20240612);
    for (int i = 0; i < 100; ++i) {
      TypedRoundTrip(blocks.Typed());
      if (QTest::currentTestFailed()) {
        qWarning("random block %d", i);
        return;
      }
    }
  }

  // Values outside a list's entries are shown as the unit's own and collected unchanged; the
  // next block's load takes the extra entries away again.
  void outOfRangeEnumerations() {
    ParameterBlock first = BaseBlock();
    first.set_work_mode(2);
    first.set_parity(1);
    first.set_baud_rate(57600);
    first.set_data_bits(7);
    first.set_stop_bits(2);
    QVERIFY(Load(first));

    ParameterBlock odd = BaseBlock();
    odd.set_work_mode(3);
    odd.set_parity(7);
    odd.set_baud_rate(12345);
    odd.set_data_bits(5);
    odd.set_stop_bits(3);
    odd.set_protocol(40);
    odd.set_sms_mode(9);
    odd.set_sms_coding(3);
    odd.set_sms_output_number(2);
    QVERIFY(Load(odd));
    const auto own = [](int value) {
      return QString::number(value) + QStringLiteral("（设备当前值）");
    };
    QCOMPARE(serial().list(serial_id::kBaudRate)->currentText(), own(12345));
    QCOMPARE(serial().list(serial_id::kParity)->currentText(), own(7));
    QCOMPARE(serial().list(serial_id::kDataBits)->currentText(), own(5));
    QCOMPARE(serial().list(serial_id::kStopBits)->currentText(), own(3));
    QCOMPARE(gprs().list(gprs_id::kProtocol)->currentText(), own(40));
    QCOMPARE(sms().list(sms_id::kMode)->currentText(), own(9));
    QVERIFY(tabs_->modeRadio(main_id::kUnitModeRadio)->isChecked());
    QVERIFY(!tabs_->modeRadio(main_id::kUnitModeRadio)->isHidden());

    // The extra entries, chosen, store the unit's values.
    TypedRoundTrip(Sealed(odd));

    // Another entry picked is stored; the next load removes the extra entries.
    serial().list(serial_id::kBaudRate)->setCurrentText(QStringLiteral("9600"));
    QVERIFY(Collect());
    QCOMPARE(working_.baud_rate(), 9600u);
    QVERIFY(Load(first));
    QCOMPARE(serial().list(serial_id::kBaudRate)->count(), 14);
    QCOMPARE(serial().list(serial_id::kBaudRate)->currentText(), QStringLiteral("57600"));
    QVERIFY(tabs_->modeRadio(main_id::kUnitModeRadio)->isHidden());
  }

  void sixDataBitsAreTheUnitsOwn() {
    ParameterBlock b = BaseBlock();
    b.set_data_bits(6);
    QVERIFY(Load(b));
    QCOMPARE(serial().list(serial_id::kDataBits)->currentText(), QStringLiteral("6（设备当前值）"));
    QVERIFY(Collect());
    QCOMPARE(working_.data_bits(), 6);
  }

  // ---- Loading ------------------------------------------------------------------------------

  void loadShowsEveryField() {
    ParameterBlock b = BaseBlock();
    b.set_heartbeat_data(Bytes({0x41, 0x0D}));
    QVERIFY(Load(b));
    QCOMPARE(gprs().text(gprs_id::kApn), QStringLiteral("CMNET"));
    QCOMPARE(gprs().text(gprs_id::kDomain[0]), QStringLiteral("数据中心.example.com"));
    QCOMPARE(gprs().text(gprs_id::kCentreIp[0]), QStringLiteral("192.168.1.10"));
    QCOMPARE(gprs().text(gprs_id::kPort[0]), QStringLiteral("5001"));
    QCOMPARE(gprs().text(gprs_id::kReceiverCount), QStringLiteral("3"));
    QCOMPARE(gprs().text(gprs_id::kProjectNumber), QStringLiteral("300"));
    QCOMPARE(gprs().text(gprs_id::kDeviceNumber), QStringLiteral("1234"));
    QCOMPARE(gprs().text(gprs_id::kCentreNumber), QStringLiteral("4321"));
    QCOMPARE(gprs().text(gprs_id::kHeartbeatData), QStringLiteral("41 0D "));
    QCOMPARE(gprs().text(gprs_id::kRegisterData), QStringLiteral("7E 01 02 "));
    QCOMPARE(gprs().text(gprs_id::kHeartbeatRetries), QStringLiteral("5"));
    QCOMPARE(gprs().text(gprs_id::kTcpReconnectTime), QStringLiteral("45"));
    QCOMPARE(gprs().list(gprs_id::kProtocol)->currentIndex(), 1);
    QCOMPARE(sms().text(sms_id::kSmsCentre), QStringLiteral("8613800100500"));
    QCOMPARE(sms().list(sms_id::kCoding)->currentIndex(), 2);
    QCOMPARE(serial().list(serial_id::kBaudRate)->currentText(), QStringLiteral("19200"));
    QCOMPARE(serial().list(serial_id::kParity)->currentIndex(), 2);
    QCOMPARE(serial().text(serial_id::kPollCommand), QStringLiteral("52 65 61 64 "));
    QCOMPARE(serial().text(serial_id::kPollCommandLength), QStringLiteral("4"));
    QCOMPARE(serial().text(serial_id::kFrameHead), QStringLiteral("7E 01 "));
    QCOMPARE(serial().text(serial_id::kGprsNotice), QStringLiteral("47 50 52 53 4F 4B 0D 0A "));
    QVERIFY(serial().radio(serial_id::kByHeadAndTail)->isChecked());
    QVERIFY(messages_.records.empty());
  }

  void hexBoxesAndFlagsAfterALoad() {
    // Clear every box first, so that the load is seen to check them.
    for (int id : {serial_id::kFrameHeadHex, serial_id::kFrameTailHex, serial_id::kPollCommandHex,
                   serial_id::kGprsRxTagHex, serial_id::kSmsRxTagHex, serial_id::kGprsTxTagHex,
                   serial_id::kSmsTxTagHex, serial_id::kGprsNoticeHex, serial_id::kTcpNoticeHex})
      serial().setChecked(id, false);
    for (int id : {gprs_id::kHeartbeatHex, gprs_id::kRegisterHex}) gprs().setChecked(id, false);
    ParameterBlock b = BaseBlock();
    QVERIFY(Load(b));
    for (int id : {serial_id::kFrameHeadHex, serial_id::kFrameTailHex, serial_id::kPollCommandHex,
                   serial_id::kGprsRxTagHex, serial_id::kSmsRxTagHex, serial_id::kGprsTxTagHex,
                   serial_id::kSmsTxTagHex, serial_id::kGprsNoticeHex, serial_id::kTcpNoticeHex})
      QVERIFY2(serial().isChecked(id), qPrintable(QString::number(id)));
    for (int id : {gprs_id::kHeartbeatHex, gprs_id::kRegisterHex}) QVERIFY(gprs().isChecked(id));

    const std::vector<std::pair<int, int>> gprs_flags{
        {gprs_id::kFixedDns, 1},         {gprs_id::kDomainEnabled[0], 1},
        {gprs_id::kDomainEnabled[1], 0}, {gprs_id::kDomainEnabled[2], 1},
        {gprs_id::kDomainEnabled[3], 0}, {gprs_id::kDomainEnabled[4], 0},
        {gprs_id::kDomainEnabled[5], 0}, {gprs_id::kCustomPackets, 1},
        {gprs_id::kHeartbeatTwice, 1}};
    for (const auto& [id, on] : gprs_flags) QCOMPARE(gprs().isChecked(id), on == 1);
    QVERIFY(sms().isChecked(sms_id::kAcceptAll));
    QVERIFY(sms().isChecked(sms_id::kDualTargetsOnly));
    QVERIFY(serial().isChecked(serial_id::kTimedReceive));

    b.set_fixed_dns(0);
    b.set_sms_accept_all(0);
    b.set_dual_sms_targets_only(2);  // not 1: off
    QVERIFY(Load(b));
    QVERIFY(!gprs().isChecked(gprs_id::kFixedDns));
    QVERIFY(!sms().isChecked(sms_id::kAcceptAll));
    QVERIFY(!sms().isChecked(sms_id::kDualTargetsOnly));
  }

  void workModeSetsTabsRadiosAndGroups_data() {
    QTest::addColumn<int>("mode");
    QTest::addColumn<int>("radio");
    QTest::addColumn<QString>("first_tab");
    QTest::newRow("gprs") << 0 << main_id::kGprsModeRadio << QStringLiteral("GPRS参数");
    QTest::newRow("sms") << 1 << main_id::kSmsModeRadio << QStringLiteral("短信参数");
    QTest::newRow("dual") << 2 << main_id::kDualModeRadio << QStringLiteral("GPRS参数");
  }
  void workModeSetsTabsRadiosAndGroups() {
    QFETCH(int, mode);
    QFETCH(int, radio);
    QFETCH(QString, first_tab);
    tabs_->tabBar()->setCurrentIndex(1);
    ParameterBlock b = BaseBlock();
    b.set_work_mode(static_cast<std::uint8_t>(mode));
    QVERIFY(Load(b));
    QCOMPARE(tabs_->tabBar()->tabText(0), first_tab);
    QCOMPARE(tabs_->tabBar()->currentIndex(), 0);
    QVERIFY(tabs_->modeRadio(radio)->isChecked());
    QCOMPARE(tabs_->CheckedMode(), std::optional<std::uint8_t>(static_cast<std::uint8_t>(mode)));
    QCOMPARE(sms().isVisibleTo(tabs_.get()), mode == 1);
    QCOMPARE(gprs().isVisibleTo(tabs_.get()), mode != 1);
    QCOMPARE(!serial().group(serial_id::kRxTagGroup)->isHidden(), mode == 2);
    QCOMPARE(!serial().group(serial_id::kTxTagGroup)->isHidden(), mode == 2);
    QCOMPARE(!serial().group(serial_id::kGprsNoticeGroup)->isHidden(), mode != 1);
    QCOMPARE(!serial().group(serial_id::kTcpNoticeGroup)->isHidden(), mode != 1);
    working_.set_work_mode(7);
    QVERIFY(Collect());
    QCOMPARE(working_.work_mode(), mode);
  }

  void theCheckedModeRadioCannotBeCleared() {
    tabs_->modeRadio(main_id::kGprsModeRadio)->setChecked(false);
    QCOMPARE(tabs_->CheckedMode(), std::optional<std::uint8_t>(0));
    working_.set_work_mode(9);
    QVERIFY(Collect());
    QCOMPARE(working_.work_mode(), 0);
  }

  void summaryPrintedForAnAcceptedBlock() {
    summary_->AppendSummaryLine("earlier");
    ParameterBlock b = BaseBlock();
    QVERIFY(Load(b));
    QString expected = QStringLiteral("earlier\n");
    for (const std::string& line : PrintSummary(Normalised(Sealed(b))))
      expected += Q(line) + QLatin1Char('\n');
    // The notice "GPRSOK\r\n" printed as text breaks its line, as the box shows it.
    expected.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    QVERIFY(expected.contains(QStringLiteral("启用,GPRSOK\n,长度8,")));
    QCOMPARE(summary_->toPlainText().split(QLatin1Char('\n')), expected.split(QLatin1Char('\n')));
    QVERIFY(expected.contains(QStringLiteral("●协议------>澄川TCP")));
  }

  // The summary and the pages read the normalised block: an APN filling all 17 bytes shows 16,
  // a count beyond its area the whole area.
  void loadNormalisesFirst() {
    ParameterBlock b = BaseBlock();
    std::fill_n(b.Area(field::apn).begin(), 17, std::uint8_t{'A'});
    b.set_frame_head_len(9);
    b.set_length(0);
    QVERIFY(Load(b));
    QCOMPARE(gprs().text(gprs_id::kApn), QString(16, QLatin1Char('A')));
    QCOMPARE(serial().text(serial_id::kFrameHead), QStringLiteral("7E 01 00 00 00 00 00 00 "));
    QCOMPARE(working_.length(), 660);
    QCOMPARE(working_.frame_head_len(), 8);
    QVERIFY(summary_->toPlainText().contains(QStringLiteral("●接入点APN->") +
                                             QString(16, QLatin1Char('A')) + QLatin1Char('\n')));
  }

  void chineseTextRoundTrip() {
    ParameterBlock b = BaseBlock();
    b.set_apn(Gbk("中国移动网络"));
    b.set_ppp_user(Gbk("用户名"));
    b.set_domain6(Gbk("中文域名测试"));
    QVERIFY(Load(b));
    QCOMPARE(gprs().text(gprs_id::kApn), QStringLiteral("中国移动网络"));
    QCOMPARE(gprs().text(gprs_id::kDomain[5]), QStringLiteral("中文域名测试"));
    QVERIFY(Collect());
    QCOMPARE(working_.apn(), Gbk("中国移动网络"));
    QCOMPARE(working_.domain6(), Gbk("中文域名测试"));
    QCOMPARE(working_.ppp_user(), Gbk("用户名"));
  }

  // ---- A block that fails its checksum -----------------------------------------------------

  void checksumWrongBlockChangesNothing_data() {
    QTest::addColumn<int>("byte");
    QTest::addColumn<int>("value");
    QTest::newRow("checksum off by one") << 2 << -1;
    QTest::newRow("high checksum byte") << 3 << 1;
  }
  void checksumWrongBlockChangesNothing() {
    QFETCH(int, byte);
    QFETCH(int, value);
    QVERIFY(Load(BaseBlock()));
    tabs_->tabBar()->setCurrentIndex(1);
    const QStringList before = Snapshot();
    const ParameterBlock working_before = working_;

    ParameterBlock bad = BaseBlock();
    bad.set_work_mode(1);
    bad.set_protocol(9);
    bad.set_apn(Gbk("OTHER"));
    SealBlock(bad);
    if (value < 0) {
      bad.bytes()[2] = static_cast<std::uint8_t>(bad.bytes()[2] ^ 0x01);
    } else {
      bad.bytes()[static_cast<std::size_t>(byte)] = static_cast<std::uint8_t>(value);
    }
    messages_.clear();
    QVERIFY(!transfer_->LoadBlock(bad, working_, kFromUnit));

    QCOMPARE(messages_.records.size(), std::size_t{1});
    QCOMPARE(Q(messages_.records[0].text), Q(BlockMismatchMessage(kFromUnit)));
    QVERIFY(Q(messages_.records[0].text).startsWith(Q(kMismatch) + QLatin1Char('\n')));
    QVERIFY(messages_.records[0].kind == MessageKind::Warning);
    QCOMPARE(Q(messages_.records[0].caption), QString());
    QCOMPARE(Snapshot(), before);
    COMPARE_BLOCKS(working_, working_before);
  }

  void rejectedBlockInTheWorkingBlockItselfStaysAsItWas() {
    ParameterBlock bad = Sealed(BaseBlock());
    bad.bytes()[2] = static_cast<std::uint8_t>(bad.bytes()[2] ^ 0x10);
    bad.set_length(5);
    working_ = bad;
    QVERIFY(!transfer_->LoadBlock(working_, working_, kFromUnit));
    COMPARE_BLOCKS(working_, bad);
    QCOMPARE(tabs_->tabBar()->tabText(0), QStringLiteral("GPRS参数"));
    QCOMPARE(summary_->toPlainText(), QString());
  }

  // ---- Device identity ---------------------------------------------------------------------

  void protocolNineHexadecimalDeviceId() {
    ParameterBlock b = BaseBlock();
    b.set_protocol(9);
    b.set_device_id(0x1A2B3C4D);
    QVERIFY(Load(b));
    QCOMPARE(gprs().text(gprs_id::kDeviceNumber), QStringLiteral("1A2B3C4D"));
    QString typed = QStringLiteral("1a2F");  // hex digits may be typed, nothing else
    int position = 0;
    QCOMPARE(gprs().edit(gprs_id::kDeviceNumber)->validator()->validate(typed, position),
             QValidator::Acceptable);
    typed = QStringLiteral("1G");
    QCOMPARE(gprs().edit(gprs_id::kDeviceNumber)->validator()->validate(typed, position),
             QValidator::Invalid);
    QVERIFY(gprs().edit(gprs_id::kCentreNumber)->isHidden());
    gprs().setText(gprs_id::kDeviceNumber, QStringLiteral("12345678"));
    QVERIFY(Collect());
    QCOMPARE(working_.Area(field::device_id)[0], 0x12);
    QCOMPARE(working_.Area(field::device_id)[1], 0x34);
    QCOMPARE(working_.Area(field::device_id)[2], 0x56);
    QCOMPARE(working_.Area(field::device_id)[3], 0x78);

    // Letters may be typed; ten digits are more than the identifier holds.
    Type(gprs().edit(gprs_id::kDeviceNumber), QStringLiteral("EF"));
    QCOMPARE(gprs().text(gprs_id::kDeviceNumber), QStringLiteral("12345678EF"));
    QVERIFY(!Collect());
    ExpectOneWarning(QStringLiteral("设备编号的数值 12345678EF 超出范围（最大 FFFFFFFF）。"));
    messages_.clear();
    // Hex digits only, as in the text form: no sign, no 0x.
    gprs().setText(gprs_id::kDeviceNumber, QStringLiteral("0xdeadBEEF"));
    QVERIFY(!Collect());
    ExpectOneWarning(QStringLiteral(
        "设备编号“0xdeadBEEF”不是十六进制数：设备标识只能填写 0-9、A-F，最多 8 位。"));
    messages_.clear();
    gprs().setText(gprs_id::kDeviceNumber, QStringLiteral("deadBEEF"));
    QVERIFY(Collect());
    QCOMPARE(working_.device_id(), 0xDEADBEEFu);

    // Another protocol makes the field decimal and digits-only again.
    b.set_protocol(3);
    QVERIFY(Load(b));
    QVERIFY(gprs().edit(gprs_id::kDeviceNumber)->validator() != nullptr);
    QCOMPARE(gprs().text(gprs_id::kDeviceNumber), QString::number(b.device_number()));
  }

  void protocolThreeEntryZeroStores8000() {
    ParameterBlock b = BaseBlock();
    b.set_protocol(3);
    QVERIFY(Load(b));
    gprs().setText(gprs_id::kDeviceNumber, QStringLiteral("0"));
    gprs().setText(gprs_id::kCentreNumber, QStringLiteral("0"));
    QVERIFY(Collect());
    QCOMPARE(working_.bytes()[95], 0x1F);
    QCOMPARE(working_.bytes()[96], 0x40);
    QCOMPARE(working_.bytes()[97], 0x1F);
    QCOMPARE(working_.bytes()[98], 0x40);
    QCOMPARE(transfer_->SubstitutionLines(),
             (std::vector<std::string>{"设备编号：0 按页面的规则写为 8000",
                                       "接收编号：0 按页面的规则写为 8000"}));
  }

  void centreNumberHiddenForTheRestOfTheRun_data() {
    QTest::addColumn<int>("protocol");
    QTest::newRow("2") << 2;
    QTest::newRow("9") << 9;
    QTest::newRow("11") << 11;
  }
  void centreNumberHiddenForTheRestOfTheRun() {
    QFETCH(int, protocol);
    QVERIFY(Load(BaseBlock()));
    QVERIFY(!gprs().edit(gprs_id::kCentreNumber)->isHidden());
    ParameterBlock b = BaseBlock();
    b.set_protocol(static_cast<std::uint8_t>(protocol));
    QVERIFY(Load(b));
    QVERIFY(gprs().edit(gprs_id::kCentreNumber)->isHidden());
    QVERIFY(gprs().labelFor(gprs_id::kCentreNumber)->isHidden());
    QVERIFY(Load(BaseBlock()));  // protocol 1
    QVERIFY(gprs().edit(gprs_id::kCentreNumber)->isHidden());
    // Still collected.
    gprs().setText(gprs_id::kCentreNumber, QStringLiteral("777"));
    QVERIFY(Collect());
    QCOMPARE(working_.centre_number(), 777);
  }

  void projectNumberZeroKeepsTheField() {
    QVERIFY(Load(BaseBlock()));
    gprs().setText(gprs_id::kProjectNumber, QStringLiteral("0"));
    QVERIFY(Collect());
    QCOMPARE(working_.project_number(), 300);
    QCOMPARE(transfer_->SubstitutionLines(),
             std::vector<std::string>{"项目编号：0 按页面的规则不写入，保留原来的 300"});
    gprs().setText(gprs_id::kProjectNumber, QStringLiteral("0012"));
    QVERIFY(Collect());
    QCOMPARE(working_.project_number(), 12);
    QVERIFY(transfer_->SubstitutionLines().empty());
  }

  // A number is its digits: anything else is refused with the field named, never read as some
  // other number.
  void numbersOtherThanDigitsAreRefused_data() {
    QTest::addColumn<int>("page");  // 0 network, 2 serial
    QTest::addColumn<int>("id");
    QTest::addColumn<QString>("entry");
    QTest::addColumn<QString>("message");
    QTest::newRow("project letters") << 0 << gprs_id::kProjectNumber << "abc"
                                     << "项目编号“abc”不是十进制数：只能填写数字 0-9。";
    QTest::newRow("project digits and letters")
        << 0 << gprs_id::kProjectNumber << "12abc"
        << "项目编号“12abc”不是十进制数：只能填写数字 0-9。";
    QTest::newRow("project empty") << 0 << gprs_id::kProjectNumber << ""
                                   << "项目编号没有填写：请填写一个数。";
    QTest::newRow("device sign") << 0 << gprs_id::kDeviceNumber << "-5"
                                 << "设备编号“-5”不是十进制数：只能填写数字 0-9。";
    QTest::newRow("ip count") << 0 << gprs_id::kIpCount << "12a4"
                              << "IP数目“12a4”不是十进制数：只能填写数字 0-9。";
    QTest::newRow("poll interval")
        << 2 << serial_id::kPollInterval << "-5"
        << "串口定时输出命令的间隔(秒)“-5”不是十进制数：只能填写数字 0-9。";
    QTest::newRow("poll interval empty") << 2 << serial_id::kPollInterval << ""
                                         << "串口定时输出命令的间隔(秒)没有填写：请填写一个数。";
    QTest::newRow("frame delay") << 2 << serial_id::kFrameDelay << "20ms"
                                 << "延时(毫秒)“20ms”不是十进制数：只能填写数字 0-9。";
  }
  void numbersOtherThanDigitsAreRefused() {
    QFETCH(int, page);
    QFETCH(int, id);
    QFETCH(QString, entry);
    QFETCH(QString, message);
    QVERIFY(Load(BaseBlock()));
    EditorPage& shown = page == 0 ? static_cast<EditorPage&>(gprs()) : serial();
    shown.setText(id, entry);  // past the field's own rule, as a paste of old could
    const ParameterBlock before = working_;
    QVERIFY(!Collect());
    ExpectOneWarning(message);
    COMPARE_BLOCKS(working_, before);
  }

  // ---- Numbers and their rules ---------------------------------------------------------------

  void baudRateEntries_data() {
    QTest::addColumn<int>("baud");
    QTest::addColumn<int>("entry");
    QTest::newRow("110") << 110 << 0;
    QTest::newRow("230400") << 230400 << 11;
    QTest::newRow("921600") << 921600 << 13;
    QTest::newRow("12345") << 12345 << 14;  // an extra entry: the unit's own value
  }
  void baudRateEntries() {
    QFETCH(int, baud);
    QFETCH(int, entry);
    ParameterBlock b = BaseBlock();
    b.set_baud_rate(static_cast<std::uint32_t>(baud));
    QVERIFY(Load(b));
    QCOMPARE(serial().list(serial_id::kBaudRate)->currentIndex(), entry);
    QVERIFY(Collect());
    QCOMPARE(working_.baud_rate(), static_cast<std::uint32_t>(baud));
  }

  // An entry outside its range is refused at collection too, naming the field (also where the
  // range is checked as the field is left, in case the field is not left before the write).
  void rangeRefusedAtCollection_data() {
    QTest::addColumn<int>("id");
    QTest::addColumn<QString>("entry");
    QTest::addColumn<QString>("message");
    const QString tcp = QStringLiteral("TCP重连接时间(秒)：请输入20到60之间的数");
    const QString heartbeat = QStringLiteral("心跳间隔(秒)：请输入5到3600之间的数");
    QTest::newRow("tcp 10") << gprs_id::kTcpReconnectTime << "10" << tcp;
    QTest::newRow("tcp 0") << gprs_id::kTcpReconnectTime << "0" << tcp;
    QTest::newRow("tcp 65535") << gprs_id::kTcpReconnectTime << "65535" << tcp;
    QTest::newRow("tcp 20") << gprs_id::kTcpReconnectTime << "20"
                            << "";
    QTest::newRow("tcp 60") << gprs_id::kTcpReconnectTime << "60"
                            << "";
    QTest::newRow("heartbeat 2") << gprs_id::kHeartbeatInterval << "2" << heartbeat;
    QTest::newRow("heartbeat 4000") << gprs_id::kHeartbeatInterval << "4000" << heartbeat;
    QTest::newRow("heartbeat 120") << gprs_id::kHeartbeatInterval << "120"
                                   << "";
    QTest::newRow("ip count 7") << gprs_id::kIpCount << "7"
                                << "IP数目请输入1到6之间的数";
  }
  void rangeRefusedAtCollection() {
    QFETCH(int, id);
    QFETCH(QString, entry);
    QFETCH(QString, message);
    gprs().setText(id, entry);
    QCOMPARE(Collect(), message.isEmpty());
    if (message.isEmpty()) {
      QCOMPARE(working_.Get(gprs().fieldOf(id)->field), entry.toUInt());
      QVERIFY(messages_.records.empty());
    } else {
      ExpectOneWarning(message);
    }
  }

  void pollInterval_data() {
    QTest::addColumn<QString>("entry");
    QTest::addColumn<bool>("accepted");
    QTest::newRow("0") << "0" << true;
    QTest::newRow("1") << "1" << false;
    QTest::newRow("3") << "3" << false;
    QTest::newRow("4") << "4" << false;
    QTest::newRow("5") << "5" << true;
  }
  void pollInterval() {
    QFETCH(QString, entry);
    QFETCH(bool, accepted);
    QVERIFY(Load(BaseBlock()));
    gprs().setText(gprs_id::kApn, QStringLiteral("NEWAPN"));
    serial().list(serial_id::kBaudRate)->setCurrentIndex(13);
    serial().setText(serial_id::kPollCommand, QStringLiteral("41 42 "));
    serial().setText(serial_id::kPollInterval, entry);
    const ParameterBlock before = working_;
    QCOMPARE(Collect(), accepted);
    // A refusal leaves the whole working block as it was, also the fields before the interval.
    QCOMPARE(working_.apn(), accepted ? std::string("NEWAPN") : before.apn());
    QCOMPARE(working_.baud_rate(), accepted ? 921600u : before.baud_rate());
    if (accepted) {
      QVERIFY(messages_.records.empty());
      QCOMPARE(working_.poll_interval(), entry.toInt());
      QCOMPARE(working_.poll_command(), Bytes({0x41, 0x42}));
    } else {
      ExpectOneWarning(Q(kPollRefusal));
      QCOMPARE(working_.poll_interval(), 10);
      QCOMPARE(working_.poll_command(), Bytes({'R', 'e', 'a', 'd'}));  // not reached
    }
  }

  void frameDelayBelowTwentyRefusedInEitherMode_data() {
    QTest::addColumn<int>("radio");
    QTest::newRow("head and tail") << serial_id::kByHeadAndTail;
    QTest::newRow("delay") << serial_id::kByDelay;
  }
  void frameDelayBelowTwentyRefusedInEitherMode() {
    QFETCH(int, radio);
    QVERIFY(Load(BaseBlock()));
    serial().radio(radio)->click();
    serial().setText(serial_id::kPollCommand, QStringLiteral("41 "));
    serial().setText(serial_id::kFrameHead, QStringLiteral("23 "));
    serial().setText(serial_id::kFrameDelay, QStringLiteral("19"));
    const ParameterBlock before = working_;
    QVERIFY(!Collect());
    ExpectOneWarning(Q(kDelayRefusal));
    COMPARE_BLOCKS(working_, before);  // nothing written, also not the command before it
    QCOMPARE(working_.poll_command(), Bytes({'R', 'e', 'a', 'd'}));
    QCOMPARE(working_.frame_head(), Bytes({0x7E, 0x01}));
    QCOMPARE(working_.frame_delay(), 150);

    messages_.clear();
    serial().setText(serial_id::kFrameDelay, QStringLiteral("20"));
    QVERIFY(Collect());
    QCOMPARE(working_.frame_delay(), 20);
    QCOMPARE(working_.frame_mode(), radio == serial_id::kByHeadAndTail ? 1 : 0);
  }

  void heartbeatRetriesShownButNotCollected() {
    ParameterBlock b = BaseBlock();
    b.set_heartbeat_retries(7);
    QVERIFY(Load(b));
    QCOMPARE(gprs().text(gprs_id::kHeartbeatRetries), QStringLiteral("7"));
    gprs().setText(gprs_id::kHeartbeatRetries, QStringLiteral("9"));
    QVERIFY(Collect());
    QCOMPARE(working_.heartbeat_retries(), 7);
  }

  // The unit's own mode comes back as it was until a radio is chosen.
  void ipModeAfterALoad() {
    ParameterBlock b = BaseBlock();
    b.set_ip_mode(0);
    QVERIFY(Load(b));
    QVERIFY(gprs().radio(gprs_id::kGroupSend)->isChecked());
    QVERIFY(Collect());
    QCOMPARE(working_.ip_mode(), 0);
    gprs().radio(gprs_id::kMainAndBackup)->click();
    QVERIFY(Collect());
    QCOMPARE(working_.ip_mode(), 1);
    // Group send again, as loaded: the unit's own group-send value, not the main centre's 1.
    gprs().radio(gprs_id::kGroupSend)->click();
    QVERIFY(Collect());
    QCOMPARE(working_.ip_mode(), 0);

    b.set_ip_mode(1);
    QVERIFY(Load(b));
    QVERIFY(gprs().radio(gprs_id::kMainAndBackup)->isChecked());
    QVERIFY(Collect());
    QCOMPARE(working_.ip_mode(), 1);
    gprs().radio(gprs_id::kGroupSend)->click();
    QVERIFY(Collect());
    QCOMPARE(working_.ip_mode(), 2);
  }

  // ---- Texts and counted fields --------------------------------------------------------------

  void apnAndDialStringTrimmed() {
    gprs().setText(gprs_id::kApn, QStringLiteral(" cmnet "));
    gprs().setText(gprs_id::kDialCode, QStringLiteral("\t*99# "));
    gprs().setText(gprs_id::kPppUser, QStringLiteral(" u "));
    QVERIFY(Collect());
    QCOMPARE(working_.apn(), std::string("cmnet"));
    QCOMPARE(working_.Area(field::apn)[5], 0);
    QCOMPARE(working_.dial_code(), std::string("*99#"));
    QCOMPARE(working_.ppp_user(), std::string(" u "));  // stored exactly as typed
    // The write question names what was dropped.
    QCOMPARE(
        transfer_->SubstitutionLines(),
        (std::vector<std::string>{"接入点名称（APN）：首尾的空白按页面的规则不写入，写为“cmnet”",
                                  "服务代码：首尾的空白按页面的规则不写入，写为“*99#”"}));
  }

  void telephoneNumberStoredAsTyped() {
    std::fill_n(working_.Area(field::sms_number1).begin(), 14, std::uint8_t{'9'});
    sms().setText(sms_id::kNumber[0], QStringLiteral("13912345678"));
    QVERIFY(Collect());
    QCOMPARE(working_.sms_number1(), std::string("13912345678"));
    QCOMPARE(working_.Area(field::sms_number1)[11], 0);
    QCOMPARE(working_.Area(field::sms_number1)[12], '9');  // after the end: as it was
  }

  void fortyCharacterDomain() {
    const QString forty = QStringLiteral("abcdefghij").repeated(4);
    // Typed, the field itself keeps 30 and says so.
    gprs().setText(gprs_id::kDomain[0], forty);
    QCOMPARE(gprs().text(gprs_id::kDomain[0]), forty.left(30));
    QCOMPARE(messages_.texts(), std::vector<std::string>{"最大长度30个字节！"});
    QVERIFY(Collect());
    QCOMPARE(working_.domain1(), forty.left(30).toStdString());
    // Placed there past the field's own check, the collection refuses it rather than cut it.
    messages_.clear();
    {
      const QSignalBlocker quiet(gprs().edit(gprs_id::kDomain[1]));
      gprs().edit(gprs_id::kDomain[1])->setText(forty);
    }
    QVERIFY(!Collect());
    ExpectOneWarning(QStringLiteral("第二中心域名最多30个字节，填写的有40个字节。"));
  }

  void overlongTextIsRefused_data() {
    QTest::addColumn<int>("id");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("message");
    QTest::newRow("apn 9 chinese") << gprs_id::kApn << QStringLiteral("中").repeated(9)
                                   << "接入点名称（APN）最多16个字节，填写的有18个字节。";
    QTest::newRow("password") << gprs_id::kPppPassword << QStringLiteral("123456789")
                              << "PPP用户密码最多8个字节，填写的有9个字节。";
  }
  void overlongTextIsRefused() {
    QFETCH(int, id);
    QFETCH(QString, text);
    QFETCH(QString, message);
    {
      const QSignalBlocker quiet(gprs().edit(id));
      gprs().edit(id)->setText(text);
    }
    QVERIFY(!Collect());
    ExpectOneWarning(message);
  }

  // A packet shown as text after its box was cleared stays what it is through the next load's
  // exchange towards the controls: no length message, no dump taken for text.
  void loadAfterClearingAHexBoxSaysNothing() {
    ParameterBlock b = BaseBlock();
    std::vector<std::uint8_t> packet(20, 0x41);
    b.set_register_data(packet);
    QVERIFY(Load(b));
    QVERIFY(Collect());  // the members now hold the dump
    gprs().box(gprs_id::kRegisterHex)->click();
    QCOMPARE(gprs().text(gprs_id::kRegisterData), QString(20, QLatin1Char('A')));
    QVERIFY(messages_.records.empty());
    QVERIFY(Load(BaseBlock()));
    QVERIFY2(messages_.records.empty(),
             messages_.records.empty() ? "" : messages_.records.front().text.c_str());
    QCOMPARE(gprs().text(gprs_id::kRegisterData), QStringLiteral("7E 01 02 "));
  }

  void registrationDumpStoresItsBytes() {
    gprs().box(gprs_id::kRegisterHex)->click();
    gprs().setText(gprs_id::kRegisterData, QStringLiteral("7E 01 02"));
    QVERIFY(Collect());
    QCOMPARE(working_.register_data(), Bytes({0x7E, 0x01, 0x02}));
    QCOMPARE(working_.register_data_len(), 3);
  }

  void countedFieldsInTextMode_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("stored");  // GBK
    QTest::newRow("ascii") << "AB" << QByteArray("AB");
    QTest::newRow("chinese") << "中文测试" << QByteArray(Gbk("中文测试").c_str());
    QTest::newRow("full") << "中文中文" << QByteArray(Gbk("中文中文").c_str());
  }
  void countedFieldsInTextMode() {
    QFETCH(QString, text);
    QFETCH(QByteArray, stored);
    QVERIFY(Load(BaseBlock()));
    serial().setChecked(serial_id::kFrameHeadHex, false);
    {
      const QSignalBlocker quiet(serial().edit(serial_id::kFrameHead));
      serial().edit(serial_id::kFrameHead)->setText(text);
    }
    QVERIFY(Collect());
    const std::vector<std::uint8_t> head = working_.frame_head();
    QCOMPARE(QByteArray(reinterpret_cast<const char*>(head.data()), static_cast<int>(head.size())),
             stored);
  }

  void emptyFrameHeadKeepsTheOldOneEmptyNoticeClears() {
    QVERIFY(Load(BaseBlock()));
    serial().setText(serial_id::kFrameHead, QString());
    serial().setText(serial_id::kGprsNotice, QString());
    serial().setText(serial_id::kTcpNotice, QString());
    QVERIFY(Collect());
    QCOMPARE(working_.frame_head(), Bytes({0x7E, 0x01}));
    QCOMPARE(working_.frame_head_len(), 2);
    QCOMPARE(working_.gprs_notice_len(), 0);
    QCOMPARE(working_.Area(field::gprs_notice)[0], 0);
    QCOMPARE(working_.Area(field::gprs_notice)[1], 'P');  // only the first byte is cleared
    QCOMPARE(working_.tcp_notice_len(), 0);
    QCOMPARE(working_.Area(field::tcp_notice)[0], 0);
  }

  void fullTenByteCommandKeepsItsLength() {
    serial().setChecked(serial_id::kPollCommandHex, true);
    serial().setText(serial_id::kPollCommand, QStringLiteral("01 02 03 04 05 06 07 08 09 0A "));
    QCOMPARE(serial().text(serial_id::kPollCommandLength), QStringLiteral("10"));
    QVERIFY(Collect());
    QCOMPARE(working_.poll_command_len(), 10);
    QCOMPARE(working_.poll_command(), Bytes({1, 2, 3, 4, 5, 6, 7, 8, 9, 10}));
  }

  // ---- Refusals that keep the unit from wrong values ------------------------------------------

  void numberTooLargeForItsFieldIsRefused_data() {
    QTest::addColumn<int>("page");  // 0 network, 2 serial
    QTest::addColumn<int>("id");
    QTest::addColumn<int>("protocol");
    QTest::addColumn<QString>("entry");
    QTest::addColumn<QString>("message");
    QTest::newRow("port") << 0 << gprs_id::kPort[0] << 1 << "70000"
                          << "主中心IP的端口的数值 70000 超出范围（最大 65535）。";
    QTest::newRow("sixth port") << 0 << gprs_id::kPort[5] << 1 << "65536"
                                << "心跳IP的端口的数值 65536 超出范围（最大 65535）。";
    QTest::newRow("ip count") << 0 << gprs_id::kIpCount << 1 << "256"
                              << "IP数目的数值 256 超出范围（最大 255）。";
    QTest::newRow("tcp reconnect") << 0 << gprs_id::kTcpReconnectTime << 1 << "65536"
                                   << "TCP重连接时间(秒)的数值 65536 超出范围（最大 65535）。";
    QTest::newRow("heartbeat") << 0 << gprs_id::kHeartbeatInterval << 1 << "70000"
                               << "心跳间隔(秒)的数值 70000 超出范围（最大 65535）。";
    QTest::newRow("project") << 0 << gprs_id::kProjectNumber << 1 << "65536"
                             << "项目编号的数值 65536 超出范围（最大 65535）。";
    QTest::newRow("device") << 0 << gprs_id::kDeviceNumber << 3 << "70000"
                            << "设备编号的数值 70000 超出范围（最大 65535）。";
    QTest::newRow("centre") << 0 << gprs_id::kCentreNumber << 3 << "65536"
                            << "接收编号的数值 65536 超出范围（最大 65535）。";
    QTest::newRow("device id") << 0 << gprs_id::kDeviceNumber << 9 << "1FFFFFFFF"
                               << "设备编号的数值 1FFFFFFFF 超出范围（最大 FFFFFFFF）。";
    QTest::newRow("device id nine digits")
        << 0 << gprs_id::kDeviceNumber << 9 << "123456789"
        << "设备编号的数值 123456789 超出范围（最大 FFFFFFFF）。";
    QTest::newRow("huge") << 0 << gprs_id::kProjectNumber << 1 << "123456789012345678901234567890"
                          << "项目编号的数值 12345678901234567890… 超出范围（最大 65535）。";
    QTest::newRow("poll interval")
        << 2 << serial_id::kPollInterval << 1 << "70000"
        << "串口定时输出命令的间隔(秒)的数值 70000 超出范围（最大 65535）。";
    QTest::newRow("poll interval wrapping to 1")
        << 2 << serial_id::kPollInterval << 1 << "65537"
        << "串口定时输出命令的间隔(秒)的数值 65537 超出范围（最大 65535）。";
    QTest::newRow("frame delay wrapping to 20")
        << 2 << serial_id::kFrameDelay << 1 << "65556"
        << "延时(毫秒)的数值 65556 超出范围（最大 65535）。";
    QTest::newRow("timer") << 2 << serial_id::kTimedReceiveInterval << 1 << "65536"
                           << "定时接收的间隔(秒)的数值 65536 超出范围（最大 65535）。";
  }
  void numberTooLargeForItsFieldIsRefused() {
    QFETCH(int, page);
    QFETCH(int, id);
    QFETCH(int, protocol);
    QFETCH(QString, entry);
    QFETCH(QString, message);
    tabs_->show();
    QVERIFY(QTest::qWaitForWindowActive(tabs_.get()));
    ParameterBlock b = BaseBlock();
    b.set_protocol(static_cast<std::uint8_t>(protocol));
    QVERIFY(Load(b));
    if (page == 2) tabs_->tabBar()->setCurrentIndex(0);
    EditorPage& shown = page == 0 ? static_cast<EditorPage&>(gprs()) : serial();
    {
      const QSignalBlocker quiet(shown.edit(id));  // past the field's own checks
      shown.edit(id)->setText(entry);
    }
    gprs().edit(gprs_id::kApn)->setFocus();
    const ParameterBlock before = working_;
    QVERIFY(!Collect());
    ExpectOneWarning(message);
    QVERIFY(shown.isVisible());
    if (!shown.edit(id)->isHidden())  // the TCP reconnect time is never shown
      QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(shown.edit(id)));
    // The refused field is not written; neither is anything after it.
    if (page == 0) {
      COMPARE_BLOCKS(working_, before);
    } else {
      QCOMPARE(working_.poll_interval(), before.poll_interval());
      QCOMPARE(working_.frame_delay(), before.frame_delay());
      QCOMPARE(working_.timed_receive_interval(), before.timed_receive_interval());
    }
  }

  void largestValuesAreAccepted() {
    ParameterBlock b = BaseBlock();
    b.set_protocol(9);
    QVERIFY(Load(b));
    gprs().setText(gprs_id::kPort[0], QStringLiteral("65535"));
    gprs().setText(gprs_id::kIpCount, QStringLiteral("6"));  // six address rows
    gprs().setText(gprs_id::kDeviceNumber, QStringLiteral("FFFFFFFF"));
    gprs().setText(gprs_id::kProjectNumber, QStringLiteral("65535"));
    serial().setText(serial_id::kPollInterval, QStringLiteral("65535"));
    QVERIFY(Collect());
    QCOMPARE(working_.port1(), 65535);
    QCOMPARE(working_.ip_count(), 6);
    QCOMPARE(working_.device_id(), 0xFFFFFFFFu);
    QCOMPARE(working_.project_number(), 65535);
    QCOMPARE(working_.poll_interval(), 65535);
    QVERIFY(messages_.records.empty());
  }

  void leadingZerosAreDigitsToo() {
    gprs().setText(gprs_id::kPort[1], QStringLiteral("0080"));
    QVERIFY(Collect());
    QCOMPARE(working_.port2(), 80);
    QVERIFY(messages_.records.empty());
  }

  // An entry the page's exchange refuses ends the collection: the members after it were not
  // read, and storing them would send stale values.
  void refusedExchangeEndsTheCollection() {
    tabs_->show();
    QVERIFY(QTest::qWaitForWindowActive(tabs_.get()));
    QVERIFY(Load(BaseBlock()));
    tabs_->tabBar()->setCurrentIndex(1);
    gprs().setText(gprs_id::kReceiverCount, QStringLiteral("40"));
    gprs().setText(gprs_id::kHeartbeatInterval, QStringLiteral("90"));
    const ParameterBlock before = working_;
    QVERIFY(!Collect());
    ExpectOneWarning(QStringLiteral("“请填入一个在1和32之间的整数。”"));
    COMPARE_BLOCKS(working_, before);
    QVERIFY(gprs().isVisible());
    QCOMPARE(QApplication::focusWidget(),
             static_cast<QWidget*>(gprs().edit(gprs_id::kReceiverCount)));
    messages_.clear();
    gprs().setText(gprs_id::kReceiverCount, QStringLiteral("32"));
    QVERIFY(Collect());
    QCOMPARE(working_.receiver_count(), 32);
    QCOMPARE(working_.heartbeat_interval(), 90);
  }

  void textGbkCannotHoldIsRefused_data() {
    QTest::addColumn<int>("page");  // 0 network, 1 SMS, 2 serial
    QTest::addColumn<int>("id");
    QTest::addColumn<QString>("message");
    QTest::newRow("apn") << 0 << gprs_id::kApn
                         << "接入点名称（APN）中的字符 \"😀\" (U+1F600) 无法用GBK编码保存，请修改。";
    QTest::newRow("domain") << 0 << gprs_id::kDomain[5]
                            << "第六中心域名中的字符 \"😀\" (U+1F600) 无法用GBK编码保存，请修改。";
    QTest::newRow("sms number")
        << 1 << sms_id::kNumber[4]
        << "群发手机号码5中的字符 \"😀\" (U+1F600) 无法用GBK编码保存，请修改。";
    QTest::newRow("frame head") << 2 << serial_id::kFrameHead
                                << "包头中的字符 \"😀\" (U+1F600) 无法用GBK编码保存，请修改。";
    QTest::newRow("notice")
        << 2 << serial_id::kGprsNotice
        << "GPRS入网通知内容中的字符 \"😀\" (U+1F600) 无法用GBK编码保存，请修改。";
  }
  void textGbkCannotHoldIsRefused() {
    QFETCH(int, page);
    QFETCH(int, id);
    QFETCH(QString, message);
    QVERIFY(Load(BaseBlock()));
    EditorPage& holder = page == 0   ? static_cast<EditorPage&>(gprs())
                         : page == 1 ? static_cast<EditorPage&>(sms())
                                     : static_cast<EditorPage&>(serial());
    {
      const QSignalBlocker quiet(holder.edit(id));
      holder.edit(id)->setText(QStringLiteral("ab😀cd"));
    }
    const ParameterBlock before = working_;
    QVERIFY(!Collect());
    ExpectOneWarning(message);
    if (page == 0) COMPARE_BLOCKS(working_, before);
  }
};

}  // namespace dtu::test

QTEST_MAIN(dtu::test::BlockTransferTest)
#include "block_transfer_test.moc"
