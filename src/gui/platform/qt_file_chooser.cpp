#include "gui/platform/qt_file_chooser.h"

#include <QFile>
#include <QFileDialog>

namespace dtu {
namespace {

std::unique_ptr<QFileDialog> CreateDialog(QWidget* owner, QFileDialog::AcceptMode mode, bool text) {
  auto dialog = std::make_unique<QFileDialog>(owner);
  dialog->setOption(QFileDialog::DontUseNativeDialog, true);
  dialog->setNameFilter(QString::fromUtf8(text ? kTextFileFilter : kParameterFileFilter));
  // "*.MTS" also finds "a.mts" and "b.Mts".
  dialog->setFilter(dialog->filter() & ~QDir::CaseSensitive);
  dialog->setAcceptMode(mode);
  return dialog;
}

}  // namespace

std::unique_ptr<QFileDialog> QtFileChooser::CreateOpenDialog(QWidget* owner, bool text) {
  auto dialog = CreateDialog(owner, QFileDialog::AcceptOpen, text);
  if (!text)
    dialog->setNameFilters(
        {QString::fromUtf8(kParameterFileFilter), QString::fromUtf8(kAllFilesFilter)});
  dialog->setFileMode(QFileDialog::ExistingFile);
  return dialog;
}

std::unique_ptr<QFileDialog> QtFileChooser::CreateSaveDialog(QWidget* owner, bool text) {
  auto dialog = CreateDialog(owner, QFileDialog::AcceptSave, text);
  dialog->setFileMode(QFileDialog::AnyFile);
  dialog->setDefaultSuffix(
      QString::fromLatin1(text ? kTextFileDefaultSuffix : kParameterFileDefaultSuffix));
  // The save commands ask their own question about an existing file.
  dialog->setOption(QFileDialog::DontConfirmOverwrite, true);
  return dialog;
}

std::optional<std::filesystem::path> QtFileChooser::Run(QFileDialog& dialog) {
  if (!folder().empty())
    dialog.setDirectory(QFile::decodeName(QByteArray::fromStdString(folder())));
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  const QStringList chosen = dialog.selectedFiles();
  if (chosen.isEmpty()) return std::nullopt;
  return Remember(std::filesystem::path(QFile::encodeName(chosen.front()).toStdString()));
}

std::optional<std::filesystem::path> QtFileChooser::ChooseOpen() {
  const auto dialog = CreateOpenDialog(owner_);
  return Run(*dialog);
}

std::optional<std::filesystem::path> QtFileChooser::ChooseSave() {
  const auto dialog = CreateSaveDialog(owner_);
  return Run(*dialog);
}

std::optional<std::filesystem::path> QtFileChooser::ChooseTextOpen() {
  const auto dialog = CreateOpenDialog(owner_, true);
  return Run(*dialog);
}

std::optional<std::filesystem::path> QtFileChooser::ChooseTextSave() {
  const auto dialog = CreateSaveDialog(owner_, true);
  return Run(*dialog);
}

std::optional<std::filesystem::path> QtFileChooser::ChooseLogSave() {
  const auto dialog = CreateSaveDialog(owner_);
  dialog->setNameFilter(QString::fromUtf8(kLogFileFilter));
  dialog->setDefaultSuffix(QString::fromLatin1(kLogFileDefaultSuffix));
  dialog->setOption(QFileDialog::DontConfirmOverwrite, false);  // nothing else asks
  return Run(*dialog);
}

std::optional<std::filesystem::path> QtFileChooser::ChooseTableOpen() {
  const auto dialog = CreateOpenDialog(owner_);
  dialog->setNameFilter(QString::fromUtf8(kTableFileFilter));
  return Run(*dialog);
}

}  // namespace dtu
