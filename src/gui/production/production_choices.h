#pragma once

#include <QString>

#include <string>
#include <vector>

#include "core/serial/line_settings.h"

class QSettings;

namespace dtu {

// What the operator chooses before a production run, remembered for the next shift.
struct ProductionChoices {
  std::string template_path;  // a parameter file or its text form
  std::string units_path;     // the units' table (CSV)
  std::string record;         // an SQLite file, postgresql://... or a libpq connection string
  std::string station;
  std::string operator_name;
  std::vector<std::string> ports;  // the slots, each as its stable name where it has one
  LineSettings line;
  int timeout_seconds = 5;  // how long a unit may take to answer

  // Remembered under "production/" beside the configuration window's own settings.
  static ProductionChoices Load(QSettings& settings);
  void Save(QSettings& settings) const;
};

// The record a table's run keeps by default: an SQLite file beside the table, named after it
// ("units.csv" -> "units.db").
std::string DefaultRecordFor(const std::string& units_path);

}  // namespace dtu
