#include "core/history/history_notice.h"

#include "core/message_language.h"

namespace dtu {
std::optional<std::string> HistoryNotice::Take(const HistoryError& error) {
  if (error.ok()) return std::nullopt;
  std::lock_guard lock(mutex_);
  if (said_) return std::nullopt;
  said_ = true;
  return Say("本次运行不保存单元历史：" + error.message + "（读写单元照常进行；此提示只出现一次）",
             "the units' history is not kept in this run: " + error.message +
                 " (reads and writes of units go on as usual; this is said once)");
}

void HistoryNotice::Report(const HistoryError& error, UserMessages& messages) {
  if (const std::optional<std::string> text = Take(error))
    messages.Show(MessageKind::Warning, *text);
}

}  // namespace dtu
