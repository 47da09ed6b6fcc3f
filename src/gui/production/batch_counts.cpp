#include "gui/production/batch_counts.h"

#include <cmath>

namespace dtu {

void BatchCounts::Add(UnitResult result) {
  if (result == UnitResult::Ok)
    ++ok_;
  else if (result == UnitResult::Skipped)
    ++skipped_;
  else
    ++failed_;
}

std::optional<double> BatchCounts::UnitsPerHour(Clock::time_point now) const {
  const std::chrono::duration<double, std::ratio<3600>> hours = now - started_;
  if (ok_ == 0 || now - started_ < std::chrono::minutes(1)) return std::nullopt;
  return ok_ / hours.count();
}

std::string BatchCounts::Text(int rows_left, Clock::time_point now) const {
  std::string text = "成功 " + std::to_string(ok_) + "   失败 " + std::to_string(failed_) +
                     "   跳过 " + std::to_string(skipped_);
  if (rows_left >= 0) text += "   剩余 " + std::to_string(rows_left) + " 行";
  const std::optional<double> rate = UnitsPerHour(now);
  text += "   每小时 " + (rate ? std::to_string(std::lround(*rate)) : std::string("-")) + " 个";
  return text;
}

}  // namespace dtu
