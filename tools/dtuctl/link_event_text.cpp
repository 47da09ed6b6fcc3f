#include "link_event_text.h"

#include <array>
#include <cstdio>

namespace dtuctl {

std::string EscapeText(std::string_view text) {
  std::string escaped;
  for (char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (c == '\\') {
      escaped += "\\\\";
    } else if (c == '\r') {
      escaped += "\\r";
    } else if (c == '\n') {
      escaped += "\\n";
    } else if (c == '\t') {
      escaped += "\\t";
    } else if (byte < 0x20 || byte == 0x7F) {
      std::array<char, 8> hex{};
      std::snprintf(hex.data(), hex.size(), "\\x%02X", byte);
      escaped += hex.data();
    } else {
      escaped += c;
    }
  }
  return escaped;
}

std::string LabelledLine(std::string_view label, std::string_view value) {
  return std::string(label) + ": " + EscapeText(value);
}

}  // namespace dtuctl
