#include "gui/platform/qt_translations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

#include <memory>

namespace dtu {

bool InstallQtChineseTranslation(QCoreApplication& app) {
  const QLocale chinese(QLocale::Chinese, QLocale::China);
  auto translator = std::make_unique<QTranslator>();
  // qtbase holds the message boxes' buttons and the file dialogs.
  if (!translator->load(chinese, QStringLiteral("qtbase"), QStringLiteral("_"),
                        QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
    return false;
  if (!QCoreApplication::installTranslator(translator.get())) return false;
  translator.release()->setParent(&app);
  QLocale::setDefault(chinese);
  return true;
}

}  // namespace dtu
