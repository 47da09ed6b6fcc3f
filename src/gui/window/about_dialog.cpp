#include "gui/window/about_dialog.h"

#include <QGridLayout>
#include <QLabel>

#include "core/product_info.h"
#include "core/user_messages.h"
#include "gui/platform/app_images.h"
#include "gui/platform/qt_text.h"

namespace dtu {
AboutDialog::AboutDialog(QWidget* parent) : QDialog(parent) {
  setWindowTitle(FromUtf8(kAppTitle));
  setWindowIcon(AppIcon());
  setModal(true);
  setWindowFlag(Qt::WindowContextHelpButtonHint, false);

  auto* icon = new QLabel(this);
  icon->setObjectName(QStringLiteral("icon"));
  icon->setPixmap(AppIcon().pixmap(32, 32));
  auto* name = new QLabel(QStringLiteral("配置软件"), this);
  auto* version = new QLabel(QStringLiteral("版本：") + FromUtf8(kVersionText), this);
  auto* maker = new QLabel(FromUtf8(kAboutMakerLine), this);

  auto* grid = new QGridLayout(this);
  grid->setContentsMargins(14, 14, 24, 14);
  grid->setHorizontalSpacing(16);
  grid->addWidget(icon, 0, 0, 3, 1, Qt::AlignTop);
  grid->addWidget(name, 0, 1);
  grid->addWidget(version, 1, 1);
  grid->addWidget(maker, 2, 1);
  grid->setColumnStretch(1, 1);
  setFixedSize(sizeHint().expandedTo(QSize(320, 0)));
}

void AboutDialog::Show(QWidget* parent) {
  AboutDialog about(parent);
  about.exec();
}

}  // namespace dtu
