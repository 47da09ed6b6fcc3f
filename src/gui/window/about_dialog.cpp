#include "gui/window/about_dialog.h"

#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QtGlobal>

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
  auto* name = new QLabel(FromUtf8(kAppTitle), this);
  auto* version = new QLabel(QStringLiteral("版本：") + FromUtf8(kVersionText), this);
  auto* qt_version =
      new QLabel(QStringLiteral("Qt 版本：") + QString::fromLatin1(qVersion()), this);
  auto* licence = new QLabel(FromUtf8(kLicenceLine), this);
  close_button_ = new QPushButton(QStringLiteral("关闭"), this);
  close_button_->setDefault(true);
  connect(close_button_, &QPushButton::clicked, this, &QDialog::accept);

  auto* grid = new QGridLayout(this);
  grid->setContentsMargins(14, 14, 24, 14);
  grid->setHorizontalSpacing(16);
  grid->addWidget(icon, 0, 0, 4, 1, Qt::AlignTop);
  grid->addWidget(name, 0, 1);
  grid->addWidget(version, 1, 1);
  grid->addWidget(qt_version, 2, 1);
  grid->addWidget(licence, 3, 1);
  grid->addWidget(close_button_, 4, 1, Qt::AlignRight);
  grid->setColumnStretch(1, 1);
  setFixedSize(sizeHint().expandedTo(QSize(320, 0)));
}

void AboutDialog::Show(QWidget* parent) {
  AboutDialog about(parent);
  about.exec();
}

}  // namespace dtu
