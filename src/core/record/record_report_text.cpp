#include "core/record/record_report_text.h"

#include <algorithm>
#include <array>
#include <cstdio>

#include "core/message_language.h"
#include "core/record/record_time.h"
#include "core/text/utf8_text.h"

namespace dtu {
namespace {

constexpr std::string_view kNone = "-";

// The first 12 digits of a hash are enough to tell batches apart on a screen.
std::string Short(const std::string& hash) {
  return hash.size() > 12 ? hash.substr(0, 12) : hash;
}

std::string BatchLine(const BatchInfo& b) {
  const std::string id = std::to_string(b.id);
  const std::string started = FormatRecordTime(b.started);
  const std::string done = std::to_string(b.rows_done);
  const std::string rows = std::to_string(b.rows);
  if (CurrentMessageLanguage() == MessageLanguage::kChinese) {
    std::string line = "批次 " + id + "：模板 " + Short(b.template_hash) + "，表 " + b.table_name +
                       "（" + Short(b.table_hash) + "）" + "，" + started + " 由 " +
                       b.operator_name + " 在 " + b.station + " 开始";
    if (b.ended) line += "，" + FormatRecordTime(*b.ended) + " 结束";
    return line + "；已完成 " + done + " / " + rows + " 行\n";
  }
  std::string line = "batch " + id + ": template " + Short(b.template_hash) + ", table " +
                     b.table_name + " (" + Short(b.table_hash) + ")" + ", started " + started +
                     " by " + b.operator_name + " on " + b.station;
  if (b.ended) line += ", ended " + FormatRecordTime(*b.ended);
  return line + "; " + done + " of " + rows + " rows done\n";
}

std::string Fixed(double value, int decimals) {
  std::array<char, 32> text{};
  std::snprintf(text.data(), text.size(), "%.*f", decimals, value);
  return text.data();
}

std::vector<std::string> Header() {
  // The outcomes keep their names: scripts and the export know them by these.
  std::vector<std::string> header{Say("工位", "station"), Say("结果数", "results")};
  for (const RecordOutcome outcome : kRecordOutcomes) header.emplace_back(OutcomeName(outcome));
  header.push_back(Say("合格率", "yield"));
  header.push_back(Say("中位数", "median"));
  header.emplace_back("95%");
  header.push_back(Say("台/小时", "units/h"));
  return header;
}

std::vector<std::string> Cells(const StationFigures& f) {
  std::vector<std::string> cells{f.station, std::to_string(f.results)};
  for (const RecordOutcome outcome : kRecordOutcomes)
    cells.push_back(std::to_string(f.count(outcome)));
  cells.push_back(f.yield ? Fixed(*f.yield * 100, 1) + "%" : std::string(kNone));
  cells.push_back(f.median ? FormatSeconds(*f.median) : std::string(kNone));
  cells.push_back(f.p95 ? FormatSeconds(*f.p95) : std::string(kNone));
  cells.push_back(f.units_per_hour ? Fixed(*f.units_per_hour, *f.units_per_hour < 10 ? 1 : 0)
                                   : std::string(kNone));
  return cells;
}

// Columns two spaces apart, the first (the station) to the left, the figures to the right, each
// as wide as its widest cell on a terminal (a Chinese heading or station takes two columns a
// character).
std::string Table(const std::vector<std::vector<std::string>>& rows) {
  std::vector<std::size_t> widths(rows.front().size(), 0);
  for (const auto& row : rows)
    for (std::size_t c = 0; c < row.size(); ++c)
      widths[c] = std::max(widths[c], TerminalColumns(row[c]));
  std::string text;
  for (const auto& row : rows) {
    std::string line = " ";
    for (std::size_t c = 0; c < row.size(); ++c) {
      const std::string pad(widths[c] - TerminalColumns(row[c]), ' ');
      line += ' ';
      line += c == 0 ? row[c] : pad;
      line += c == 0 ? pad + ' ' : row[c];
    }
    while (line.ends_with(' ')) line.pop_back();
    text += line + "\n";
  }
  return text;
}

}  // namespace

std::string ReportText(const std::vector<BatchReport>& report) {
  std::string text;
  for (const BatchReport& batch : report) {
    if (!text.empty()) text += "\n";
    text += BatchLine(batch.batch);
    if (batch.stations.empty()) {
      text += Say("  没有结果\n", "  no results\n");
      continue;
    }
    std::vector<std::vector<std::string>> rows{Header()};
    for (const StationFigures& figures : batch.stations) rows.push_back(Cells(figures));
    text += Table(rows);
  }
  return text;
}

}  // namespace dtu
