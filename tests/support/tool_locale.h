#pragma once

// The locale the tools run under in the tests. Every test that runs them gives them a Chinese
// one (support/chinese_tools.cpp), so that their messages are those the tests expect; a test of
// the language itself sets another for a while.

#include <stdlib.h>

#include <optional>
#include <string>

namespace dtu::test {

inline constexpr const char* kChineseLocale = "zh_CN.UTF-8";

// LC_ALL, which wins over every other locale variable, set to `locale` for the scope's life.
class ToolLocale {
 public:
  explicit ToolLocale(const std::string& locale) {
    if (const char* old = ::getenv("LC_ALL")) old_ = old;
    ::setenv("LC_ALL", locale.c_str(), 1);
  }
  ToolLocale(const ToolLocale&) = delete;
  ToolLocale& operator=(const ToolLocale&) = delete;
  ~ToolLocale() {
    if (old_)
      ::setenv("LC_ALL", old_->c_str(), 1);
    else
      ::unsetenv("LC_ALL");
  }

 private:
  std::optional<std::string> old_;
};

}  // namespace dtu::test
