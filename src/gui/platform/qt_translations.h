#pragma once

class QCoreApplication;

namespace dtu {

// Makes Qt's own texts (the standard buttons "确定", "取消", "是", "否", the file dialogs) speak
// the window's language: installs Qt's Simplified-Chinese translation from Qt's translation
// folder (Debian's qt6-translations-l10n) into `app`, which owns it, and makes Chinese the
// default locale. Returns false, changing nothing, when the translation is not installed; Qt's
// texts then stay English.
bool InstallQtChineseTranslation(QCoreApplication& app);

}  // namespace dtu
