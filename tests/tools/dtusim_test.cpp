// dtusim run as a process: a client on its pseudo-terminal asks what the tool asks and checks the
// answers byte for byte, the state file, the link, the faults and the pacing.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <termios.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "core/block/parameter_block.h"
#include "core/device/device_commands.h"
#include "core/text/gbk_codec.h"
#include "core/text/hex_text.h"
#include "support/default_unit_status.h"
#include "support/dtusim_process.h"
#include "support/pty_client.h"
#include "support/run_process.h"
#include "support/temp_dir.h"

namespace dtu {
namespace {

using std::chrono::milliseconds;
using test::DtusimProcess;
using test::PtyClient;
using test::TempDir;
using ::testing::HasSubstr;
using ::testing::IsEmpty;
using ::testing::StartsWith;

namespace fs = std::filesystem;

constexpr int kExitVanished = 3;

DtusimProcess StartSim(const std::vector<std::string>& args = {}) {
  return DtusimProcess(DTUSIM_PATH, args);
}

const std::string kStatusPart(test::kDefaultUnitStatus);
const std::size_t kReplySize = kStatusPart.size() + 7 + 2 * kBlockSize;

ParameterBlock BlockFromDigits(std::string_view digits) {
  ParameterBlock block;
  const auto bytes = DecodeHexText(digits);
  std::copy_n(bytes.begin(), std::min(bytes.size(), block.bytes().size()), block.bytes().begin());
  return block;
}

// The block of a "$$$AT+GETPARA?" answer: the characters behind "DTUPARA".
std::string DigitsOf(const std::string& reply) {
  const auto at = reply.find("DTUPARA");
  return at == std::string::npos ? std::string() : reply.substr(at + 7);
}

std::string ReadParameters(PtyClient& client) {
  client.Send(kGetParametersCommand);
  const std::string head = client.ReadUntil("DTUPARA");
  return head + client.ReadCount(2 * kBlockSize);
}

ParameterBlock StateFileBlock(const fs::path& path) {
  const auto bytes = test::ReadAllBytes(path);
  EXPECT_EQ(bytes.size(), kBlockSize);
  ParameterBlock block;
  std::copy_n(bytes.begin(), std::min(bytes.size(), kBlockSize), block.bytes().begin());
  return block;
}

ParameterBlock ChangedBlock(ParameterBlock block) {
  block.set_apn("UNINET");
  block.set_sms_centre(Utf8ToGbk("8613010112500").bytes);
  block.set_heartbeat_interval(60);
  return block;
}

TEST(Dtusim, PrintsItsPortWhichPassesBytesUnchanged) {
  DtusimProcess sim = StartSim();
  ASSERT_THAT(sim.port_path(), StartsWith("/dev/pts/"));
  // The client changes nothing: the simulator itself set the port raw.
  PtyClient client(sim.port_path());
  const termios settings = client.Settings();
  EXPECT_EQ(settings.c_lflag & (ICANON | ECHO | ISIG | IEXTEN), 0u);
  EXPECT_EQ(settings.c_iflag & (ICRNL | INLCR | IGNCR | ISTRIP | IXON), 0u);
  EXPECT_EQ(settings.c_oflag & OPOST, 0u);
  EXPECT_EQ(settings.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));

  const std::string reply = ReadParameters(client);
  EXPECT_THAT(reply, StartsWith("\r\n    IP:10.20.30.40\r\nDNSIP1:")) << "CR LF arrive unchanged";
  EXPECT_EQ(sim.Stop(), 0);
}

TEST(Dtusim, ParametersReplyHasTheExactFormatAndAVerifiedBlock) {
  DtusimProcess sim = StartSim();
  PtyClient client(sim.port_path(), true);
  const std::string reply = ReadParameters(client);
  ASSERT_EQ(reply.size(), kReplySize);
  EXPECT_EQ(reply.substr(0, kStatusPart.size() + 7), kStatusPart + "DTUPARA");
  const std::string digits = DigitsOf(reply);
  ASSERT_EQ(digits.size(), 2 * kBlockSize);
  EXPECT_TRUE(
      std::ranges::all_of(digits, [](char c) { return std::isxdigit(c) && !std::islower(c); }));
  const ParameterBlock block = BlockFromDigits(digits);
  EXPECT_TRUE(VerifyBlock(block));
  EXPECT_EQ(block.length(), kBlockSize);
  EXPECT_EQ(block.apn(), "CMNET");
  EXPECT_EQ(block.work_mode(), 0);
  EXPECT_EQ(client.ReadFor(milliseconds(100)), "") << "nothing after the block";
}

TEST(Dtusim, StatusValuesComeFromTheCommandLineInGbk) {
  DtusimProcess sim = StartSim({"--version",      "V6.0 标准版",
                                "--gsn",          "866123045678901",
                                "--board-serial", "ZB1",
                                "--csca",         "\"+8613800200500\",145",
                                "--rssi",         "26,99",
                                "--ip",           "10.71.23.145",
                                "--dns1",         "1.1.1.1",
                                "--dns2",         "2.2.2.2",
                                "--dns3",         "3.3.3.3",
                                "--dns4",         "4.4.4.4",
                                "--dns5",         "5.5.5.5",
                                "--dns6",         "6.6.6.6",
                                "--dns-server1",  "114.114.114.114",
                                "--dns-server2",  "8.8.8.8"});
  PtyClient client(sim.port_path(), true);
  const std::string reply = ReadParameters(client);
  const std::string expected =
      "\r\n    IP:10.71.23.145\r\nDNSIP1:1.1.1.1\r\nDNSIP2:2.2.2.2\r\nDNSIP3:3.3.3.3\r\n"
      "DNSIP4:4.4.4.4\r\nDNSIP5:5.5.5.5\r\nDNSIP6:6.6.6.6\r\nDNSSERVERIP1:114.114.114.114\r\n"
      "DNSSERVERIP2:8.8.8.8\r\nXuLieHao:ZB1\r\nGSN:866123045678901\r\nVER:" +
      Utf8ToGbk("V6.0 标准版").bytes + "\rCSCA:\"+8613800200500\",145\rRSSI:26,99\rDTUPARA";
  EXPECT_EQ(reply.substr(0, expected.size()), expected);
  client.Send(kGetSignalCommand);
  EXPECT_EQ(client.ReadUntil("\r"), "RSSI:26,99\r");
}

TEST(Dtusim, SignalStrength) {
  DtusimProcess sim = StartSim();
  PtyClient client(sim.port_path(), true);
  client.Send(kGetSignalCommand);
  EXPECT_EQ(client.ReadUntil("\r"), "RSSI:23\r");
  EXPECT_EQ(client.ReadFor(milliseconds(50)), "");
}

TEST(Dtusim, AcceptedFrameIsStoredAndKeptAcrossRuns) {
  TempDir dir;
  const fs::path state = dir / "unit.bin";
  ParameterBlock changed;
  {
    DtusimProcess sim = StartSim({"--state", state.string()});
    ASSERT_TRUE(fs::exists(state)) << "created when absent";
    EXPECT_TRUE(VerifyBlock(StateFileBlock(state)));
    PtyClient client(sim.port_path(), true);
    changed = ChangedBlock(BlockFromDigits(DigitsOf(ReadParameters(client))));
    const std::string frame = BuildParameterFrame(changed);
    ASSERT_EQ(frame.size(), kParameterFrameSize);
    // Sent in three writes, as a slow line would deliver it.
    client.Send(frame.substr(0, 5));
    client.Send(frame.substr(5, 700));
    client.Send(frame.substr(705));
    EXPECT_EQ(client.ReadUntil("$$$SETOK"), "$$$SETOK");
    EXPECT_EQ(StateFileBlock(state), changed);
    EXPECT_EQ(BlockFromDigits(DigitsOf(ReadParameters(client))), changed);
    EXPECT_EQ(sim.Stop(), 0);
  }
  EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), {}), 1) << "no temporary left";
  DtusimProcess again = StartSim({"--state", state.string()});
  PtyClient client(again.port_path(), true);
  EXPECT_EQ(BlockFromDigits(DigitsOf(ReadParameters(client))), changed);
}

TEST(Dtusim, RefusedFramesLeaveTheStateAlone) {
  struct Case {
    const char* what;
    std::vector<std::string> faults;
    bool spoil_checksum;
  };
  const std::vector<Case> cases{
      {"wrong checksum", {}, true},
      {"fault reject", {"--fault", "reject"}, false},
  };
  for (const Case& c : cases) {
    TempDir dir;
    const fs::path state = dir / "unit.bin";
    std::vector<std::string> args{"--state", state.string()};
    args.insert(args.end(), c.faults.begin(), c.faults.end());
    DtusimProcess sim = StartSim(args);
    const auto before = test::ReadAllBytes(state);
    ParameterBlock changed = ChangedBlock(StateFileBlock(state));
    std::string frame = BuildParameterFrame(changed);
    if (c.spoil_checksum) frame[kSetParametersPrefix.size() + 4] ^= 1;  // a checksum digit
    PtyClient client(sim.port_path(), true);
    client.Send(frame);
    EXPECT_EQ(client.ReadUntil("\r"), "$$$ChkErr\r") << c.what;
    EXPECT_EQ(test::ReadAllBytes(state), before) << c.what;
    EXPECT_TRUE(VerifyBlock(BlockFromDigits(DigitsOf(ReadParameters(client))))) << c.what;
  }
}

TEST(Dtusim, AFrameCutOffByANewCommandIsRefusedAndTheCommandAnswered) {
  DtusimProcess sim = StartSim();
  PtyClient client(sim.port_path(), true);
  ParameterBlock block;
  client.Send(BuildParameterFrame(block).substr(0, 600));
  client.Send(kGetSignalCommand);
  EXPECT_EQ(client.ReadUntil("RSSI:23\r"), "$$$ChkErr\rRSSI:23\r");
}

TEST(Dtusim, LinkPointsToThePortAndGoesAtExit) {
  TempDir dir;
  const fs::path link = dir / "ttyDTU";
  fs::create_symlink("/dev/pts/4242", link);  // left by a simulator killed outright
  DtusimProcess sim = StartSim({"--link", link.string()});
  ASSERT_TRUE(fs::is_symlink(link)) << "a link to a pseudo-terminal is replaced";
  EXPECT_EQ(fs::read_symlink(link).string(), sim.port_path());
  {
    PtyClient client(link.string(), true);
    client.Send(kGetSignalCommand);
    EXPECT_EQ(client.ReadUntil("\r"), "RSSI:23\r");
  }
  EXPECT_EQ(sim.Stop(), 0);
  EXPECT_FALSE(fs::exists(fs::symlink_status(link)));
}

// Only a link to a pseudo-terminal, as dtusim makes, is replaced; anything else at PATH is
// someone's and stays as it is.
TEST(Dtusim, LinkReplacesNothingButALinkToATerminal) {
  TempDir dir;
  test::WriteAllBytes(dir / "file", std::string("in the way"));
  fs::create_directory(dir / "folder");
  fs::create_symlink(dir / "file", dir / "to-file");
  for (const char* name : {"file", "folder", "to-file"}) {
    SCOPED_TRACE(name);
    const test::ProcessResult run =
        test::RunProcess({DTUSIM_PATH, "--link", (dir / name).string(), "--exit-after-idle", "1"});
    EXPECT_EQ(run.exit_status, 1);
    EXPECT_THAT(run.err, HasSubstr("不是指向伪终端的链接"));
    EXPECT_EQ(run.out, "");
  }
  EXPECT_EQ(test::ReadAllBytes(dir / "file").size(), 10u);
  EXPECT_TRUE(fs::is_directory(dir / "folder"));
  EXPECT_EQ(fs::read_symlink(dir / "to-file"), dir / "file");
}

TEST(Dtusim, StopsByItselfWhenIdle) {
  DtusimProcess sim = StartSim({"--exit-after-idle", "0.2"});
  EXPECT_EQ(sim.WaitForExit(milliseconds(30000)), 0);
}

TEST(Dtusim, FaultsInTheParametersReply) {
  struct Case {
    const char* fault;
    std::size_t digits;  // how many block characters arrive
    bool verifies;
    bool lower_case;
  };
  const std::vector<Case> cases{
      {"bad-checksum", 1320, false, false},
      {"lowercase", 1320, true, true},
      {"short-block", 1000, true, false},
  };
  for (const Case& c : cases) {
    DtusimProcess sim = StartSim({"--fault", c.fault});
    PtyClient client(sim.port_path(), true);
    client.Send(kGetParametersCommand);
    EXPECT_EQ(client.ReadUntil("DTUPARA"), kStatusPart + "DTUPARA") << c.fault;
    std::string digits = client.ReadCount(c.digits);
    digits += client.ReadFor(milliseconds(200));
    EXPECT_EQ(digits.size(), c.digits) << c.fault;
    EXPECT_EQ(std::ranges::any_of(digits, [](char ch) { return std::islower(ch); }), c.lower_case)
        << c.fault;
    if (c.digits == 1320) {
      EXPECT_EQ(VerifyBlock(BlockFromDigits(digits)), c.verifies) << c.fault;
    }
  }
}

TEST(Dtusim, NoiseLeavesTheValuesReadable) {
  DtusimProcess sim = StartSim({"--fault", "noise"});
  PtyClient client(sim.port_path(), true);
  client.Send(kGetParametersCommand);
  const std::string head = client.ReadUntil("DTUPARA");
  const std::string reply = head + client.ReadCount(2 * kBlockSize);
  EXPECT_GT(head.size(), kStatusPart.size() + 7);
  for (std::string_view value : {"\r\n    IP:10.20.30.40\r\n", "DNSSERVERIP2:211.136.20.203\r\n",
                                 "GSN:356938035643809\r\n", "VER:V3.6.2\r", "RSSI:23\r"})
    EXPECT_THAT(reply, HasSubstr(std::string(value)));
  EXPECT_TRUE(VerifyBlock(BlockFromDigits(DigitsOf(reply))));
  client.Send(kGetSignalCommand);
  std::string signal = client.ReadUntil("RSSI:23\r");
  signal += client.ReadFor(milliseconds(100));
  EXPECT_THAT(signal, HasSubstr("RSSI:23\r"));
  EXPECT_NE(signal, "RSSI:23\r");
}

TEST(Dtusim, ChunkedAnswersArriveWholeInPieces) {
  DtusimProcess sim = StartSim({"--fault", "chunked", "--rssi", "26,99,123456789"});
  PtyClient client(sim.port_path(), true);
  const auto start = std::chrono::steady_clock::now();
  client.Send(kGetSignalCommand);
  EXPECT_EQ(client.ReadUntil("\r"), "RSSI:26,99,123456789\r");  // 21 bytes: 3 pieces
  const auto took = std::chrono::steady_clock::now() - start;
  EXPECT_GE(took, milliseconds(40)) << "two pauses of 20 ms";
  EXPECT_GE(client.reads(), 2);
}

TEST(Dtusim, SilentAnswersNothingAndStoresNothing) {
  TempDir dir;
  const fs::path state = dir / "unit.bin";
  DtusimProcess sim = StartSim({"--fault", "silent", "--state", state.string()});
  const auto before = test::ReadAllBytes(state);
  PtyClient client(sim.port_path(), true);
  ParameterBlock changed = ChangedBlock(StateFileBlock(state));
  client.Send(std::string(kGetParametersCommand) + std::string(kGetSignalCommand) +
              BuildParameterFrame(changed));
  EXPECT_EQ(client.ReadFor(milliseconds(300)), "");
  EXPECT_EQ(test::ReadAllBytes(state), before);
  EXPECT_EQ(sim.Stop(), 0);
}

TEST(Dtusim, VanishClosesThePortHalfWayThroughAnAnswer) {
  TempDir dir;
  const fs::path link = dir / "ttyDTU";
  DtusimProcess sim = StartSim({"--fault", "vanish", "--link", link.string()});
  PtyClient client(sim.port_path(), true);
  client.Send(kGetParametersCommand);
  const std::string got = client.ReadFor(milliseconds(10000));
  EXPECT_TRUE(client.hung_up());
  EXPECT_EQ(got.size(), kReplySize / 2);
  EXPECT_THAT(got, StartsWith(kStatusPart + "DTUPARA"));
  EXPECT_TRUE(std::ranges::all_of(DigitsOf(got), [](char c) { return std::isxdigit(c); }));
  EXPECT_EQ(sim.WaitForExit(milliseconds(30000)), kExitVanished);
  EXPECT_FALSE(fs::exists(fs::symlink_status(link)));
}

TEST(Dtusim, PacedAtNineThousandSixHundredBaud) {
  DtusimProcess sim = StartSim({"--baud", "9600"});
  PtyClient client(sim.port_path(), true);
  const auto start = std::chrono::steady_clock::now();
  const std::string reply = ReadParameters(client);
  const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
  std::printf("a %zu-byte answer at 9600 baud took %.3f s (%.3f s expected)\n", reply.size(),
              took.count(), static_cast<double>(reply.size()) * 10 / 9600);
  EXPECT_EQ(reply.size(), kReplySize);
  EXPECT_GT(took.count(), 0.8) << "not paced";
}

TEST(Dtusim, CommandLineProblems) {
  const test::ProcessResult help = test::RunProcess({DTUSIM_PATH, "--help"});
  EXPECT_EQ(help.exit_status, 0);
  EXPECT_THAT(help.out, StartsWith("用法：dtusim"));

  const test::ProcessResult bad = test::RunProcess({DTUSIM_PATH, "--fault", "sneeze"});
  EXPECT_EQ(bad.exit_status, 2);
  EXPECT_THAT(bad.err, HasSubstr("sneeze"));
  EXPECT_THAT(bad.out, IsEmpty());

  TempDir dir;
  const fs::path odd = dir / "odd.bin";
  test::WriteAllBytes(odd, std::string(100, 'x'));
  const test::ProcessResult wrong_size = test::RunProcess({DTUSIM_PATH, "--state", odd.string()});
  EXPECT_EQ(wrong_size.exit_status, 1);
  EXPECT_THAT(wrong_size.err, HasSubstr("有 100 字节"));
  EXPECT_EQ(test::ReadAllBytes(odd).size(), 100u) << "not overwritten";

  const fs::path in_a_directory = dir / "sub";
  fs::create_directory(in_a_directory);
  const test::ProcessResult link_blocked =
      test::RunProcess({DTUSIM_PATH, "--link", in_a_directory.string()});
  EXPECT_EQ(link_blocked.exit_status, 1);
  EXPECT_TRUE(fs::is_directory(in_a_directory));
}

}  // namespace
}  // namespace dtu
