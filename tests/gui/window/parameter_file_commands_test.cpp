#include <QFileDialog>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

#include "core/block/parameter_block.h"
#include "gui/pages/gprs_page.h"
#include "gui/pages/serial_page.h"
#include "gui/platform/qt_file_chooser.h"
#include "gui/window/editor_tab_set.h"
#include "gui/window/summary_pane_view.h"
#include "support/file_size_limit.h"
#include "support/main_window_fixture.h"

namespace dtu::test {

namespace fs = std::filesystem;

// The file menu's save and open, through the window, on real files.
class ParameterFileCommandsTest : public QObject {
  Q_OBJECT

 private:
  MainWindowFixture f_;
  std::unique_ptr<QTemporaryDir> dir_;

  MainConfigDialog& window() { return *f_.window; }
  GprsPage& gprs() { return window().tabs().gprsPage(); }
  fs::path Path(const char* name) const { return fs::path(dir_->path().toStdString()) / name; }

  static std::vector<std::uint8_t> ReadAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  }
  static void WriteAll(const fs::path& path, const std::vector<std::uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
  }

  void Save(const fs::path& path) {
    f_.files.save_answers.push_back(path);
    window().action(main_id::kSaveFileCommand)->trigger();
  }
  void Open(std::optional<fs::path> path) {
    f_.files.open_answers.push_back(std::move(path));
    window().action(main_id::kOpenFileCommand)->trigger();
  }

  std::vector<std::uint8_t> WorkingBytes() {
    const BlockBytes& bytes = window().workingBlock().bytes();
    return {bytes.begin(), bytes.end()};
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

  // ---- the dialogs ----

  void dialogsOfferParameterFiles() {
    const auto save = QtFileChooser::CreateSaveDialog(nullptr);
    QCOMPARE(save->nameFilters(), QStringList{QStringLiteral("配置文件(*.MTS)")});
    QCOMPARE(save->defaultSuffix(), QStringLiteral("MTS"));  // listed under the filter
    QCOMPARE(save->acceptMode(), QFileDialog::AcceptSave);
    QVERIFY(save->testOption(QFileDialog::DontUseNativeDialog));
    QVERIFY(save->testOption(QFileDialog::DontConfirmOverwrite));  // the command asks
    const auto open = QtFileChooser::CreateOpenDialog(nullptr);
    // Every file too, so that one saved as .bpp can be opened again; *.MTS in any case.
    QCOMPARE(open->nameFilters(),
             (QStringList{QStringLiteral("配置文件(*.MTS)"), QStringLiteral("所有文件(*)")}));
    QVERIFY(!open->filter().testFlag(QDir::CaseSensitive));
    QCOMPARE(open->defaultSuffix(), QString());
    QCOMPARE(open->acceptMode(), QFileDialog::AcceptOpen);
    QCOMPARE(open->fileMode(), QFileDialog::ExistingFile);
    QVERIFY(open->testOption(QFileDialog::DontUseNativeDialog));
  }

  void saveDialogAddsTheFiltersExtension() {
    QtFileChooser chooser;
    QTimer::singleShot(0, [this] {
      auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
      if (dialog == nullptr) return;
      dialog->setDirectory(dir_->path());
      auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
      if (name == nullptr) return;
      name->setText(QStringLiteral("unit-a"));
      QTest::keyClick(name, Qt::Key_Return);  // as the user confirms the dialog
    });
    const std::optional<fs::path> chosen = chooser.ChooseSave();
    QVERIFY(chosen.has_value());
    QCOMPARE(QString::fromStdString(chosen->string()),
             dir_->filePath(QStringLiteral("unit-a.MTS")));
  }

  // ---- save ----

  void saveWritesTheSealedBlock() {
    const fs::path path = Path("unit-a.bpp");
    Save(path);
    QVERIFY(f_.messages.records.empty());
    const std::vector<std::uint8_t> bytes = ReadAll(path);
    QCOMPARE(bytes.size(), std::size_t{660});
    QCOMPARE(bytes[0], std::uint8_t{0x94});
    QCOMPARE(bytes[1], std::uint8_t{0x02});
    QCOMPARE(bytes, WorkingBytes());
    BlockBytes block_bytes{};
    std::copy(bytes.begin(), bytes.end(), block_bytes.begin());
    QVERIFY(VerifyBlock(ParameterBlock(block_bytes)));
    // The pages' values are in it.
    QCOMPARE(ParameterBlock(block_bytes).apn(), std::string("CMNET"));
  }

  void cancellingTheSaveWritesNothing() {
    f_.files.save_answers.push_back(std::nullopt);
    window().action(main_id::kSaveFileCommand)->trigger();
    QCOMPARE(f_.files.save_dialogs, 1);
    QVERIFY(f_.messages.records.empty());
    QVERIFY(fs::is_empty(Path("")));
  }

  void overwriteAskedAndRefused() {
    const fs::path path = Path("old.MTS");
    const std::vector<std::uint8_t> old(700, 0xAA);
    WriteAll(path, old);
    f_.messages.answers.push_back(Answer::No);
    Save(path);
    QCOMPARE(f_.messages.records.size(), std::size_t{1});
    const ScriptedMessages::Record& question = f_.messages.records[0];
    QVERIFY(question.question);
    QCOMPARE(question.text, path.string() + " 已存在,覆盖?");
    QCOMPARE(question.caption, std::string("保存文件"));
    QCOMPARE(ReadAll(path), old);
  }

  void overwriteKeepsALongerFilesTail() {
    const fs::path path = Path("old.MTS");
    WriteAll(path, std::vector<std::uint8_t>(700, 0xAA));
    f_.messages.answers.push_back(Answer::Yes);
    Save(path);
    QCOMPARE(f_.messages.records.size(), std::size_t{1});
    const std::vector<std::uint8_t> bytes = ReadAll(path);
    QCOMPARE(bytes.size(), std::size_t{700});
    QCOMPARE(std::vector<std::uint8_t>(bytes.begin(), bytes.begin() + 660), WorkingBytes());
    QCOMPARE(std::vector<std::uint8_t>(bytes.begin() + 660, bytes.end()),
             std::vector<std::uint8_t>(40, 0xAA));
  }

  void aRefusedCollectionStopsTheSave() {
    window().tabs().serialPage().setText(serial_id::kPollInterval, QStringLiteral("3"));
    Save(Path("never.bpp"));
    QCOMPARE(f_.messages.texts(), (std::vector<std::string>{"串口自动发送命令间隔最小5秒!"}));
    QCOMPARE(f_.files.save_dialogs, 0);
    QVERIFY(!fs::exists(Path("never.bpp")));
  }

  void aWriteErrorIsReported() {
    Save(Path("no-such-folder/unit.bpp"));
    QCOMPARE(f_.messages.records.size(), std::size_t{1});
    const ScriptedMessages::Record& report = f_.messages.records[0];
    QVERIFY(!report.question);
    QCOMPARE(report.caption, std::string("保存文件"));
    QVERIFY2(QString::fromStdString(report.text).contains(QStringLiteral("没有那个文件或目录")),
             report.text.c_str());
  }

  void aSaveThatFailsHalfWayLeavesTheOldFile() {
    const fs::path path = Path("old.bpp");
    WriteAll(path, std::vector<std::uint8_t>(700, 0xAA));
    f_.messages.answers.push_back(Answer::Yes);  // overwrite
    {
      const FileSizeLimit full_disk(512);
      Save(path);
    }
    QCOMPARE(ReadAll(path), std::vector<std::uint8_t>(700, 0xAA));
    QCOMPARE(std::distance(fs::directory_iterator(path.parent_path()), fs::directory_iterator()),
             1);
    QVERIFY2(QString::fromStdString(f_.messages.records.back().text)
                 .contains(QStringLiteral("文件过大")),
             f_.messages.records.back().text.c_str());
  }

  // ---- open ----

  void savedFileOpensAgain() {
    gprs().setText(gprs_id::kApn, QStringLiteral("roundtrip.apn"));
    const fs::path path = Path("round.bpp");
    Save(path);
    gprs().setText(gprs_id::kApn, QStringLiteral("changed"));
    window().summary().Empty();
    Open(path);
    QVERIFY(f_.messages.records.empty());
    QCOMPARE(gprs().text(gprs_id::kApn), QStringLiteral("roundtrip.apn"));
    QCOMPARE(WorkingBytes(), ReadAll(path));
    QVERIFY(!window().summary().toPlainText().isEmpty());
  }

  void aTextFormIsNamedAndSentToTheImport() {
    const std::string text = "{\"apn\": \"x\"}";
    WriteAll(Path("unit.json"), std::vector<std::uint8_t>(text.begin(), text.end()));
    Open(Path("unit.json"));
    QCOMPARE(f_.messages.texts(),
             std::vector<std::string>{
                 "这是参数块的文本形式（JSON），不是参数文件；请用“导入文本...”打开它。"});
  }

  void aMissingFileSaysSo() {
    Open(Path("missing.bpp"));
    QCOMPARE(f_.messages.records.size(), std::size_t{1});
    QCOMPARE(f_.messages.records[0].text, std::string("无此文件!"));
    QCOMPARE(f_.messages.records[0].kind, MessageKind::Warning);
    QCOMPARE(f_.messages.records[0].caption, std::string());  // the application's title
  }

  void aShortFileIsRefused() {
    gprs().setText(gprs_id::kApn, QStringLiteral("kept"));
    Save(Path("good.bpp"));
    const std::vector<std::uint8_t> before = WorkingBytes();
    WriteAll(Path("short.bpp"), std::vector<std::uint8_t>(100, 0x11));
    Open(Path("short.bpp"));
    QCOMPARE(f_.messages.records.size(), std::size_t{1});
    const std::string& text = f_.messages.records[0].text;
    QVERIFY2(QString::fromStdString(text).contains(QStringLiteral("100")), text.c_str());
    QCOMPARE(WorkingBytes(), before);
    QCOMPARE(gprs().text(gprs_id::kApn), QStringLiteral("kept"));
  }

  void aForeignFileLeavesEverything() {
    gprs().setText(gprs_id::kApn, QStringLiteral("kept"));
    Save(Path("good.bpp"));
    const std::vector<std::uint8_t> before = WorkingBytes();
    std::vector<std::uint8_t> foreign = ReadAll(Path("good.bpp"));
    foreign[100] ^= 0x01;  // the checksum no longer matches
    WriteAll(Path("foreign.bpp"), foreign);
    gprs().setText(gprs_id::kApn, QStringLiteral("typed"));
    Open(Path("foreign.bpp"));
    QCOMPARE(f_.messages.records.size(), std::size_t{1});
    const QString said = QString::fromStdString(f_.messages.records[0].text);
    QVERIFY2(said.startsWith(QStringLiteral("参数设置有误，请重新设置\n参数文件 ")),
             qPrintable(said));
    QVERIFY(said.contains(QStringLiteral("foreign.bpp")));
    QCOMPARE(WorkingBytes(), before);
    QCOMPARE(gprs().text(gprs_id::kApn), QStringLiteral("typed"));
  }

  // Cancel, or a file that cannot be read, leaves the pages and the working block as they were:
  // right after start-up too, when the working block is still 660 zero bytes.
  void cancellingOrARefusedFileChangesNothing_data() {
    QTest::addColumn<bool>("cancel");
    QTest::newRow("cancel") << true;
    QTest::newRow("missing file") << false;
  }
  void cancellingOrARefusedFileChangesNothing() {
    QFETCH(bool, cancel);
    gprs().setText(gprs_id::kApn, QStringLiteral("typed"));
    const std::vector<std::uint8_t> before = WorkingBytes();
    Open(cancel ? std::nullopt : std::optional<fs::path>(Path("missing.bpp")));
    QCOMPARE(gprs().text(gprs_id::kApn), QStringLiteral("typed"));
    QCOMPARE(gprs().text(gprs_id::kHeartbeatInterval), QStringLiteral("30"));
    QVERIFY(window().summary().toPlainText().isEmpty());
    QCOMPARE(WorkingBytes(), before);
    QCOMPARE(f_.messages.records.size(), std::size_t{cancel ? 0u : 1u});
  }

  // ---- a file named on the command line ----

  void aStartFileOpensOnceTheWindowRuns() {
    gprs().setText(gprs_id::kApn, QStringLiteral("from.start"));
    const fs::path path = Path("start.MTS");
    Save(path);
    f_.Destroy();
    f_.Create({}, path);
    QCOMPARE(gprs().text(gprs_id::kApn),
             QStringLiteral("CMNET"));  // not before the event loop runs
    QTRY_COMPARE(gprs().text(gprs_id::kApn), QStringLiteral("from.start"));
    QCOMPARE(WorkingBytes(), ReadAll(path));
    QVERIFY(!window().summary().toPlainText().isEmpty());
    QCOMPARE(f_.files.open_dialogs, 0);
    QVERIFY(f_.messages.records.empty());
  }

  void aMissingStartFileSaysSo() {
    f_.Destroy();
    f_.Create({}, Path("gone.bpp"));
    QTRY_COMPARE(f_.messages.texts(), (std::vector<std::string>{"无此文件!"}));
    QCOMPARE(f_.files.open_dialogs, 0);
  }
};

}  // namespace dtu::test

QTEST_MAIN(dtu::test::ParameterFileCommandsTest)
#include "parameter_file_commands_test.moc"
