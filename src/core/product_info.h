#pragma once

#include <string_view>

namespace dtu {

// Who makes this tool and where to find them: the window caption, the logo's link and the About
// window all take their words from here. The addresses are placeholders until the product has
// its own.

// The product's version, the one place it is written: the window caption, the About window and
// the application object show it, and CMake reads it for the project, the package and the
// manual pages.
inline constexpr std::string_view kVersionText = "6.0";

// The maker's web page, opened by a click on the logo.
inline constexpr std::string_view kMakerWebPage = "https://dtuconfig.example.org/";

// The maker's name and contact details behind "版本" and the version in the main window's caption.
inline constexpr std::string_view kMakerName = "DTU配置工具项目组";
inline constexpr std::string_view kMakerTelephone = "010-00000000";
inline constexpr std::string_view kMakerFax = "010-00000001";

// The About window's line naming the maker and the licence (LICENSE, MIT).
inline constexpr std::string_view kAboutMakerLine = "DTU配置工具项目组 出品，按 MIT 许可证发布";

// The installed desktop entry's name without ".desktop" (also the AppStream ID): desktops match
// the running window to its menu entry and icon by it.
inline constexpr std::string_view kDesktopFileName = "org.example.dtuconfig";

}  // namespace dtu
