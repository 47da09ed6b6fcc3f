#include "gui/window/main_config_dialog.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QSettings>
#include <QSpinBox>
#include <QStatusBar>
#include <QTableWidget>
#include <QTime>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

#include <utility>

#include "core/baud_rates.h"
#include "core/block/block_codes.h"
#include "core/device/device_event_text.h"
#include "core/file_chooser.h"
#include "core/history/history_recorder.h"
#include "core/history/unit_history.h"
#include "core/product_info.h"
#include "core/record/record_time.h"
#include "core/serial/port_error_report.h"
#include "core/serial/port_hotplug_monitor.h"
#include "core/serial/port_list.h"
#include "core/serial/port_open_message.h"
#include "core/serial/udev_port_list.h"
#include "core/session/reply_timing.h"
#include "gui/pages/gprs_page.h"
#include "gui/pages/serial_page.h"
#include "gui/pages/sms_page.h"
#include "gui/platform/app_images.h"
#include "gui/platform/qt_text.h"
#include "gui/production/production_ids.h"
#include "gui/production/production_window.h"
#include "gui/window/about_dialog.h"
#include "gui/window/block_transfer.h"
#include "gui/window/editor_tab_set.h"
#include "gui/window/history_dialog.h"
#include "gui/window/main_window_tooltips.h"
#include "gui/window/pages_scroll_area.h"
#include "gui/window/pages_source.h"
#include "gui/window/parameter_file_commands.h"
#include "gui/window/parameter_text_commands.h"
#include "gui/window/port_combo_box.h"
#include "gui/window/remembered_settings.h"
#include "gui/window/session_adapter.h"
#include "gui/window/signal_gauge.h"
#include "gui/window/startup_values.h"
#include "gui/window/status_display.h"
#include "gui/window/summary_pane_view.h"
#include "gui/window/traffic_log_view.h"

namespace dtu {
namespace {

using namespace main_id;

// How long the last read of a unit stands for what it holds before a write; older, the unit is
// read again first.
constexpr std::chrono::minutes kRecentRead{5};

std::string_view HistoryFailureText(HistoryFailure failure) {
  switch (failure) {
    case HistoryFailure::Unwritable:
      return "文件或它的文件夹不能写入（只读，或有同名的文件挡住）";
    case HistoryFailure::Full:
      return "磁盘已满，或文件不能再变大";
    case HistoryFailure::Locked:
      return "另一个程序一直占用着历史记录";
    case HistoryFailure::NotAHistory:
      return "这个文件不是历史记录";
    case HistoryFailure::TooNew:
      return "历史记录是更新版本的软件建立的，本版本无法使用";
    case HistoryFailure::None:
    case HistoryFailure::BadValue:
    case HistoryFailure::Failed:
      break;
  }
  return "读写文件出错";
}

// The one notice of a history that cannot be kept, in the window's words; the file's own
// report follows for whoever looks into it.
std::string HistoryNoticeText(const HistoryError& error) {
  return "历史记录无法保存：" + std::string(HistoryFailureText(error.failure)) +
         "。\n本次运行不再保存历史记录，读取和设置参数照常进行；此提示只出现一次。\n\n" +
         error.message;
}

std::string ToUtf8(const QString& text) {
  return text.toUtf8().toStdString();
}

QStringList BaudRateEntries() {
  QStringList entries;
  for (const std::uint32_t rate : kBaudRates) entries << QString::number(rate);
  return entries;
}

QComboBox* CreateList(int id, const QStringList& entries, QWidget* parent) {
  auto* list = new QComboBox(parent);
  list->setObjectName(QString::number(id));
  list->addItems(entries);
  return list;
}

QPushButton* CreateButton(int id, std::string_view caption, QWidget* parent) {
  auto* button = new QPushButton(FromUtf8(caption), parent);
  button->setObjectName(QString::number(id));
  // Enter presses no button in this window, not even the focused one.
  button->setAutoDefault(false);
  button->setDefault(false);
  return button;
}

}  // namespace

MainConfigDialog::MainConfigDialog(UserMessages& messages, FileChooser& files,
                                   MainWindowEnvironment environment, QWidget* parent)
    : QDialog(parent), messages_(messages), files_(files), environment_(std::move(environment)) {
  if (!environment_.list_ports) environment_.list_ports = [] { return ListSerialPortInfos(); };

  settings_ = RememberedSettings::Open(environment_.settings_file);
  source_ = new PagesSource(this);
  recorder_ =
      std::make_unique<HistoryRecorder>(environment_.history_file, messages_, HistoryNoticeText);
  session_ = std::make_unique<SessionAdapter>();
  ShowTitle();
  setWindowIcon(AppIcon());
  setWindowFlags(windowFlags() | Qt::WindowMinimizeButtonHint);
  setWindowFlag(Qt::WindowContextHelpButtonHint, false);

  log_ = new TrafficLogView(messages_, files_, this);
  CreateMenu();
  QWidget* port_group = CreatePortGroup();
  QWidget* logo = CreateLogo();
  status_ = new StatusDisplay(this);
  tabs_ = new EditorTabSet(working_block_, messages_, this);
  summary_ = new SummaryPaneView(this);
  CreateButtons();
  LayOut(port_group, logo);
  for (const MainWindowTooltip& tip : MainWindowTooltips())
    if (QWidget* widget = control(tip.id)) widget->setToolTip(tip.text);

  transfer_ = std::make_unique<BlockTransfer>(*tabs_, *summary_, messages_, source_);
  file_commands_ =
      std::make_unique<ParameterFileCommands>(working_block_, *transfer_, messages_, files_);
  text_commands_ =
      std::make_unique<ParameterTextCommands>(working_block_, *transfer_, messages_, files_);

  connect(source_, &PagesSource::changed, this, &MainConfigDialog::ShowTitle);
  connect(source_, &PagesSource::modifiedChanged, this, &MainConfigDialog::ShowTitle);
  SessionAdapter* session = session_.get();
  connect(session, &SessionAdapter::started, this, &MainConfigDialog::OnExchangeStarted);
  connect(session, &SessionAdapter::progressed, this, &MainConfigDialog::OnExchangeProgress);
  connect(session, &SessionAdapter::finished, this, &MainConfigDialog::OnExchangeFinished);
  connect(session, &SessionAdapter::recognised, this, &MainConfigDialog::OnRecognised);
  connect(session, &SessionAdapter::sent, this, [this](const std::string& bytes) {
    late_noted_ = false;
    log_->AddSent(bytes);
  });
  connect(session, &SessionAdapter::received, this, &MainConfigDialog::OnReceived);
  connect(session, &SessionAdapter::portFailed, this, [this](const std::string& report) {
    messages_.Show(MessageKind::Error, report, kPortErrorCaption);
  });
  connect(session, &SessionAdapter::portLost, this, &MainConfigDialog::OnPortLost);

  ApplyStartupState();
  WatchPageEdits();
}

MainConfigDialog::~MainConfigDialog() {
  // The log pane hides as its parent goes; nothing is left to remember then.
  disconnect(log_->toggleViewAction(), nullptr, this, nullptr);
  // Stop the monitor before the pages, the link and the block it feeds go away.
  ClosePort();
}

// ---- start-up -----------------------------------------------------------------------------

void MainConfigDialog::OpenProductionWindow() {
  ProductionEnvironment environment;
  environment.list_ports = environment_.list_ports;
  environment.settings_file = environment_.settings_file;
  ProductionWindow production(messages_, files_, std::move(environment), this);
  production.exec();
}

void MainConfigDialog::CreateMenu() {
  menu_bar_ = new QMenuBar(this);
  QMenu* file_menu = menu_bar_->addMenu(QStringLiteral("文件(&F)"));
  // The menu shows each item's key; the window itself holds the item too, so that the key works
  // wherever the focus is.
  const auto add = [this](QMenu* menu, int id, std::string_view text, auto slot,
                          const QKeySequence& key = {}) {
    QAction* item = menu->addAction(FromUtf8(text));
    item->setObjectName(QString::number(id));
    item->setData(id);
    item->setShortcut(key);
    if (!key.isEmpty()) addAction(item);
    connect(item, &QAction::triggered, this, slot);
  };
  add(file_menu, kOpenFileCommand, "打开参数文件(&O)", &MainConfigDialog::OpenParameterFile,
      QKeySequence(Qt::CTRL | Qt::Key_O));
  add(file_menu, kSaveFileCommand, "保存参数(&S)", &MainConfigDialog::SaveParameterFile,
      QKeySequence(Qt::CTRL | Qt::Key_S));
  add(file_menu, kExportTextCommand, kExportTextItem, &MainConfigDialog::ExportParameterText);
  add(file_menu, kImportTextCommand, kImportTextItem, &MainConfigDialog::ImportParameterText);
  file_menu->addSeparator();
  add(file_menu, kExitCommand, "退出程序(&Q)", &QDialog::accept);

  // The buttons' commands with their keys; the write asks its usual question first.
  QMenu* device_menu = menu_bar_->addMenu(QStringLiteral("设备(&D)"));
  add(device_menu, kReadCommand, "读取参数(&R)", &MainConfigDialog::ReadParameters,
      QKeySequence(Qt::Key_F5));
  add(device_menu, kWriteCommand, "设置参数(&W)...", &MainConfigDialog::WriteParameters,
      QKeySequence(Qt::Key_F6));
  device_menu->addSeparator();
  add(device_menu, kHistoryCommand, kHistoryItem, &MainConfigDialog::ShowHistory);

  QMenu* production_menu = menu_bar_->addMenu(FromUtf8(kProductionMenu));
  add(production_menu, kBatchConfigCommand, kBatchConfigItem,
      &MainConfigDialog::OpenProductionWindow);

  // The traffic log pane: hidden at first, shown and hidden from here.
  QMenu* view_menu = menu_bar_->addMenu(QStringLiteral("查看(&V)"));
  QAction* show_log = log_->toggleViewAction();
  connect(show_log, &QAction::toggled, this, &MainConfigDialog::SaveSettings);
  show_log->setText(QStringLiteral("通信记录(&L)"));
  show_log->setObjectName(QString::number(kShowLogCommand));
  show_log->setData(kShowLogCommand);
  view_menu->addAction(show_log);

  // Qt offers no way into the title bar's system menu, so the About item has a menu of its own.
  QMenu* help_menu = menu_bar_->addMenu(QStringLiteral("帮助(&H)"));
  about_action_ = help_menu->addAction(FromUtf8(kAboutItem));
  about_action_->setObjectName(QStringLiteral("about"));
  connect(about_action_, &QAction::triggered, this, &MainConfigDialog::ShowAbout);
}

QWidget* MainConfigDialog::CreatePortGroup() {
  auto* group = new QGroupBox(QStringLiteral("串口"), this);
  port_list_ = new PortComboBox(environment_.list_ports, environment_.extra_ports, group);
  // udev announces each adapter plugged in or pulled out; without its daemon, the system still
  // adds a node to /dev for each and removes it again.
  const bool announced =
      environment_.follow_udev && port_list_->FollowHotplug() && PortHotplugMonitor::DaemonRuns();
  if (!announced || environment_.port_folders)
    port_list_->WatchForChanges(environment_.port_folders.value_or(
        std::vector<std::filesystem::path>{std::filesystem::path("/dev")}));
  baud_list_ = CreateList(kBaudList, BaudRateEntries(), group);
  // The parity's first letter is what the engine takes: 'N', 'O' or 'E'.
  parity_list_ = CreateList(
      kParityList, {QStringLiteral("NONE"), QStringLiteral("ODD"), QStringLiteral("EVEN")}, group);
  data_bits_list_ = CreateList(kDataBitsList, {QStringLiteral("8"), QStringLiteral("7")}, group);
  stop_bits_list_ = CreateList(kStopBitsList, {QStringLiteral("1"), QStringLiteral("2")}, group);
  open_button_ = CreateButton(kOpenButton, kOpenCaptionInitial, group);
  connect(open_button_, &QPushButton::clicked, this, &MainConfigDialog::OpenOrClosePort);

  // How long the unit's answer may pause before a read or write gives up.
  auto* limit_label = new QLabel(QStringLiteral("超时"), group);
  reply_limit_ = new QSpinBox(group);
  reply_limit_->setObjectName(QString::number(kReplyTimeLimit));
  reply_limit_->setRange(kMinReplySeconds, kMaxReplySeconds);
  reply_limit_->setValue(kDefaultReplySeconds);
  reply_limit_->setSuffix(QStringLiteral(" 秒"));
  reply_limit_->setAccessibleName(QStringLiteral("超时"));
  limit_label->setBuddy(reply_limit_);
  connect(reply_limit_, &QSpinBox::valueChanged, this,
          [this](int seconds) { session_->setReplyLimit(std::chrono::seconds(seconds)); });

  auto* row = new QHBoxLayout(group);
  row->addWidget(port_list_, 3);
  row->addWidget(baud_list_, 1);
  row->addWidget(parity_list_, 1);
  row->addWidget(data_bits_list_);
  row->addWidget(stop_bits_list_);
  row->addWidget(limit_label);
  row->addWidget(reply_limit_);
  row->addWidget(open_button_);
  return group;
}

QWidget* MainConfigDialog::CreateLogo() {
  logo_ = new QLabel(this);
  logo_->setObjectName(QString::number(kLogo));
  logo_->setPixmap(MakerLogo());
  logo_->setCursor(Qt::PointingHandCursor);
  logo_->setToolTip(FromUtf8(kAboutItem));
  logo_->installEventFilter(this);
  return logo_;
}

void MainConfigDialog::CreateButtons() {
  read_button_ = CreateButton(kReadButton, "读取参数(&R)", this);
  write_button_ = CreateButton(kWriteButton, "设置参数(&W)", this);
  connect(read_button_, &QPushButton::clicked, this, &MainConfigDialog::ReadParameters);
  connect(write_button_, &QPushButton::clicked, this, &MainConfigDialog::WriteParameters);
  connect(status_->gauge(), &SignalGauge::clicked, this, &MainConfigDialog::RequestSignal);

  // Shown while a read or write is under way.
  progress_ = new QProgressBar(this);
  progress_->setObjectName(QString::number(kExchangeProgress));
  progress_->setAccessibleName(QStringLiteral("进度"));
  progress_->setVisible(false);
  // Ends the read or write under way, as Esc does.
  cancel_button_ = CreateButton(kCancelButton, kCancelCaption, this);
  cancel_button_->setVisible(false);
  connect(cancel_button_, &QPushButton::clicked, this, &MainConfigDialog::CancelExchange);
}

void MainConfigDialog::LayOut(QWidget* port_group, QWidget* logo) {
  // Left: the port, the unit's identity and the editor. Right, as wide as the address list:
  // the signal, the addresses, the read and write buttons and the summary.
  auto* top_row = new QHBoxLayout;
  top_row->addWidget(port_group, 1);
  top_row->addWidget(logo, 0, Qt::AlignCenter);

  // The tab set's own margins would only widen the gap above the mode radios.
  if (QLayout* editor = tabs_->layout()) editor->setContentsMargins(0, 0, 0, 0);
  auto* left = new QVBoxLayout;
  left->addLayout(top_row);
  left->addWidget(status_->identityGroup());
  left->addWidget(tabs_, 1);

  auto* buttons = new QHBoxLayout;
  buttons->addWidget(read_button_);
  buttons->addWidget(write_button_);

  auto* right_column = new QWidget(this);
  right_column->setFixedWidth(status_->addressList()->sizeHint().width());
  auto* right = new QVBoxLayout(right_column);
  right->setContentsMargins(0, 0, 0, 0);
  right->addWidget(status_->signalGroup());
  right->addWidget(status_->addressList());
  right->addLayout(buttons);
  auto* under_way = new QHBoxLayout;
  under_way->addWidget(progress_, 1);
  under_way->addWidget(cancel_button_);
  right->addLayout(under_way);
  right->addWidget(summary_, 1);

  auto* content = new QWidget(this);
  auto* columns = new QHBoxLayout(content);
  columns->addLayout(left, 1);
  columns->addWidget(right_column);

  // A window smaller than the pages (a laptop's screen, large scaling) scrolls them.
  auto* scroll = new PagesScrollArea(this);
  scroll->setWidget(content);

  // The pages in the middle, the log pane docked below (or floating), the status bar under all.
  shell_ = new QMainWindow(this);
  shell_->setWindowFlags(Qt::Widget);
  shell_->setCentralWidget(scroll);
  shell_->addDockWidget(Qt::BottomDockWidgetArea, log_);
  log_->hide();
  CreateStatusBar();

  auto* outer = new QVBoxLayout(this);
  outer->setContentsMargins(0, 0, 0, 0);
  outer->setSpacing(0);
  outer->setMenuBar(menu_bar_);
  outer->addWidget(shell_);
}

void MainConfigDialog::CreateStatusBar() {
  const auto add_label = [this](int id, const QString& name) {
    auto* label = new QLabel(shell_);
    label->setObjectName(QString::number(id));
    label->setAccessibleName(name);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return label;
  };
  port_status_ = add_label(kPortStatus, QStringLiteral("串口状态"));
  operation_status_ = add_label(kOperationStatus, QStringLiteral("操作"));
  source_status_ = add_label(kSourceStatus, QStringLiteral("参数来源"));
  undo_button_ = new QPushButton(FromUtf8(kUndoWriteCaption), shell_);
  undo_button_->setObjectName(QString::number(kUndoWriteButton));
  undo_button_->setAutoDefault(false);
  undo_button_->setVisible(false);
  connect(undo_button_, &QPushButton::clicked, this, &MainConfigDialog::UndoWrite);
  QStatusBar* bar = shell_->statusBar();
  bar->addWidget(port_status_);
  bar->addWidget(operation_status_, 1);
  bar->addWidget(undo_button_);
  bar->addPermanentWidget(source_status_);
  ShowPortStatus();
  ShowTitle();
}

void MainConfigDialog::ApplyStartupState() {
  // The first listed port (the first one named on the command line, if any) and 9600 8N1.
  if (environment_.extra_ports.empty() ||
      !port_list_->SelectNamed(environment_.extra_ports.front()))
    port_list_->setCurrentIndex(port_list_->count() > 0 ? 0 : -1);
  stop_bits_list_->setCurrentIndex(0);
  data_bits_list_->setCurrentIndex(0);
  parity_list_->setCurrentIndex(0);
  baud_list_->setCurrentIndex(static_cast<int>(kDefaultBaudIndex));

  WriteStartupValues(tabs_->gprsPage(), tabs_->smsPage(), tabs_->serialPage());
  tabs_->CheckModeRadio(ToByte(WorkMode::Gprs));
  working_block_.set_work_mode(ToByte(WorkMode::Gprs));
  tabs_->ShowSelectedPage(ToByte(WorkMode::Gprs));

  ApplyRememberedSettings();

  // Opened from the event loop, so that the window is up before any message about the file.
  if (environment_.start_file)
    QTimer::singleShot(0, this, [this] { OpenParameterFileAt(*environment_.start_file); });
}

void MainConfigDialog::WatchPageEdits() {
  // Only what the user does marks the pages: loading a block sets the controls without these
  // signals.
  const auto mark = [this] { source_->setModified(true); };
  for (QLineEdit* edit : tabs_->findChildren<QLineEdit*>())
    connect(edit, &QLineEdit::textEdited, this, mark);
  for (QComboBox* list : tabs_->findChildren<QComboBox*>())
    connect(list, &QComboBox::activated, this, mark);
  for (QAbstractButton* button : tabs_->findChildren<QAbstractButton*>())
    if (qobject_cast<QToolButton*>(button) == nullptr)  // the tab bar's scroll arrows
      connect(button, &QAbstractButton::clicked, this, mark);
}

void MainConfigDialog::ApplyRememberedSettings() {
  const RememberedSettings remembered = RememberedSettings::Load(*settings_);
  if (remembered.port) {
    const PortSettings& port = *remembered.port;
    // A port named on the command line wins over the one of the last run.
    if (environment_.extra_ports.empty()) {
      SerialPortInfo known(port.device);
      if (!remembered.port_by_id.empty()) known.by_id.push_back(remembered.port_by_id);
      if (!remembered.port_by_path.empty()) known.by_path.push_back(remembered.port_by_path);
      port_list_->SelectRemembered(known);
    }
    const auto select = [](QComboBox* list, const QString& text) {
      for (int i = 0; i < list->count(); ++i)
        if (list->itemText(i).startsWith(text)) return list->setCurrentIndex(i);
    };
    select(baud_list_, QString::number(port.baud_rate));
    select(parity_list_, QString(QChar::fromLatin1(port.parity)));
    select(data_bits_list_, QString::number(port.data_bits));
    select(stop_bits_list_, QString::number(port.stop_bits));
  }
  if (remembered.reply_seconds > 0) reply_limit_->setValue(remembered.reply_seconds);
  if (files_.folder().empty()) files_.set_folder(remembered.folder);
  // The first time as large as the pages want, later as it was left; always within the screen
  // (which may have become smaller, or more scaled), scrolling the pages beyond it.
  const QRect available = screen()->availableGeometry();
  if (remembered.geometry.isEmpty() || !restoreGeometry(remembered.geometry)) resize(sizeHint());
  resize(size().boundedTo(available.size()));
  if (!available.contains(geometry())) move(available.topLeft());
  if (!remembered.panes.isEmpty()) shell_->restoreState(remembered.panes);
  settings_applied_ = true;
}

// The window with its frame (the title bar of the window manager, known only once it has framed
// the window) within the screen's available area, which leaves out the desktop's panels.
void MainConfigDialog::FitIntoScreen() {
  if (screen() == nullptr || isMaximized() || isFullScreen()) return;
  const QRect available = screen()->availableGeometry();
  const QSize frame = frameGeometry().size() - geometry().size();
  const QSize fitted = size().boundedTo(available.size() - frame);
  if (fitted != size()) resize(fitted);
  if (!available.contains(frameGeometry())) move(available.topLeft());
}

void MainConfigDialog::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  QTimer::singleShot(0, this, &MainConfigDialog::FitIntoScreen);
}

void MainConfigDialog::moveEvent(QMoveEvent* event) {
  QDialog::moveEvent(event);
  // The frame arrives after the window is shown: the first move that shows it fits it once.
  if (fitted_in_frame_ || !isVisible() || frameGeometry().size() == geometry().size()) return;
  fitted_in_frame_ = true;
  QTimer::singleShot(0, this, &MainConfigDialog::FitIntoScreen);
}

void MainConfigDialog::SaveSettings() {
  if (!settings_applied_) return;  // start-up would overwrite what it has yet to read
  RememberedSettings remembered;
  remembered.port = opened_port_;
  if (!opened_port_info_.by_id.empty()) remembered.port_by_id = opened_port_info_.by_id.front();
  if (!opened_port_info_.by_path.empty())
    remembered.port_by_path = opened_port_info_.by_path.front();
  remembered.reply_seconds = reply_limit_->value();
  remembered.folder = files_.folder();
  remembered.geometry = saveGeometry();
  remembered.panes = shell_->saveState();
  remembered.Save(*settings_);
}

QString MainConfigDialog::Title(const BlockOrigin& origin, bool modified) {
  return FromUtf8(kAppTitle) + QStringLiteral(" 版本") + FromUtf8(kVersionText) +
         QStringLiteral(" — ") + FromUtf8(ShortOriginName(origin)) +
         (modified ? QStringLiteral(" *") : QString());
}

void MainConfigDialog::ShowTitle() {
  setWindowTitle(Title(source_->origin(), source_->modified()));
  if (source_status_ == nullptr) return;
  // Short, so that the status bar fits a small screen; the whole description on hovering.
  source_status_->setText(QStringLiteral("参数来源：") +
                          FromUtf8(ShortOriginName(source_->origin())));
  source_status_->setToolTip(FromUtf8(DescribeOrigin(source_->origin())));
}

void MainConfigDialog::ShowPortStatus() {
  if (!session_ || !session_->isOpen()) {
    port_status_->setText(FromUtf8(kPortClosedStatus));
    return;
  }
  port_status_->setText(QStringLiteral("%1  %2 %3%4%5")
                            .arg(QString::fromStdString(port_settings_.device))
                            .arg(port_settings_.baud_rate)
                            .arg(port_settings_.data_bits)
                            .arg(QChar::fromLatin1(port_settings_.parity))
                            .arg(port_settings_.stop_bits));
}

void MainConfigDialog::ShowOperationStatus(const QString& text) {
  // A result keeps its time, so that an old one is not taken for news.
  operation_status_->setText(text + QStringLiteral("（") +
                             QTime::currentTime().toString(QStringLiteral("HH:mm:ss")) +
                             QStringLiteral("）"));
}

// ---- lookup -------------------------------------------------------------------------------

QWidget* MainConfigDialog::control(int id) const {
  switch (id) {
    case kPortList:
      return port_list_;
    case kBaudList:
      return baud_list_;
    case kParityList:
      return parity_list_;
    case kDataBitsList:
      return data_bits_list_;
    case kStopBitsList:
      return stop_bits_list_;
    case kOpenButton:
      return open_button_;
    case kLogo:
      return logo_;
    case kReadButton:
      return read_button_;
    case kWriteButton:
      return write_button_;
    case kSummaryPane:
      return summary_;
    case kReplyTimeLimit:
      return reply_limit_;
    case kExchangeProgress:
      return progress_;
    case kCancelButton:
      return cancel_button_;
    case kPortStatus:
      return port_status_;
    case kOperationStatus:
      return operation_status_;
    case kSourceStatus:
      return source_status_;
    case kUndoWriteButton:
      return undo_button_;
    default:
      break;
  }
  if (QWidget* found = status_->control(id)) return found;
  return tabs_->control(id);
}

QAction* MainConfigDialog::action(int command_id) const {
  for (QAction* menu : menu_bar_->actions())
    if (menu->menu() != nullptr)
      for (QAction* item : menu->menu()->actions())
        if (!item->isSeparator() && item->data().toInt() == command_id) return item;
  return nullptr;
}

bool MainConfigDialog::isPortOpen() const {
  return session_->isOpen();
}

// ---- port ---------------------------------------------------------------------------------

void MainConfigDialog::OpenOrClosePort() {
  if (session_->isOpen()) {
    ClosePort();
    open_button_->setText(FromUtf8(kOpenCaptionAfterClose));
    return;
  }
  if (OpenPort()) open_button_->setText(FromUtf8(kCloseCaption));
}

bool MainConfigDialog::OpenPort() {
  PortSettings settings;
  const PortReferenceMatch chosen = port_list_->portReference();
  settings.device = chosen.device;
  if (settings.device.empty()) {
    messages_.Show(MessageKind::Warning, kNoPortChosenMessage);
    return false;
  }
  if (const std::string problem = UnresolvedPortMessage(chosen); !problem.empty()) {
    messages_.Show(MessageKind::Warning, problem);
    return false;
  }
  settings.baud_rate = baud_list_->currentText().toInt();
  settings.parity = parity_list_->currentText().at(0).toLatin1();
  settings.data_bits = data_bits_list_->currentText().toInt();
  settings.stop_bits = stop_bits_list_->currentText().toInt();

  const std::optional<SessionOpenError> error = session_->Open(settings);
  if (error && error->kind != SessionOpenError::Kind::LineRefused) {
    messages_.Show(MessageKind::Warning,
                   error->kind == SessionOpenError::Kind::NoMonitor
                       ? "无法打开串口 " + settings.device + "：无法启动串口的监视线程。"
                       : PortOpenFailureMessage(settings.device, error->code));
    return false;
  }
  // A line the port cannot take is reported; the port stays open with what the driver took.
  if (error) messages_.Show(MessageKind::Error, error->report, kPortErrorCaption);
  port_settings_ = settings;
  opened_port_ = settings;
  opened_port_info_ = port_list_->portInfo();
  // The unit on this port is not yet known by its serial numbers, nor what it holds.
  connected_unit_.reset();
  recorder_->Forget();
  HideUndo();
  ShowPortStatus();
  log_->AddNote(ToUtf8(QStringLiteral("打开串口 ") + port_status_->text()));
  SaveSettings();
  return true;
}

void MainConfigDialog::ClosePort() {
  if (!session_ || !session_->isOpen()) {
    if (session_) session_->Close();  // a port that vanished is released too
    return;
  }
  session_->Close();
  log_->AddNote("关闭串口");
  ShowPortStatus();
  HideUndo();
}

void MainConfigDialog::OnReceived(const std::string& bytes, bool late) {
  for (const char byte : bytes) log_->AddReceived(static_cast<std::uint8_t>(byte));
  if (!late || late_noted_) return;
  // An operation that has ended takes no more answer: what comes now is only shown here.
  late_noted_ = true;
  log_->AddNote("以上数据在操作结束后才到，不予处理");
}

void MainConfigDialog::OnPortLost(const PortLoss&) {
  // The engine has stopped monitoring; release the port so that it can be opened again.
  const std::string device = session_->device();
  log_->AddNote("串口 " + device + " 已断开");
  session_->Close();
  ShowPortStatus();
  HideUndo();
  open_button_->setText(FromUtf8(kOpenCaptionAfterClose));
  const std::string text =
      ToUtf8(QStringLiteral("串口 %1 已断开，请检查串口线和设备后重新打开串口。")
                 .arg(QString::fromStdString(device)));
  if (!std::exchange(write_cut_, false)) {
    messages_.Show(MessageKind::Warning, text);
    return;
  }
  // The frame may have reached the unit whole: only its own block can tell.
  const std::string question =
      text +
      "\n\n断开时参数块已发出，设备还没有回复：设备可能已经保存了这个参数块，也可能没有。"
      "\n要重新打开串口并读取设备的参数来核对吗?";
  if (messages_.Ask(question, kSetParametersCaption, Answer::Yes) == Answer::Yes) OfferReadBack();
}

void MainConfigDialog::OfferReadBack() {
  if (!OpenPort()) return;
  open_button_->setText(FromUtf8(kCloseCaption));
  ReadParameters();
}

bool MainConfigDialog::RequireOpenPort() {
  if (session_->isOpen()) return true;
  messages_.Show(MessageKind::Information, kOpenPortFirstMessage);
  return false;
}

// ---- commands -----------------------------------------------------------------------------

bool MainConfigDialog::isBusy() const {
  return session_->busy() || identity_.has_value() || before_read_;
}

void MainConfigDialog::ReadParameters() {
  if (isBusy() || !RequireOpenPort()) return;  // one command at a time
  if (!MayReplaceEdits("读取参数会用所连设备的参数替换页面上的参数")) return;
  // Saving first took its time: the port may have gone, or another command begun.
  if (isBusy() || !RequireOpenPort()) return;
  summary_->Empty();
  session_->Start(ReadParametersRequest(session_->replyLimit()));
}

void MainConfigDialog::WriteParameters() {
  if (isBusy() || !RequireOpenPort()) return;
  // Entries that cannot be written are refused before the unit is bothered.
  if (!transfer_->CollectBlock(working_block_)) return;
  undoing_.reset();
  BeginWrite(source_->origin().of_unit());
}

void MainConfigDialog::BeginWrite(bool ask_unit) {
  if (!ask_unit) {
    BeforeWrite(false);
    return;
  }
  // Pages read from a unit: the one on the line now may be another (the adapter stayed in, the
  // unit behind it was swapped). It is asked who it is; the question follows its answer.
  identity_.emplace(session_->replyLimit());
  if (!session_->Start(*identity_->next())) identity_.reset();
}

void MainConfigDialog::ContinueIdentity(const ExchangeResult& result) {
  if (!identity_) return;
  identity_->Take(result);
  if (const std::optional<ExchangeRequest> next = identity_->next()) {
    if (!session_->Start(*next)) identity_.reset();
    return;
  }
  const IdentityQuestion asked = *std::exchange(identity_, std::nullopt);
  if (asked.abandoned()) {
    ShowOperationStatus(QStringLiteral("设置参数已取消：没有问到所连设备的序列号"));
    return;
  }
  if (asked.identity().known())
    connected_unit_ = asked.identity();
  else
    connected_unit_.reset();
  ShowOperationStatus(
      FromUtf8("所连设备：" + DescribeOrigin({BlockOrigin::Kind::Unit, asked.identity(), {}})));
  BeforeWrite(true);
}

void MainConfigDialog::BeforeWrite(bool unit_asked) {
  if (StillTheUndoneUnit()) ConfirmAndWrite(unit_asked);
}

// An undo writes only into the unit that was written to; false (after saying so) for another.
bool MainConfigDialog::StillTheUndoneUnit() {
  if (!undoing_ || ConnectedHistoryUnit() == undoing_->unit) return true;
  const auto described = [](const HistoryUnit& unit) {
    return DescribeOrigin({BlockOrigin::Kind::Unit, {unit.board_serial, unit.module_serial}, {}});
  };
  messages_.Show(MessageKind::Warning,
                 "没有撤销写入：所连设备是" + described(ConnectedHistoryUnit()) +
                     "，而那次写入的是" + described(undoing_->unit) + "。请接上那台设备后再撤销。",
                 kUndoWriteCaption);
  ShowOperationStatus(QStringLiteral("撤销写入已取消：所连设备不是写入的那台"));
  undoing_.reset();
  return false;
}

void MainConfigDialog::ConfirmAndWrite(bool unit_asked) {
  if (undoing_) {
    const std::string question = std::string(kConfirmWriteQuestion) +
                                 "\n\n撤销写入：把设备恢复为写入前的参数（历史记录 " +
                                 std::to_string(undoing_->previous.id) + "，" +
                                 FormatRecordTime(undoing_->previous.time) + "）。";
    if (messages_.Ask(question, kUndoWriteCaption, Answer::No) != Answer::Yes) {
      undoing_.reset();
      return;
    }
    sent_ = undoing_->previous.block;
  } else {
    // The pages may have changed while the unit was asked.
    if (unit_asked && !transfer_->CollectBlock(working_block_)) return;
    if (messages_.Ask(ConfirmWriteQuestion(unit_asked), {}, Answer::No) != Answer::Yes) return;
    sent_ = working_block_;
  }
  // The port may have gone, or a read begun, while the question was open.
  if (session_->busy() || !session_->isOpen()) {
    sent_.reset();
    undoing_.reset();
    if (!session_->isOpen()) messages_.Show(MessageKind::Information, kOpenPortFirstMessage);
    return;
  }
  // The unit's current block goes into the history before anything replaces it: the last read
  // of this unit stands for it while it is recent, otherwise the unit is read now.
  if (!environment_.keep_history ||
      recorder_->HoldsCurrentBlock(ConnectedHistoryUnit(), RecordNow(), kRecentRead)) {
    SendWrite();
    return;
  }
  before_read_ = true;
  if (!session_->Start(ReadParametersRequest(session_->replyLimit()))) {
    before_read_ = false;
    sent_.reset();
    undoing_.reset();
  }
}

void MainConfigDialog::ContinueBeforeWrite(const ExchangeResult& result) {
  if (!std::exchange(before_read_, false)) return;
  if (result.block() == nullptr) {
    sent_.reset();
    undoing_.reset();
    ShowOperationStatus(QStringLiteral("设置参数已取消：没有读到所连设备现在的参数"));
    return;
  }
  // The read told who is on the line, if nothing had before.
  if (!StillTheUndoneUnit()) {
    sent_.reset();
    return;
  }
  SendWrite();
}

void MainConfigDialog::SendWrite() {
  if (!sent_) return;
  if (!session_->Start(WriteParametersRequest(*sent_, session_->replyLimit()))) {
    sent_.reset();
    undoing_.reset();
    messages_.Show(MessageKind::Information, kOpenPortFirstMessage);
    return;
  }
  if (!undoing_) working_block_ = *sent_;  // sealed, as the pages' block is after a write
}

std::string MainConfigDialog::ConfirmWriteQuestion(bool unit_asked) const {
  std::string question(kConfirmWriteQuestion);
  const std::vector<std::string> warnings = WriteTargetWarnings(
      source_->origin(), source_->unitReadSinceStart(), connected_unit_, unit_asked);
  if (!warnings.empty()) question += "\n";
  for (const std::string& warning : warnings) question += "\n" + warning;
  // A warning about another unit names the source itself.
  if (!warnings.empty() && !source_->origin().of_unit())
    question += "\n页面上的参数来自" + DescribeOrigin(source_->origin()) + "。";
  question += SubstitutionNotice(transfer_->SubstitutionLines());
  return question;
}

void MainConfigDialog::RequestSignal() {
  if (isBusy() || !RequireOpenPort()) return;
  session_->Start(ReadSignalRequest(session_->replyLimit()));
}

// ---- the operation under way ------------------------------------------------------------------

namespace {

QString OperationName(ExchangeKind kind) {
  switch (kind) {
    case ExchangeKind::ReadParameters:
      return QStringLiteral("读取参数");
    case ExchangeKind::WriteParameters:
      return QStringLiteral("设置参数");
    case ExchangeKind::ReadSignal:
      return QStringLiteral("读取信号强度");
  }
  return {};
}

// What the progress bar and the status bar say while an exchange is under way: asking who is on
// the line, reading the unit before a write, a read or a write.
struct UnderWayTexts {
  QString progress;
  QString status;
};

UnderWayTexts UnderWay(ExchangeKind kind, bool asking_unit, bool reading_before_write) {
  if (asking_unit)
    return {QStringLiteral("设置参数：核对所连设备"), QStringLiteral("正在询问所连设备的序列号…")};
  if (reading_before_write)
    return {QStringLiteral("设置参数：先读取设备现在的参数 %v/%m 位"),
            QStringLiteral("正在读取设备现在的参数，存入历史记录…")};
  if (kind == ExchangeKind::ReadParameters)
    return {QStringLiteral("读取参数：%v/%m 位"), QStringLiteral("正在读取参数…")};
  return {QStringLiteral("设置参数：已发送 %m 字节，等待回复"), QStringLiteral("正在设置参数…")};
}

}  // namespace

void MainConfigDialog::OnExchangeStarted(ExchangeKind kind) {
  read_button_->setEnabled(false);
  write_button_->setEnabled(false);
  status_->gauge()->setEnabled(false);
  // A signal request is short: it shows nothing more unless it fails.
  if (kind == ExchangeKind::ReadSignal && !identity_) return;
  const int total = SessionAdapter::ProgressTotal(kind);
  progress_->setRange(0, identity_ ? 0 : total);  // asking who is there: no count to show
  progress_->setValue(0);
  const UnderWayTexts texts = UnderWay(kind, identity_.has_value(), before_read_);
  progress_->setFormat(texts.progress);
  progress_->setVisible(true);
  cancel_button_->setVisible(true);
  operation_status_->setText(texts.status);
  if (!busy_cursor_) {
    QApplication::setOverrideCursor(Qt::BusyCursor);
    busy_cursor_ = true;
  }
}

void MainConfigDialog::OnExchangeProgress(int done, int total) {
  if (identity_) return;
  progress_->setRange(0, total);
  progress_->setValue(done);
}

void MainConfigDialog::CancelExchange() {
  if (session_->busy()) session_->Cancel();
}

void MainConfigDialog::OnExchangeFinished(const ExchangeResult& result) {
  read_button_->setEnabled(true);
  write_button_->setEnabled(true);
  status_->gauge()->setEnabled(true);
  progress_->setVisible(false);
  cancel_button_->setVisible(false);
  if (busy_cursor_) {
    QApplication::restoreOverrideCursor();
    busy_cursor_ = false;
  }
  const ExchangeKind kind = result.exchange.kind();
  if (kind == ExchangeKind::ReadParameters) KeepRead(result);
  if (kind == ExchangeKind::WriteParameters && !result.frame_answer()) {
    // Unanswered: the unit may hold the block or not; the next write reads it first.
    sent_.reset();
    undoing_.reset();
    recorder_->Forget();
  }
  if (before_read_) {
    const bool unanswered = result.outcome == ExchangeOutcome::TimedOut ||
                            result.outcome == ExchangeOutcome::Overlong ||
                            result.outcome == ExchangeOutcome::Cancelled;
    if (unanswered) ShowUnanswered(result, QStringLiteral("设置参数前读取参数"));
    // As for the question below: the block still comes as an event, and must not be loaded.
    QTimer::singleShot(0, this, [this, result] { ContinueBeforeWrite(result); });
    return;
  }
  if (identity_) {
    // Once the session has told everything of this answer: the event that completed it (the
    // block of the read) comes after its end, and must still find the question under way.
    QTimer::singleShot(0, this, [this, result] { ContinueIdentity(result); });
    return;
  }
  const QString what = OperationName(kind);
  switch (result.outcome) {
    case ExchangeOutcome::Completed:
    case ExchangeOutcome::Refused:
      // What the answer said follows as its event.
      if (kind != ExchangeKind::ReadSignal) ShowOperationStatus(what + QStringLiteral("完成"));
      return;
    case ExchangeOutcome::PortClosed:
      if (kind != ExchangeKind::ReadSignal)
        ShowOperationStatus(what + QStringLiteral("中止：串口已关闭"));
      return;
    case ExchangeOutcome::PortLost:
      // The message that follows says what this may have left in the unit.
      write_cut_ = kind == ExchangeKind::WriteParameters;
      ShowOperationStatus(what + QStringLiteral("中止：串口已断开"));
      return;
    case ExchangeOutcome::TimedOut:
    case ExchangeOutcome::Overlong:
    case ExchangeOutcome::Cancelled:
      ShowUnanswered(result, what);
      return;
  }
}

// The note, the status bar and the message that says what was sent and what came back.
void MainConfigDialog::ShowUnanswered(const ExchangeResult& result, const QString& what) {
  const auto seconds = [](std::chrono::milliseconds limit) {
    return QString::number(static_cast<double>(limit.count()) / 1000.0);
  };
  QString said;
  MessageKind icon = MessageKind::Warning;
  switch (result.outcome) {
    case ExchangeOutcome::TimedOut:
      said = QStringLiteral("%1超时：%2 秒内没有再收到数据（%3）")
                 .arg(what, seconds(result.timing.reply_limit),
                      FromUtf8(result.exchange.ReceivedSummary()));
      break;
    case ExchangeOutcome::Overlong:
      said = QStringLiteral("%1超时：%2 秒内回复没有结束").arg(what, seconds(result.took));
      break;
    default:
      said = QStringLiteral("%1已取消（已收到 %2 字节）")
                 .arg(what)
                 .arg(static_cast<qulonglong>(result.exchange.received_count()));
      icon = MessageKind::Information;
      break;
  }
  log_->AddNote(ToUtf8(said));
  ShowOperationStatus(said);
  const std::string caption = result.exchange.kind() == ExchangeKind::WriteParameters
                                  ? std::string(kSetParametersCaption)
                                  : ToUtf8(what);
  messages_.Show(icon, UnansweredMessage(result, session_->device()), caption);
}

bool MainConfigDialog::MayReplaceEdits(const std::string& replaced_by) {
  if (!source_->modified()) return true;
  return MayDropEdits("页面上的参数已修改，还没有设置到设备，也没有保存到文件。" + replaced_by +
                      "，这些修改（参数来源：" + DescribeOrigin(source_->origin()) +
                      "）将丢失。\n要先把它们保存到参数文件吗?");
}

bool MainConfigDialog::MayDropEdits(std::string_view question) {
  if (!source_->modified()) return true;
  switch (messages_.AskUnsaved(question, true)) {
    case UnsavedChoice::Save:
      SaveParameterFile();
      return !source_->modified();  // a cancelled or failed save keeps everything as it was
    case UnsavedChoice::Discard:
      return true;
    case UnsavedChoice::Keep:
      break;
  }
  return false;
}

void MainConfigDialog::OpenParameterFile() {
  if (!MayReplaceEdits("打开参数文件会用文件中的参数替换页面上的参数")) return;
  file_commands_->Open();
  SaveSettings();  // the folder chosen
}

void MainConfigDialog::OpenParameterFileAt(const std::filesystem::path& path) {
  file_commands_->Open(path);
}

void MainConfigDialog::SaveParameterFile() {
  if (file_commands_->Save()) source_->setModified(false);
  SaveSettings();
}

void MainConfigDialog::ExportParameterText() {
  if (text_commands_->Export()) source_->setModified(false);
  SaveSettings();
}

void MainConfigDialog::ImportParameterText() {
  if (!MayReplaceEdits("导入文本会用文本文件中的参数替换页面上的参数")) return;
  text_commands_->Import();
  SaveSettings();
}

void MainConfigDialog::ShowAbout() {
  AboutDialog::Show(this);
}

void MainConfigDialog::ShowHistory() {
  if (!history_dialog_) {
    HistoryDialogActions actions;
    actions.collect_pages = [this]() -> std::optional<ParameterBlock> {
      ParameterBlock pages = working_block_;
      if (!transfer_->CollectBlock(pages)) return std::nullopt;
      SealBlock(pages);  // as a write would send it
      return pages;
    };
    actions.load = [this](const HistoryEntry& entry) { return LoadHistoryEntry(entry); };
    history_dialog_ = new HistoryDialog(recorder_->history(), messages_, std::move(actions), this);
  } else {
    history_dialog_->Refresh();
  }
  history_dialog_->show();
  history_dialog_->raise();
  history_dialog_->activateWindow();
}

void MainConfigDialog::UndoWrite() {
  if (!undo_offer_ || isBusy() || !RequireOpenPort()) return;
  if (!MayReplaceEdits("撤销写入后页面显示设备恢复的参数")) return;
  if (!undo_offer_ || isBusy() || !RequireOpenPort()) return;
  undoing_ = undo_offer_;
  BeginWrite(true);
}

// ---- what the unit's answers hold -------------------------------------------------------------

void MainConfigDialog::OnRecognised(const DeviceEvent& event) {
  if (identity_ && std::holds_alternative<BlockEvent>(event)) {
    // Read only to learn who is on the line: the pages keep what the user is about to write.
    log_->AddNote("参数块只用于核对所连设备，不载入页面");
    return;
  }
  if (before_read_ && std::holds_alternative<BlockEvent>(event)) {
    log_->AddNote(std::get<BlockEvent>(event).intact
                      ? "参数块在设置参数前存入历史记录，不载入页面"
                      : "参数块校验和不符，没有存入历史记录，也不载入页面");
    return;
  }
  const EventText shown = TextOf(event);
  log_->AddNote(shown.note);
  if (const auto* answer = std::get_if<AcknowledgementEvent>(&event)) {
    KeepWriteAnswer(answer->acknowledgement);
    if (answer->acknowledgement == Acknowledgement::Stored)
      source_->setModified(false);  // the unit holds the pages' values
    if (!shown.result.empty()) ShowOperationStatus(FromUtf8(shown.result));
    messages_.Show(shown.icon, shown.advice.empty() ? shown.text : shown.text + "\n" + shown.advice,
                   shown.caption);
  } else if (const auto* address = std::get_if<AddressEvent>(&event)) {
    status_->SetAddress(address->row, address->text);
  } else if (const auto* status = std::get_if<StatusEvent>(&event)) {
    ShowStatus(*status);
  } else {
    LoadReceivedBlock(std::get<BlockEvent>(event));
  }
}

void MainConfigDialog::ShowStatus(const StatusEvent& status) {
  switch (status.field) {
    case StatusField::SimSmsCentre:
      tabs_->smsPage().setText(sms_id::kSimSmsCentre, FromUtf8(status.text));
      return;
    case StatusField::BoardSerial:
    case StatusField::ModuleSerial: {
      UnitIdentity& unit = connected_unit_ ? *connected_unit_ : connected_unit_.emplace();
      (status.field == StatusField::BoardSerial ? unit.board_serial : unit.module_serial) =
          status.text;
      break;
    }
    case StatusField::Signal:
      status_->SetStatusText(kSignalText, status.signal == kUnknownSignal
                                              ? std::string(kUnknownSignalText)
                                              : status.text);
      status_->SetSignal(status.signal);
      return;
    case StatusField::Version:
      break;
  }
  status_->SetStatusText(StatusControl(status.field), status.text);
}

// ---- the units' history ------------------------------------------------------------------

HistoryUnit MainConfigDialog::ConnectedHistoryUnit() const {
  const UnitIdentity unit = connected_unit_.value_or(UnitIdentity{});
  return HistoryUnit::Of(unit.board_serial, unit.module_serial, session_->device());
}

void MainConfigDialog::KeepRead(const ExchangeResult& result) {
  if (result.block() == nullptr || !environment_.keep_history) return;
  recorder_->KeepRead(session_->device(), result);
  if (undo_offer_ && recorder_->unit() != undo_offer_->unit) HideUndo();  // another unit
  if (history_dialog_ && history_dialog_->isVisible()) history_dialog_->Refresh();
}

void MainConfigDialog::KeepWriteAnswer(Acknowledgement answer) {
  if (!sent_) return;
  const bool stored = answer == Acknowledgement::Stored;
  const ParameterBlock sent = *std::exchange(sent_, std::nullopt);
  if (!environment_.keep_history) return;
  const std::int64_t written = recorder_->KeepSent(
      session_->device(), sent, stored ? HistoryEvent::Written : HistoryEvent::Refused);
  if (const std::optional<UndoWriteOffer> undone = std::exchange(undoing_, std::nullopt);
      undone && stored) {
    // The pages show what the unit holds again.
    transfer_->LoadBlock(undone->previous.block, working_block_,
                         {BlockOrigin::Kind::HistoryEntry,
                          {undone->unit.board_serial, undone->unit.module_serial},
                          {},
                          undone->previous.id});
  }
  if (stored) OfferUndo(written);
  if (history_dialog_ && history_dialog_->isVisible()) history_dialog_->Refresh();
}

void MainConfigDialog::OfferUndo(std::int64_t written) {
  HideUndo();
  std::optional<HistoryEntry> previous;
  if (written == 0 || !recorder_->history().HeldBefore(written, previous).ok() || !previous) return;
  undo_offer_ = UndoWriteOffer{recorder_->unit(), *previous};
  undo_button_->setToolTip(QStringLiteral("把设备恢复为这次写入前的参数（历史记录 %1）")
                               .arg(static_cast<qlonglong>(previous->id)));
  undo_button_->setVisible(true);
}

void MainConfigDialog::HideUndo() {
  undo_offer_.reset();
  if (undo_button_ != nullptr) undo_button_->setVisible(false);
}

bool MainConfigDialog::LoadHistoryEntry(const HistoryEntry& entry) {
  if (isBusy()) {
    messages_.Show(MessageKind::Information, "正在与设备通信，请等这次操作结束后再载入记录。");
    return false;
  }
  if (!MayReplaceEdits("载入历史记录会用记录中的参数替换页面上的参数")) return false;
  return transfer_->LoadBlock(entry.block, working_block_,
                              {BlockOrigin::Kind::HistoryEntry,
                               {entry.unit.board_serial, entry.unit.module_serial},
                               {},
                               entry.id});
}

void MainConfigDialog::LoadReceivedBlock(const BlockEvent& block) {
  BlockOrigin origin{BlockOrigin::Kind::Unit, connected_unit_.value_or(UnitIdentity{}), {}};
  transfer_->LoadBlock(block.block, working_block_, origin);
  ShowOperationStatus(FromUtf8(TextOf(block).result));
}

// ---- window -------------------------------------------------------------------------------

void MainConfigDialog::done(int result) {
  if (!MayDropEdits(kUnsavedCloseQuestion)) return;
  SaveSettings();
  // However the window closes, the port is released first.
  ClosePort();
  QDialog::done(result);
}

void MainConfigDialog::keyPressEvent(QKeyEvent* event) {
  switch (event->key()) {
    case Qt::Key_Escape:
      // Ends the operation under way; otherwise, like Enter, nothing.
      CancelExchange();
      event->accept();
      return;
    case Qt::Key_Return:
    case Qt::Key_Enter:
      // Neither presses a button nor closes the window.
      event->accept();
      return;
    default:
      QDialog::keyPressEvent(event);
  }
}

bool MainConfigDialog::eventFilter(QObject* watched, QEvent* event) {
  if (watched == logo_ && event->type() == QEvent::MouseButtonPress) {
    const auto* press = static_cast<QMouseEvent*>(event);
    if (press->button() == Qt::LeftButton && press->buttons() == Qt::LeftButton) {
      ShowAbout();
      return true;
    }
  }
  return QDialog::eventFilter(watched, event);
}

}  // namespace dtu
