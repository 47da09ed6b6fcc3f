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
//   identityGroup(): the read-only edits 1145 "软件版本", 1144 "模块序列号", 1241 "主板序列号",
//                    and the two address edits the window keeps hidden (1160, 1143);
//   signalGroup():   group "信号强度" with the centred edit 1192, the gauge 1194 and the hint;
//   addressList():   the list 1219 with its columns "号码" and "IP地址" and nine fixed rows.
// Every value stays until the unit reports a new one; nothing here is cleared.
class StatusDisplay : public QObject {
  Q_OBJECT

 public:
  static constexpr int kAddressListId = 1219;
  static constexpr int kHiddenAddressEditId = 1160;     // "域名解析后的IP地址", never shown
  static constexpr int kHiddenDtuAddressEditId = 1143;  // "DTU地址(自动分配)", never shown

  explicit StatusDisplay(QWidget* parent);

  QGroupBox* identityGroup() const { return identity_group_; }
  QGroupBox* signalGroup() const { return signal_group_; }
  QTableWidget* addressList() const { return address_list_; }
  SignalGauge* gauge() const { return gauge_; }

  // The status control with this ID (1145, 1144, 1241, 1192, 1194, 1219, 1160, 1143), or nullptr.
  QWidget* control(int id) const;

  // Column 1 of address row 0 to 8; other rows are ignored.
  void SetAddress(int row, std::string_view text);
  // The text of edit 1145, 1144, 1241 or 1192; other IDs are ignored.
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
