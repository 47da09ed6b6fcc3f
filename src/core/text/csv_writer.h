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

}  // namespace dtu
