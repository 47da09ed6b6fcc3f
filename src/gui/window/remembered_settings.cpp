#include "gui/window/remembered_settings.h"

#include <QSettings>

#include "gui/platform/qt_text.h"
#include "gui/platform/remembered_line.h"

namespace dtu {
namespace {

const QString kPortKey = QStringLiteral("port/device");
const QString kByIdKey = QStringLiteral("port/by_id");
const QString kByPathKey = QStringLiteral("port/by_path");
const QString kLineGroup = QStringLiteral("port");
const QString kReplyKey = QStringLiteral("port/reply_seconds");
const QString kFolderKey = QStringLiteral("files/folder");
const QString kGeometryKey = QStringLiteral("window/geometry");
const QString kPanesKey = QStringLiteral("window/panes");

}  // namespace

std::unique_ptr<QSettings> RememberedSettings::Open(const QString& file) {
  if (file.isEmpty())
    return std::make_unique<QSettings>(QStringLiteral("dtuconfig"), QStringLiteral("dtuconfig"));
  return std::make_unique<QSettings>(file, QSettings::IniFormat);
}

RememberedSettings RememberedSettings::Load(QSettings& settings) {
  RememberedSettings remembered;
  const QString device = settings.value(kPortKey).toString();
  if (!device.isEmpty()) {
    PortSettings port;
    port.device = FileNameBytes(device);
    const LineSettings line = LoadRememberedLine(settings, kLineGroup, port.line());
    port.baud_rate = line.baud_rate;
    port.parity = line.parity;
    port.data_bits = line.data_bits;
    port.stop_bits = line.stop_bits;
    remembered.port = port;
    remembered.port_by_id = FileNameBytes(settings.value(kByIdKey).toString());
    remembered.port_by_path = FileNameBytes(settings.value(kByPathKey).toString());
  }
  remembered.reply_seconds = settings.value(kReplyKey, 0).toInt();
  remembered.folder = std::filesystem::path(FileNameBytes(settings.value(kFolderKey).toString()));
  remembered.geometry = settings.value(kGeometryKey).toByteArray();
  remembered.panes = settings.value(kPanesKey).toByteArray();
  return remembered;
}

void RememberedSettings::Save(QSettings& settings) const {
  if (port) {
    settings.setValue(kPortKey, FileNameText(port->device));
    settings.setValue(kByIdKey, FileNameText(port_by_id));
    settings.setValue(kByPathKey, FileNameText(port_by_path));
    SaveRememberedLine(settings, kLineGroup, port->line());
  }
  if (reply_seconds > 0) settings.setValue(kReplyKey, reply_seconds);
  if (!folder.empty()) settings.setValue(kFolderKey, FileNameText(folder.string()));
  if (!geometry.isEmpty()) settings.setValue(kGeometryKey, geometry);
  if (!panes.isEmpty()) settings.setValue(kPanesKey, panes);
  settings.sync();
}

}  // namespace dtu
