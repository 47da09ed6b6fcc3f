#pragma once

#include <QString>

#include <string_view>

namespace dtu {

// The core's texts are UTF-8 (std::string, std::string_view and literals alike); this is where
// they become Qt's strings.
inline QString FromUtf8(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace dtu
