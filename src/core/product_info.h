#pragma once

#include <string_view>

namespace dtu {

// What the window title and the About window say of the product; its name is kAppTitle
// (core/user_messages.h).

// The product's version, the one place it is written: the window title, the About window and
// the application object show it, and CMake reads it for the project, the package and the
// manual pages.
inline constexpr std::string_view kVersionText = "6.0";

// The licence the About window names (LICENSE).
inline constexpr std::string_view kLicenceLine = "按 MIT 许可证发布";

// The installed desktop entry's name without ".desktop" (also the AppStream ID): desktops match
// the running window to its menu entry and icon by it.
inline constexpr std::string_view kDesktopFileName = "org.example.dtuconfig";

}  // namespace dtu
