// The core's refusals a command-line run prints, each wholly in the run's language: a table of
// bad inputs read once in English and once in Chinese.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "core/block/parameter_file.h"
#include "core/block/parameter_text.h"
#include "core/message_language.h"
#include "core/production/unit_table.h"
#include "core/record/record_report_text.h"
#include "core/text/utf8_text.h"
#include "support/language_checks.h"
#include "support/temp_dir.h"

namespace dtu {
namespace {

using test::HasEnglishSentence;
using test::HasNonAscii;

std::string Imported(const std::string& text) {
  return ImportBlockText(text, std::nullopt).error;
}

std::string Set(const std::string& assignment) {
  return SetBlockFields(ParameterBlock(), std::vector<std::string>{assignment}).error;
}

std::string Table(const std::string& csv) {
  return LoadUnitTable(csv, ParameterBlock()).error;
}

std::string Read(const std::filesystem::path& path) {
  ParameterBlock block;
  return ReadParameterFile(path, block).message;
}

TEST(CoreMessagesLanguage, EveryRefusalIsWhollyInTheRunsLanguage) {
  const test::TempDir dir;
  test::WriteAllBytes(dir / "short.mts", std::string(10, 'x'));
  test::WriteAllBytes(dir / "form.json", std::string("{\"apn\": \"x\"}"));
  const std::vector<std::pair<const char*, std::function<std::string()>>> cases = {
      {"not JSON", [] { return Imported(R"({"port1": })"); }},
      {"not an object", [] { return Imported("[1]"); }},
      {"an unknown member", [] { return Imported(R"({"nosuch": 1})"); }},
      {"a number as text", [] { return Imported(R"({"port1": "x"})"); }},
      {"a bad address", [] { return Imported(R"({"centre_ip1": "1.2.3"})"); }},
      {"a bad hex part", [] { return Imported(R"({"heartbeat_data": {"hex": "4"}})"); }},
      {"an unknown part", [] { return Imported(R"({"heartbeat_data": {"x": "41"}})"); }},
      {"a member missing", [] { return Imported(R"({"apn": "x"})"); }},
      {"no assignment", [] { return Set("apn"); }},
      {"a number too large", [] { return Set("port1=70000"); }},
      {"a bad escape", [] { return Set("apn=\\q"); }},
      {"a column no field", [] { return Table("gsn,nosuch\n1,2\n"); }},
      {"no rows", [] { return Table("gsn\n"); }},
      {"an open quote", [] { return Table("gsn,apn\n1,\"x\n"); }},
      {"too many values", [] { return Table("gsn\n1,2\n"); }},
      {"a gsn twice", [] { return Table("gsn\n1\n1\n"); }},
      {"no such file", [&] { return Read(dir / "none.mts"); }},
      {"a short file", [&] { return Read(dir / "short.mts"); }},
      {"a folder", [&] { return Read(dir.path()); }},
      {"a text form", [&] { return Read(dir / "form.json"); }},
  };
  for (const auto& [what, refusal] : cases) {
    SetMessageLanguage(MessageLanguage::kEnglish);
    const std::string english = refusal();
    SetMessageLanguage(MessageLanguage::kChinese);
    const std::string chinese = refusal();
    EXPECT_FALSE(english.empty()) << what;
    EXPECT_FALSE(HasNonAscii(english)) << what << ": " << english;
    EXPECT_TRUE(HasNonAscii(chinese)) << what << ": " << chinese;
    EXPECT_FALSE(HasEnglishSentence(chinese)) << what << ": " << chinese;
  }
}

// A batch with a station named in Chinese and one without results, reported in each language:
// the outcomes keep their names, every other word is in the run's language, and the table's
// columns line up on a terminal (its figures are right-aligned, so every line ends in the same
// column).
TEST(CoreMessagesLanguage, TheRecordsReportIsInTheRunsLanguageAndLinesUp) {
  StationFigures a;
  a.station = "装配线一";
  a.results = 3;
  a.counts[0] = 2;
  a.yield = 2.0 / 3;
  a.median = std::chrono::milliseconds(1300);
  StationFigures b;
  b.station = "station-b";
  b.results = 12;
  b.units_per_hour = 120;
  const BatchInfo info{1,  "9b2e4f10a1c3d5e7f9", "units.csv", "5f3a9c01", "alice", "station-a",
                       {}, std::nullopt,         4,           2};
  const std::vector<BatchReport> report{{info, {a, b}}, {info, {}}};
  for (const MessageLanguage language : {MessageLanguage::kEnglish, MessageLanguage::kChinese}) {
    SetMessageLanguage(language);
    const std::string text = ReportText(report);
    std::vector<std::string> lines;
    for (std::size_t start = 0, end; (end = text.find('\n', start)) != std::string::npos;
         start = end + 1)
      lines.push_back(text.substr(start, end - start));
    ASSERT_EQ(lines.size(), 7u) << text;
    const std::size_t columns = TerminalColumns(lines[1]);
    for (std::size_t row = 2; row <= 3; ++row)
      EXPECT_EQ(TerminalColumns(lines[row]), columns) << text;
    EXPECT_NE(lines[1].find("ok"), std::string::npos) << lines[1];
    const bool chinese = language == MessageLanguage::kChinese;
    EXPECT_EQ(HasNonAscii(lines[0]), chinese) << lines[0];
    EXPECT_EQ(HasNonAscii(lines[6]), chinese) << lines[6];
    // The outcomes' names stand in a row in the heading: they are names, not a sentence.
    std::string heading = lines[1];
    for (const RecordOutcome outcome : kRecordOutcomes)
      heading.replace(heading.find(OutcomeName(outcome)), OutcomeName(outcome).size(), "");
    EXPECT_EQ(HasNonAscii(heading), chinese) << heading;
    lines[1] = heading;
    for (const std::string& line : lines) EXPECT_FALSE(chinese && HasEnglishSentence(line)) << line;
  }
}

}  // namespace
}  // namespace dtu
