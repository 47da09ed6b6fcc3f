#include "core/history/history_location.h"

#include <pwd.h>
#include <unistd.h>

#include <array>
#include <cstdlib>
#include <string>

namespace dtu {
namespace {

std::string Variable(std::string_view name) {
  const char* value = std::getenv(std::string(name).c_str());
  return value == nullptr ? std::string() : std::string(value);
}

std::filesystem::path HomeFolder() {
  if (std::string home = Variable("HOME"); !home.empty()) return home;
  passwd entry{};
  passwd* found = nullptr;
  std::array<char, 4096> buffer{};
  if (::getpwuid_r(::geteuid(), &entry, buffer.data(), buffer.size(), &found) == 0 &&
      found != nullptr && found->pw_dir != nullptr)
    return found->pw_dir;
  return {};
}

}  // namespace

std::filesystem::path DefaultHistoryPath() {
  if (std::string file = Variable(kHistoryFileVariable); !file.empty()) return file;
  std::filesystem::path data = Variable("XDG_DATA_HOME");
  // A relative XDG_DATA_HOME is to be ignored, as the base directory rules say.
  if (data.empty() || data.is_relative()) {
    const std::filesystem::path home = HomeFolder();
    if (home.empty()) return {};
    data = home / ".local/share";
  }
  return data / "dtuconfig/history.sqlite";
}

}  // namespace dtu
