#pragma once

#include <string>
#include <vector>

#include "core/record/record_figures.h"

namespace dtu {

// The report of batches as `dtuctl record report` prints it and the production window shows it:
// per batch a line naming it, then per station the units' results by outcome, the yield, the
// median and 95th-percentile time of an ok unit and ok units per hour, in columns.
std::string ReportText(const std::vector<BatchReport>& report);

}  // namespace dtu
