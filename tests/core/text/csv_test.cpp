// The CSV reader (libcsv underneath) and writer: what spreadsheets write, where records start,
// what is refused, and that the writer's lines read back as they were.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/text/csv_reader.h"
#include "core/text/csv_writer.h"

namespace dtu {
namespace {

using Fields = std::vector<std::string>;

struct Record {
  int line;
  Fields fields;
};

struct ReadCase {
  std::string name;
  std::string text;
  std::vector<Record> records;
};

TEST(CsvReader, ReadsWhatSpreadsheetsWrite) {
  const std::vector<ReadCase> cases = {
      {"crlf", "a,b\r\n1,2\r\n", {{1, {"a", "b"}}, {2, {"1", "2"}}}},
      {"bom, no final line end",
       "\xEF\xBB\xBF"
       "a\n1",
       {{1, {"a"}}, {2, {"1"}}}},
      {"comma and line end in quotes",
       "a,b\n\"x,y\",\"one\r\ntwo\"\n3,4\n",
       {{1, {"a", "b"}}, {2, {"x,y", "one\r\ntwo"}}, {4, {"3", "4"}}}},
      {"doubled quotes", "\"say \"\"hi\"\"\",\"\"\n", {{1, {"say \"hi\"", ""}}}},
      {"blank lines are no records", "a\n\n  \n\r\n1\n", {{1, {"a"}}, {5, {"1"}}}},
      {"spaces belong to the field", " a , b \n", {{1, {" a ", " b "}}}},
      {"empty fields", "a,,c,\n", {{1, {"a", "", "c", ""}}}},
      {"lone CR ends a line", "a\r1\r2", {{1, {"a"}}, {2, {"1"}}, {3, {"2"}}}},
      {"UTF-8 text",
       "apn,备注\n中国移动,\"第一台\"\n",
       {{1, {"apn", "备注"}}, {2, {"中国移动", "第一台"}}}},
  };
  for (const ReadCase& c : cases) {
    const CsvDocument document = ReadCsv(c.text);
    ASSERT_TRUE(document.ok()) << c.name << ": " << document.error;
    ASSERT_EQ(document.records.size(), c.records.size()) << c.name;
    for (std::size_t i = 0; i < c.records.size(); ++i) {
      EXPECT_EQ(document.records[i].line, c.records[i].line) << c.name << " record " << i;
      EXPECT_EQ(document.records[i].fields, c.records[i].fields) << c.name << " record " << i;
    }
  }
}

TEST(CsvReader, RefusesBrokenTextNamingTheLine) {
  const std::vector<std::pair<std::string, int>> cases = {
      {"a\n\xD6\xD0\xB9\xFA\n", 2},       // GBK, not UTF-8
      {"a\nb\n\"open\nstill open\n", 3},  // a quote never closed
      {"a\nb\"c\n", 2},                   // a quote inside an unquoted field
      {"a\n\"b\"c\n", 2},                 // text after the closing quote
  };
  for (const auto& [text, line] : cases) {
    const CsvDocument document = ReadCsv(text);
    EXPECT_FALSE(document.ok()) << text;
    EXPECT_EQ(document.error_line, line) << text;
    EXPECT_THAT(document.error, ::testing::StartsWith("第 " + std::to_string(line) + " 行："));
  }
}

TEST(CsvWriter, QuotesOnlyWhatNeedsIt) {
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"plain", "plain"},
      {"", ""},
      {"a,b", "\"a,b\""},
      {"say \"hi\"", "\"say \"\"hi\"\"\""},
      {"two\nlines", "\"two\nlines\""},
      {" padded", "\" padded\""},
      {"参数设置成功!", "参数设置成功!"},
  };
  for (const auto& [field, written] : cases) EXPECT_EQ(CsvField(field), written);
  EXPECT_EQ(CsvLine(Fields{"a", "b,c", ""}), "a,\"b,c\",\r\n");
}

TEST(CsvWriter, LinesReadBackAsTheyWere) {
  const Fields fields = {
      "2024-05-01T10:22:33+08:00", "/dev/ttyUSB0", "", "x,\"y\"\r\nz", " ", "中文", "7"};
  const CsvDocument document = ReadCsv(CsvLine(fields) + CsvLine(fields));
  ASSERT_TRUE(document.ok()) << document.error;
  ASSERT_EQ(document.records.size(), 2u);
  EXPECT_EQ(document.records[0].fields, fields);
  EXPECT_EQ(document.records[1].line, 3);  // the first record's quoted line end counts
}

// A cell a spreadsheet would run as a formula is written as text; reading it back gives the
// value as it was, an apostrophe of its own included.
TEST(CsvWriter, FormulaLikeCellsAreTextAndReadBackAsTheyWere) {
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"=HYPERLINK(\"http://x\")", "'=HYPERLINK(\"http://x\")"},
      {"+86", "'+86"},
      {"-1 dBm", "'-1 dBm"},
      {"@SUM(A1)", "'@SUM(A1)"},
      {"\t=1", "'\t=1"},
      {"\r=1", "'\r=1"},
      {"'quoted", "''quoted"},
      {"'", "''"},
      {"", ""},
      {"8601=2", "8601=2"},
      {" =1", " =1"},
  };
  for (const auto& [value, cell] : cases) {
    SCOPED_TRACE(value);
    EXPECT_EQ(AsSpreadsheetText(value), cell);
    const CsvDocument document = ReadCsv(CsvLine(Fields{AsSpreadsheetText(value), "x"}));
    ASSERT_TRUE(document.ok()) << document.error;
    ASSERT_EQ(document.records.size(), 1u);
    EXPECT_EQ(FromSpreadsheetText(document.records[0].fields[0]), value);
  }
}

}  // namespace
}  // namespace dtu
