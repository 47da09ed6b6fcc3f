#include "gui/production/production_choices.h"

#include <QFile>
#include <QSettings>
#include <QStringList>

#include <filesystem>

#include "core/record/production_record.h"
#include "gui/platform/qt_text.h"
#include "gui/platform/remembered_line.h"

namespace dtu {
namespace {

const QString kTemplateKey = QStringLiteral("production/template");
const QString kUnitsKey = QStringLiteral("production/units");
const QString kRecordKey = QStringLiteral("production/record");
const QString kStationKey = QStringLiteral("production/station");
const QString kOperatorKey = QStringLiteral("production/operator");
const QString kPortsKey = QStringLiteral("production/ports");
const QString kLineGroup = QStringLiteral("production");
const QString kTimeoutKey = QStringLiteral("production/timeout_seconds");

std::string FileName(const QVariant& value) {
  return FileNameBytes(value.toString());
}

}  // namespace

ProductionChoices ProductionChoices::Load(QSettings& settings) {
  ProductionChoices choices;
  choices.template_path = FileName(settings.value(kTemplateKey));
  choices.units_path = FileName(settings.value(kUnitsKey));
  choices.record = FileName(settings.value(kRecordKey));
  choices.station = settings.value(kStationKey, QString::fromStdString(DefaultStation()))
                        .toString()
                        .toStdString();
  choices.operator_name = settings.value(kOperatorKey, QString::fromStdString(DefaultOperator()))
                              .toString()
                              .toStdString();
  for (const QString& port : settings.value(kPortsKey).toStringList())
    choices.ports.push_back(FileNameBytes(port));
  choices.line = LoadRememberedLine(settings, kLineGroup, choices.line);
  choices.timeout_seconds = settings.value(kTimeoutKey, choices.timeout_seconds).toInt();
  return choices;
}

void ProductionChoices::Save(QSettings& settings) const {
  settings.setValue(kTemplateKey, FileNameText(template_path));
  settings.setValue(kUnitsKey, FileNameText(units_path));
  settings.setValue(kRecordKey, FileNameText(record));
  settings.setValue(kStationKey, QString::fromStdString(station));
  settings.setValue(kOperatorKey, QString::fromStdString(operator_name));
  QStringList port_list;
  for (const std::string& port : ports) port_list << FileNameText(port);
  settings.setValue(kPortsKey, port_list);
  SaveRememberedLine(settings, kLineGroup, line);
  settings.setValue(kTimeoutKey, timeout_seconds);
  settings.sync();
}

std::string DefaultRecordFor(const std::string& units_path) {
  if (units_path.empty()) return {};
  std::filesystem::path record(units_path);
  record.replace_extension(".db");
  return record.string();
}

}  // namespace dtu
