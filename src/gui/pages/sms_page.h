#pragma once

#include "core/editing/sms_page_table.h"
#include "gui/pages/editor_page.h"

namespace dtu {

// The SMS page: mode, SMS centre, the five authorised numbers, coding, and the two settings it
// carries hidden (output with number, dual-channel targets only). Everything it holds is in its
// controls; the SIM card's own SMS centre is written there when the unit reports it.
class SmsPage : public EditorPage {
  Q_OBJECT

 public:
  explicit SmsPage(UserMessages& messages, QWidget* parent = nullptr);
};

}  // namespace dtu
