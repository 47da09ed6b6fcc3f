#include "core/record/record_time.h"

#include <array>
#include <cstdio>
#include <ctime>
#include <utility>

namespace dtu {

std::int64_t ToRecordMillis(RecordTime time) {
  return time.time_since_epoch().count();
}

RecordTime FromRecordMillis(std::int64_t millis) {
  return RecordTime(std::chrono::milliseconds(millis));
}

RecordTime RecordNow() {
  return std::chrono::time_point_cast<std::chrono::milliseconds>(RecordClock::now());
}

std::string FormatRecordTime(RecordTime time) {
  const std::time_t seconds = RecordClock::to_time_t(time);
  std::tm local{};
  ::localtime_r(&seconds, &local);
  std::array<char, 40> text{};
  const std::size_t n = std::strftime(text.data(), text.size(), "%Y-%m-%dT%H:%M:%S", &local);
  const long offset_minutes = local.tm_gmtoff / 60;
  const long magnitude = offset_minutes < 0 ? -offset_minutes : offset_minutes;
  std::snprintf(text.data() + n, text.size() - n, "%c%02ld:%02ld", offset_minutes < 0 ? '-' : '+',
                magnitude / 60, magnitude % 60);
  return text.data();
}

std::string FormatSeconds(std::chrono::milliseconds duration) {
  const long long hundredths = (duration.count() + 5) / 10;
  std::string text = std::to_string(hundredths / 100);
  if (const long long rest = hundredths % 100; rest != 0) {
    text += rest < 10 ? ".0" : ".";
    text += std::to_string(rest % 10 == 0 ? rest / 10 : rest);
  }
  return text + " s";
}

std::optional<RecordTime> ParseRecordDate(std::string_view text) {
  // "YYYY-MM-DD", then optionally "THH:MM" and ":SS": each number's width and the separator
  // before it.
  constexpr std::array<std::pair<int, std::string_view>, 6> kParts{
      {{4, ""}, {2, "-"}, {2, "-"}, {2, "T "}, {2, ":"}, {2, ":"}}};
  std::array<int, 6> values{0, 1, 1, 0, 0, 0};
  std::size_t at = 0;
  std::size_t parts = 0;
  for (const auto& [width, separators] : kParts) {
    if (at == text.size() && parts >= 3 && parts != 4) break;
    if (!separators.empty()) {
      if (at >= text.size() || separators.find(text[at]) == std::string_view::npos)
        return std::nullopt;
      ++at;
    }
    int value = 0;
    for (int digit = 0; digit < width; ++digit, ++at) {
      if (at >= text.size() || text[at] < '0' || text[at] > '9') return std::nullopt;
      value = value * 10 + (text[at] - '0');
    }
    values[parts++] = value;
  }
  if (at != text.size()) return std::nullopt;
  std::tm local{};
  local.tm_year = values[0] - 1900;
  local.tm_mon = values[1] - 1;
  local.tm_mday = values[2];
  local.tm_hour = values[3];
  local.tm_min = values[4];
  local.tm_sec = values[5];
  local.tm_isdst = -1;
  const std::tm asked = local;
  const std::time_t seconds = std::mktime(&local);
  // mktime moves 2026-02-30 to March: such a date is refused rather than taken as another.
  if (seconds == -1 || local.tm_mday != asked.tm_mday || local.tm_mon != asked.tm_mon ||
      asked.tm_hour > 23 || asked.tm_min > 59 || asked.tm_sec > 59)
    return std::nullopt;
  return std::chrono::time_point_cast<std::chrono::milliseconds>(RecordClock::from_time_t(seconds));
}

}  // namespace dtu
