#include "gui/window/block_transfer.h"

#include <QTabBar>

#include "core/block/block_check.h"
#include "gui/pages/gprs_page.h"
#include "gui/pages/page_exchange.h"
#include "gui/pages/serial_page.h"
#include "gui/pages/sms_page.h"
#include "gui/window/block_origin.h"
#include "gui/window/editor_tab_set.h"
#include "gui/window/pages_source.h"
#include "gui/window/summary_pane_view.h"

namespace dtu {

BlockTransfer::BlockTransfer(EditorTabSet& tabs, SummaryPaneView& summary, UserMessages& messages,
                             PagesSource* source)
    : tabs_(tabs), summary_(summary), messages_(messages), source_(source) {}

bool BlockTransfer::LoadBlock(const ParameterBlock& incoming, ParameterBlock& working,
                              const BlockOrigin& origin) {
  // Checked on a copy: a block that fails keeps the working block, the tabs and the pages as
  // they were.
  ParameterBlock block = incoming;
  if (!PrepareLoadedBlock(block)) {
    messages_.Show(MessageKind::Warning, BlockMismatchMessage(origin));
    return false;
  }
  working = block;
  if (source_ != nullptr) source_->set(origin);

  const std::uint8_t mode = working.work_mode();
  tabs_.RebuildTabSet(mode);
  tabs_.ShowSelectedPage(mode);
  for (EditorPage* page : Pages()) LoadPage(*page, working);
  tabs_.CheckModeRadio(mode);
  tabs_.serialPage().ShowGroupsForMode(mode);
  summary_.AppendSummary(working);
  return true;
}

bool BlockTransfer::CollectBlock(ParameterBlock& working) {
  // Collected into a copy: a refusal leaves the working block exactly as it was.
  ParameterBlock draft = working;
  std::vector<std::string> substitutions;
  for (EditorPage* page : Pages()) {
    const PageCollection collected = CollectPage(*page, draft);
    if (!collected.ok()) {
      BringPageForward(*page);
      page->returnFocusTo(collected.refused);
      return false;
    }
    substitutions.insert(substitutions.end(), collected.substitutions.begin(),
                         collected.substitutions.end());
  }
  if (const auto mode = tabs_.CheckedMode()) draft.set_work_mode(*mode);
  draft.set_length(static_cast<std::uint16_t>(kBlockSize));
  working = draft;
  substitutions_ = std::move(substitutions);
  return true;
}

std::array<EditorPage*, 3> BlockTransfer::Pages() const {
  return {&tabs_.gprsPage(), &tabs_.smsPage(), &tabs_.serialPage()};
}

// Selects the tab that leads to the page, when the current mode gives it one.
void BlockTransfer::BringPageForward(const EditorPage& page) {
  QTabBar* bar = tabs_.tabBar();
  if (&page == &tabs_.serialPage()) {
    bar->setCurrentIndex(1);
    return;
  }
  const bool sms_tab = bar->tabText(0) == QStringLiteral("短信参数");
  if (sms_tab == (&page == &tabs_.smsPage())) bar->setCurrentIndex(0);
}

std::string SubstitutionNotice(const std::vector<std::string>& lines) {
  if (lines.empty()) return {};
  std::string notice = "\n\n这些填写的值不按原样写入：";
  for (const std::string& line : lines) notice += "\n" + line;
  return notice;
}

}  // namespace dtu
