#include "core/text/csv_writer.h"

namespace dtu {

std::string CsvField(std::string_view field) {
  const bool quoted = field.find_first_of(",\"\r\n") != std::string_view::npos ||
                      field.starts_with(' ') || field.ends_with(' ');
  if (!quoted) return std::string(field);
  std::string out = "\"";
  for (const char c : field) {
    if (c == '"') out += '"';
    out += c;
  }
  return out + "\"";
}

std::string CsvLine(std::span<const std::string> fields) {
  std::string line;
  for (std::size_t i = 0; i < fields.size(); ++i) {
    if (i > 0) line += ',';
    line += CsvField(fields[i]);
  }
  return line + "\r\n";
}

namespace {

// What a spreadsheet takes as "this cell is text"; it does not show it.
constexpr char kTextMark = '\'';

}  // namespace

std::string AsSpreadsheetText(std::string cell) {
  if (!cell.empty() && std::string_view("=+-@\t\r'").find(cell.front()) != std::string_view::npos)
    cell.insert(cell.begin(), kTextMark);
  return cell;
}

std::string FromSpreadsheetText(std::string cell) {
  if (cell.starts_with(kTextMark)) cell.erase(0, 1);
  return cell;
}

}  // namespace dtu
