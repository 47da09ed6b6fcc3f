#include <QFileDialog>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>

#include <filesystem>
#include <string>

#include "core/block/parameter_text.h"
#include "gui/pages/gprs_page.h"
#include "gui/pages/serial_page.h"
#include "gui/platform/qt_file_chooser.h"
#include "gui/window/editor_tab_set.h"
#include "gui/window/parameter_text_commands.h"
#include "gui/window/summary_pane_view.h"
#include "support/file_size_limit.h"
#include "support/main_window_fixture.h"
#include "support/sample_blocks.h"
#include "support/temp_dir.h"

namespace dtu::test {

namespace fs = std::filesystem;

// "导出文本..." and "导入文本..." of the file menu, through the window, on real files.
class ParameterTextCommandsTest : public QObject {
  Q_OBJECT

 private:
  MainWindowFixture f_;
  std::unique_ptr<QTemporaryDir> dir_;

  MainConfigDialog& window() { return *f_.window; }
  fs::path Path(const char* name) const { return fs::path(dir_->path().toStdString()) / name; }

  static std::string ReadAll(const fs::path& path) {
    const std::vector<std::uint8_t> bytes = ReadAllBytes(path);
    return {bytes.begin(), bytes.end()};
  }
  static void WriteAll(const fs::path& path, const std::string& text) { WriteAllBytes(path, text); }

  void Export(const fs::path& path) {
    f_.files.save_answers.push_back(path);
    window().action(main_id::kExportTextCommand)->trigger();
  }
  void Import(const fs::path& path) {
    f_.files.open_answers.push_back(path);
    window().action(main_id::kImportTextCommand)->trigger();
  }

  static ParameterBlock SealedBase() {
    ParameterBlock block = BaseBlock();
    SealBlock(block);
    return block;
  }

 private slots:
  void init() {
    dir_ = std::make_unique<QTemporaryDir>();
    QVERIFY(dir_->isValid());
    f_.messages = ScriptedMessages();
    f_.files = ScriptedFileChooser();
    f_.Create();
  }
  void cleanup() {
    f_.Destroy();
    dir_.reset();
  }

  void dialogsOfferTextFiles() {
    const auto save = QtFileChooser::CreateSaveDialog(nullptr, true);
    QCOMPARE(save->nameFilters(), QStringList{QStringLiteral("参数文本(*.json)")});
    QCOMPARE(save->defaultSuffix(), QStringLiteral("json"));
    QVERIFY(save->testOption(QFileDialog::DontConfirmOverwrite));  // the command asks
    const auto open = QtFileChooser::CreateOpenDialog(nullptr, true);
    QCOMPARE(open->nameFilters(), QStringList{QStringLiteral("参数文本(*.json)")});
    QCOMPARE(open->fileMode(), QFileDialog::ExistingFile);
  }

  void exportWritesTheCollectedBlocksText() {
    window().tabs().gprsPage().edit(gprs_id::kApn)->setText(QStringLiteral("CMIOT"));
    Export(Path("unit.json"));
    QVERIFY(f_.messages.records.empty());
    QCOMPARE(f_.files.text_save_dialogs, 1);
    const std::string text = ReadAll(Path("unit.json"));
    QCOMPARE(text, ExportBlockText(window().workingBlock()));
    QCOMPARE(window().workingBlock().apn(), std::string("CMIOT"));
    const TextImport back = ImportBlockText(text, std::nullopt);
    QVERIFY(back.ok());
    QVERIFY(back.block->bytes() == window().workingBlock().bytes());
  }

  void aRefusedCollectionStopsTheExport() {
    window().tabs().serialPage().edit(serial_id::kFrameDelay)->setText(QStringLiteral("5"));
    Export(Path("unit.json"));
    QCOMPARE(f_.messages.texts(), std::vector<std::string>{"触发模式延时最小20ms!"});
    QCOMPARE(f_.files.text_save_dialogs, 0);
    QVERIFY(!fs::exists(Path("unit.json")));
  }

  void exportAsksBeforeOverwriting() {
    WriteAll(Path("old.json"), "old");
    f_.messages.answers.push_back(Answer::No);
    Export(Path("old.json"));
    QCOMPARE(f_.messages.records.size(), std::size_t{1});
    QVERIFY(f_.messages.records[0].question);
    QCOMPARE(ReadAll(Path("old.json")), std::string("old"));
  }

  void anExportThatFailsHalfWayLeavesTheOldText() {
    WriteAll(Path("old.json"), "old");
    f_.messages.answers.push_back(Answer::Yes);  // overwrite
    {
      const FileSizeLimit full_disk(512);
      Export(Path("old.json"));
    }
    QCOMPARE(ReadAll(Path("old.json")), std::string("old"));
    QCOMPARE(std::distance(fs::directory_iterator(Path("old.json").parent_path()),
                           fs::directory_iterator()),
             1);
    QVERIFY(f_.messages.records.back().text.find("文件过大") != std::string::npos);
  }

  void importLoadsTheTextAsAnOpenedFile() {
    const ParameterBlock block = SealedBase();
    WriteAll(Path("unit.json"), ExportBlockText(block));
    Import(Path("unit.json"));
    QVERIFY(f_.messages.records.empty());
    QCOMPARE(f_.files.text_open_dialogs, 1);
    QVERIFY(window().workingBlock().bytes() == block.bytes());
    QCOMPARE(window().tabs().gprsPage().edit(gprs_id::kApn)->text(), QStringLiteral("CMNET"));
    QVERIFY(!window().summary().toPlainText().isEmpty());
  }

  // A few members change only their fields of what the pages show, even before any block was
  // loaded (the working block then still holds zeros).
  void aTemplateChangesTheFieldsThePagesShow() {
    WriteAll(Path("template.json"), R"({"apn": "cmiot", "port1": 6001})");
    Import(Path("template.json"));
    QVERIFY(f_.messages.records.empty());
    const ParameterBlock& working = window().workingBlock();
    QCOMPARE(working.apn(), std::string("cmiot"));
    QCOMPARE(working.port1(), std::uint16_t{6001});
    QCOMPARE(working.dial_code(), std::string("*99***1#"));  // a start-up value of the page
    QVERIFY(VerifyBlock(working));
    QCOMPARE(window().tabs().gprsPage().edit(gprs_id::kApn)->text(), QStringLiteral("cmiot"));
    QCOMPARE(window().tabs().gprsPage().edit(gprs_id::kPort[0])->text(), QStringLiteral("6001"));

    window().tabs().serialPage().edit(serial_id::kFrameDelay)->setText(QStringLiteral("5"));
    Import(Path("template.json"));
    QCOMPARE(f_.messages.texts(), std::vector<std::string>{"触发模式延时最小20ms!"});
  }

  void aRefusedTextChangesNothing() {
    const BlockBytes before = window().workingBlock().bytes();
    WriteAll(Path("bad.json"), R"({"port1": 70000})");
    Import(Path("bad.json"));
    QCOMPARE(f_.messages.records.size(), std::size_t{1});
    QCOMPARE(f_.messages.records[0].caption, std::string(kImportTextCaption));
    QVERIFY(f_.messages.records[0].text.starts_with("成员 port1 的值 70000 无效"));
    QVERIFY(window().workingBlock().bytes() == before);

    Import(Path("absent.json"));
    QCOMPARE(f_.messages.records.at(1).text, std::string("无此文件!"));
  }

  void brokenPageRulesAreListedAndKept() {
    WriteAll(Path("odd.json"), R"({"heartbeat_interval": 2, "protocol": 40})");
    Import(Path("odd.json"));
    QCOMPARE(f_.messages.records.size(), std::size_t{1});
    QCOMPARE(f_.messages.records[0].kind, MessageKind::Warning);
    QCOMPARE(f_.messages.records[0].text,
             std::string(kRulesBrokenMessage) +
                 "\nprotocol 的值 40 不合页面的规则：列表只有 15 项（0 到 14）"
                 "\nheartbeat_interval 的值 2 不合页面的规则：请输入5到3600之间的数");
    QCOMPARE(window().workingBlock().heartbeat_interval(), std::uint16_t{2});
    QCOMPARE(window().workingBlock().protocol(), std::uint8_t{40});
  }
};

}  // namespace dtu::test

QTEST_MAIN(dtu::test::ParameterTextCommandsTest)
#include "parameter_text_commands_test.moc"
