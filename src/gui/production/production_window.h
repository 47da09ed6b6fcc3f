#pragma once

#include <QDialog>
#include <QString>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/production/provision_progress.h"
#include "core/serial/serial_port_info.h"
#include "core/user_messages.h"
#include "gui/production/batch_counts.h"
#include "gui/production/production_choices.h"

class QCheckBox;
class QComboBox;
class QGridLayout;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QSpinBox;
class QTableWidget;
class QTimer;

namespace dtu {

class FileChooser;
class ProductionRunner;
class SlotTile;

// What the production window needs from its surroundings, replaceable in tests.
struct ProductionEnvironment {
  // Choices given on the command line; what they leave empty comes from the last shift.
  ProductionChoices given;
  // Default: this machine's serial ports as udev knows them (ListSerialPortInfos).
  std::function<std::vector<SerialPortInfo>()> list_ports;
  // Where the choices are remembered; empty: the user's settings.
  QString settings_file;
};

// The production line's window for the operator: the choices of a run (template, units' table,
// record, station, operator, the slots with their line settings), checked whole before the first
// unit is touched; then one large tile per slot (SlotTile), a bar with the batch's counts and
// the last results. Pause and stop let every unit under way finish and be recorded; closing the
// window while one is under way asks first. "报告" shows the batch's report as `dtuctl record
// report` prints it, and saves it. Messages go through the UserMessages given.
class ProductionWindow : public QDialog {
  Q_OBJECT

 public:
  ProductionWindow(UserMessages& messages, FileChooser& files, ProductionEnvironment environment,
                   QWidget* parent = nullptr);
  ~ProductionWindow() override;

  // The control with this ID (production_id), or nullptr; tiles by kFirstTile + slot.
  QWidget* control(int id) const;
  SlotTile* tile(int slot) const;
  int tileCount() const { return static_cast<int>(tiles_.size()); }

  // The choices as the form shows them.
  ProductionChoices choices() const;
  // "开始": checks everything and starts the run; false after a message.
  bool Start();
  bool running() const;
  // A unit is under way on a slot.
  bool busy() const;
  // The batch's report as `dtuctl record report --batch ID` prints it; empty before a run.
  std::string ReportText() const;
  const BatchCounts& counts() const { return *counts_; }

 signals:
  void runEnded();

 public slots:
  // Closing (Esc, the title bar) asks first while a unit is under way.
  void reject() override;

 private:
  QWidget* CreateForm();
  QWidget* CreateBar();
  void Fill(const ProductionChoices& choices);
  void ListSlots(const std::vector<std::string>& chosen);
  void MakeTiles(const std::vector<std::string>& ports);
  void OnSlotChanged(int slot, const SlotEvent& event);
  void OnUnitEnded(int slot, const LogEntry& entry);
  void OnEnded(const QString& fault);
  void TogglePause();
  void StopRun();
  void ShowReport();
  void ShowCounts();
  int RowsLeft() const;
  void UpdateButtons();

  UserMessages& messages_;
  FileChooser& files_;
  ProductionEnvironment environment_;
  std::unique_ptr<ProductionRunner> runner_;
  std::unique_ptr<BatchCounts> counts_;
  std::vector<SlotTile*> tiles_;
  std::vector<bool> under_way_;
  QGroupBox* form_ = nullptr;
  QLineEdit* template_ = nullptr;
  QLineEdit* units_ = nullptr;
  QLineEdit* record_ = nullptr;
  QLineEdit* station_ = nullptr;
  QLineEdit* operator_ = nullptr;
  QListWidget* slots_ = nullptr;
  QComboBox* baud_ = nullptr;
  QComboBox* parity_ = nullptr;
  QComboBox* data_bits_ = nullptr;
  QComboBox* stop_bits_ = nullptr;
  QSpinBox* timeout_ = nullptr;
  QWidget* tile_area_ = nullptr;
  QGridLayout* tile_grid_ = nullptr;
  QLabel* counts_label_ = nullptr;
  QTableWidget* results_ = nullptr;
  QPushButton* start_ = nullptr;
  QPushButton* pause_ = nullptr;
  QPushButton* stop_ = nullptr;
  QPushButton* report_ = nullptr;
  QTimer* rate_timer_ = nullptr;
  bool record_edited_ = false;  // the operator gave the record: it no longer follows the table
};

}  // namespace dtu
