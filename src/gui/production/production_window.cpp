#include "gui/production/production_window.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFile>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSettings>
#include <QSpinBox>
#include <QTableWidget>
#include <QTime>
#include <QTimer>
#include <QVBoxLayout>

#include "core/baud_rates.h"
#include "core/block/parameter_file.h"
#include "core/file_chooser.h"
#include "core/record/production_record.h"
#include "core/record/record_report_text.h"
#include "core/serial/udev_port_list.h"
#include "gui/platform/qt_text.h"
#include "gui/production/production_ids.h"
#include "gui/production/production_runner.h"
#include "gui/production/slot_tile.h"

namespace dtu {
namespace {

// The last results the list keeps.
constexpr int kResultsShown = 200;
// How often the units per hour are worked out again while nothing ends.
constexpr int kRateRefreshMs = 30'000;

void Tag(QWidget* widget, int id) {
  widget->setProperty("controlId", id);
}

std::string FileName(const QString& text) {
  return FileNameBytes(text.trimmed());
}

// The name a slot is used by: the one that stays with the physical socket (by-path), else the
// adapter's own (by-id), else the device.
std::string SlotName(const SerialPortInfo& port) {
  if (!port.by_path.empty()) return port.by_path.front();
  if (!port.by_id.empty()) return port.by_id.front();
  return port.device;
}

// The configuration window's settings file, where the choices are kept beside its own.
std::unique_ptr<QSettings> OpenSettings(const QString& file) {
  if (file.isEmpty())
    return std::make_unique<QSettings>(QStringLiteral("dtuconfig"), QStringLiteral("dtuconfig"));
  return std::make_unique<QSettings>(file, QSettings::IniFormat);
}

QString ResultWord(UnitResult result) {
  if (result == UnitResult::Ok) return QStringLiteral("成功");
  if (result == UnitResult::Skipped) return QStringLiteral("跳过");
  return QStringLiteral("失败：") + FromUtf8(FailureAdvice(result));
}

}  // namespace

ProductionWindow::ProductionWindow(UserMessages& messages, FileChooser& files,
                                   ProductionEnvironment environment, QWidget* parent)
    : QDialog(parent),
      messages_(messages),
      files_(files),
      environment_(std::move(environment)),
      counts_(std::make_unique<BatchCounts>()) {
  if (!environment_.list_ports) environment_.list_ports = [] { return ListSerialPortInfos(); };
  setWindowTitle(FromUtf8(kProductionTitle));
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(CreateForm());
  tile_area_ = new QWidget(this);
  tile_grid_ = new QGridLayout(tile_area_);
  layout->addWidget(tile_area_, 1);
  layout->addWidget(CreateBar());
  rate_timer_ = new QTimer(this);
  rate_timer_->setInterval(kRateRefreshMs);
  connect(rate_timer_, &QTimer::timeout, this, &ProductionWindow::ShowCounts);

  ProductionChoices choices = ProductionChoices::Load(*OpenSettings(environment_.settings_file));
  const ProductionChoices& given = environment_.given;
  if (!given.template_path.empty()) choices.template_path = given.template_path;
  if (!given.units_path.empty()) {
    choices.units_path = given.units_path;
    if (given.record.empty()) choices.record = DefaultRecordFor(given.units_path);
  }
  if (!given.record.empty()) choices.record = given.record;
  if (!given.ports.empty()) choices.ports = given.ports;
  Fill(choices);
  ShowCounts();
  UpdateButtons();
  resize(1100, 740);
}

ProductionWindow::~ProductionWindow() = default;

QWidget* ProductionWindow::CreateForm() {
  form_ = new QGroupBox(QStringLiteral("本批的选择"), this);
  auto* form = new QFormLayout;
  const auto file_row = [&](QLineEdit*& edit, int edit_id, int browse_id, auto choose) {
    edit = new QLineEdit(form_);
    Tag(edit, edit_id);
    auto* browse = new QPushButton(QStringLiteral("选择..."), form_);
    Tag(browse, browse_id);
    connect(browse, &QPushButton::clicked, this, [this, edit, choose] {
      if (const std::optional<std::filesystem::path> chosen = choose())
        edit->setText(FileNameText(chosen->string()));
    });
    auto* row = new QHBoxLayout;
    row->addWidget(edit, 1);
    row->addWidget(browse);
    return row;
  };
  form->addRow(QStringLiteral("模板（参数文件或文本格式）："),
               file_row(template_, production_id::kTemplateEdit, production_id::kTemplateBrowse,
                        [this] { return files_.ChooseOpen(); }));
  form->addRow(QStringLiteral("单元表（CSV）："),
               file_row(units_, production_id::kUnitsEdit, production_id::kUnitsBrowse,
                        [this] { return files_.ChooseTableOpen(); }));
  record_ = new QLineEdit(form_);
  Tag(record_, production_id::kRecordEdit);
  record_->setToolTip(
      QStringLiteral("SQLite 文件（默认在单元表旁边），或 PostgreSQL 连接（postgresql://...）"));
  connect(record_, &QLineEdit::textEdited, this, [this] { record_edited_ = true; });
  connect(units_, &QLineEdit::textChanged, this, [this](const QString& text) {
    if (!record_edited_) record_->setText(FileNameText(DefaultRecordFor(FileName(text))));
  });
  form->addRow(QStringLiteral("生产记录："), record_);
  station_ = new QLineEdit(form_);
  Tag(station_, production_id::kStationEdit);
  operator_ = new QLineEdit(form_);
  Tag(operator_, production_id::kOperatorEdit);
  auto* names = new QHBoxLayout;
  names->addWidget(station_, 1);
  names->addWidget(new QLabel(QStringLiteral("操作员："), form_));
  names->addWidget(operator_, 1);
  form->addRow(QStringLiteral("工位："), names);

  slots_ = new QListWidget(form_);
  Tag(slots_, production_id::kSlotList);
  slots_->setMaximumHeight(110);
  auto* rescan = new QPushButton(QStringLiteral("刷新"), form_);
  Tag(rescan, production_id::kRescanButton);
  connect(rescan, &QPushButton::clicked, this, [this] { ListSlots(choices().ports); });
  auto* slot_row = new QHBoxLayout;
  slot_row->addWidget(slots_, 1);
  slot_row->addWidget(rescan, 0, Qt::AlignTop);
  form->addRow(QStringLiteral("使用的串口："), slot_row);

  baud_ = new QComboBox(form_);
  Tag(baud_, production_id::kBaudList);
  for (const std::uint32_t rate : kBaudRates) baud_->addItem(QString::number(rate), rate);
  parity_ = new QComboBox(form_);
  Tag(parity_, production_id::kParityList);
  parity_->addItem(QStringLiteral("无校验"), QStringLiteral("N"));
  parity_->addItem(QStringLiteral("奇校验"), QStringLiteral("O"));
  parity_->addItem(QStringLiteral("偶校验"), QStringLiteral("E"));
  data_bits_ = new QComboBox(form_);
  Tag(data_bits_, production_id::kDataBitsList);
  for (const int bits : {8, 7, 6, 5}) data_bits_->addItem(QString::number(bits), bits);
  stop_bits_ = new QComboBox(form_);
  Tag(stop_bits_, production_id::kStopBitsList);
  for (const int bits : {1, 2}) stop_bits_->addItem(QString::number(bits), bits);
  timeout_ = new QSpinBox(form_);
  Tag(timeout_, production_id::kTimeoutSpin);
  timeout_->setRange(1, 60);
  timeout_->setSuffix(QStringLiteral(" 秒"));
  auto* line = new QHBoxLayout;
  for (QWidget* widget :
       std::initializer_list<QWidget*>{baud_, new QLabel(QStringLiteral("校验："), form_), parity_,
                                       new QLabel(QStringLiteral("数据位："), form_), data_bits_,
                                       new QLabel(QStringLiteral("停止位："), form_), stop_bits_,
                                       new QLabel(QStringLiteral("应答时限："), form_), timeout_})
    line->addWidget(widget);
  line->addStretch(1);
  form->addRow(QStringLiteral("波特率："), line);
  form_->setLayout(form);
  return form_;
}

QWidget* ProductionWindow::CreateBar() {
  auto* bar = new QWidget(this);
  auto* layout = new QVBoxLayout(bar);
  layout->setContentsMargins(0, 0, 0, 0);
  auto* buttons = new QHBoxLayout;
  counts_label_ = new QLabel(bar);
  Tag(counts_label_, production_id::kCountsLabel);
  QFont big = counts_label_->font();
  big.setPointSize(16);
  big.setBold(true);
  counts_label_->setFont(big);
  buttons->addWidget(counts_label_, 1);
  const auto button = [&](QPushButton*& made, std::string_view caption, int id, auto slot) {
    made = new QPushButton(FromUtf8(caption), bar);
    Tag(made, id);
    made->setFont(big);
    made->setMinimumHeight(44);
    connect(made, &QPushButton::clicked, this, slot);
    buttons->addWidget(made);
  };
  button(start_, kStartCaption, production_id::kStartButton, [this] { Start(); });
  button(pause_, kPauseCaption, production_id::kPauseButton, &ProductionWindow::TogglePause);
  button(stop_, kStopCaption, production_id::kStopButton, &ProductionWindow::StopRun);
  button(report_, kReportCaption, production_id::kReportButton, &ProductionWindow::ShowReport);
  layout->addLayout(buttons);
  results_ = new QTableWidget(0, 4, bar);
  Tag(results_, production_id::kResultsList);
  results_->setHorizontalHeaderLabels({QStringLiteral("时间"), QStringLiteral("工位"),
                                       QStringLiteral("模块序列号"), QStringLiteral("结果")});
  results_->horizontalHeader()->setStretchLastSection(true);
  results_->verticalHeader()->hide();
  results_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  results_->setMaximumHeight(170);
  layout->addWidget(results_);
  return bar;
}

void ProductionWindow::Fill(const ProductionChoices& choices) {
  template_->setText(FileNameText(choices.template_path));
  units_->setText(FileNameText(choices.units_path));
  record_->setText(FileNameText(choices.record));
  record_edited_ =
      !choices.record.empty() && choices.record != DefaultRecordFor(choices.units_path);
  station_->setText(QString::fromStdString(choices.station));
  operator_->setText(QString::fromStdString(choices.operator_name));
  const int baud = baud_->findData(static_cast<std::uint32_t>(choices.line.baud_rate));
  baud_->setCurrentIndex(baud >= 0 ? baud : static_cast<int>(kDefaultBaudIndex));
  parity_->setCurrentIndex(
      std::max(0, parity_->findData(QString(QChar::fromLatin1(choices.line.parity)))));
  data_bits_->setCurrentIndex(std::max(0, data_bits_->findData(choices.line.data_bits)));
  stop_bits_->setCurrentIndex(std::max(0, stop_bits_->findData(choices.line.stop_bits)));
  timeout_->setValue(choices.timeout_seconds);
  ListSlots(choices.ports);
}

// Every port of the machine by the name that stays with its socket, then the chosen ones that
// are none of them; the chosen ones ticked.
void ProductionWindow::ListSlots(const std::vector<std::string>& chosen) {
  slots_->clear();
  std::vector<std::string> listed;
  const auto add = [&](const std::string& name, const QString& label) {
    auto* item = new QListWidgetItem(label, slots_);
    item->setData(Qt::UserRole, FileNameText(name));
    item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
    const bool ticked = std::find(chosen.begin(), chosen.end(), name) != chosen.end();
    item->setCheckState(ticked ? Qt::Checked : Qt::Unchecked);
    listed.push_back(name);
  };
  for (const SerialPortInfo& port : environment_.list_ports()) {
    const std::string name = SlotName(port);
    QString label = FromUtf8(name);
    if (name != port.device)
      label += QStringLiteral("  （") + FileNameText(port.device) + QStringLiteral("）");
    const std::string summary = PortSummary(port, PortLanguage::Chinese);
    if (!summary.empty()) label += FromUtf8(std::string(kPortLabelDash) + summary);
    add(name, label);
  }
  for (const std::string& name : chosen)
    if (std::find(listed.begin(), listed.end(), name) == listed.end())
      add(name, FileNameText(name));
}

ProductionChoices ProductionWindow::choices() const {
  ProductionChoices choices;
  choices.template_path = FileName(template_->text());
  choices.units_path = FileName(units_->text());
  choices.record = record_->text().trimmed().toStdString();
  choices.station = station_->text().trimmed().toStdString();
  choices.operator_name = operator_->text().trimmed().toStdString();
  for (int i = 0; i < slots_->count(); ++i)
    if (slots_->item(i)->checkState() == Qt::Checked)
      choices.ports.push_back(FileName(slots_->item(i)->data(Qt::UserRole).toString()));
  choices.line.baud_rate = baud_->currentData().toInt();
  choices.line.parity = parity_->currentData().toString().at(0).toLatin1();
  choices.line.data_bits = data_bits_->currentData().toInt();
  choices.line.stop_bits = stop_bits_->currentData().toInt();
  choices.timeout_seconds = timeout_->value();
  return choices;
}

bool ProductionWindow::Start() {
  if (running()) return false;
  const ProductionChoices chosen = choices();
  const auto refuse = [this](MessageKind kind, std::string_view text) {
    messages_.Show(kind, text);
    return false;
  };
  if (chosen.template_path.empty()) return refuse(MessageKind::Warning, kNoTemplateChosen);
  if (chosen.units_path.empty()) return refuse(MessageKind::Warning, kNoUnitsChosen);
  if (chosen.record.empty()) return refuse(MessageKind::Warning, kNoRecordChosen);
  if (chosen.ports.empty()) return refuse(MessageKind::Warning, kNoSlotChosen);
  auto runner = std::make_unique<ProductionRunner>();
  std::vector<std::string> notes;
  if (const InputFault fault = runner->Prepare(chosen, notes); !fault.ok())
    return refuse(fault.kind, fault.text);
  chosen.Save(*OpenSettings(environment_.settings_file));
  runner_ = std::move(runner);
  connect(runner_.get(), &ProductionRunner::slotChanged, this, &ProductionWindow::OnSlotChanged);
  connect(runner_.get(), &ProductionRunner::unitEnded, this, &ProductionWindow::OnUnitEnded);
  connect(runner_.get(), &ProductionRunner::ended, this, &ProductionWindow::OnEnded);
  counts_ = std::make_unique<BatchCounts>();
  results_->setRowCount(0);
  MakeTiles(chosen.ports);
  // The tiles take the room of the choices while the run goes on.
  form_->hide();
  setToolTip(FromUtf8(notes.empty() ? std::string() : notes.back()));
  runner_->Start();
  rate_timer_->start();
  ShowCounts();
  UpdateButtons();
  return true;
}

void ProductionWindow::MakeTiles(const std::vector<std::string>& ports) {
  for (SlotTile* tile : tiles_) delete tile;
  tiles_.clear();
  under_way_.assign(ports.size(), false);
  const int columns = ports.size() <= 4 ? static_cast<int>(ports.size()) : 4;
  for (std::size_t i = 0; i < ports.size(); ++i) {
    const int id = production_id::kFirstTile + static_cast<int>(i);
    auto* tile = new SlotTile(id, FromUtf8(ports[i]), tile_area_);
    connect(tile, &SlotTile::retryRequested, this, [this, i] {
      if (runner_) runner_->Retry(i);
    });
    tile_grid_->addWidget(tile, static_cast<int>(i) / columns, static_cast<int>(i) % columns);
    tiles_.push_back(tile);
  }
}

QWidget* ProductionWindow::control(int id) const {
  for (QWidget* widget : findChildren<QWidget*>())
    if (widget->property("controlId").toInt() == id) return widget;
  return nullptr;
}

SlotTile* ProductionWindow::tile(int slot) const {
  return slot >= 0 && slot < tileCount() ? tiles_[static_cast<std::size_t>(slot)] : nullptr;
}

bool ProductionWindow::running() const {
  return runner_ && runner_->running();
}

bool ProductionWindow::busy() const {
  return running() && std::find(under_way_.begin(), under_way_.end(), true) != under_way_.end();
}

void ProductionWindow::OnSlotChanged(int slot, const SlotEvent& event) {
  if (slot < 0 || slot >= tileCount()) return;
  const bool working = event.step == SlotStep::Reading || event.step == SlotStep::Writing ||
                       event.step == SlotStep::Checking;
  under_way_[static_cast<std::size_t>(slot)] = working;
  tiles_[static_cast<std::size_t>(slot)]->Show(event);
}

void ProductionWindow::OnUnitEnded(int slot, const LogEntry& entry) {
  if (slot >= 0 && slot < tileCount()) under_way_[static_cast<std::size_t>(slot)] = false;
  counts_->Add(entry.result);
  results_->insertRow(0);
  const QString cells[] = {QTime::currentTime().toString(QStringLiteral("HH:mm:ss")),
                           FromUtf8(entry.port), FromUtf8(UnitName(entry.unit)),
                           ResultWord(entry.result)};
  for (int column = 0; column < 4; ++column)
    results_->setItem(0, column, new QTableWidgetItem(cells[column]));
  if (results_->rowCount() > kResultsShown) results_->setRowCount(kResultsShown);
  ShowCounts();
}

void ProductionWindow::OnEnded(const QString& fault) {
  rate_timer_->stop();
  std::fill(under_way_.begin(), under_way_.end(), false);
  for (SlotTile* tile : tiles_) tile->ShowRunEnded();
  form_->show();
  ShowCounts();
  UpdateButtons();
  if (!fault.isEmpty()) messages_.Show(MessageKind::Error, fault.toStdString());
  emit runEnded();
}

void ProductionWindow::TogglePause() {
  if (!running()) return;
  runner_->SetPaused(!runner_->paused());
  UpdateButtons();
}

void ProductionWindow::StopRun() {
  if (!running()) return;
  runner_->Finish();
  stop_->setEnabled(false);
}

int ProductionWindow::RowsLeft() const {
  if (!runner_) return -1;
  RecordError error;
  const std::unique_ptr<ProductionRecord> record =
      ProductionRecord::Open(runner_->record_destination(), ProductionRecord::Access::Read, error);
  std::vector<BatchReport> report;
  if (!record || !record->Report({runner_->batch_id(), std::nullopt}, report).ok() ||
      report.empty())
    return -1;
  return report.front().batch.rows - report.front().batch.rows_done;
}

void ProductionWindow::ShowCounts() {
  counts_label_->setText(FromUtf8(counts_->Text(RowsLeft())));
}

std::string ProductionWindow::ReportText() const {
  if (!runner_) return {};
  RecordError error;
  const std::unique_ptr<ProductionRecord> record =
      ProductionRecord::Open(runner_->record_destination(), ProductionRecord::Access::Read, error);
  if (!record) return error.message;
  std::vector<BatchReport> report;
  if (const RecordError failed = record->Report({runner_->batch_id(), std::nullopt}, report);
      !failed.ok())
    return failed.message;
  return dtu::ReportText(report);
}

void ProductionWindow::ShowReport() {
  const std::string text = ReportText();
  QDialog view(this);
  view.setWindowTitle(FromUtf8(kReportCaption));
  auto* layout = new QVBoxLayout(&view);
  auto* pane = new QPlainTextEdit(FromUtf8(text), &view);
  pane->setReadOnly(true);
  pane->setFont(QFont(QStringLiteral("monospace")));
  pane->setLineWrapMode(QPlainTextEdit::NoWrap);
  layout->addWidget(pane);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Save | QDialogButtonBox::Close, &view);
  layout->addWidget(buttons);
  connect(buttons, &QDialogButtonBox::rejected, &view, &QDialog::reject);
  connect(buttons, &QDialogButtonBox::accepted, &view, [this, &text] {
    // The report is a text file, saved as the traffic log is.
    const std::optional<std::filesystem::path> path = files_.ChooseLogSave();
    if (!path) return;
    if (const FileResult written = WriteTextFile(*path, text); !written.ok())
      messages_.Show(MessageKind::Error, path->string() + ": " + written.message);
  });
  view.resize(900, 300);
  view.exec();
}

void ProductionWindow::UpdateButtons() {
  const bool run = running();
  start_->setEnabled(!run);
  pause_->setEnabled(run);
  stop_->setEnabled(run);
  report_->setEnabled(runner_ != nullptr);
  pause_->setText(FromUtf8(run && runner_->paused() ? kResumeCaption : kPauseCaption));
}

void ProductionWindow::reject() {
  if (busy() && messages_.Ask(kCloseWhileBusyQuestion, {}, Answer::No) == Answer::No) return;
  if (runner_) runner_->Finish();
  QDialog::reject();
}

}  // namespace dtu
