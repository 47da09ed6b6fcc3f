// dtuctl provision and probe, run as processes against several simulated units on real
// pseudo-terminals: which unit gets which row, what each unit stores, the log's lines, a run
// started again, misbehaving units and a table that is refused as a whole.
#include <fcntl.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>

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

// A simulated unit with a module serial of its own, its block in a state file.
struct Unit {
  Unit(const TempDir& dir, const std::string& gsn, std::vector<std::string> extra = {})
      : state(dir / ("unit-" + gsn + ".mts")), sim(DTUSIM_PATH, Args(gsn, extra)) {}

  std::vector<std::string> Args(const std::string& gsn, std::vector<std::string> extra) const {
    extra.insert(extra.begin(), {"--state", state.string(), "--gsn", gsn});
    return extra;
  }
  const std::string& port() const { return sim.port_path(); }
  Bytes State() const { return ReadAllBytes(state); }
  // Changes whenever the simulator stores a block: it replaces the file.
  std::pair<ino_t, std::int64_t> Stamp() const {
    struct stat info {};
    ::stat(state.c_str(), &info);
    return {info.st_ino, info.st_mtim.tv_sec * 1'000'000'000LL + info.st_mtim.tv_nsec};
  }

  fs::path state;
  DtusimProcess sim;
};

ParameterBlock DefaultBlock(const Unit& unit) {
  ParameterBlock block;
  const Bytes bytes = unit.State();
  std::copy_n(bytes.begin(), kBlockSize, block.bytes().begin());
  return block;
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
    EXPECT_EQ(f.size(), 9u);
    if (f.size() == 9) lines.push_back({f[1], f[3], f[6], f[7], f[8]});
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

  TempDir dir;
  std::string template_path;
  std::string units_path;
  fs::path log_path = dir / "L.csv";
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
  EXPECT_THAT(run.out, HasSubstr("3 units: 3 ok"));
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
  EXPECT_THAT(again.out, HasSubstr("3 units: 3 skipped"));
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
      {"7005", {}, kOk, {"", "7005", "", "skipped", ""}, false},
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

TEST_F(DtuctlProvision, WithoutOnceAPortTakesUnitAfterUnitUntilEveryRowIsDone) {
  const std::string link = (dir / "ttyLine").string();
  auto first = std::make_unique<Unit>(dir, "9901", std::vector<std::string>{"--link", link});
  template_path = first->state.string();
  units_path = WriteText(dir / "units.csv", "device_number\n1\n2\n");
  auto run = std::async(std::launch::async, [&] { return Dtuctl(Provision({link})); });

  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
  while (!fs::exists(log_path) || LogLines(log_path).empty()) {
    ASSERT_LT(std::chrono::steady_clock::now(), deadline) << "the first unit was not logged";
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  // The operator takes the unit away and connects the next.
  first.reset();
  const Unit second(dir, "9902", {"--link", link});

  const ProcessResult done = run.get();
  EXPECT_EQ(done.exit_status, kOk) << done.err;
  const std::vector<LogLine> lines = LogLines(log_path);
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0].module + " " + lines[0].row + " " + lines[0].result, "9901 2 ok");
  EXPECT_EQ(lines[1].module + " " + lines[1].row + " " + lines[1].result, "9902 3 ok");
}

TEST_F(DtuctlProvision, SigtermWhileWaitingForAUnitClosesThePortAndEndsWith143) {
  const Unit silent(dir, "7701", {"--fault", "silent"});
  template_path = silent.state.string();
  units_path = WriteText(dir / "units.csv", "device_number\n1\n");
  const Fd null(::open("/dev/null", O_WRONLY | O_CLOEXEC));
  std::vector<std::string> argv = Provision({silent.port()});
  argv.insert(argv.begin(), DTUCTL_PATH);
  ChildProcess run(argv, null.get(), null.get());
  // The run holds the port once it has opened it; then it waits for a unit that never answers.
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  for (;;) {
    const Fd probe(::open(silent.port().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC));
    if (::flock(probe.get(), LOCK_EX | LOCK_NB) != 0) break;
    ::flock(probe.get(), LOCK_UN);
    ASSERT_LT(std::chrono::steady_clock::now(), deadline) << "the port was never opened";
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  run.Signal(SIGTERM);
  EXPECT_EQ(run.Wait().exit_status, 143);
  const Fd after(::open(silent.port().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC));
  EXPECT_EQ(::flock(after.get(), LOCK_EX | LOCK_NB), 0);
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
  EXPECT_THAT(none.err, HasSubstr(silent.port() + ": no unit answered"));
}

}  // namespace
}  // namespace dtu
