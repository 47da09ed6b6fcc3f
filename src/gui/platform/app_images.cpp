#include "gui/platform/app_images.h"

// The images live in a static library; their resources must be registered by name.
static void RegisterAppImages() {
  Q_INIT_RESOURCE(app_images);
}

namespace dtu {

QIcon AppIcon() {
  RegisterAppImages();
  QIcon icon;
  for (const char* file :
       {":/app/app_icon_16.png", ":/app/app_icon_32.png", ":/app/app_icon_48.png"})
    icon.addFile(QString::fromLatin1(file));
  return icon;
}

QPixmap MakerLogo() {
  RegisterAppImages();
  return QPixmap(QStringLiteral(":/app/maker_logo.png"));
}

}  // namespace dtu
