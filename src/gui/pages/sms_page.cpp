#include "gui/pages/sms_page.h"

namespace dtu {

SmsPage::SmsPage(UserMessages& messages, QWidget* parent)
    : EditorPage(kSmsPageTable, messages, parent) {}

}  // namespace dtu
