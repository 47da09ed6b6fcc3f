#pragma once

#include <filesystem>
#include <optional>
#include <utility>

namespace dtu {

// Where the parameter-file commands ask the user for a file: the program shows file dialogs,
// tests answer from a script.
class FileChooser {
 public:
  virtual ~FileChooser() = default;

  // The parameter file to open; nothing when the user cancels.
  virtual std::optional<std::filesystem::path> ChooseOpen() = 0;

  // The file to save to; nothing when the user cancels. A name given without an extension comes
  // back with the filter's one ("MTS") added. The dialog asks nothing about an existing file
  // (the save command does).
  virtual std::optional<std::filesystem::path> ChooseSave() = 0;

  // The same for a text file holding a block's text form; a name saved without an extension
  // gets "json".
  virtual std::optional<std::filesystem::path> ChooseTextOpen() = 0;
  virtual std::optional<std::filesystem::path> ChooseTextSave() = 0;

  // The file to save the traffic log to; a name without an extension gets "txt".
  virtual std::optional<std::filesystem::path> ChooseLogSave() = 0;

  // The units' table of a production run (a CSV file).
  virtual std::optional<std::filesystem::path> ChooseTableOpen() = 0;

  // The folder the dialogs start in: the one of the last file chosen, or one set from outside
  // (the window remembers it between runs). Empty: the dialogs' own choice.
  const std::filesystem::path& folder() const { return folder_; }
  void set_folder(std::filesystem::path folder) { folder_ = std::move(folder); }

 protected:
  // Takes note of the chosen file's folder; returns the choice.
  std::optional<std::filesystem::path> Remember(std::optional<std::filesystem::path> chosen) {
    if (chosen && chosen->has_parent_path()) folder_ = chosen->parent_path();
    return chosen;
  }

 private:
  std::filesystem::path folder_;
};

}  // namespace dtu
