#pragma once

// What tells a message's language apart in the tests of the tools' two languages.

#include <regex>
#include <string>

namespace dtu::test {

// Any byte beyond ASCII: a Chinese character, a full-width sign.
inline bool HasNonAscii(const std::string& text) {
  for (const char c : text)
    if (static_cast<unsigned char>(c) >= 0x80) return true;
  return false;
}

// Three plain words in a row are an English sentence; names, paths, options and hex stand
// alone or in pairs ("dtuctl read", "--port DEV").
inline bool HasEnglishSentence(const std::string& text) {
  static const std::regex kWords(R"((^|[\s：，（）；])[A-Za-z]{2,}( [A-Za-z']{2,}){2})");
  return std::regex_search(text, kWords);
}

}  // namespace dtu::test
