#pragma once

#include <QByteArray>
#include <QString>

#include <filesystem>
#include <memory>
#include <optional>
#include <string>

#include "gui/window/port_settings.h"

class QSettings;

namespace dtu {

// What the window remembers from one run to the next: the last port opened with its line
// settings, its stable links and reply limit, the folder of the last file opened or saved, the
// window's geometry and the layout of its panes (the traffic log shown or not, docked or floating).
struct RememberedSettings {
  std::optional<PortSettings> port;  // nothing before a port was first opened
  // The port's /dev/serial/by-id/ and by-path/ links, by which it is found again when its
  // device's number has changed; empty when it had none.
  std::string port_by_id;
  std::string port_by_path;
  int reply_seconds = 0;  // 0: never set
  std::filesystem::path folder;
  QByteArray geometry;
  QByteArray panes;

  // `file` empty: the user's own settings (~/.config/dtuconfig/dtuconfig.conf); otherwise that
  // file (tests use a temporary one).
  static std::unique_ptr<QSettings> Open(const QString& file);
  static RememberedSettings Load(QSettings& settings);
  void Save(QSettings& settings) const;
};

}  // namespace dtu
