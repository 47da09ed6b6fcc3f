#pragma once

#include <span>
#include <string>
#include <string_view>

namespace dtu {

// One CSV record as ReadCsv reads it back: fields joined by commas and ended by CR LF. A field
// that holds a comma, a quote, a line end or spaces at either end is put in double quotes, its
// quotes written twice; any other field stands as it is.
std::string CsvLine(std::span<const std::string> fields);

// A single field as CsvLine writes it.
std::string CsvField(std::string_view field);

// A cell for a CSV file that people open in a spreadsheet: one that starts like a formula (=, +,
// -, @, a tab or a carriage return) would be run, and a serial number a unit reports may be
// anything. Such a cell, and one that starts with the apostrophe itself, gets an apostrophe in
// front, as spreadsheets take a cell for text. FromSpreadsheetText takes it away again.
std::string AsSpreadsheetText(std::string cell);
std::string FromSpreadsheetText(std::string cell);

}  // namespace dtu
