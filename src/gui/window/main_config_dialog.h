#pragma once

#include <QDialog>
#include <QString>

#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/block/parameter_block.h"
#include "core/device/device_event.h"
#include "core/device/device_exchange.h"
#include "core/device/unit_identity.h"
#include "core/history/history_entries.h"
#include "core/serial/serial_port_info.h"
#include "core/session/exchange.h"
#include "core/session/identity_question.h"
#include "core/user_messages.h"
#include "gui/window/block_origin.h"
#include "gui/window/main_window_ids.h"
#include "gui/window/port_settings.h"

class QAction;
class QComboBox;
class QLabel;
class QMainWindow;
class QMenuBar;
class QProgressBar;
class QSettings;
class QPushButton;
class QSpinBox;

namespace dtu {

class BlockTransfer;
class EditorTabSet;
class FileChooser;
class HistoryDialog;
class HistoryRecorder;
class ParameterFileCommands;
class ParameterTextCommands;
class PagesSource;
class PortComboBox;
class SessionAdapter;
class StatusDisplay;
class SummaryPaneView;
class TrafficLogView;

// Texts of the main window that tests and other parts refer to.
// The port button's captions; Alt+P presses it whatever it says.
inline constexpr std::string_view kOpenCaptionInitial = "打开(&P)";
inline constexpr std::string_view kOpenCaptionAfterClose = "打开串口(&P)";
inline constexpr std::string_view kCloseCaption = "关闭串口(&P)";
inline constexpr std::string_view kCancelCaption = "取消";
inline constexpr std::string_view kConfirmWriteQuestion = "确定设置参数吗?";
inline constexpr std::string_view kHistoryItem = "历史记录...";
inline constexpr std::string_view kUndoWriteCaption = "撤销写入";
// The About item names the program as the About window and every caption do.
inline constexpr std::string_view kAboutItem = "关于DTU配置软件";
inline constexpr std::string_view kOpenPortFirstMessage = "请先打开串口。";
inline constexpr std::string_view kNoPortChosenMessage = "请先选择或输入串口。";
inline constexpr std::string_view kPortClosedStatus = "串口未打开";
inline constexpr std::string_view kUnsavedCloseQuestion =
    "页面上的参数已修改，还没有设置到设备，也没有保存到文件。确定退出吗?";
// What the signal strength shows when the unit reports 99, its value for "not known".
inline constexpr int kUnknownSignal = 99;
inline constexpr std::string_view kUnknownSignalText = "未知";

// What the window needs from its surroundings, replaceable in tests.
struct MainWindowEnvironment {
  std::vector<std::string> extra_ports;  // from the command line: listed, the first selected
  // Default: this machine's serial ports as udev knows them (ListSerialPortInfos).
  std::function<std::vector<SerialPortInfo>()> list_ports;
  // Whether the port list follows udev's announcements of ports plugged in or pulled out.
  bool follow_udev = true;
  // Folders whose changes make the port list look again; default: /dev, when udev's daemon does
  // not announce ports.
  std::optional<std::vector<std::filesystem::path>> port_folders;
  // A parameter file to open as soon as the window's event loop runs (the program's FILE
  // argument), as if it had been chosen in the file menu's open dialog.
  std::optional<std::filesystem::path> start_file;
  // Where the window remembers the last port, folder and layout; empty: the user's settings.
  QString settings_file;
  // The units' history the window keeps; empty: the one every program uses.
  std::filesystem::path history_file;
  // Whether the window keeps it (and reads a unit before writing it), as dtuctl does unless
  // --no-history: off only where the write alone is looked at.
  bool keep_history = true;
};

// The one main window: port controls, the unit's status, the channel mode and the editor pages,
// the read and write buttons, the summary pane and the file menu. It owns the working block and
// the unit session (operation()), whose typed events it shows; it alone knows which control shows
// which of the unit's values.
//
// A read, a write or a signal request is an operation under way until the unit's answer is
// complete, the port closes, "取消" (or Esc) ends it, or the session's time rule does: the answer
// pauses longer than the time limit set beside the port (5 s at first) beyond the line's own time,
// or goes on without end (ReplyTiming); meanwhile the read and write buttons and the gauge are
// disabled, and for a read or write the cursor is busy and a progress bar counts the block's
// digits. Bytes that arrive once an operation has ended go to the traffic log only. The window's
// title names where the pages' parameters came from (pagesSource()) and ends in "*" while the pages
// hold edits not yet written to a unit or saved; closing the window, a read and opening a file
// then ask first, offering to save them. Before a write of pages that came from a unit, the unit
// on the line is asked who it is (IdentityQuestion; its block is not loaded), and the write's
// question warns when it is not the pages' source.
//
// Every block read from a unit and every block written to one goes into the units' history
// (HistoryRecorder), with the unit's answer. Before a write the unit's current block is there:
// the last read of that unit since the port was opened, when it is recent, or else the unit is
// read once more just before (its block is not loaded). After a write the unit stored, the
// status bar offers "撤销写入", which writes the block the unit held before back into the same
// unit (checked by its serial numbers, with the usual question), until another unit is read or
// the port closes. "设备" → "历史记录..." lists the history's units and entries, compares them
// and loads an entry onto the pages. A history that cannot be kept is said once per run.
//
// Below the pages, the traffic log pane (hidden at first, shown from "查看") lists every exchange
// with the unit, and the status bar tells the port, the operation or last result and the pages'
// source. The pages scroll when the window is smaller than they are. The last port opened, the
// folder of the last file, the window's geometry and the panes are remembered (QSettings) and
// come back at the next start.
//
// Every message box goes through the UserMessages given; the file dialogs through the
// FileChooser. Both must outlive the window.
class MainConfigDialog : public QDialog {
  Q_OBJECT

 public:
  MainConfigDialog(UserMessages& messages, FileChooser& files, MainWindowEnvironment environment,
                   QWidget* parent = nullptr);
  ~MainConfigDialog() override;

  // The control with this ID (see main_id), or nullptr. Menu commands by their IDs through
  // action().
  QWidget* control(int id) const;
  QAction* action(int command_id) const;
  QAction* aboutAction() const { return about_action_; }
  QMenuBar* menuBar() const { return menu_bar_; }

  EditorTabSet& tabs() const { return *tabs_; }
  StatusDisplay& status() const { return *status_; }
  SummaryPaneView& summary() const { return *summary_; }
  PortComboBox& portList() const { return *port_list_; }
  TrafficLogView& trafficLog() const { return *log_; }

  ParameterBlock& workingBlock() { return working_block_; }
  bool isPortOpen() const;
  // A command under way: an exchange with the unit, or the unit being asked who it is before a
  // write (between its exchanges too).
  bool isBusy() const;
  PagesSource& pagesSource() const { return *source_; }
  SessionAdapter& operation() const { return *session_; }
  // What the connected unit has reported of its serial numbers since the port was opened;
  // nothing before it has reported any.
  const std::optional<UnitIdentity>& connectedUnit() const { return connected_unit_; }
  // The title: the product's name and version, the pages' source, "*" when modified.
  static QString Title(const BlockOrigin& origin, bool modified);

  // The commands, as the buttons and menu items run them.
  void OpenOrClosePort();
  void ReadParameters();
  void WriteParameters();
  void RequestSignal();
  void OpenParameterFile();
  // "批量配置...": the production window, modal to this one.
  void OpenProductionWindow();
  // Opens the given parameter file as "打开参数文件(&O)" opens the file chosen in its dialog.
  void OpenParameterFileAt(const std::filesystem::path& path);
  void SaveParameterFile();
  void ExportParameterText();
  void ImportParameterText();
  void ShowAbout();
  void ShowHistory();
  void UndoWrite();

  // The history window while it is open; nullptr before the first "历史记录...".
  HistoryDialog* historyDialog() const { return history_dialog_; }
  HistoryRecorder& historyRecorder() const { return *recorder_; }

  void done(int result) override;

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void showEvent(QShowEvent* event) override;
  void moveEvent(QMoveEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  // Start-up.
  void CreateMenu();
  QWidget* CreatePortGroup();
  QWidget* CreateLogo();
  void CreateButtons();
  void LayOut(QWidget* port_group, QWidget* logo);
  void ApplyStartupState();
  void WatchPageEdits();
  void ShowTitle();
  void CreateStatusBar();
  void ShowPortStatus();
  void ShowOperationStatus(const QString& text);
  void ApplyRememberedSettings();
  void SaveSettings();
  void FitIntoScreen();

  // Port.
  bool OpenPort();
  void ClosePort();
  void OnPortLost(const PortLoss& loss);
  bool RequireOpenPort();
  void OnReceived(const std::string& bytes, bool late);

  // The operation under way.
  void OnExchangeStarted(ExchangeKind kind);
  void OnExchangeProgress(int done, int total);
  void OnExchangeFinished(const ExchangeResult& result);
  void ShowUnanswered(const ExchangeResult& result, const QString& what);
  void CancelExchange();
  void ContinueIdentity(const ExchangeResult& result);
  void BeginWrite(bool ask_unit);
  void BeforeWrite(bool unit_asked);
  bool StillTheUndoneUnit();
  void ConfirmAndWrite(bool unit_asked);
  void ContinueBeforeWrite(const ExchangeResult& result);
  void SendWrite();
  std::string ConfirmWriteQuestion(bool unit_asked) const;
  void OfferReadBack();
  // Whether the pages may be replaced: they hold no unsaved edits, or the user saved them or let
  // them go; `replaced_by` names what would replace them.
  bool MayReplaceEdits(const std::string& replaced_by);
  bool MayDropEdits(std::string_view question);

  // What the unit's answers hold.
  void OnRecognised(const DeviceEvent& event);
  void ShowStatus(const StatusEvent& status);
  void LoadReceivedBlock(const BlockEvent& block);

  // The units' history.
  HistoryUnit ConnectedHistoryUnit() const;
  void KeepRead(const ExchangeResult& result);
  void KeepWriteAnswer(Acknowledgement answer);
  void OfferUndo(std::int64_t written);
  void HideUndo();
  bool LoadHistoryEntry(const HistoryEntry& entry);

  UserMessages& messages_;
  FileChooser& files_;
  MainWindowEnvironment environment_;
  ParameterBlock working_block_;

  QMenuBar* menu_bar_ = nullptr;  // widgets are owned by Qt's parent chain
  QAction* about_action_ = nullptr;
  EditorTabSet* tabs_ = nullptr;
  StatusDisplay* status_ = nullptr;
  SummaryPaneView* summary_ = nullptr;
  PortComboBox* port_list_ = nullptr;
  QComboBox* baud_list_ = nullptr;
  QComboBox* parity_list_ = nullptr;
  QComboBox* data_bits_list_ = nullptr;
  QComboBox* stop_bits_list_ = nullptr;
  QPushButton* open_button_ = nullptr;
  QLabel* logo_ = nullptr;
  QPushButton* read_button_ = nullptr;
  QPushButton* write_button_ = nullptr;
  QSpinBox* reply_limit_ = nullptr;
  QProgressBar* progress_ = nullptr;
  QPushButton* cancel_button_ = nullptr;
  QMainWindow* shell_ = nullptr;  // holds the pages, the log pane and the status bar
  TrafficLogView* log_ = nullptr;
  QLabel* port_status_ = nullptr;
  QLabel* operation_status_ = nullptr;
  QLabel* source_status_ = nullptr;
  QString last_result_;            // what the unit's last answer meant, for the status bar
  PagesSource* source_ = nullptr;  // QObject children
  PortSettings port_settings_;     // of the open port
  std::optional<PortSettings> opened_port_;  // the last port opened in this run
  SerialPortInfo opened_port_info_;          // what is known about it, to find it again
  std::unique_ptr<QSettings> settings_;
  bool settings_applied_ = false;
  bool fitted_in_frame_ = false;                // fitted once the window manager's frame was known
  std::optional<UnitIdentity> connected_unit_;  // reported since the port was opened
  bool busy_cursor_ = false;
  bool late_noted_ = false;  // late bytes since the last operation have their note
  bool write_cut_ = false;   // the port vanished while a write waited for its answer
  std::optional<IdentityQuestion> identity_;  // asking the unit on the line before a write
  // Reading the unit before a confirmed write, so that the history holds what it holds.
  bool before_read_ = false;
  std::optional<ParameterBlock> sent_;  // the write under way, as sent
  // What "撤销写入" puts back: the unit written to and the entry of what it held before.
  struct UndoWriteOffer {
    HistoryUnit unit;
    HistoryEntry previous;
  };
  std::optional<UndoWriteOffer> undo_offer_;
  std::optional<UndoWriteOffer> undoing_;  // the undo under way
  QPushButton* undo_button_ = nullptr;
  HistoryDialog* history_dialog_ = nullptr;  // a child, made at the first "历史记录..."
  std::unique_ptr<HistoryRecorder> recorder_;

  std::unique_ptr<BlockTransfer> transfer_;
  std::unique_ptr<ParameterFileCommands> file_commands_;
  std::unique_ptr<ParameterTextCommands> text_commands_;
  // Last: the engine is stopped before anything its notifications reach goes away.
  std::unique_ptr<SessionAdapter> session_;
};

}  // namespace dtu
