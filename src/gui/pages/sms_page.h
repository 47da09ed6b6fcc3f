#pragma once

#include <array>
#include <string>

#include "gui/pages/editor_page.h"

namespace dtu {

// Control IDs of the SMS page.
namespace sms_id {
constexpr int kMode = 1130;
constexpr int kModeLabel = 1203;
constexpr int kSmsCentre = 1159;
constexpr int kNumbersGroup = 1190;
constexpr std::array<int, 5> kNumber{1156, 1157, 1158, 1160, 1161};
constexpr std::array<int, 5> kNumberLabel{1171, 1173, 1172, 1174, 1175};
constexpr int kAcceptAll = 1188;
constexpr int kCoding = 1149;
constexpr int kCodingLabel = 1204;
constexpr int kSimSmsCentre = 1165;
constexpr int kOutputNumber = 1142;
constexpr int kOutputNumberLabel = 1205;
constexpr int kDualTargetsOnly = 1191;
}  // namespace sms_id

// The SMS page's members. The three lists are not members: their selections are read and set
// on the lists themselves.
struct SmsMembers {
  std::string sim_sms_centre;         // 1165, written when the unit reports it
  std::array<std::string, 5> number;  // 1156, 1157, 1158, 1160, 1161
  std::string sms_centre;             // 1159
  int accept_all = 0;                 // 1188
  int dual_targets_only = 0;          // 1191
};

// The SMS page: mode, SMS centre, the five authorised numbers, coding, and the two settings it
// carries hidden (output with number, dual-channel targets only).
class SmsPage : public EditorPage {
  Q_OBJECT

 public:
  explicit SmsPage(UserMessages& messages, QWidget* parent = nullptr);

  SmsMembers& members() { return members_; }
  const SmsMembers& members() const { return members_; }

 protected:
  void Exchange(PageExchange& dx) override;

 private:
  SmsMembers members_;
};

}  // namespace dtu
