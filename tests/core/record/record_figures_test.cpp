// What the production record works out without a database: its destinations, dates, durations
// and the figures of a report.
#include "core/record/record_figures.h"

#include <stdlib.h>

#include <gtest/gtest.h>

#include "core/record/record_destination.h"
#include "core/record/record_time.h"

namespace dtu {
namespace {

using std::chrono::milliseconds;

TEST(RecordDestinationTest, TellsFilesFromServersAndRefusesTheRest) {
  using K = RecordDestination::Kind;
  const struct {
    const char* text;
    bool ok;
    K kind;
  } cases[] = {
      {"record.db", true, K::File},
      {"/var/lib/line/record.sqlite", true, K::File},
      {"./a=b.db", true, K::File},
      {"postgresql://line-server/line", true, K::Server},
      {"postgres://user@server:5433/line?sslmode=require", true, K::Server},
      {"host=/run/postgresql dbname=line", true, K::Server},
      {"dbname = line", true, K::Server},
      {"", false, K::File},
      {"mysql://server/line", false, K::File},
      {"postgresql://[::1/line", false, K::File},
      {"host=server dbname='line", false, K::File},
      {"records/", false, K::File},
  };
  for (const auto& c : cases) {
    RecordDestination destination;
    const RecordError error = ParseDestination(c.text, destination);
    EXPECT_EQ(error.ok(), c.ok) << c.text << ": " << error.message;
    EXPECT_EQ(c.ok ? destination.kind : c.kind, c.kind) << c.text;
    EXPECT_EQ(error.failure, c.ok ? RecordFailure::None : RecordFailure::BadDestination) << c.text;
  }
}

TEST(RecordTimeTest, ReadsTheDatesAReportTakes) {
  ::setenv("TZ", "Asia/Shanghai", 1);
  ::tzset();
  const auto base = ParseRecordDate("2026-12-07");
  ASSERT_TRUE(base);
  EXPECT_EQ(FormatRecordTime(*base), "2026-12-07T00:00:00+08:00");
  const struct {
    const char* text;
    long long seconds_after;  // -1: refused
  } cases[] = {
      {"2026-12-07T13:05", 13 * 3600 + 5 * 60},
      {"2026-12-07 13:05:09", 13 * 3600 + 309},
      {"2026-12-08", 86400},
      {"2026-12-07T13", -1},
      {"2026-12-07T", -1},
      {"2026-02-30", -1},
      {"2026-13-01", -1},
      {"2026-12-07T24:00", -1},
      {"26-12-07", -1},
      {"2026-12-07x", -1},
      {"", -1},
  };
  for (const auto& c : cases) {
    const auto parsed = ParseRecordDate(c.text);
    if (c.seconds_after < 0) {
      EXPECT_FALSE(parsed) << c.text;
    } else {
      ASSERT_TRUE(parsed) << c.text;
      EXPECT_EQ(*parsed - *base, std::chrono::seconds(c.seconds_after)) << c.text;
    }
  }
  ::unsetenv("TZ");
  ::tzset();
}

TEST(RecordTimeTest, DurationsReadAsSeconds) {
  const struct {
    int ms;
    const char* text;
  } cases[] = {{0, "0 s"},      {200, "0.2 s"},   {1250, "1.25 s"}, {5000, "5 s"},
               {61004, "61 s"}, {1005, "1.01 s"}, {1050, "1.05 s"}};
  for (const auto& c : cases) EXPECT_EQ(FormatSeconds(milliseconds(c.ms)), c.text) << c.ms;
}

TEST(RecordFiguresTest, MedianPercentileAndRate) {
  const RecordTime t0 = FromRecordMillis(0);
  std::vector<FigureSample> samples;
  for (int i = 1; i <= 20; ++i)
    samples.push_back(
        {RecordOutcome::Ok, t0 + std::chrono::seconds(10 * i), milliseconds(i * 100)});
  samples.push_back({RecordOutcome::Mismatch, t0 + std::chrono::seconds(5), milliseconds(300)});
  samples.push_back({RecordOutcome::NoRow, t0 + std::chrono::seconds(6), milliseconds(10)});
  const StationFigures f = ComputeFigures("a", samples);
  EXPECT_EQ(f.results, 22);
  EXPECT_EQ(f.count(RecordOutcome::Ok), 20);
  EXPECT_EQ(f.count(RecordOutcome::NoRow), 1);
  EXPECT_DOUBLE_EQ(*f.yield, 20.0 / 21.0);  // no-row is not an attempt
  EXPECT_EQ(*f.median, milliseconds(1050));
  EXPECT_EQ(*f.p95, milliseconds(1900));                     // the 19th of 20
  EXPECT_DOUBLE_EQ(*f.units_per_hour, 20 * 3600.0 / 197.0);  // 5 s to 202 s

  const StationFigures none = ComputeFigures("b", {});
  EXPECT_FALSE(none.yield || none.median || none.p95 || none.units_per_hour);
  const StationFigures one = ComputeFigures("c", {{RecordOutcome::Ok, t0, milliseconds(700)}});
  EXPECT_EQ(*one.median, milliseconds(700));
  EXPECT_EQ(*one.p95, milliseconds(700));
  EXPECT_FALSE(one.units_per_hour);  // less than a second: no rate
}

TEST(RecordOutcomeTest, NamesGoBothWays) {
  for (const RecordOutcome outcome : kRecordOutcomes)
    EXPECT_EQ(OutcomeFromName(OutcomeName(outcome)), outcome);
  EXPECT_EQ(OutcomeName(RecordOutcome::NoAnswer), "no-answer");
  EXPECT_FALSE(OutcomeFromName("passed"));
}

}  // namespace
}  // namespace dtu
