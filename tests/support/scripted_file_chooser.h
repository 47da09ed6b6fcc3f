#pragma once

#include <deque>
#include <filesystem>
#include <optional>

#include "core/file_chooser.h"

namespace dtu::test {

// File choices for tests: each dialog takes the next answer of its queue (nothing = the user
// cancelled; an empty queue cancels too) and counts how often it was shown.
class ScriptedFileChooser : public FileChooser {
 public:
  std::optional<std::filesystem::path> ChooseOpen() override {
    ++open_dialogs;
    return Next(open_answers);
  }

  std::optional<std::filesystem::path> ChooseSave() override {
    ++save_dialogs;
    return Next(save_answers);
  }

  // Text files take their answers from the same queues and are counted apart.
  std::optional<std::filesystem::path> ChooseTextOpen() override {
    ++text_open_dialogs;
    return Next(open_answers);
  }

  std::optional<std::filesystem::path> ChooseTextSave() override {
    ++text_save_dialogs;
    return Next(save_answers);
  }

  std::optional<std::filesystem::path> ChooseLogSave() override {
    ++log_save_dialogs;
    return Next(save_answers);
  }

  std::optional<std::filesystem::path> ChooseTableOpen() override { return Next(open_answers); }

  std::deque<std::optional<std::filesystem::path>> open_answers;
  std::deque<std::optional<std::filesystem::path>> save_answers;
  int open_dialogs = 0;
  int save_dialogs = 0;
  int text_open_dialogs = 0;
  int text_save_dialogs = 0;
  int log_save_dialogs = 0;

 private:
  std::optional<std::filesystem::path> Next(
      std::deque<std::optional<std::filesystem::path>>& answers) {
    if (answers.empty()) return std::nullopt;
    std::optional<std::filesystem::path> answer = answers.front();
    answers.pop_front();
    return Remember(answer);
  }
};

}  // namespace dtu::test
