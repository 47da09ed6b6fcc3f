#pragma once

#include <array>
#include <string>

#include "core/editing/sms_page_table.h"
#include "gui/pages/editor_page.h"

namespace dtu {

// The SMS page's members. The three lists are not members: their selections are read and set
// on the lists themselves.
struct SmsMembers {
  std::string sim_sms_centre;  // written when the unit reports it
  std::array<std::string, 5> number;
  std::string sms_centre;
  int accept_all = 0;
  int dual_targets_only = 0;
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
