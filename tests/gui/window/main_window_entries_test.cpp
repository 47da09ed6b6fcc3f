// The window writes what the unit holds and what the user typed, nothing else: full fields come
// back whole, refused entries go back to what the field held, numbers are digits, typing fast
// into a limited field loses no keys, a unit's own list values show whole.
#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>
#include <QStyleOptionComboBox>
#include <QTemporaryDir>
#include <QTest>

#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

#include "core/block/parameter_text.h"
#include "core/text/gbk_codec.h"
#include "gui/pages/gprs_page.h"
#include "gui/pages/serial_page.h"
#include "gui/window/editor_tab_set.h"
#include "gui/window/session_adapter.h"
#include "support/device_test_support.h"
#include "support/gui_test_support.h"
#include "support/main_window_fixture.h"
#include "support/sample_blocks.h"

namespace dtu::test {

namespace fs = std::filesystem;

constexpr std::chrono::milliseconds kWait(20000);  // a safety net, not a speed limit

ParameterBlock Sealed(ParameterBlock block) {
  SealBlock(block);
  return block;
}

// A unit whose counted fields are all full, its texts random GBK up to their capacity.
ParameterBlock FullBlock(std::uint32_t seed) {
  std::mt19937 random(seed);
  ParameterBlock b = BaseBlock();
  for (const CountedRow& area : kCountedFields) {
    std::vector<std::uint8_t> bytes(area.area.size);
    for (std::uint8_t& byte : bytes) byte = static_cast<std::uint8_t>(random() % 256);
    b.SetCounted(area, bytes);
  }
  const std::string notice = "GPRSOK!!\r\n";
  b.set_gprs_notice(std::vector<std::uint8_t>(notice.begin(), notice.end()));
  const std::vector<std::string> words{"中", "文", "a", "Z", "9", "网", "-"};
  for (const FieldRow& text : kTextFields) {
    std::string gbk;
    while (true) {
      const std::string next = Utf8ToGbk(words[random() % words.size()]).bytes;
      if (gbk.size() + next.size() > text.size - 1u) break;
      gbk += next;
    }
    b.SetText(text, gbk);
  }
  SealBlock(b);
  return b;
}

class MainWindowEntriesTest : public QObject {
  Q_OBJECT

 private:
  MainWindowFixture f_;
  std::unique_ptr<QTemporaryDir> dir_;
  std::unique_ptr<DtusimProcess> sim_;

  MainConfigDialog& window() { return *f_.window; }
  GprsPage& gprs() { return window().tabs().gprsPage(); }
  SerialPage& serial() { return window().tabs().serialPage(); }
  QPushButton* Button(int id) { return qobject_cast<QPushButton*>(window().control(id)); }
  fs::path Path(const std::string& name) const {
    return fs::path(dir_->path().toStdString()) / name;
  }
  fs::path StatePath() const { return Path("unit.state"); }
  bool Shown(std::string_view text) const { return f_.messages.shown(text); }

  void WriteFile(const fs::path& path, const ParameterBlock& block) {
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(block.bytes().data()), kBlockSize);
  }

  // A unit holding `block`, read into the window.
  void ReadUnit(const ParameterBlock& block) {
    WriteFile(StatePath(), block);
    sim_ = StartSimulator({"--state", StatePath().string()});
    OpenPortOf(window(), sim_->port_path());
    QVERIFY(window().isPortOpen());
    Button(main_id::kReadButton)->click();
    QVERIFY(WaitFor([&] { return !window().operation().busy(); }, kWait));
    QVERIFY2(f_.messages.records.empty(),
             f_.messages.records.empty() ? "" : f_.messages.records[0].text.c_str());
  }

  // Opens a parameter file holding `block`, as the file menu does.
  void OpenFile(const ParameterBlock& block) {
    WriteFile(Path("in.bpp"), block);
    f_.files.open_answers.push_back(Path("in.bpp"));
    window().action(main_id::kOpenFileCommand)->trigger();
  }

  // "设置参数", answered yes; the unit's block afterwards.
  ParameterBlock WriteUnit() {
    f_.messages.answers.push_back(Answer::Yes);
    Button(main_id::kWriteButton)->click();
    WaitFor([&] { return Shown("参数设置成功!"); }, kWait);
    return ReadBlockFile(StatePath());
  }

  // The field's entry made as the user makes it: the focus in, the text replaced key by key, the
  // focus on to the next field.
  void Enter(EditorPage& page, int id, const QString& typed) {
    QLineEdit* field = page.edit(id);
    field->setFocus(Qt::TabFocusReason);
    field->selectAll();
    QTest::keyClicks(field, typed);
    QWidget* next = page.edit(id == gprs_id::kApn ? gprs_id::kDialCode : gprs_id::kApn);
    next->setFocus(Qt::TabFocusReason);
    QCoreApplication::processEvents();
  }

  QString Question() {
    for (const auto& record : f_.messages.records)
      if (record.question) return Q(record.text);
    return {};
  }

 private slots:
  void init() {
    dir_ = std::make_unique<QTemporaryDir>();
    f_.messages = ScriptedMessages();
    f_.files = ScriptedFileChooser();
    f_.Create();
    window().show();
    QVERIFY(QTest::qWaitForWindowActive(&window()));
  }
  void cleanup() {
    f_.Destroy();
    sim_.reset();
    dir_.reset();
  }

  // Full counted fields keep their last byte: read and written without an edit, opened and
  // saved, opened and exported as text, the block comes back whole.
  void fullFieldsComeBackWhole_data() {
    QTest::addColumn<QString>("path");
    QTest::addColumn<int>("seed");
    for (int seed = 1; seed <= 3; ++seed) {
      QTest::addRow("read and write %d", seed) << "unit" << seed;
      QTest::addRow("open and save %d", seed) << "file" << seed;
      QTest::addRow("export text %d", seed) << "text" << seed;
    }
  }
  void fullFieldsComeBackWhole() {
    QFETCH(QString, path);
    QFETCH(int, seed);
    const ParameterBlock unit = FullBlock(static_cast<std::uint32_t>(seed));
    ParameterBlock back;
    if (path == "unit") {
      ReadUnit(unit);
      back = WriteUnit();
    } else {
      OpenFile(unit);
      f_.files.save_answers.push_back(Path("out"));
      window()
          .action(path == "file" ? main_id::kSaveFileCommand : main_id::kExportTextCommand)
          ->trigger();
      if (path == "file") {
        back = ReadBlockFile(Path("out"));
      } else {
        std::stringstream text;
        text << std::ifstream(Path("out")).rdbuf();
        back = ImportBlockText(text.str(), std::nullopt).block.value_or(ParameterBlock());
      }
    }
    QCOMPARE(QByteArray(reinterpret_cast<const char*>(back.bytes().data()), kBlockSize),
             QByteArray(reinterpret_cast<const char*>(unit.bytes().data()), kBlockSize));
    QCOMPARE(serial().text(serial_id::kGprsNotice),
             QStringLiteral("47 50 52 53 4F 4B 21 21 0D 0A "));
  }

  // A refused heartbeat goes back to the value the field held before the entry; the write keeps
  // the unit's value.
  void aRefusedHeartbeatKeepsWhatTheFieldHeld_data() {
    QTest::addColumn<int>("unit");
    QTest::addColumn<QString>("entry");
    QTest::newRow("60, entry 2") << 60 << "2";
    QTest::newRow("120, entry 4000") << 120 << "4000";
  }
  void aRefusedHeartbeatKeepsWhatTheFieldHeld() {
    QFETCH(int, unit);
    QFETCH(QString, entry);
    ParameterBlock block = BaseBlock();
    block.set_heartbeat_interval(static_cast<std::uint16_t>(unit));
    ReadUnit(Sealed(block));
    Enter(gprs(), gprs_id::kHeartbeatInterval, entry);
    QTRY_VERIFY(Shown("请输入5到3600之间的数"));
    QCOMPARE(gprs().text(gprs_id::kHeartbeatInterval), QString::number(unit));
    QCOMPARE(WriteUnit().heartbeat_interval(), unit);
    // The last accepted entry is what a later refusal goes back to.
    Enter(gprs(), gprs_id::kHeartbeatInterval, QStringLiteral("45"));
    Enter(gprs(), gprs_id::kHeartbeatInterval, entry);
    QTRY_COMPARE(gprs().text(gprs_id::kHeartbeatInterval), QStringLiteral("45"));
  }

  // Entries are stored as what they say: a number is digits, an entry stored as something else
  // is refused with the field named, and 0 standing for a stored value is listed in the write
  // question.
  void entriesAreStoredAsTheySay_data() {
    QTest::addColumn<int>("id");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<QString>("asked");  // a line of the write question; empty: none
    QTest::addColumn<int>("project");
    QTest::addColumn<int>("device");
    QTest::newRow("project abc") << gprs_id::kProjectNumber << "abc"
                                 << "300"
                                 << "" << 300 << 1234;
    QTest::newRow("project 12abc") << gprs_id::kProjectNumber << "12abc"
                                   << "12"
                                   << "" << 12 << 1234;
    QTest::newRow("project 0") << gprs_id::kProjectNumber << "0"
                               << "0"
                               << "项目编号：0 按页面的规则不写入，保留原来的 300" << 300 << 1234;
    QTest::newRow("device 0") << gprs_id::kDeviceNumber << "0"
                              << "0"
                              << "设备编号：0 按页面的规则写为 8000" << 300 << 8000;
  }
  void entriesAreStoredAsTheySay() {
    QFETCH(int, id);
    QFETCH(QString, typed);
    QFETCH(QString, shown);
    QFETCH(QString, asked);
    QFETCH(int, project);
    QFETCH(int, device);
    ReadUnit(Sealed(BaseBlock()));
    Enter(gprs(), id, typed);
    QCOMPARE(gprs().text(id), shown);
    const ParameterBlock unit = WriteUnit();
    QVERIFY(Shown("参数设置成功!"));
    if (asked.isEmpty()) {
      QCOMPARE(Question(), QStringLiteral("确定设置参数吗?"));
    } else {
      QVERIFY2(Question().endsWith(QLatin1Char('\n') + asked), qPrintable(Question()));
      QVERIFY(gprs().edit(id)->toolTip().contains(QStringLiteral("填 0 时")));
    }
    QCOMPARE(unit.project_number(), project);
    QCOMPARE(unit.device_number(), device);
  }

  void aNumberThatIsNoNumberIsNotWritten() {
    ReadUnit(Sealed(BaseBlock()));
    gprs().setText(gprs_id::kProjectNumber, QStringLiteral("12abc"));  // as a paste of old
    Button(main_id::kWriteButton)->click();
    QCOMPARE(f_.messages.texts(),
             std::vector<std::string>{"项目编号“12abc”不是十进制数：只能填写数字 0-9。"});
    QCOMPARE(QApplication::focusWidget(), gprs().control(gprs_id::kProjectNumber));
  }

  // Typing fast into a field that reaches its limit: while a box would be open, the keys that
  // follow would go to it. No box opens before the typing pauses, so none is lost.
  void typingFastLosesNoKeys_data() {
    QTest::addColumn<int>("page");  // 0 network, 2 serial
    QTest::addColumn<int>("id");
    QTest::addColumn<int>("hex_box");  // checked before typing; 0 for none
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("kept");
    QTest::addColumn<QString>("said");
    QTest::newRow("emoji")
        << 0 << gprs_id::kApn << 0 << QString::fromUtf8("CM\xF0\x9F\x98\x80NET") << "CMNET"
        << QString::fromUtf8(
               "不能输入字符 \"\xF0\x9F\x98\x80\" (U+1F600)：该字符无法用GBK编码保存。");
    QTest::newRow("past the limit") << 0 << gprs_id::kApn << 0 << "abcdefghijklmnopqrs"
                                    << "abcdefghijklmnop"
                                    << "最大长度16个字节！";
    QTest::newRow("chinese past the limit")
        << 0 << gprs_id::kDomain[0] << 0 << QStringLiteral("网").repeated(16) + QStringLiteral("x")
        << QStringLiteral("网").repeated(15) << "最大长度30个字节！";
    QTest::newRow("hex notice") << 2 << serial_id::kGprsNotice << serial_id::kGprsNoticeHex
                                << "47 50 52 53 4F 4B 21 21 0D 0A 0B"
                                << "475052534F4B21210D0A"
                                << "最大长度10个字节！";
  }
  void typingFastLosesNoKeys() {
    QFETCH(int, page);
    QFETCH(int, id);
    QFETCH(int, hex_box);
    QFETCH(QString, typed);
    QFETCH(QString, kept);
    QFETCH(QString, said);
    EditorPage& on = page == 0 ? static_cast<EditorPage&>(gprs()) : serial();
    if (page == 2) window().tabs().tabBar()->setCurrentIndex(1);
    if (hex_box != 0) on.setChecked(hex_box, true);
    QLineEdit* field = on.edit(id);
    field->setFocus(Qt::TabFocusReason);
    field->clear();
    bool box_open = false;
    f_.messages.on_show = [&] { box_open = true; };
    QString lost;
    for (qsizetype i = 0; i < typed.size(); ++i) {
      const qsizetype length = typed.at(i).isHighSurrogate() ? 2 : 1;
      const QString key = typed.mid(i, length);
      i += length - 1;
      if (box_open) {  // a modal box takes the key
        lost += key;
        continue;
      }
      QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, key);
      QApplication::sendEvent(field, &press);
      QKeyEvent release(QEvent::KeyRelease, Qt::Key_unknown, Qt::NoModifier, key);
      QApplication::sendEvent(field, &release);
    }
    QCOMPARE(lost, QString());
    QCOMPARE(field->text(), kept);
    QTRY_COMPARE(f_.messages.texts(), std::vector<std::string>{said.toStdString()});
  }

  // A unit's own value a list lacks shows whole in its list, and its tooltip names it.
  void aUnitsOwnValuesShowWhole() {
    ParameterBlock block = BaseBlock();
    block.set_baud_rate(14400);
    block.set_data_bits(6);
    block.set_protocol(40);
    ReadUnit(Sealed(block));
    window().tabs().tabBar()->setCurrentIndex(1);
    const std::vector<std::pair<QComboBox*, std::uint32_t>> lists{
        {serial().list(serial_id::kBaudRate), 14400},
        {serial().list(serial_id::kDataBits), 6},
        {gprs().list(gprs_id::kProtocol), 40}};
    for (const auto& [list, value] : lists) {
      QCOMPARE(list->currentText(), QString::number(value) + QStringLiteral("（设备当前值）"));
      QStyleOptionComboBox option;
      option.initFrom(list);
      const QSize text(list->fontMetrics().horizontalAdvance(list->currentText()),
                       list->fontMetrics().height());
      const int whole =
          list->style()->sizeFromContents(QStyle::CT_ComboBox, &option, text, list).width();
      QVERIFY2(list->width() >= whole, qPrintable(list->currentText()));
      QVERIFY2(list->toolTip().startsWith(QStringLiteral("设备当前值 %1：").arg(value)),
               qPrintable(list->toolTip()));
    }
    // The next load takes the entry and its word away again.
    OpenFile(Sealed(BaseBlock()));
    QVERIFY(!serial().list(serial_id::kBaudRate)->toolTip().contains(QStringLiteral("设备当前值")));
  }
};

}  // namespace dtu::test

QTEST_MAIN(dtu::test::MainWindowEntriesTest)
#include "main_window_entries_test.moc"
