#pragma once

#include <deque>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "core/user_messages.h"

namespace dtu::test {

// User messages for tests: records every message and answers questions from a queue (the
// question's own default answer once the queue is empty), so that no test waits on a box.
class ScriptedMessages : public UserMessages {
 public:
  struct Record {
    MessageKind kind = MessageKind::Plain;
    std::string text;
    std::string caption;  // empty: the application's title
    bool question = false;
  };

  void Show(MessageKind kind, std::string_view text, std::string_view caption = {}) override {
    records.push_back({kind, std::string(text), std::string(caption), false});
    if (on_show) on_show();
  }

  Answer Ask(std::string_view text, std::string_view caption, Answer default_answer) override {
    records.push_back({MessageKind::Plain, std::string(text), std::string(caption), true});
    if (answers.empty()) return default_answer;
    const Answer answer = answers.front();
    answers.pop_front();
    return answer;
  }

  // The texts shown so far, in order.
  std::vector<std::string> texts() const {
    std::vector<std::string> shown;
    for (const Record& record : records) shown.push_back(record.text);
    return shown;
  }

  // Whether a message with exactly this text has been shown.
  bool shown(std::string_view text) const {
    for (const Record& record : records)
      if (record.text == text) return true;
    return false;
  }

  void clear() { records.clear(); }

  std::vector<Record> records;
  std::deque<Answer> answers;
  std::function<void()> on_show;  // runs as a message is shown, as a box would open
};

}  // namespace dtu::test
