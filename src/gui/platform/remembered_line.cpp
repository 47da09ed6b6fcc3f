#include "gui/platform/remembered_line.h"

#include <QSettings>

namespace dtu {
namespace {

QString Key(const QString& group, const char* name) {
  return group + QLatin1Char('/') + QLatin1String(name);
}

}  // namespace

LineSettings LoadRememberedLine(QSettings& settings, const QString& group, LineSettings line) {
  line.baud_rate = settings.value(Key(group, "baud_rate"), line.baud_rate).toInt();
  const QString parity = settings.value(Key(group, "parity")).toString();
  if (parity.size() == 1 && QStringLiteral("NOE").contains(parity))
    line.parity = parity.at(0).toLatin1();
  line.data_bits = settings.value(Key(group, "data_bits"), line.data_bits).toInt();
  line.stop_bits = settings.value(Key(group, "stop_bits"), line.stop_bits).toInt();
  return line;
}

void SaveRememberedLine(QSettings& settings, const QString& group, const LineSettings& line) {
  settings.setValue(Key(group, "baud_rate"), line.baud_rate);
  settings.setValue(Key(group, "parity"), QString(QChar::fromLatin1(line.parity)));
  settings.setValue(Key(group, "data_bits"), line.data_bits);
  settings.setValue(Key(group, "stop_bits"), line.stop_bits);
}

}  // namespace dtu
