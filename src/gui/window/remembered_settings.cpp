#include "gui/window/remembered_settings.h"

#include <QSettings>

#include "gui/platform/qt_text.h"

namespace dtu {
namespace {

const QString kPortKey = QStringLiteral("port/device");
const QString kByIdKey = QStringLiteral("port/by_id");
const QString kByPathKey = QStringLiteral("port/by_path");
const QString kBaudKey = QStringLiteral("port/baud_rate");
const QString kParityKey = QStringLiteral("port/parity");
const QString kDataBitsKey = QStringLiteral("port/data_bits");
const QString kStopBitsKey = QStringLiteral("port/stop_bits");
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
    port.baud_rate = settings.value(kBaudKey, port.baud_rate).toInt();
    const QString parity = settings.value(kParityKey).toString();
    if (parity.size() == 1 && QStringLiteral("NOE").contains(parity))
      port.parity = parity.at(0).toLatin1();
    port.data_bits = settings.value(kDataBitsKey, port.data_bits).toInt();
    port.stop_bits = settings.value(kStopBitsKey, port.stop_bits).toInt();
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
    settings.setValue(kBaudKey, port->baud_rate);
    settings.setValue(kParityKey, QString(QChar::fromLatin1(port->parity)));
    settings.setValue(kDataBitsKey, port->data_bits);
    settings.setValue(kStopBitsKey, port->stop_bits);
  }
  if (reply_seconds > 0) settings.setValue(kReplyKey, reply_seconds);
  if (!folder.empty()) settings.setValue(kFolderKey, FileNameText(folder.string()));
  if (!geometry.isEmpty()) settings.setValue(kGeometryKey, geometry);
  if (!panes.isEmpty()) settings.setValue(kPanesKey, panes);
  settings.sync();
}

}  // namespace dtu
