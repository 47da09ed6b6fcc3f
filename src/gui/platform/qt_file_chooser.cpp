#include "gui/platform/qt_file_chooser.h"

#include <QFile>
#include <QFileDialog>

namespace dtu {
namespace {

std::unique_ptr<QFileDialog> CreateDialog(QWidget* owner, QFileDialog::AcceptMode mode) {
  auto dialog = std::make_unique<QFileDialog>(owner);
  dialog->setOption(QFileDialog::DontUseNativeDialog, true);
  dialog->setNameFilter(QString::fromUtf8(kParameterFileFilter));
  dialog->setAcceptMode(mode);
  return dialog;
}

}  // namespace

std::unique_ptr<QFileDialog> QtFileChooser::CreateOpenDialog(QWidget* owner) {
  auto dialog = CreateDialog(owner, QFileDialog::AcceptOpen);
  dialog->setFileMode(QFileDialog::ExistingFile);
  return dialog;
}

std::unique_ptr<QFileDialog> QtFileChooser::CreateSaveDialog(QWidget* owner) {
  auto dialog = CreateDialog(owner, QFileDialog::AcceptSave);
  dialog->setFileMode(QFileDialog::AnyFile);
  dialog->setDefaultSuffix(QString::fromLatin1(kParameterFileDefaultSuffix));
  // The save command asks its own question about an existing file.
  dialog->setOption(QFileDialog::DontConfirmOverwrite, true);
  return dialog;
}

std::optional<std::filesystem::path> QtFileChooser::Run(QFileDialog& dialog) {
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  const QStringList chosen = dialog.selectedFiles();
  if (chosen.isEmpty()) return std::nullopt;
  return std::filesystem::path(QFile::encodeName(chosen.front()).toStdString());
}

std::optional<std::filesystem::path> QtFileChooser::ChooseOpen() {
  const auto dialog = CreateOpenDialog(owner_);
  return Run(*dialog);
}

std::optional<std::filesystem::path> QtFileChooser::ChooseSave() {
  const auto dialog = CreateSaveDialog(owner_);
  return Run(*dialog);
}

}  // namespace dtu
