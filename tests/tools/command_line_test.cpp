// The command-line layer both tools share: the help generated from a parser, and refusals put
// in the tools' words.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "command_line/help_formatter.h"
#include "command_line/parse_problem.h"
#include "core/message_language.h"

namespace dtu::cli {
namespace {

// The layer's texts in English, as an English run of a tool gives them; Chinese where a case
// says so.
const struct English {
  English() { SetMessageLanguage(MessageLanguage::kEnglish); }
} kEnglish;

// A parser with every kind of thing a tool declares.
struct SampleParser {
  SampleParser() {
    PrepareParser(app, std::make_shared<HelpFormatter>(22, true));
    app.description("Does the sample thing.\nOn two lines.");
    app.add_option("--port", port, "the port (required)")->required()->option_text("DEV");
    app.add_option("-o,--output", output, "where it goes,\nover two lines")->option_text("FILE");
    app.add_option("--a-rather-longer-name", value, "a name too long for the column")
        ->option_text("N");
    app.add_flag("--verbose", verbose, "say more");
    app.add_option("FILE", file)->required();
    MoveHelpLast(app);
    app.add_option("--rssi", value, "a value of another group")
        ->option_text("TEXT")
        ->group("values");
    app.footer("exit status: 0 fine, 1 not");
  }

  std::string Parse(std::vector<std::string> args) {
    std::vector<std::string> reversed(args.rbegin(), args.rend());
    try {
      app.parse(reversed);
    } catch (const CLI::ParseError& error) {
      return DescribeParseError(app, error);
    }
    return {};
  }

  CLI::App app{"", "sample"};
  std::string port, output, file;
  int value = 0;
  bool verbose = false;
};

TEST(HelpFormatter, PutsUsageDescriptionOptionsAndFooterInTheToolsLayout) {
  SampleParser sample;
  EXPECT_EQ(
      sample.app.help(),
      "usage: sample --port DEV [-o FILE] [--a-rather-longer-name N] [--verbose] [--rssi TEXT]\n"
      "              FILE\n"
      "\n"
      "Does the sample thing.\n"
      "On two lines.\n"
      "\n"
      "  --port DEV          the port (required)\n"
      "  -o, --output FILE   where it goes,\n"
      "                      over two lines\n"
      "  --a-rather-longer-name N\n"
      "                      a name too long for the column\n"
      "  --verbose           say more\n"
      "  -h, --help          print this text\n"
      "\n"
      "values:\n"
      "  --rssi TEXT         a value of another group\n"
      "\n"
      "exit status: 0 fine, 1 not\n");
}

TEST(DescribeParseError, SaysWhatIsWrongInTheToolsWords) {
  const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
      {{"f"}, "missing --port DEV"},
      {{"--port", "p"}, "missing FILE"},
      {{"--port", "p", "f", "--bogus"}, "unknown option '--bogus'"},
      {{"--port", "p", "f", "g"}, "too many operands"},
      {{"--port", "p", "f", "-o"}, "option '--output' needs a value"},
      {{"--port=p", "--a-rather-longer-name=x", "f"},
       "Could not convert: --a-rather-longer-name = x"},
      {{"--port=p", "--output=o", "-o", "last", "f"}, ""},
  };
  for (const auto& [args, problem] : cases) {
    SampleParser sample;
    EXPECT_EQ(sample.Parse(args), problem) << ::testing::PrintToString(args);
  }
  SampleParser sample;
  sample.Parse({"--port=p", "-o", "first", "--output=last", "f"});
  EXPECT_EQ(sample.output, "last") << "an option given again: the last counts";
}

TEST(DescribeParseError, SaysItInChineseInAChineseRun) {
  SetMessageLanguage(MessageLanguage::kChinese);
  const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
      {{"f"}, "缺少 --port DEV"},
      {{"--port", "p"}, "缺少 FILE"},
      {{"--port", "p", "f", "--bogus"}, "没有选项 '--bogus'"},
      {{"--port", "p", "f", "g"}, "操作数过多"},
      {{"--port", "p", "f", "-o"}, "选项 '--output' 需要一个值"},
      {{"--port=p", "--a-rather-longer-name=x", "f"}, "值无法转换：--a-rather-longer-name = x"},
  };
  for (const auto& [args, problem] : cases) {
    SampleParser sample;
    EXPECT_EQ(sample.Parse(args), problem) << ::testing::PrintToString(args);
  }
  // The usage's second line starts under the first item, a Chinese character two columns wide.
  SampleParser sample;
  const std::string help = sample.app.help();
  SetMessageLanguage(MessageLanguage::kEnglish);
  EXPECT_EQ(help.substr(0, help.find("\n\n")),
            "用法：sample --port DEV [-o FILE] [--a-rather-longer-name N] [--verbose] [--rssi "
            "TEXT]\n"
            "             FILE");
}

}  // namespace
}  // namespace dtu::cli
