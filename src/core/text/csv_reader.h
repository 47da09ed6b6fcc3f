#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace dtu {

// One record of a CSV file and where it starts.
struct CsvRecord {
  int line = 0;  // the line of the file on which the record begins; the first line is 1
  std::vector<std::string> fields;
};

// A CSV file read whole, or why it could not be read.
struct CsvDocument {
  std::vector<CsvRecord> records;
  std::string error;   // empty when the file was read
  int error_line = 0;  // the line the error was found on

  bool ok() const { return error.empty(); }
};

// Reads CSV text as spreadsheets write it: fields separated by commas, records by CR LF, LF or
// CR; a field in double quotes may hold commas, line ends and quotes (written twice). Spaces
// belong to the field they stand in. The text is UTF-8, with or without a byte order mark;
// other bytes, a quote inside an unquoted field, text after a closing quote and a quote left
// open at the end are refused, naming the line. Blank lines are no records.
CsvDocument ReadCsv(std::string_view text);

}  // namespace dtu
