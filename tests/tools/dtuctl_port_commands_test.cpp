// dtuctl ports, read, write and signal, run as processes against the simulated unit on a real
// pseudo-terminal: the blocks byte for byte, the printed values, and a clear outcome for every
// misbehaviour of the unit or the port.
#include <fcntl.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <csignal>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "core/baud_rates.h"
#include "core/block/block_check.h"
#include "core/block/parameter_block.h"
#include "core/block/parameter_summary.h"
#include "core/serial/port_notification.h"
#include "core/serial/serial_port.h"
#include "core/text/gbk_codec.h"
#include "support/child_process.h"
#include "support/dtuctl_run.h"
#include "support/dtusim_process.h"
#include "support/run_process.h"
#include "support/temp_dir.h"

namespace dtu {
namespace {

using test::Dtuctl;
using namespace test::dtuctl_exit;
using test::ChildEnd;
using test::ChildProcess;
using test::DtusimProcess;
using test::Fd;
using test::ProcessResult;
using test::ReadAllBytes;
using test::TempDir;
using test::WriteAllBytes;
using ::testing::AllOf;
using ::testing::EndsWith;
using ::testing::HasSubstr;
using ::testing::IsEmpty;
using ::testing::Not;
using ::testing::StartsWith;
using Bytes = std::vector<std::uint8_t>;

namespace fs = std::filesystem;

// A simulated unit that keeps its block in a state file of its own temporary directory.
struct Unit {
  explicit Unit(std::vector<std::string> extra = {})
      : state(dir / "unit.mts"), sim(DTUSIM_PATH, WithState(extra, state)) {}

  static std::vector<std::string> WithState(std::vector<std::string> args, const fs::path& path) {
    args.insert(args.begin(), {"--state", path.string()});
    return args;
  }

  const std::string& port() const { return sim.port_path(); }
  Bytes State() const { return ReadAllBytes(state); }

  TempDir dir;
  fs::path state;
  DtusimProcess sim;
};

ParameterBlock BlockOf(const Bytes& bytes) {
  ParameterBlock block;
  std::copy_n(bytes.begin(), std::min(bytes.size(), kBlockSize), block.bytes().begin());
  return block;
}

Bytes BytesOf(const ParameterBlock& block) {
  return Bytes(block.bytes().begin(), block.bytes().end());
}

// The unit's block with a few fields changed and sealed, as a parameter file holds it.
ParameterBlock ChangedBlock(ParameterBlock block) {
  block.set_apn("UNINET");
  block.set_sms_centre(Utf8ToGbk("8613010112500").bytes);
  block.set_heartbeat_interval(60);
  SealBlock(block);
  return block;
}

std::string SummaryText(ParameterBlock block) {
  EXPECT_TRUE(PrepareLoadedBlock(block));
  std::string text;
  for (const std::string& line : PrintSummary(block)) text += line + "\n";
  return text;
}

TEST(DtuctlPortCommands, ReadPrintsTheStatusThenTheSummaryAndSavesTheUnitsBlock) {
  Unit unit({"--version", "V6.0 标准版", "--gsn", "866123045678901", "--board-serial", "ZB1",
             "--csca", "+8613800200500", "--rssi", "26", "--ip", "10.71.23.145", "--dns3",
             "3.3.3.3", "--dns-server2", "8.8.8.8"});
  const fs::path saved = unit.dir / "read.mts";
  const ProcessResult read = Dtuctl({"read", "--port", unit.port(), "-o", saved.string()});
  ASSERT_EQ(read.exit_status, kOk) << read.err;
  EXPECT_THAT(read.err, IsEmpty());
  const std::string status =
      "DTU的IP地址: 10.71.23.145\n"
      "DNS的IP1地址: 211.136.17.107\n"
      "DNS的IP2地址: 211.136.20.203\n"
      "DNS的IP3地址: 3.3.3.3\n"
      "DNS的IP4地址: 0.0.0.0\n"
      "DNS的IP5地址: 0.0.0.0\n"
      "DNS的IP6地址: 0.0.0.0\n"
      "DNS服务地址1: 211.136.17.107\n"
      "DNS服务地址2: 8.8.8.8\n"
      "主板序列号: ZB1\n"
      "模块序列号: 866123045678901\n"
      "软件版本: V6.0 标准版\n"
      "SIM卡固有短信中心: +8613800200500\n"
      "信号强度: 26\n";
  EXPECT_EQ(read.out, status + SummaryText(BlockOf(unit.State())));
  EXPECT_EQ(ReadAllBytes(saved), unit.State()) << "the unit's block byte for byte";
}

TEST(DtuctlPortCommands, WrittenBlockIsStoredAndReadBack) {
  Unit unit;
  const ParameterBlock changed = ChangedBlock(BlockOf(unit.State()));
  ASSERT_NE(BytesOf(changed), unit.State());
  const fs::path file = unit.dir / "changed.mts";
  WriteAllBytes(file, changed.bytes());

  const ProcessResult write = Dtuctl({"write", "--port", unit.port(), file.string()});
  ASSERT_EQ(write.exit_status, kOk) << write.err;
  EXPECT_EQ(write.out, "参数设置成功!\n");
  EXPECT_EQ(unit.State(), BytesOf(changed));

  const fs::path again = unit.dir / "again.mts";
  const ProcessResult read = Dtuctl({"read", "--port", unit.port(), "-o", again.string()});
  ASSERT_EQ(read.exit_status, kOk) << read.err;
  EXPECT_EQ(ReadAllBytes(again), BytesOf(changed));
  EXPECT_THAT(read.out, HasSubstr("●接入点APN->UNINET\n"));
  EXPECT_EQ(ReadAllBytes(file), BytesOf(changed)) << "the source file is left alone";
}

TEST(DtuctlPortCommands, LineSettingsAreTakenInBothSpellings) {
  Unit unit;
  const std::vector<std::vector<std::string>> settings{
      {"--baud", "115200", "--parity", "E", "--data", "7", "--stop", "2"},
      {"--baud=921600", "--parity=odd", "--data=8", "--stop=1", "--timeout=2.5"},
  };
  for (const std::vector<std::string>& line : settings) {
    const fs::path saved = unit.dir / "read.mts";
    fs::remove(saved);
    std::vector<std::string> args{"read", "--port", unit.port(), "-o", saved.string()};
    args.insert(args.end(), line.begin(), line.end());
    const ProcessResult read = Dtuctl(args);
    EXPECT_EQ(read.exit_status, kOk) << line.front() << ": " << read.err;
    EXPECT_EQ(ReadAllBytes(saved), unit.State()) << line.front();
  }
}

struct FaultCase {
  const char* fault;
  const char* timeout;  // short where the outcome is waiting; long where it is a safety net
  int exit_status;
  const char* message;  // on stderr; empty: stderr stays empty
};

TEST(DtuctlPortCommands, EveryFaultOfAReadEndsInAClearOutcome) {
  const std::vector<FaultCase> cases{
      {"bad-checksum", "30", kChecksum, "参数设置有误，请重新设置"},
      {"noise", "30", kOk, ""},
      {"lowercase", "30", kOk, ""},
      {"chunked", "60", kOk, ""},
      {"reject", "30", kOk, ""},
      {"short-block", "1.5", kTimeout, "1.5 秒后超时"},
      {"silent", "1", kTimeout, "1 秒后超时"},
      {"vanish", "30", kPortLost, "消失了"},
  };
  for (const FaultCase& c : cases) {
    Unit unit({"--fault", c.fault});
    const Bytes before = unit.State();
    const fs::path saved = unit.dir / "read.mts";
    const ProcessResult read =
        Dtuctl({"read", "--port", unit.port(), "-o", saved.string(), "--timeout", c.timeout});
    EXPECT_FALSE(read.timed_out) << c.fault;
    EXPECT_EQ(read.exit_status, c.exit_status) << c.fault << ": " << read.err;
    EXPECT_EQ(unit.State(), before) << c.fault;
    if (c.exit_status == kOk) {
      EXPECT_EQ(ReadAllBytes(saved), before) << c.fault;
      EXPECT_THAT(read.err, IsEmpty()) << c.fault;
      EXPECT_THAT(read.out, AllOf(HasSubstr("软件版本: V3.6.2\n"), HasSubstr("信号强度: 23\n"),
                                  EndsWith(SummaryText(BlockOf(before)))))
          << c.fault;
      continue;
    }
    EXPECT_FALSE(fs::exists(saved)) << c.fault;
    EXPECT_THAT(read.err, HasSubstr(c.message)) << c.fault;
    if (c.exit_status != kChecksum) {
      EXPECT_THAT(read.err, HasSubstr(unit.port())) << c.fault;
    }
  }
}

TEST(DtuctlPortCommands, EveryFaultOfAWriteEndsInAClearOutcome) {
  struct WriteCase {
    FaultCase fault;
    bool stored;
  };
  const std::vector<WriteCase> cases{
      {{"reject", "30", kRejected, "参数校验失败!"}, false},
      {{"silent", "1.5", kTimeout, "1.5 秒后超时"}, false},
      {{"noise", "30", kOk, ""}, true},
      {{"chunked", "60", kOk, ""}, true},
      {{"bad-checksum", "30", kOk, ""}, true},  // spoils only the blocks the unit sends
  };
  for (const auto& [c, stored] : cases) {
    Unit unit({"--fault", c.fault});
    const Bytes before = unit.State();
    const ParameterBlock changed = ChangedBlock(BlockOf(before));
    const fs::path file = unit.dir / "changed.mts";
    WriteAllBytes(file, changed.bytes());
    const ProcessResult write =
        Dtuctl({"write", "--port", unit.port(), "--timeout", c.timeout, file.string()});
    EXPECT_FALSE(write.timed_out) << c.fault;
    EXPECT_EQ(write.exit_status, c.exit_status) << c.fault << ": " << write.err;
    EXPECT_EQ(unit.State(), stored ? BytesOf(changed) : before) << c.fault;
    if (stored) {
      EXPECT_EQ(write.out, "参数设置成功!\n") << c.fault;
      EXPECT_THAT(write.err, IsEmpty()) << c.fault;
    } else {
      EXPECT_THAT(write.out, IsEmpty()) << c.fault;
      EXPECT_THAT(write.err, HasSubstr(c.message)) << c.fault;
    }
  }
}

TEST(DtuctlPortCommands, APortThatVanishesDuringAWriteEndsIt) {
  Unit unit({"--fault", "vanish"});
  const fs::path file = unit.dir / "changed.mts";
  WriteAllBytes(file, ChangedBlock(BlockOf(unit.State())).bytes());
  const ProcessResult write = Dtuctl({"write", "--port", unit.port(), file.string()});
  EXPECT_EQ(write.exit_status, kPortLost) << write.err;
  EXPECT_THAT(write.err,
              AllOf(HasSubstr(unit.port()), HasSubstr("消失了"), HasSubstr("输入/输出错误")))
      << "the system's reason";
  EXPECT_THAT(write.out, IsEmpty());
}

// A unit paced at the line's rate answers with the default time limit: the time limit counts the
// pauses in its answer, not the time the line needs to carry it.
class AtEveryBaudRate : public ::testing::TestWithParam<std::uint32_t> {};

TEST_P(AtEveryBaudRate, SignalAndWriteWorkWithTheDefaultLimit) {
  const std::string baud = std::to_string(GetParam());
  Unit unit({"--baud", baud, "--rssi", "19"});
  const ProcessResult signal = Dtuctl({"signal", "--port", unit.port(), "--baud", baud});
  EXPECT_EQ(signal.exit_status, kOk) << signal.err;
  EXPECT_EQ(signal.out, "信号强度: 19\n");

  const ParameterBlock changed = ChangedBlock(BlockOf(unit.State()));
  const fs::path file = unit.dir / "changed.mts";
  WriteAllBytes(file, changed.bytes());
  // Without the read before the write, which at 110 baud alone takes two minutes.
  const ProcessResult write =
      Dtuctl({"write", "--port", unit.port(), "--baud", baud, "--no-history", file.string()});
  EXPECT_EQ(write.exit_status, kOk) << write.err;
  EXPECT_EQ(unit.State(), BytesOf(changed));
}

INSTANTIATE_TEST_SUITE_P(DtuctlPortCommands, AtEveryBaudRate, ::testing::ValuesIn(kBaudRates),
                         [](const auto& info) { return std::to_string(info.param); });

// A read's answer is some 1,650 bytes: 14 s at 1,200 baud, 7 s at 2,400.
class ReadAtASlowRate : public ::testing::TestWithParam<std::uint32_t> {};

TEST_P(ReadAtASlowRate, ReadsTheWholeBlockWithTheDefaultLimit) {
  const std::string baud = std::to_string(GetParam());
  Unit unit({"--baud", baud});
  const fs::path saved = unit.dir / "read.mts";
  const ProcessResult read =
      Dtuctl({"read", "--port", unit.port(), "--baud", baud, "-o", saved.string()});
  EXPECT_EQ(read.exit_status, kOk) << read.err;
  EXPECT_EQ(ReadAllBytes(saved), unit.State());
}

INSTANTIATE_TEST_SUITE_P(DtuctlPortCommands, ReadAtASlowRate,
                         ::testing::Values(1200u, 2400u, 921600u),
                         [](const auto& info) { return std::to_string(info.param); });

TEST(DtuctlPortCommands, ASilentUnitOnASlowLineStillEndsAfterTheLimit) {
  Unit unit({"--fault", "silent", "--baud", "1200"});
  const ProcessResult signal =
      Dtuctl({"signal", "--port", unit.port(), "--baud", "1200", "--timeout", "0.5"});
  EXPECT_EQ(signal.exit_status, kTimeout);
  EXPECT_THAT(signal.err, HasSubstr("的信号强度，0.5 秒后超时"));
}

TEST(DtuctlPortCommands, AnAnswerThatNeverEndsEndsAfterTheOverallLimitInOneLine) {
  Unit unit({"--fault", "babble", "--baud", "9600"});
  const ProcessResult read = Dtuctl({"read", "--port", unit.port(), "--timeout", "0.5"});
  EXPECT_EQ(read.exit_status, kTimeout);
  EXPECT_THAT(read.err, AllOf(StartsWith("dtuctl read: 等待 " + unit.port() + " 的完整的参数块，"),
                              HasSubstr(" 秒后应答仍未结束：已收到 "), HasSubstr(" 字节，开头是 "),
                              EndsWith("\n")));
  EXPECT_EQ(std::count(read.err.begin(), read.err.end(), '\n'), 1) << read.err;
  EXPECT_THAT(read.out, IsEmpty());
}

TEST(DtuctlPortCommands, AVanishedPortIsToldInOneLineWithoutTheEnginesReport) {
  for (const char* command : {"read", "signal"}) {
    Unit unit({"--fault", "vanish"});
    const ProcessResult run = Dtuctl({command, "--port", unit.port()});
    EXPECT_EQ(run.exit_status, kPortLost) << command;
    EXPECT_THAT(run.err, AllOf(HasSubstr("时端口 " + unit.port() + " 消失了"),
                               EndsWith("（输入/输出错误）\n"), Not(HasSubstr("WARNING")),
                               Not(HasSubstr("Application Error"))))
        << command;
    EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
  }
}

TEST(DtuctlPortCommands, SignalPrintsTheUnitsValue) {
  Unit unit({"--rssi", "17"});
  const ProcessResult signal = Dtuctl({"signal", "--port", unit.port()});
  EXPECT_EQ(signal.exit_status, kOk) << signal.err;
  EXPECT_EQ(signal.out, "信号强度: 17\n");

  Unit silent({"--fault", "silent"});
  const ProcessResult nothing = Dtuctl({"signal", "--port", silent.port(), "--timeout", "0.5"});
  EXPECT_EQ(nothing.exit_status, kTimeout);
  EXPECT_THAT(nothing.out, IsEmpty());
  EXPECT_THAT(nothing.err, AllOf(HasSubstr("信号强度"), HasSubstr(silent.port())));
}

TEST(DtuctlPortCommands, PortsListsDevicePaths) {
  const ProcessResult ports = Dtuctl({"ports"});
  EXPECT_EQ(ports.exit_status, kOk) << ports.err;
  std::size_t at = 0;
  while (at < ports.out.size()) {
    const std::size_t end = ports.out.find('\n', at);
    ASSERT_NE(end, std::string::npos) << "every line ends";
    EXPECT_THAT(ports.out.substr(at, end - at), StartsWith("/dev/"));
    at = end + 1;
  }
  EXPECT_EQ(Dtuctl({"ports", "extra"}).exit_status, kFailure);
}

TEST(DtuctlPortCommands, PortsThatCannotBeOpenedAreNamedWithTheReason) {
  TempDir dir;
  const fs::path plain_file = dir / "plain";
  WriteAllBytes(plain_file, std::string("not a terminal"));
  const fs::path dangling = dir / "ttyGone";
  fs::create_symlink(dir / "nowhere", dangling);
  WriteAllBytes(dir / "block.mts", ParameterBlock().bytes());
  struct Case {
    fs::path port;
    int exit_status;
    const char* reason;
  };
  const std::vector<Case> cases{
      {dir / "ttyNone", kPortMissing, "没有那个文件或目录"},
      {dangling, kPortMissing, "没有那个文件或目录"},
      {dir.path(), kPortError, "是一个目录"},
      {plain_file, kPortError, "不是终端设备"},
  };
  const std::vector<std::vector<std::string>> commands{
      {"read", "-o", (dir / "out.mts").string()},
      {"signal"},
      {"write", (dir / "block.mts").string()},
  };
  for (const Case& c : cases) {
    for (const std::vector<std::string>& command : commands) {
      std::vector<std::string> args = command;
      args.insert(args.begin() + 1, {"--port", c.port.string()});
      const ProcessResult result = Dtuctl(args);
      EXPECT_EQ(result.exit_status, c.exit_status) << command.front() << " " << c.port;
      EXPECT_THAT(result.err, AllOf(HasSubstr(c.port.string()), HasSubstr(c.reason)))
          << command.front();
      EXPECT_THAT(result.out, IsEmpty());
    }
  }
  EXPECT_FALSE(fs::exists(dir / "out.mts"));
}

class SilentOwner : public PortOwner {
 public:
  void NotificationPending() override {}
  void HandlePortMessage(const PortNotification&) override {}
};

TEST(DtuctlPortCommands, APortHeldByAnotherProgramIsBusy) {
  Unit unit;
  const fs::path saved = unit.dir / "read.mts";
  {
    SilentOwner owner;
    SerialPort holder;
    ASSERT_TRUE(holder.OpenPort(owner, unit.port(), LineSettings{}));
    const ProcessResult read = Dtuctl({"read", "--port", unit.port(), "-o", saved.string()});
    EXPECT_EQ(read.exit_status, kPortBusy);
    // Named is the holder of the lock, this test, not the simulated unit that keeps its
    // terminal open too.
    EXPECT_THAT(read.err,
                AllOf(HasSubstr(unit.port()),
                      HasSubstr("端口忙，占用它的是进程 " + std::to_string(::getpid()) + "（")));
    EXPECT_THAT(read.err, Not(HasSubstr("（dtusim）")));
    EXPECT_FALSE(fs::exists(saved));
  }
  const ProcessResult read = Dtuctl({"read", "--port", unit.port(), "-o", saved.string()});
  EXPECT_EQ(read.exit_status, kOk) << "free again: " << read.err;
}

// What another program finds when it opens the port: someone's advisory lock, or the exclusive
// flag that keeps every program but root's out.
struct PortState {
  bool locked = false;
  bool exclusive = false;
};

PortState StateOf(const std::string& port) {
  const Fd fd(::open(port.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC));
  PortState state;
  int exclusive = 0;
  state.exclusive = ::ioctl(fd.get(), TIOCGEXCL, &exclusive) == 0 && exclusive != 0;
  state.locked = ::flock(fd.get(), LOCK_EX | LOCK_NB) != 0;
  return state;
}

bool AwaitLocked(const std::string& port) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  while (!StateOf(port).locked) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return true;
}

TEST(DtuctlPortCommands, AnInterruptedCommandLeavesThePortFreeForEveryone) {
  Unit unit({"--fault", "silent"});
  const Fd null(::open("/dev/null", O_WRONLY | O_CLOEXEC));
  struct Case {
    int signal_number;
    ChildEnd end;
  };
  const Case cases[] = {
      {SIGINT, {130, 0}},
      {SIGTERM, {143, 0}},
      {SIGHUP, {129, 0}},
      {SIGKILL, {-1, SIGKILL}},  // nothing can be closed: nothing may be left behind either
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.signal_number);
    ChildProcess read({DTUCTL_PATH, "read", "--port", unit.port(), "--timeout", "60"}, null.get(),
                      null.get());
    ASSERT_TRUE(AwaitLocked(unit.port()));
    read.Signal(c.signal_number);
    const ChildEnd end = read.Wait();
    EXPECT_EQ(end.exit_status, c.end.exit_status);
    EXPECT_EQ(end.term_signal, c.end.term_signal);
    const PortState after = StateOf(unit.port());
    EXPECT_FALSE(after.locked);
    EXPECT_FALSE(after.exclusive);
  }
}

TEST(DtuctlPortCommands, OutputThatIsLostIsAFailureAndTheBlockIsSavedFirst) {
  Unit unit;
  const fs::path err = unit.dir / "stderr.txt";
  {
    const Fd full(::open("/dev/full", O_WRONLY | O_CLOEXEC));
    const Fd err_file(::open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644));
    ChildProcess signal({DTUCTL_PATH, "signal", "--port", unit.port()}, full.get(), err_file.get());
    EXPECT_EQ(signal.Wait().exit_status, kFailure);
  }
  const Bytes complaint = ReadAllBytes(err);
  EXPECT_THAT(std::string(complaint.begin(), complaint.end()),
              HasSubstr("无法写入标准输出：设备上没有空间"));

  // A reader that has gone, as `| head -1` leaves it: the block is saved, and the command ends
  // quietly instead of being killed.
  std::array<int, 2> ends{};
  ASSERT_EQ(::pipe2(ends.data(), O_CLOEXEC), 0);
  Fd read_end(ends[0]);
  Fd write_end(ends[1]);
  read_end.Close();
  const fs::path saved = unit.dir / "read.mts";
  const Fd err_file(::open(err.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC));
  ChildProcess read({DTUCTL_PATH, "read", "--port", unit.port(), "--output=" + saved.string()},
                    write_end.get(), err_file.get());
  write_end.Close();
  const ChildEnd end = read.Wait();
  EXPECT_EQ(end.term_signal, 0);
  EXPECT_EQ(end.exit_status, kFailure);
  EXPECT_EQ(ReadAllBytes(saved), unit.State());
  EXPECT_THAT(ReadAllBytes(err), IsEmpty());
}

TEST(DtuctlPortCommands, BothToolsTakeEveryOptionInEitherSpelling) {
  TempDir dir;
  const fs::path link = dir / "ttyDTU";
  DtusimProcess sim(DTUSIM_PATH, {"--link=" + link.string(), "--rssi=19", "--fault", "noise"});
  const ProcessResult signal = Dtuctl({"signal", "--port=" + link.string(), "--timeout=10"});
  EXPECT_EQ(signal.exit_status, kOk) << signal.err;
  EXPECT_EQ(signal.out, "信号强度: 19\n");

  const fs::path saved = dir / "read.mts";
  const std::vector<std::vector<std::string>> outputs{
      {"--output=" + saved.string()}, {"--output", saved.string()}, {"-o", saved.string()}};
  for (const std::vector<std::string>& output : outputs) {
    fs::remove(saved);
    std::vector<std::string> args{"read", "--port", link.string()};
    args.insert(args.end(), output.begin(), output.end());
    const ProcessResult read = Dtuctl(args);
    EXPECT_EQ(read.exit_status, kOk) << output.front() << ": " << read.err;
    EXPECT_EQ(ReadAllBytes(saved).size(), kBlockSize) << output.front();
  }
}

TEST(DtuctlPortCommands, BadCommandLinesAndFilesAreRefusedBeforeTheUnitHearsAnything) {
  Unit unit;
  const Bytes before = unit.State();
  const fs::path short_file = unit.dir / "short.mts";
  WriteAllBytes(short_file, std::string(100, 'x'));
  ParameterBlock damaged = ChangedBlock(BlockOf(before));
  damaged.bytes()[100] ^= 0x01;
  const fs::path damaged_file = unit.dir / "damaged.mts";
  WriteAllBytes(damaged_file, damaged.bytes());
  const std::string port = unit.port();
  struct Case {
    std::vector<std::string> args;
    int exit_status;
    const char* message;
  };
  const std::vector<Case> cases{
      {{"read"}, kFailure, "缺少 --port"},
      {{"read", "--port", port, "--baud", "12345"}, kFailure, "波特率 '12345'"},
      {{"read", "--port", port, "--parity", "X"}, kFailure, "校验位"},
      {{"read", "--port", port, "--data", "6"}, kFailure, "数据位"},
      {{"read", "--port", port, "--stop", "3"}, kFailure, "停止位"},
      {{"read", "--port", port, "--timeout", "0"}, kFailure, "时限"},
      {{"read", "--port", port, "--timeout", "-1"}, kFailure, "时限"},
      {{"read", "--port", port, "--timeout", "soon"}, kFailure, "时限"},
      {{"read", "--port", port, "--timeout", "1e-09"}, kFailure, "0.001 到 86400"},
      {{"read", "--port", port, "--timeout", "0.0009"}, kFailure, "0.001 到 86400"},
      {{"read", "--port", port, "--timeout"}, kFailure, "需要一个值"},
      {{"read", "--port", port, "-o"}, kFailure, "选项 '--output' 需要一个值"},
      {{"read", "--port", port, "--verbose"}, kFailure, "没有选项 '--verbose'"},
      {{"signal", "--port", port, "extra"}, kFailure, "多余的操作数 'extra'"},
      {{"write", "--port", port}, kFailure, "缺少 FILE"},
      {{"write", "--port", port, "a", "b"}, kFailure, "操作数过多"},
      {{"write", "--port", port, (unit.dir / "absent.mts").string()}, kFailure, "absent.mts"},
      {{"write", "--port", port, short_file.string()}, kFailure, "short.mts"},
      {{"write", "--port", port, damaged_file.string()}, kChecksum, "参数设置有误，请重新设置"},
  };
  for (const Case& c : cases) {
    const ProcessResult result = Dtuctl(c.args);
    EXPECT_EQ(result.exit_status, c.exit_status) << c.args.back() << ": " << result.err;
    EXPECT_THAT(result.err, HasSubstr(c.message)) << c.args.back();
    EXPECT_THAT(result.out, IsEmpty()) << c.args.back();
  }
  EXPECT_EQ(unit.State(), before);
  // The unit still answers: none of the refused commands left anything half sent.
  EXPECT_EQ(Dtuctl({"signal", "--port", port}).out, "信号强度: 23\n");
}

TEST(DtuctlPortCommands, EachPortCommandHasHelp) {
  for (const char* command : {"ports", "read", "write", "signal"}) {
    const ProcessResult help = Dtuctl({command, "--help"});
    EXPECT_EQ(help.exit_status, kOk) << command;
    EXPECT_THAT(help.out, StartsWith(std::string("用法：dtuctl ") + command)) << command;
  }
}

}  // namespace
}  // namespace dtu
