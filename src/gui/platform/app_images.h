#pragma once

#include <QIcon>
#include <QPixmap>

namespace dtu {

// The program's own artwork (drawn by src/gui/resources/make_app_images.py): the application icon
// and the maker's logo shown in the main window.
QIcon AppIcon();
QPixmap MakerLogo();

}  // namespace dtu
