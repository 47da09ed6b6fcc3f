#include "core/history/history_notice.h"

namespace dtu {
namespace {

constexpr std::string_view kNotKept = "the units' history is not kept in this run: ";
constexpr std::string_view kGoesOn =
    " (reads and writes of units go on as usual; this is said once)";

}  // namespace

std::optional<std::string> HistoryNotice::Take(const HistoryError& error) {
  if (error.ok()) return std::nullopt;
  std::lock_guard lock(mutex_);
  if (said_) return std::nullopt;
  said_ = true;
  return std::string(kNotKept) + error.message + std::string(kGoesOn);
}

void HistoryNotice::Report(const HistoryError& error, UserMessages& messages) {
  if (const std::optional<std::string> text = Take(error))
    messages.Show(MessageKind::Warning, *text);
}

}  // namespace dtu
