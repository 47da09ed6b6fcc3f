#pragma once

#include <cstdint>

#include "core/editing/serial_page_table.h"
#include "gui/pages/editor_page.h"

namespace dtu {

// The device serial and data page: the unit's serial format, packet splitting, the timed
// command, the dual-channel markers and the notices. Everything it holds is in its controls.
class SerialPage : public EditorPage {
  Q_OBJECT

 public:
  explicit SerialPage(UserMessages& messages, QWidget* parent = nullptr);

  // Shows the groups that belong to a channel mode (0 GPRS, 1 SMS, 2 dual channel): the two
  // marker groups only in dual-channel mode, the two notice groups in every mode but SMS.
  // Hidden fields keep their values.
  void ShowGroupsForMode(std::uint8_t work_mode);

 protected:
  void AfterTextChange(int id, bool typed) override;

 private:
  void ShowCommandLength();
};

}  // namespace dtu
