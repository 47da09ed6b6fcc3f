#pragma once

#include <filesystem>
#include <string_view>

namespace dtu {

// The environment variable that names another history file (for tests, or a shared bench).
inline constexpr std::string_view kHistoryFileVariable = "DTUCONFIG_HISTORY";

// Where the units' history is: the file $DTUCONFIG_HISTORY names when it is set, else
// history.sqlite in the user's data folder, $XDG_DATA_HOME/dtuconfig/ (when XDG_DATA_HOME is an
// absolute path) or ~/.local/share/dtuconfig/. Empty when there is no home folder to put it in.
std::filesystem::path DefaultHistoryPath();

}  // namespace dtu
