#pragma once

#include <string>
#include <vector>

#include "core/production/provision_log.h"
#include "core/production/unit_table.h"

namespace dtu {

// What earlier runs did, as this run's table takes it up: the units they left well, each with
// the key of its row.
struct EarlierRuns {
  std::vector<LoggedSuccess> successes;
  std::vector<std::string> notes;  // what changed since, that does not keep this run from going on
  std::string error;               // why this run may not go on from them

  bool ok() const { return error.empty(); }
};

// Takes up the successes a log holds for a run on `table`. Refused, naming the log's line, when
// the table has changed in a way that would hand a row out twice: a row in file order that an
// earlier run handed out is no longer in it (a row changed gets a new key and would go to
// another unit), or a line of a log begun by an earlier dtuctl names its row by the line only
// and that line is not the row of the unit's gsn. A changed table or template whose rows are
// all still there is noted.
EarlierRuns ResumeEarlierRuns(const UnitTable& table, const std::vector<LoggedSuccess>& logged);

}  // namespace dtu
