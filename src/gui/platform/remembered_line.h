#pragma once

#include <QString>

#include "core/serial/line_settings.h"

class QSettings;

namespace dtu {

// A port's line settings kept under a group of the remembered settings ("port", "production"):
// the group's baud_rate, parity, data_bits and stop_bits. What is missing or not a parity keeps
// the value of `line` given.
LineSettings LoadRememberedLine(QSettings& settings, const QString& group, LineSettings line);
void SaveRememberedLine(QSettings& settings, const QString& group, const LineSettings& line);

}  // namespace dtu
