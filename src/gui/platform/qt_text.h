#pragma once

#include <QFile>
#include <QString>

#include <string>
#include <string_view>

namespace dtu {

// The core's texts are UTF-8 (std::string, std::string_view and literals alike); this is where
// they become Qt's strings.
inline QString FromUtf8(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// File names are the system's bytes; Qt shows and keeps them as it writes file names.
inline std::string FileNameBytes(const QString& text) {
  return QFile::encodeName(text).toStdString();
}

inline QString FileNameText(const std::string& name) {
  return QFile::decodeName(QByteArray::fromStdString(name));
}

}  // namespace dtu
