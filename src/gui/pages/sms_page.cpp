#include "gui/pages/sms_page.h"

#include "gui/pages/page_exchange.h"

namespace dtu {

SmsPage::SmsPage(UserMessages& messages, QWidget* parent)
    : EditorPage(kSmsPageTable, messages, parent) {
  ExchangeToControls();
}

void SmsPage::Exchange(PageExchange& dx) {
  using namespace sms_id;
  SmsMembers& m = members_;
  dx.Text(kSimSmsCentre, m.sim_sms_centre);
  dx.Text(kNumber[0], m.number[0]);
  dx.Text(kNumber[1], m.number[1]);
  dx.Text(kNumber[2], m.number[2]);
  dx.Text(kNumber[4], m.number[4]);
  dx.Text(kNumber[3], m.number[3]);
  dx.Text(kSmsCentre, m.sms_centre);
  dx.Check(kAcceptAll, m.accept_all);
  dx.Check(kDualTargetsOnly, m.dual_targets_only);
}

}  // namespace dtu
