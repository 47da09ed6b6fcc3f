// dtuctl provision and probe, run as processes against several simulated units on real
// pseudo-terminals: which unit gets which row, what each unit stores, the log's lines, a run
// started again with the table changed, two runs on one table, misbehaving units, units that
// get nothing, and a table that is refused as a whole.
#include <fcntl.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <future>
#include <map>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "core/block/parameter_block.h"
#include "core/block/parameter_text.h"
#include "core/text/csv_reader.h"
#include "support/child_process.h"
#include "support/dtuctl_run.h"
#include "support/dtusim_process.h"
#include "support/run_process.h"
#include "support/sim_unit.h"
#include "support/temp_dir.h"

namespace dtu {
namespace {

using test::Dtuctl;
using namespace test::dtuctl_exit;
using test::ChildProcess;
using test::DtusimProcess;
using test::Fd;
using test::ProcessResult;
using test::ReadAllBytes;
using test::TempDir;
using ::testing::HasSubstr;
using ::testing::IsEmpty;
using Bytes = std::vector<std::uint8_t>;
namespace fs = std::filesystem;

using Unit = test::SimUnit;

ParameterBlock DefaultBlock(const Unit& unit) {
  return unit.Block();
}

Bytes Applied(const ParameterBlock& base, const std::vector<std::string>& assignments) {
  const TextImport applied = SetBlockFields(base, assignments);
  EXPECT_TRUE(applied.ok()) << applied.error;
  const auto& bytes = applied.block.value().bytes();
  return Bytes(bytes.begin(), bytes.end());
}

struct LogLine {
  std::string port, module, row, result, message;
};

std::vector<LogLine> LogLines(const fs::path& path) {
  const Bytes bytes = ReadAllBytes(path);
  const CsvDocument log = ReadCsv(std::string(bytes.begin(), bytes.end()));
  EXPECT_TRUE(log.ok()) << log.error;
  EXPECT_FALSE(log.records.empty());
  std::vector<LogLine> lines;
  for (std::size_t i = 1; i < log.records.size(); ++i) {
    const std::vector<std::string>& f = log.records[i].fields;
    EXPECT_EQ(f.size(), 12u);
    if (f.size() == 12) lines.push_back({f[1], f[3], f[6], f[7], f[8]});
  }
  return lines;
}

std::string WriteText(const fs::path& path, const std::string& text) {
  test::WriteAllBytes(path, text);
  return path.string();
}

class DtuctlProvision : public ::testing::Test {
 protected:
  std::vector<std::string> Provision(const std::vector<std::string>& ports,
                                     std::vector<std::string> extra = {}) const {
    std::vector<std::string> args{"provision", "--template", template_path,    "--units",
                                  units_path,  "--log",      log_path.string()};
    for (const std::string& port : ports) args.insert(args.end(), {"--port", port});
    args.insert(args.end(), extra.begin(), extra.end());
    return args;
  }
  // A run in the background, its output thrown away.
  std::unique_ptr<ChildProcess> Start(const std::vector<std::string>& ports) const {
    std::vector<std::string> argv = Provision(ports);
    argv.insert(argv.begin(), DTUCTL_PATH);
    return std::make_unique<ChildProcess>(argv, null_.get(), null_.get());
  }

  TempDir dir;
  std::string template_path;
  std::string units_path;
  fs::path log_path = dir / "L.csv";
  Fd null_{::open("/dev/null", O_WRONLY | O_CLOEXEC)};
};

TEST_F(DtuctlProvision, KeyedRowsGoToTheirUnitsAndASecondRunWritesNothing) {
  Unit a(dir, "860001"), b(dir, "860002"), c(dir, "860003");
  const ParameterBlock base = DefaultBlock(a);
  template_path = WriteText(dir / "template.json", ExportBlockText(base));
  units_path = WriteText(dir / "units.csv",
                         "gsn,device_number,sim_number,apn\r\n"
                         "860003,103,13800000003,\r\n"
                         "860001,101,13800000001,\"中国移动\"\r\n"
                         "860002,102,13800000002,\r\n");
  const ProcessResult run = Dtuctl(Provision({a.port(), b.port(), c.port()}, {"--once"}));
  ASSERT_EQ(run.exit_status, kOk) << run.err;
  EXPECT_THAT(run.out, HasSubstr("3 台设备：3 ok"));
  EXPECT_EQ(a.State(),
            Applied(base, {"device_number=101", "sim_number=13800000001", "apn=中国移动"}));
  EXPECT_EQ(b.State(), Applied(base, {"device_number=102", "sim_number=13800000002"}));
  EXPECT_EQ(c.State(), Applied(base, {"device_number=103", "sim_number=13800000003"}));

  std::vector<LogLine> lines = LogLines(log_path);
  ASSERT_EQ(lines.size(), 3u);
  std::map<std::string, std::string> rows;
  for (const LogLine& line : lines) {
    EXPECT_EQ(line.result, "ok") << line.message;
    rows[line.module] = line.row;
  }
  EXPECT_EQ(rows, (std::map<std::string, std::string>{
                      {"860001", "3"}, {"860002", "4"}, {"860003", "2"}}));

  const auto stamps = std::vector{a.Stamp(), b.Stamp(), c.Stamp()};
  const ProcessResult again = Dtuctl(Provision({c.port(), b.port(), a.port()}, {"--once"}));
  ASSERT_EQ(again.exit_status, kOk) << again.err;
  EXPECT_THAT(again.out, HasSubstr("3 台设备：3 skipped"));
  EXPECT_EQ((std::vector{a.Stamp(), b.Stamp(), c.Stamp()}), stamps) << "nothing written";
  lines = LogLines(log_path);
  ASSERT_EQ(lines.size(), 6u);
  for (std::size_t i = 3; i < 6; ++i) {
    EXPECT_EQ(lines[i].result, "skipped");
    EXPECT_EQ(lines[i].row, rows[lines[i].module]);
  }
}

TEST_F(DtuctlProvision, OtherRowsGoInFileOrderAndAFailedUnitLeavesItsRowFree) {
  TempDir units;
  template_path = (units / "unit-template.mts").string();
  units_path = WriteText(dir / "units.csv", "sim_number\n13900000001\n\n13900000002\n");
  struct Step {
    std::string gsn;
    std::vector<std::string> sim_options;
    int exit_status;
    LogLine line;  // port and message left out
    bool written;
  };
  const std::vector<Step> steps = {
      {"7001", {"--fault", "reject"}, kRejected, {"", "7001", "2", "rejected", ""}, false},
      {"7002", {"--fault", "silent"}, kTimeout, {"", "", "", "no-answer", ""}, false},
      {"7006", {"--fault", "bad-checksum"}, kRejected, {"", "7006", "2", "mismatch", ""}, true},
      {"7007", {"--fault", "vanish"}, kPortLost, {"", "7007", "", "vanished", ""}, false},
      {"7003", {}, kOk, {"", "7003", "2", "ok", ""}, true},
      {"7004", {}, kOk, {"", "7004", "4", "ok", ""}, true},
      {"7005", {}, kNoRow, {"", "7005", "", "no-row", ""}, false},
  };
  {
    Unit first(units, "template");  // its default block is the template
  }
  for (std::size_t i = 0; i < steps.size(); ++i) {
    const Step& step = steps[i];
    Unit unit(dir, step.gsn, step.sim_options);
    const Bytes before = unit.State();
    const ProcessResult run = Dtuctl(Provision({unit.port()}, {"--once", "--timeout", "0.3"}));
    EXPECT_EQ(run.exit_status, step.exit_status) << step.gsn << ": " << run.err;
    const std::vector<LogLine> lines = LogLines(log_path);
    ASSERT_EQ(lines.size(), i + 1) << step.gsn;
    const LogLine& line = lines.back();
    EXPECT_EQ(line.port, unit.port());
    EXPECT_EQ(line.module, step.line.module);
    EXPECT_EQ(line.row, step.line.row) << step.gsn;
    EXPECT_EQ(line.result, step.line.result) << step.gsn << ": " << line.message;
    EXPECT_EQ(unit.State() != before, step.written) << step.gsn;
  }
  // The unit logged ok earlier gets its row again and is left as it is.
  Unit again(dir, "7003");
  const ProcessResult run = Dtuctl(Provision({again.port()}, {"--once"}));
  EXPECT_EQ(run.exit_status, kOk) << run.err;
  EXPECT_EQ(LogLines(log_path).back().result, "skipped");
  EXPECT_EQ(LogLines(log_path).back().row, "2");
}

TEST_F(DtuctlProvision, ABadRowOrAMissingPortRefusesTheWholeRun) {
  Unit a(dir, "8801"), b(dir, "8802");
  template_path = a.state.string();
  const Bytes before = a.State();
  units_path = WriteText(dir / "units.csv",
                         "gsn,sim_number\n8801,13800000001\n8802,\"1380000000\n22\"\n8803,1\n");
  const ProcessResult bad = Dtuctl(Provision({a.port(), b.port()}, {"--once"}));
  EXPECT_EQ(bad.exit_status, kFailure);
  EXPECT_THAT(bad.err, HasSubstr("第 3 行"));
  EXPECT_THAT(bad.err, HasSubstr("sim_number"));
  EXPECT_FALSE(fs::exists(log_path));

  units_path = WriteText(dir / "units.csv", "gsn,sim_number\n8801,13800000001\n");
  const ProcessResult missing =
      Dtuctl(Provision({a.port(), (dir / "no-such-port").string()}, {"--once"}));
  EXPECT_EQ(missing.exit_status, kPortMissing);
  EXPECT_THAT(missing.err, HasSubstr("no-such-port"));
  EXPECT_THAT(LogLines(log_path), IsEmpty());

  log_path = b.port();  // a log down a unit's line
  const ProcessResult port_as_log = Dtuctl(Provision({a.port()}, {"--once"}));
  EXPECT_EQ(port_as_log.exit_status, kFailure);
  EXPECT_THAT(port_as_log.err, HasSubstr("不是普通文件，不能用作日志"));
  EXPECT_EQ(a.State(), before);
  EXPECT_EQ(b.State(), before);
}

// Without --once a port takes unit after unit until every row is done. A unit seated again
// after a failure counts once, by its last attempt; the log keeps every attempt.
TEST_F(DtuctlProvision, WithoutOnceAPortTakesUnitAfterUnitUntilEveryRowIsDone) {
  struct Case {
    std::string table;
    std::vector<std::string> first_faults;
    std::string second_gsn;
    std::string summary;
    std::vector<std::string> lines;  // module, row and result of each
  };
  const std::vector<Case> cases = {
      {"device_number\n1\n2\n", {}, "9902", "2 台设备：2 ok；", {"9901 2 ok", "9902 3 ok"}},
      {"device_number\n1\n",
       {"--fault", "reject"},
       "9901",
       "1 台设备（2 次尝试）：1 ok；",
       {"9901 2 rejected", "9901 2 ok"}},
  };
  for (const Case& c : cases) {
    TempDir bench;
    const std::string link = (bench / "ttyLine").string();
    std::vector<std::string> options = {"--link", link};
    options.insert(options.end(), c.first_faults.begin(), c.first_faults.end());
    auto first = std::make_unique<Unit>(bench, "9901", options);
    template_path = first->state.string();
    units_path = WriteText(bench / "units.csv", c.table);
    log_path = bench / "L.csv";
    auto run = std::async(std::launch::async, [&] { return Dtuctl(Provision({link})); });

    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    // The log exists, empty, for a moment before its header is written: reading it then would
    // find no header.
    while (!fs::exists(log_path) || fs::file_size(log_path) == 0 || LogLines(log_path).empty()) {
      ASSERT_LT(std::chrono::steady_clock::now(), deadline) << "the first unit was not logged";
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    // The operator takes the unit away and connects the next, or the same one again.
    first.reset();
    const Unit second(bench, c.second_gsn, {"--link", link});

    const ProcessResult done = run.get();
    EXPECT_EQ(done.exit_status, kOk) << done.err;
    EXPECT_THAT(done.out, HasSubstr(c.summary));
    std::vector<std::string> lines;
    for (const LogLine& line : LogLines(log_path))
      lines.push_back(line.module + " " + line.row + " " + line.result);
    EXPECT_EQ(lines, c.lines);
  }
}

TEST_F(DtuctlProvision, SigtermWhileWaitingForAUnitClosesThePortAndEndsWith143) {
  const Unit silent(dir, "7701", {"--fault", "silent"});
  template_path = silent.state.string();
  units_path = WriteText(dir / "units.csv", "device_number\n1\n");
  const std::unique_ptr<ChildProcess> run = Start({silent.port()});
  // The run holds the port once it has opened it; then it waits for a unit that never answers.
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  for (;;) {
    const Fd probe(::open(silent.port().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC));
    if (::flock(probe.get(), LOCK_EX | LOCK_NB) != 0) break;
    ::flock(probe.get(), LOCK_UN);
    ASSERT_LT(std::chrono::steady_clock::now(), deadline) << "the port was never opened";
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  run->Signal(SIGTERM);
  EXPECT_EQ(run->Wait().exit_status, 143);
  EXPECT_FALSE(fs::exists(dir / "units.csv.lock"));
  const Fd after(::open(silent.port().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC));
  EXPECT_EQ(::flock(after.get(), LOCK_EX | LOCK_NB), 0);
}

// Runs one after another on a table in file order that changes in between: each unit keeps its
// row by the row's values, a row inserted goes to a new unit, and a row changed after it was
// handed out refuses the run.
TEST_F(DtuctlProvision, RowsAreKnownByTheirValuesAcrossRunsAndAChangedRowRefusesTheRun) {
  TempDir units;
  { Unit first(units, "template"); }
  template_path = (units / "unit-template.mts").string();
  const std::string grown = "device_number\n100\n101\n102\n";
  struct Step {
    std::string table, gsn;
    int exit_status;
    std::string row, result;  // of the unit's log line; nothing logged when exit_status is 1
    int device_number;        // what the unit holds after the run
  };
  const std::vector<Step> steps = {
      {"device_number\n101\n102\n", "6001", kOk, "2", "ok", 101},
      {grown, "6002", kOk, "2", "ok", 100},
      {grown, "6001", kOk, "3", "skipped", 101},
      {grown, "6003", kOk, "4", "ok", 102},
      {"device_number\n100\n111\n102\n", "6004", kFailure, "", "", 0},
  };
  std::size_t logged = 0;
  for (const Step& step : steps) {
    units_path = WriteText(dir / "units.csv", step.table);
    Unit unit(dir, step.gsn);
    const ParameterBlock before = DefaultBlock(unit);
    const ProcessResult run = Dtuctl(Provision({unit.port()}, {"--once"}));
    EXPECT_EQ(run.exit_status, step.exit_status) << step.gsn << ": " << run.err;
    const std::vector<LogLine> lines = LogLines(log_path);
    const ParameterBlock now = DefaultBlock(unit);
    if (step.exit_status == kFailure) {
      EXPECT_THAT(run.err, HasSubstr("6001"));
      EXPECT_THAT(run.err, HasSubstr("改回原样"));
      EXPECT_EQ(lines.size(), logged);
      EXPECT_EQ(now, before);
      continue;
    }
    ASSERT_EQ(lines.size(), ++logged) << step.gsn;
    EXPECT_EQ(lines.back().module + " " + lines.back().row + " " + lines.back().result,
              step.gsn + " " + step.row + " " + step.result);
    EXPECT_EQ(now.device_number(), step.device_number) << step.gsn;
  }
}

// Two runs on one table, each with its own log: the second is refused while the first holds
// the table, and goes ahead once the first was killed outright.
TEST_F(DtuctlProvision, ATableAnotherRunHoldsIsRefusedUntilThatRunEnds) {
  const Unit silent(dir, "7801", {"--fault", "silent"});
  const Unit ready(dir, "7802");
  template_path = ready.state.string();
  units_path = WriteText(dir / "units.csv", "device_number\n1\n2\n");
  const std::unique_ptr<ChildProcess> first = Start({silent.port()});
  const fs::path lock = dir / "units.csv.lock";
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  while (!fs::exists(lock) || ReadAllBytes(lock).empty()) {
    ASSERT_LT(std::chrono::steady_clock::now(), deadline) << "the first run never took the table";
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  const fs::path other_log = dir / "other.csv";
  const auto second = [&] {
    std::vector<std::string> args = Provision({ready.port()}, {"--once"});
    args[6] = other_log.string();
    return Dtuctl(args);
  };
  const Bytes before = ready.State();
  const ProcessResult refused = second();
  EXPECT_EQ(refused.exit_status, kFailure);
  EXPECT_THAT(refused.err, HasSubstr("units.csv: 另一个 provision 正在使用这个单元表"));
  EXPECT_THAT(refused.err, HasSubstr("进程 " + std::to_string(first->pid())));
  EXPECT_THAT(refused.err, HasSubstr(log_path.string()));
  EXPECT_EQ(ready.State(), before);

  first->Signal(SIGKILL);
  first->Wait();
  const ProcessResult after = second();
  EXPECT_EQ(after.exit_status, kOk) << after.err;
  EXPECT_THAT(after.out, HasSubstr("1 台设备：1 ok"));
  EXPECT_FALSE(fs::exists(lock)) << "a run removes its lock as it ends";
}

// Units that get nothing, or cannot be told apart: each its own result in the log and the
// summary, and an exit status of its own.
TEST_F(DtuctlProvision, AUnitWithoutARowOrWithoutSerialsIsLeftAsItIsAndSaysSo) {
  struct Case {
    std::string table;
    std::vector<std::vector<std::string>> units;  // dtusim's options for each
    int exit_status;
    std::string summary;
    std::vector<std::string> results;  // of the log's lines, sorted
    std::string message;               // a phrase of the last line's message
  };
  const std::vector<std::string> no_serial = {"--gsn", "", "--board-serial", ""};
  const std::vector<Case> cases = {
      {"gsn,device_number\n5501,1\n",
       {{"--gsn", "5502"}},
       kNoRow,
       "1 台设备：1 no-row",
       {"no-row"},
       "没有这个单元的 gsn"},
      {"device_number\n1\n",
       {{"--gsn", "5503"}, {"--gsn", "5504"}},
       kNoRow,
       "2 台设备：1 ok，1 no-row",
       {"no-row", "ok"},
       ""},
      {"gsn,device_number\n5501,1\n,2\n",
       {no_serial},
       kUnidentified,
       "1 台设备：1 unidentified",
       {"unidentified"},
       "无法与别的单元区分"},
      {"device_number\n1\n", {no_serial}, kOk, "1 台设备：1 ok", {"ok"}, ""},
  };
  for (std::size_t i = 0; i < cases.size(); ++i) {
    const Case& c = cases[i];
    TempDir run_dir;
    std::vector<std::unique_ptr<DtusimProcess>> sims;
    std::vector<std::string> ports;
    for (std::vector<std::string> options : c.units) {
      const std::string state = "unit" + std::to_string(sims.size()) + ".mts";
      options.insert(options.end(), {"--state", (run_dir / state).string()});
      sims.push_back(std::make_unique<DtusimProcess>(DTUSIM_PATH, options));
      ports.push_back(sims.back()->port_path());
    }
    template_path = (run_dir / "unit0.mts").string();
    units_path = WriteText(run_dir / "units.csv", c.table);
    log_path = run_dir / "L.csv";
    const ProcessResult run = Dtuctl(Provision(ports, {"--once"}));
    EXPECT_EQ(run.exit_status, c.exit_status) << i << ": " << run.err;
    EXPECT_THAT(run.out, HasSubstr(c.summary)) << i;
    const std::vector<LogLine> lines = LogLines(log_path);
    std::vector<std::string> results;
    for (const LogLine& line : lines) results.push_back(line.result);
    std::ranges::sort(results);
    EXPECT_EQ(results, c.results) << i;
    for (const LogLine& line : lines) {
      if (line.result != "ok") {
        EXPECT_THAT(line.message, HasSubstr(c.message)) << i;
      }
    }
  }
}

TEST(DtuctlProbe, FindsTheUnitsWithTheirSignalAndSaysWhenThereIsNone) {
  TempDir dir;
  Unit a(dir, "1", {"--rssi", "17"}), b(dir, "2", {"--rssi", "29"});
  const ProcessResult found = Dtuctl({"probe", "--port", a.port(), "--port", b.port()});
  EXPECT_EQ(found.exit_status, kOk) << found.err;
  EXPECT_EQ(found.out, a.port() + " 9600 17\n" + b.port() + " 9600 29\n");

  Unit silent(dir, "3", {"--fault", "silent"});
  const ProcessResult none = Dtuctl({"probe", "--port", silent.port(), "--timeout", "0.05"});
  EXPECT_EQ(none.exit_status, kTimeout);
  EXPECT_THAT(none.out, IsEmpty());
  EXPECT_THAT(none.err, HasSubstr(silent.port() + "：在任何波特率下都没有设备应答"));
}

}  // namespace
}  // namespace dtu
