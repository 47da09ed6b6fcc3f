#pragma once

#include <QObject>

#include <map>
#include <string_view>

class QGroupBox;
class QLineEdit;
class QTableWidget;
class QWidget;

namespace dtu {

class SignalGauge;

// What a connected unit reports about itself: firmware version, module and board serial
// numbers, the signal strength as text and as a gauge, and its IP and DNS addresses. The
// controls are created here, as children of the window that lays them out:
//   identityGroup(): the read-only edits "软件版本", "模块序列号", "主板序列号", and the two
//                    address edits the window keeps hidden;
//   signalGroup():   group "信号强度" with the centred edit, the gauge and the hint;
//   addressList():   the list with its columns "号码" and "IP地址" and nine fixed rows.
// Their IDs are in main_id.
// Every value stays until the unit reports a new one; nothing here is cleared.
class StatusDisplay : public QObject {
  Q_OBJECT

 public:
  explicit StatusDisplay(QWidget* parent);

  QGroupBox* identityGroup() const { return identity_group_; }
  QGroupBox* signalGroup() const { return signal_group_; }
  QTableWidget* addressList() const { return address_list_; }
  SignalGauge* gauge() const { return gauge_; }

  // The status control with this ID, or nullptr.
  QWidget* control(int id) const;

  // Column 1 of address row 0 to 8; other rows are ignored.
  void SetAddress(int row, std::string_view text);
  // The text of the version, module serial, board serial or signal edit; other IDs are ignored.
  void SetStatusText(int control_id, std::string_view text);
  // Keeps the value for the gauge and repaints it.
  void SetSignal(int value);
  int signal() const;

 private:
  void CreateIdentityGroup(QWidget* parent);
  void CreateSignalGroup(QWidget* parent);
  void SetupAddressList(QWidget* parent);
  QLineEdit* AddEdit(int id, QWidget* parent);
  QLineEdit* edit(int id) const;

  QGroupBox* identity_group_ = nullptr;  // all widgets are owned by the window's parent chain
  QGroupBox* signal_group_ = nullptr;
  QTableWidget* address_list_ = nullptr;
  SignalGauge* gauge_ = nullptr;
  std::map<int, QWidget*> controls_;
};

}  // namespace dtu
