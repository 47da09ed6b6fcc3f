#include "console_messages.h"

#include <gtest/gtest.h>
#include <stdio.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace dtuctl {
namespace {

using dtu::Answer;
using dtu::MessageKind;

// A stream backed by a temporary file whose text can be read back.
class CapturedStream {
 public:
  CapturedStream() : file_(std::tmpfile(), &std::fclose) {}
  std::FILE* get() const { return file_.get(); }
  std::string Text() const {
    std::fflush(file_.get());
    std::rewind(file_.get());
    std::string text;
    for (int c; (c = std::fgetc(file_.get())) != EOF;) text.push_back(static_cast<char>(c));
    return text;
  }

 private:
  std::unique_ptr<std::FILE, int (*)(std::FILE*)> file_;
};

TEST(ConsoleMessages, PrintsOneLinePerMessageWithAMeaningfulCaption) {
  struct Case {
    std::string caption;
    std::string line;
  };
  const std::vector<Case> cases = {
      {"", "无此文件!\n"},
      {std::string(dtu::kAppTitle), "无此文件!\n"},
      {"保存文件", "[保存文件] 无此文件!\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.caption);
    CapturedStream out;
    ConsoleMessages messages(std::nullopt, out.get());
    messages.Show(MessageKind::Warning, "无此文件!", c.caption);
    EXPECT_EQ(out.Text(), c.line);
  }
}

TEST(ConsoleMessages, AnswersQuestionsWithTheDefaultOrTheGivenAnswer) {
  struct Case {
    std::optional<Answer> forced;
    Answer default_answer;
    Answer expected;
    std::string line;
  };
  const std::vector<Case> cases = {
      {std::nullopt, Answer::Yes, Answer::Yes, "[保存文件] a.bpp 已存在,覆盖? -> 是\n"},
      {std::nullopt, Answer::No, Answer::No, "[保存文件] a.bpp 已存在,覆盖? -> 否\n"},
      {Answer::No, Answer::Yes, Answer::No, "[保存文件] a.bpp 已存在,覆盖? -> 否\n"},
      {Answer::Yes, Answer::No, Answer::Yes, "[保存文件] a.bpp 已存在,覆盖? -> 是\n"},
  };
  for (const Case& c : cases) {
    CapturedStream out;
    ConsoleMessages messages(c.forced, out.get());
    EXPECT_EQ(messages.Ask("a.bpp 已存在,覆盖?", "保存文件", c.default_answer), c.expected);
    EXPECT_EQ(out.Text(), c.line);
  }
}

TEST(ConsoleMessages, CountsWarningsAndErrors) {
  CapturedStream out;
  ConsoleMessages messages(std::nullopt, out.get());
  messages.Show(MessageKind::Plain, "a");
  messages.Show(MessageKind::Information, "b");
  EXPECT_EQ(messages.problems(), 0);
  messages.Show(MessageKind::Warning, "c");
  messages.Show(MessageKind::Error, "d");
  EXPECT_EQ(messages.problems(), 2);
}

}  // namespace
}  // namespace dtuctl
