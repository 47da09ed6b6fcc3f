// dtuctl provision --record, run as processes against simulated units on real pseudo-terminals:
// stations sharing one batch in a PostgreSQL database on the tests' own server or in an SQLite
// file hand out every row once and write every unit once, a second run skips what is done, and
// a record that cannot be written stops the station with the unit logged as not recorded.
#include <fcntl.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "core/record/production_record.h"
#include "core/text/csv_reader.h"
#include "support/dtuctl_run.h"
#include "support/postgres_server.h"
#include "support/run_process.h"
#include "support/sim_unit.h"
#include "support/temp_dir.h"

namespace dtu::test {
namespace {

using ::testing::HasSubstr;
using ::testing::UnorderedElementsAre;
using ::testing::UnorderedElementsAreArray;
namespace exit = dtuctl_exit;
constexpr int kRecordUnavailable = 11;

// Four units, two per station, and a table whose last row belongs to 9104 by its gsn: the
// others take the rows in file order, one of them finding none left.
const std::vector<std::string> kGsns = {"9101", "9102", "9103", "9104"};
constexpr std::string_view kTable = "gsn,device_number\n,101\n,102\n9104,104\n";

struct Station {
  std::string name;
  std::vector<std::string> ports;
};

class ProvisionRecord : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const std::string& gsn : kGsns) units.push_back(std::make_unique<SimUnit>(dir, gsn));
    template_path = (dir / "template.mts").string();
    WriteAllBytes(template_path, units[0]->State());
    units_path = (dir / "units.csv").string();
    WriteAllBytes(units_path, std::string(kTable));
  }

  std::vector<std::string> Args(const std::string& record, const Station& station) const {
    std::vector<std::string> args{"provision",  "--template", template_path, "--units",
                                  units_path,   "--record",   record,        "--station",
                                  station.name, "--once"};
    for (const std::string& port : station.ports) args.insert(args.end(), {"--port", port});
    return args;
  }

  // Every station at once; their exit statuses.
  std::vector<int> RunStations(const std::string& record, const std::vector<Station>& stations) {
    std::vector<std::future<ProcessResult>> runs;
    for (const Station& station : stations)
      runs.push_back(
          std::async(std::launch::async, [&, station] { return Dtuctl(Args(record, station)); }));
    std::vector<int> statuses;
    for (auto& run : runs) {
      const ProcessResult result = run.get();
      statuses.push_back(result.exit_status);
      outputs += result.out + result.err;
    }
    return statuses;
  }

  std::vector<Station> Stations(int count) const {
    if (count == 1)
      return {{"line-a", {units[0]->port(), units[1]->port(), units[2]->port(), units[3]->port()}}};
    return {{"line-a", {units[0]->port(), units[1]->port()}},
            {"line-b", {units[2]->port(), units[3]->port()}}};
  }

  // The first run gives each row to one unit, the second writes nothing.
  void ProvisionTwice(const std::string& record, int stations) {
    const std::vector<int> first = RunStations(record, Stations(stations));
    if (stations == 1) {
      EXPECT_THAT(first, UnorderedElementsAre(exit::kNoRow)) << outputs;
    } else {
      EXPECT_THAT(first, UnorderedElementsAre(exit::kOk, exit::kNoRow)) << outputs;
    }
    std::multiset<int> device_numbers;  // of the units that were written
    std::map<std::string, int> held;
    const auto untouched = ReadAllBytes(dir / "template.mts");
    for (const auto& unit : units) {
      const int number = static_cast<int>(unit->Block().device_number());
      if (unit->State() != untouched) device_numbers.insert(number);
      held[unit->port()] = number;
    }
    EXPECT_THAT(device_numbers, UnorderedElementsAre(101, 102, 104)) << "each row went once";
    EXPECT_EQ(held[units[3]->port()], 104);

    std::vector<std::pair<ino_t, std::int64_t>> stamps;
    for (const auto& unit : units) stamps.push_back(unit->Stamp());
    const std::vector<int> second = RunStations(record, Stations(stations));
    EXPECT_THAT(second, UnorderedElementsAreArray(first)) << outputs;
    for (std::size_t i = 0; i < units.size(); ++i)
      EXPECT_EQ(units[i]->Stamp(), stamps[i]) << kGsns[i] << " was written again";

    RecordError error;
    auto opened = ProductionRecord::Open(record, ProductionRecord::Access::Read, error);
    ASSERT_NE(opened, nullptr) << error.message;
    std::vector<StoredResult> results;
    ASSERT_TRUE(opened->AllResults(results).ok());
    std::map<std::string, std::multiset<std::string>> outcomes;  // by gsn
    std::set<std::string> ok_rows, stations_seen;
    for (const StoredResult& result : results) {
      outcomes[result.entry.unit.gsn].insert(std::string(OutcomeName(result.entry.outcome)));
      stations_seen.insert(result.entry.where.station);
      if (result.entry.outcome == RecordOutcome::Ok) {
        EXPECT_TRUE(ok_rows.insert(result.entry.row->key).second) << result.entry.row->key;
      }
    }
    EXPECT_EQ(ok_rows.size(), 3u);
    int skipped_twice = 0, no_row_twice = 0;
    for (const auto& [gsn, got] : outcomes) {
      if (got == std::multiset<std::string>{"ok", "skipped"}) ++skipped_twice;
      if (got == std::multiset<std::string>{"no-row", "no-row"}) ++no_row_twice;
    }
    EXPECT_EQ(skipped_twice, 3) << outputs;
    EXPECT_EQ(no_row_twice, 1) << outputs;
    EXPECT_EQ(static_cast<int>(stations_seen.size()), stations);
  }

  TempDir dir;
  std::vector<std::unique_ptr<SimUnit>> units;
  std::string template_path;
  std::string units_path;
  std::string outputs;
};

TEST_F(ProvisionRecord, TwoStationsShareABatchInPostgresql) {
  DTU_REQUIRE_POSTGRES_SERVER(server);
  const std::string record = server->NewDatabase();
  ProvisionTwice(record, 2);
  const ProcessResult report = Dtuctl({"record", "report", record});
  EXPECT_EQ(report.exit_status, exit::kOk) << report.err;
  EXPECT_THAT(report.out, HasSubstr("line-a"));
  EXPECT_THAT(report.out, HasSubstr("line-b"));
}

TEST_F(ProvisionRecord, OneStationKeepsItsBatchInAnSqliteFile) {
  ProvisionTwice((dir / "line.db").string(), 1);
}

// The server goes away while the unit's block is being read back: the unit holds its row, but
// its result cannot be recorded, so the station stops and the log says so; once the server is
// back, the next run writes the unit again and records it.
TEST_F(ProvisionRecord, AResultThatCannotBeRecordedStopsTheStation) {
  DTU_REQUIRE_POSTGRES_SERVER(server);
  const std::string record = server->NewDatabase();
  const std::filesystem::path log = dir / "L.csv";
  // Its answers come in pieces, so that the read-back takes seconds.
  const SimUnit slow(dir, "9105", {"--fault", "chunked"});
  std::vector<std::string> args = Args(record, {"line-a", {slow.port()}});
  args.insert(args.end(), {"--log", log.string()});
  const auto stamp = slow.Stamp();
  auto run = std::async(std::launch::async, [&] { return Dtuctl(args); });
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
  while (slow.Stamp() == stamp) {
    ASSERT_LT(std::chrono::steady_clock::now(), deadline) << "the unit was never written";
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  ASSERT_TRUE(server->Stop());
  const ProcessResult stopped = run.get();
  ASSERT_TRUE(server->Start());
  EXPECT_EQ(stopped.exit_status, kRecordUnavailable) << stopped.err;
  EXPECT_THAT(stopped.out, HasSubstr("1 台设备：1 not-recorded"));
  EXPECT_THAT(stopped.err, HasSubstr("本工位已停止"));
  const std::vector<std::uint8_t> bytes = ReadAllBytes(log);
  const CsvDocument lines = ReadCsv(std::string(bytes.begin(), bytes.end()));
  ASSERT_EQ(lines.records.size(), 2u);
  EXPECT_EQ(lines.records[1].fields.at(7), "not-recorded");
  EXPECT_THAT(lines.records[1].fields.at(8), HasSubstr("ok："));

  const ProcessResult again = Dtuctl(Args(record, {"line-a", {slow.port()}}));
  EXPECT_EQ(again.exit_status, exit::kOk) << again.err;
  EXPECT_THAT(again.out, HasSubstr("1 台设备：1 ok"));
}

}  // namespace
}  // namespace dtu::test
