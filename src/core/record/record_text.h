#pragma once

#include <string>
#include <vector>

#include "core/record/record_entries.h"

namespace dtu {

// How the record writes a row's values (a JSON object, in the table's column order) and a list
// of field names (separated by spaces), and reads them back.
std::string RowValuesText(const RowValues& values);
RowValues RowValuesFrom(const std::string& text);
std::string JoinedNames(const std::vector<std::string>& names);
std::vector<std::string> SplitNames(const std::string& text);

}  // namespace dtu
