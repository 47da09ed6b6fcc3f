#pragma once

#include <QPointer>
#include <QWidget>

#include <memory>

#include "core/file_chooser.h"

class QFileDialog;

namespace dtu {

// Parameter files are offered under the filter "配置文件(*.MTS)", which matches the extension in
// any letter case, and a name saved without an extension gets the filter's "MTS", so that the
// file is listed when it is opened again; the open dialog also offers every file ("所有文件(*)"),
// so that files saved with other extensions (earlier versions gave "bpp") keep opening.
inline constexpr const char* kParameterFileFilter = "配置文件(*.MTS)";
inline constexpr const char* kAllFilesFilter = "所有文件(*)";
inline constexpr const char* kParameterFileDefaultSuffix = "MTS";
// A block's text form: "参数文本(*.json)", saved with "json" when no extension is given.
inline constexpr const char* kTextFileFilter = "参数文本(*.json)";
inline constexpr const char* kTextFileDefaultSuffix = "json";
// The traffic log: "通信记录(*.txt)", saved with "txt" when no extension is given.
inline constexpr const char* kLogFileFilter = "通信记录(*.txt)";
inline constexpr const char* kLogFileDefaultSuffix = "txt";
// The units' table of a production run.
inline constexpr const char* kTableFileFilter = "单元表(*.csv)";

// The file dialogs of the parameter-file commands: Qt's own dialogs (not the desktop's), modal to
// the owner window.
class QtFileChooser : public FileChooser {
 public:
  explicit QtFileChooser(QWidget* owner = nullptr) : owner_(owner) {}
  void setOwner(QWidget* owner) { owner_ = owner; }

  std::optional<std::filesystem::path> ChooseOpen() override;
  std::optional<std::filesystem::path> ChooseSave() override;
  std::optional<std::filesystem::path> ChooseTextOpen() override;
  std::optional<std::filesystem::path> ChooseTextSave() override;
  std::optional<std::filesystem::path> ChooseLogSave() override;
  std::optional<std::filesystem::path> ChooseTableOpen() override;

  // The dialogs as they are shown, built apart so that tests can examine them: for parameter
  // files, or with `text` for text forms.
  static std::unique_ptr<QFileDialog> CreateOpenDialog(QWidget* owner, bool text = false);
  static std::unique_ptr<QFileDialog> CreateSaveDialog(QWidget* owner, bool text = false);

 private:
  std::optional<std::filesystem::path> Run(QFileDialog& dialog);

  QPointer<QWidget> owner_;
};

}  // namespace dtu
