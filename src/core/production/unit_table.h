#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "core/block/parameter_block.h"

namespace dtu {

// The units of a production run: a CSV file whose header names fields of the text form
// (device_number, sim_number, centre_ip1, apn...) and whose rows give each unit its own values.
// An optional column `gsn` ties a row to the unit reporting that module serial number ("GSN:");
// rows without one go to the other units in file order. Each row has a key that names it from
// run to run, whatever rows are inserted or removed around it (row_identity.h).

// The name of the column that ties a row to a unit.
inline constexpr std::string_view kGsnColumn = "gsn";

struct UnitRow {
  int line = 0;                          // the line of the CSV file the row begins on
  std::string gsn;                       // the module serial it is tied to; empty: any unit
  std::string key;                       // KeyedRowKey or FileOrderRowKey
  std::vector<std::string> assignments;  // "NAME=VALUE"; an empty cell keeps the template's value
  ParameterBlock block;                  // the template with the row applied, sealed
};

struct UnitTable {
  std::vector<UnitRow> rows;
  std::vector<std::string> warnings;  // the pages' rules a row breaks, each naming its line
  std::string error;                  // the first refusal, naming its line and field
  std::string fingerprint;            // TableFingerprint of the CSV
  std::string template_fingerprint;   // TemplateFingerprint of the template

  bool ok() const { return error.empty(); }
  // True when no row is tied to a module serial: every row goes to whichever unit comes next.
  bool in_file_order() const;
};

// Reads the units' CSV and applies every row to `template_block` with the checks of
// `dtuctl set`: the first row (or header) that does not fit refuses the whole table. Repeated
// or unknown column names, more cells than names, a module serial given twice and a table
// without rows are refused too.
UnitTable LoadUnitTable(std::string_view csv, const ParameterBlock& template_block);

}  // namespace dtu
