// One language per run of the tools: the same failing commands under a Chinese locale and under
// the C locale, and every line each prints wholly in that run's language.
#include <gtest/gtest.h>

#include <regex>
#include <string>
#include <vector>

#include "support/dtuctl_run.h"
#include "support/dtusim_process.h"
#include "support/language_checks.h"
#include "support/temp_dir.h"
#include "support/tool_locale.h"

namespace dtu {
namespace {

using test::ProcessResult;
using test::ToolLocale;

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    const std::size_t end = text.find('\n', start);
    lines.push_back(text.substr(start, end - start));
    if (end == std::string::npos) break;
    start = end + 1;
  }
  return lines;
}

using test::HasEnglishSentence;
using test::HasNonAscii;

struct Case {
  const char* what;
  std::vector<std::string> args;  // "{dir}" and "{silent}" stand for the test's folder and unit
  bool dtusim = false;
};

class ToolLanguage : public ::testing::Test {
 protected:
  ToolLanguage() {
    test::WriteAllBytes(dir / "short.mts", std::string("too short"));
    test::WriteAllBytes(dir / "template.mts", std::string(kBlockBytes, '\0'));
    test::WriteAllBytes(dir / "units.csv", std::string("gsn,sim_number\n8801,1\n8802,\"1\n2\"\n"));
    test::WriteAllBytes(dir / "bad.json", std::string("{\"port1\": }"));
  }

  ProcessResult Run(const Case& c) const {
    std::vector<std::string> argv{c.dtusim ? DTUSIM_PATH : DTUCTL_PATH};
    for (std::string arg : c.args) {
      for (const auto& [key, value] :
           {std::pair<std::string, std::string>{"{dir}", dir.path().string()},
            {"{silent}", silent.port_path()}})
        if (const std::size_t at = arg.find(key); at != std::string::npos)
          arg.replace(at, key.size(), value);
      argv.push_back(arg);
    }
    return test::RunProcess(argv);
  }

  static constexpr std::size_t kBlockBytes = 660;
  test::TempDir dir;
  test::DtusimProcess silent{DTUSIM_PATH, {"--fault", "silent"}};
};

const Case kCases[] = {
    {"a missing file", {"summary", "{dir}/none.mts"}},
    {"a file too short", {"summary", "{dir}/short.mts"}},
    {"a bad text form", {"import", "{dir}/bad.json", "-o", "{dir}/out.mts"}},
    {"a bad row of a units' table",
     {"provision", "--template", "{dir}/template.mts", "--units", "{dir}/units.csv", "--log",
      "{dir}/log.csv", "--port", "{dir}/no-port", "--once"}},
    {"a silent unit", {"read", "--port", "{silent}", "--timeout", "0.2"}},
    {"a missing port", {"read", "--port", "{dir}/no-port"}},
    {"a bad baud rate", {"read", "--port", "{silent}", "--baud", "7"}},
    {"an unknown command", {"frobnicate"}},
    {"bad hex for decode", {"decode"}},
    {"dtusim's bad option", {"--bogus"}, true},
    {"dtusim's unknown fault", {"--fault", "sleepy"}, true},
};

TEST_F(ToolLanguage, EnglishUnderTheCLocaleChineseUnderAChineseOne) {
  ASSERT_FALSE(silent.port_path().empty());
  for (const Case& c : kCases) {
    ProcessResult english, chinese;
    {
      const ToolLocale locale("C");
      english = Run(c);
    }
    {
      const ToolLocale locale(test::kChineseLocale);
      chinese = Run(c);
    }
    EXPECT_NE(english.exit_status, 0) << c.what;
    EXPECT_EQ(english.exit_status, chinese.exit_status) << c.what;
    ASSERT_FALSE(english.err.empty()) << c.what;
    for (const std::string& line : Lines(english.out + english.err))
      EXPECT_FALSE(HasNonAscii(line)) << c.what << ": " << line;
    const std::vector<std::string> lines = Lines(chinese.out + chinese.err);
    ASSERT_FALSE(lines.empty()) << c.what;
    EXPECT_TRUE(HasNonAscii(lines.front())) << c.what << ": " << lines.front();
    for (const std::string& line : lines)
      EXPECT_FALSE(HasEnglishSentence(line)) << c.what << ": " << line;
  }
}

// The options' lines of each command's help, and the command list, in the run's language; a
// Chinese run's paragraphs and exit statuses hold no English sentence either (the usage line
// is names: the command's and its options').
TEST_F(ToolLanguage, HelpDescribesTheOptionsInTheRunsLanguage) {
  const std::vector<std::vector<std::string>> helps = {
      {DTUCTL_PATH, "read", "--help"},
      {DTUCTL_PATH, "provision", "--help"},
      {DTUCTL_PATH, "probe", "--help"},
      {DTUCTL_PATH, "history", "restore", "--help"},
      {DTUCTL_PATH, "import", "--help"},
      {DTUCTL_PATH, "record", "report", "--help"},
      {DTUCTL_PATH, "write", "--help"},
      {DTUCTL_PATH, "history", "list", "--help"},
      {DTUCTL_PATH, "history", "--help"},
      {DTUCTL_PATH, "record", "--help"},
      {DTUCTL_PATH, "export", "--help"},
      {DTUCTL_PATH, "signal", "--help"},
      {DTUCTL_PATH, "--help"},
      {DTUSIM_PATH, "--help"},
  };
  for (const std::vector<std::string>& argv : helps) {
    const std::string what = ::testing::PrintToString(argv);
    for (const char* locale : {"C", test::kChineseLocale}) {
      const ToolLocale scope(locale);
      const ProcessResult help = test::RunProcess(argv);
      ASSERT_EQ(help.exit_status, 0) << what;
      const bool chinese = std::string(locale) != "C";
      // An option's line ("  --port DEV   the serial port ...") or a command's ("  read  ...").
      static const std::regex kItem(R"(^  \S.* {2,}\S)");
      int items = 0;
      for (const std::string& line : Lines(help.out)) {
        const bool usage = line.starts_with("用法：");
        EXPECT_FALSE(chinese && !usage && HasEnglishSentence(line)) << what << ": " << line;
        if (!std::regex_search(line, kItem)) continue;
        ++items;
        EXPECT_EQ(HasNonAscii(line), chinese) << what << " " << locale << ": " << line;
      }
      EXPECT_GT(items, 2) << what << " " << locale;
    }
  }
}

}  // namespace
}  // namespace dtu
