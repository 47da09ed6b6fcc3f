#include "core/record/record_report_text.h"

#include <algorithm>
#include <array>
#include <cstdio>

#include "core/record/record_time.h"

namespace dtu {
namespace {

constexpr std::string_view kNoResults = "  no results\n";
constexpr std::string_view kNone = "-";

// The first 12 digits of a hash are enough to tell batches apart on a screen.
std::string Short(const std::string& hash) {
  return hash.size() > 12 ? hash.substr(0, 12) : hash;
}

std::string BatchLine(const BatchInfo& b) {
  std::string line = "batch " + std::to_string(b.id) + ": template " + Short(b.template_hash) +
                     ", table " + b.table_name + " (" + Short(b.table_hash) + "), started " +
                     FormatRecordTime(b.started) + " by " + b.operator_name + " on " + b.station;
  if (b.ended) line += ", ended " + FormatRecordTime(*b.ended);
  return line + "; " + std::to_string(b.rows_done) + " of " + std::to_string(b.rows) +
         " rows done\n";
}

std::string Fixed(double value, int decimals) {
  std::array<char, 32> text{};
  std::snprintf(text.data(), text.size(), "%.*f", decimals, value);
  return text.data();
}

std::vector<std::string> Header() {
  std::vector<std::string> header{"station", "results"};
  for (const RecordOutcome outcome : kRecordOutcomes) header.emplace_back(OutcomeName(outcome));
  for (const char* column : {"yield", "median", "95%", "units/h"}) header.emplace_back(column);
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

// Columns two spaces apart, the first (the station) to the left, the figures to the right.
std::string Table(const std::vector<std::vector<std::string>>& rows) {
  std::vector<std::size_t> widths(rows.front().size(), 0);
  for (const auto& row : rows)
    for (std::size_t c = 0; c < row.size(); ++c) widths[c] = std::max(widths[c], row[c].size());
  std::string text;
  for (const auto& row : rows) {
    std::string line = " ";
    for (std::size_t c = 0; c < row.size(); ++c) {
      const std::string pad(widths[c] - row[c].size(), ' ');
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
      text += kNoResults;
      continue;
    }
    std::vector<std::vector<std::string>> rows{Header()};
    for (const StationFigures& figures : batch.stations) rows.push_back(Cells(figures));
    text += Table(rows);
  }
  return text;
}

}  // namespace dtu
