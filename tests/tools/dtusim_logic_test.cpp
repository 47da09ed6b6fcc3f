// The simulated unit's logic without a terminal: command recognition, answers and their faults,
// pacing, options, the default block and the state file.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "core/block/parameter_block.h"
#include "core/device/device_commands.h"
#include "core/text/gbk_codec.h"
#include "core/text/hex_text.h"
#include "dtusim/block_store.h"
#include "dtusim/command_scanner.h"
#include "dtusim/default_block.h"
#include "dtusim/output_pacer.h"
#include "dtusim/reply_builder.h"
#include "dtusim/sim_options.h"
#include "dtusim/simulated_dtu.h"
#include "support/default_unit_status.h"
#include "support/temp_dir.h"

namespace dtusim {
namespace {

using std::chrono::milliseconds;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;

std::string FrameFor(dtu::ParameterBlock block) {
  return dtu::BuildParameterFrame(block);
}

std::string Digits(const dtu::ParameterBlock& block) {
  return dtu::EncodeHexText(block.bytes());
}

dtu::ParameterBlock BlockFromDigits(std::string_view digits) {
  dtu::ParameterBlock block;
  const auto bytes = dtu::DecodeHexText(digits);
  std::copy_n(bytes.begin(), std::min(bytes.size(), block.bytes().size()), block.bytes().begin());
  return block;
}

std::vector<CommandKind> Kinds(const std::vector<Command>& commands) {
  std::vector<CommandKind> kinds;
  for (const Command& c : commands) kinds.push_back(c.kind);
  return kinds;
}

// ---- CommandScanner ----

TEST(CommandScanner, FindsEachCommandWhereverTheStreamIsCut) {
  const std::string frame = FrameFor(MakeDefaultBlock());
  const std::string stream = "junk$$$AT+GETPARA?xx$$$AT+GET1?" + frame + "$$$AT+GET1?";
  for (std::size_t piece = 1; piece <= 17; ++piece) {
    CommandScanner scanner;
    std::vector<Command> found;
    for (std::size_t at = 0; at < stream.size(); at += piece)
      for (Command& c : scanner.Feed(std::string_view(stream).substr(at, piece)))
        found.push_back(std::move(c));
    ASSERT_THAT(Kinds(found), ElementsAre(CommandKind::GetParameters, CommandKind::GetSignal,
                                          CommandKind::SetParameters, CommandKind::GetSignal))
        << "pieces of " << piece;
    EXPECT_EQ(found[2].frame_digits, frame.substr(dtu::kSetParametersPrefix.size()));
  }
}

TEST(CommandScanner, RecognisesCommandsBehindAnyPrefix) {
  struct Case {
    std::string input;
    std::vector<CommandKind> expected;
  };
  const std::vector<Case> cases{
      {"$$$$AT+GETPARA?", {CommandKind::GetParameters}},  // an extra dollar sign
      {"\r\n$$$AT+GET1?", {CommandKind::GetSignal}},
      {"$$$AT+GET1?$$$AT+GET1?", {CommandKind::GetSignal, CommandKind::GetSignal}},
      {"$$$AT+GETPARA", {}},   // unfinished
      {"$$AT+GETPARA?", {}},   // two dollar signs only
      {"$$$at+getpara?", {}},  // commands are case-sensitive
      {"$$$AT+GET1?\0", {CommandKind::GetSignal}},
  };
  for (const Case& c : cases) {
    CommandScanner scanner;
    EXPECT_EQ(Kinds(scanner.Feed(c.input)), c.expected) << c.input;
  }
}

TEST(CommandScanner, TakesExactlyTheCharactersOfAFrameWhateverTheyAre) {
  CommandScanner scanner;
  std::string digits(1320, 'Z');
  digits[0] = '\r';
  const auto found = scanner.Feed("$$$AT+SETPARA" + digits + "$$$AT+GET1?");
  ASSERT_THAT(Kinds(found), ElementsAre(CommandKind::SetParameters, CommandKind::GetSignal));
  EXPECT_EQ(found[0].frame_digits, digits);
  EXPECT_FALSE(scanner.collecting_frame());
}

TEST(CommandScanner, ANewCommandAbandonsAnUnfinishedFrame) {
  CommandScanner scanner;
  EXPECT_THAT(scanner.Feed("$$$AT+SETPARA" + std::string(500, '0')), IsEmpty());
  EXPECT_TRUE(scanner.collecting_frame());
  EXPECT_THAT(Kinds(scanner.Feed("$$$AT+GETPARA?")),
              ElementsAre(CommandKind::AbandonedFrame, CommandKind::GetParameters));
  EXPECT_FALSE(scanner.collecting_frame());
}

// ---- ReplyBuilder ----

const std::string kStatusPart(dtu::test::kDefaultUnitStatus);

TEST(ReplyBuilder, ParametersReplyHasTheLabelledValuesThenTheBlock) {
  ReplyBuilder builder(DeviceStatus{}, {});
  const dtu::ParameterBlock block = MakeDefaultBlock();
  const Reply reply = builder.ParametersReply(block);
  EXPECT_EQ(reply.Text(), kStatusPart + "DTUPARA" + Digits(block));
  EXPECT_EQ(reply.pieces.size(), 1u);
  EXPECT_FALSE(reply.vanish_after);
}

TEST(ReplyBuilder, ShortAnswers) {
  ReplyBuilder builder(DeviceStatus{}, {});
  EXPECT_EQ(builder.SignalReply().Text(), "RSSI:23\r");
  EXPECT_EQ(builder.AcceptedReply().Text(), "$$$SETOK");
  EXPECT_EQ(builder.RejectedReply().Text(), "$$$ChkErr\r");
}

std::string BlockDigitsOf(const Reply& reply) {
  const std::string text = reply.Text();
  const auto at = text.find("DTUPARA");
  return at == std::string::npos ? std::string() : text.substr(at + 7);
}

TEST(ReplyBuilder, BlockFaults) {
  const dtu::ParameterBlock block = MakeDefaultBlock();
  {
    ReplyBuilder builder(DeviceStatus{}, {Fault::BadChecksum});
    const std::string digits = BlockDigitsOf(builder.ParametersReply(block));
    ASSERT_EQ(digits.size(), 1320u);
    EXPECT_FALSE(dtu::VerifyBlock(BlockFromDigits(digits)));
    EXPECT_EQ(digits.substr(8), Digits(block).substr(8)) << "only the checksum differs";
  }
  {
    ReplyBuilder builder(DeviceStatus{}, {Fault::Lowercase});
    const std::string digits = BlockDigitsOf(builder.ParametersReply(block));
    EXPECT_TRUE(std::ranges::none_of(digits, [](char c) { return c >= 'A' && c <= 'F'; }));
    EXPECT_TRUE(std::ranges::any_of(digits, [](char c) { return c >= 'a' && c <= 'f'; }));
    EXPECT_EQ(BlockFromDigits(digits), block);
  }
  {
    ReplyBuilder builder(DeviceStatus{}, {Fault::ShortBlock});
    const std::string digits = BlockDigitsOf(builder.ParametersReply(block));
    EXPECT_EQ(digits, Digits(block).substr(0, ReplyBuilder::kShortBlockDigits));
  }
}

// Every character that occurs in a keyword the tool recognises.
bool OccursInAKeyword(char c) {
  static const std::string keywords =
      "SETACNOK\r\n$$$SETOK$$$ChkErr\rDTUPARA\r\n    IP:DNSIP1:DNSIP2:DNSIP3:DNSIP4:DNSIP5:"
      "DNSIP6:DNSSERVERIP1:DNSSERVERIP2:XuLieHao:GSN:VER:CSCA:RSSI:";
  return keywords.find(c) != std::string::npos;
}

TEST(ReplyBuilder, NoiseIsJunkThatFormsNoKeywordAndLeavesTheValuesIntact) {
  const dtu::ParameterBlock block = MakeDefaultBlock();
  ReplyBuilder noisy(DeviceStatus{}, {Fault::Noise});
  const std::string text = noisy.ParametersReply(block).Text();
  std::string junk;
  std::string rest;
  for (const char c : text)
    (ReplyBuilder::kJunkBytes.find(c) != std::string_view::npos ? junk : rest).push_back(c);
  EXPECT_GE(junk.size(), 15u) << "junk before every value";
  EXPECT_TRUE(std::ranges::none_of(junk, OccursInAKeyword));
  EXPECT_EQ(rest, kStatusPart + "DTUPARA" + Digits(block));
  EXPECT_NE(text.find("DTUPARA" + Digits(block)), std::string::npos)
      << "nothing between the keyword and the digits";
  EXPECT_THAT(noisy.AcceptedReply().Text(), HasSubstr("$$$SETOK"));
  EXPECT_NE(noisy.AcceptedReply().Text(), "$$$SETOK");
}

TEST(ReplyBuilder, ChunkedAnswersComeInSevenBytePiecesWithPauses) {
  ReplyBuilder builder(DeviceStatus{}, {Fault::Chunked});
  const Reply reply = builder.ParametersReply(MakeDefaultBlock());
  ReplyBuilder plain(DeviceStatus{}, {});
  EXPECT_EQ(reply.Text(), plain.ParametersReply(MakeDefaultBlock()).Text());
  ASSERT_EQ(reply.pieces.size(), (reply.size() + 6) / 7);
  EXPECT_EQ(reply.pieces[0].pause_before, milliseconds(0));
  for (std::size_t i = 1; i < reply.pieces.size(); ++i) {
    EXPECT_EQ(reply.pieces[i].pause_before, milliseconds(20));
    EXPECT_LE(reply.pieces[i].bytes.size(), 7u);
  }
}

TEST(ReplyBuilder, VanishSendsHalfTheAnswer) {
  ReplyBuilder builder(DeviceStatus{}, {Fault::Vanish});
  ReplyBuilder plain(DeviceStatus{}, {});
  const std::string full = plain.ParametersReply(MakeDefaultBlock()).Text();
  const Reply reply = builder.ParametersReply(MakeDefaultBlock());
  EXPECT_TRUE(reply.vanish_after);
  EXPECT_EQ(reply.Text(), full.substr(0, full.size() / 2));
}

// ---- SimulatedDtu ----

struct StoreSpy {
  std::vector<dtu::ParameterBlock> stored;
  bool succeed = true;
  SimulatedDtu::StoreBlock Callback() {
    return [this](const dtu::ParameterBlock& b) {
      if (succeed) stored.push_back(b);
      return succeed;
    };
  }
};

std::string Answer(SimulatedDtu& dtu, std::string_view input) {
  std::string text;
  for (const Reply& r : dtu.Feed(input)) text += r.Text();
  return text;
}

dtu::ParameterBlock ChangedBlock() {
  dtu::ParameterBlock block = MakeDefaultBlock();
  block.set_apn("UNINET");
  block.set_sms_number3(dtu::Utf8ToGbk("13700137000").bytes);
  dtu::SealBlock(block);
  return block;
}

TEST(SimulatedDtu, StoresAFrameWithAMatchingChecksum) {
  StoreSpy spy;
  SimulatedDtu dtu(MakeDefaultBlock(), {}, {}, spy.Callback());
  const dtu::ParameterBlock changed = ChangedBlock();
  EXPECT_EQ(Answer(dtu, FrameFor(changed)), "$$$SETOK");
  EXPECT_EQ(dtu.block(), changed);
  EXPECT_THAT(spy.stored, ElementsAre(changed));
  EXPECT_EQ(Answer(dtu, "$$$AT+GETPARA?"), kStatusPart + "DTUPARA" + Digits(changed));
}

TEST(SimulatedDtu, LengthWordIsNotExamined) {
  SimulatedDtu dtu(MakeDefaultBlock(), {}, {}, {});
  dtu::ParameterBlock changed = ChangedBlock();
  changed.set_length(1234);
  EXPECT_EQ(Answer(dtu, "$$$AT+SETPARA" + Digits(changed)), "$$$SETOK");
  EXPECT_EQ(dtu.block(), changed);
}

TEST(SimulatedDtu, RefusedFramesKeepTheOldBlock) {
  struct Case {
    const char* what;
    FaultSet faults;
    bool store_succeeds;
    std::string frame;
  };
  dtu::ParameterBlock wrong = ChangedBlock();
  wrong.bytes()[2] ^= 1;
  dtu::ParameterBlock high_byte = ChangedBlock();
  high_byte.bytes()[3] = 1;
  const std::vector<Case> cases{
      {"wrong checksum", {}, true, "$$$AT+SETPARA" + Digits(wrong)},
      {"checksum high byte set", {}, true, "$$$AT+SETPARA" + Digits(high_byte)},
      {"fault reject", {Fault::Reject}, true, FrameFor(ChangedBlock())},
      {"state file not replaced", {}, false, FrameFor(ChangedBlock())},
      {"cut off by a new command", {}, true, FrameFor(ChangedBlock()).substr(0, 900) + "$$$AT+"},
  };
  for (const Case& c : cases) {
    StoreSpy spy;
    spy.succeed = c.store_succeeds;
    SimulatedDtu dtu(MakeDefaultBlock(), {}, c.faults, spy.Callback());
    EXPECT_EQ(Answer(dtu, c.frame), "$$$ChkErr\r") << c.what;
    EXPECT_EQ(dtu.block(), MakeDefaultBlock()) << c.what;
    EXPECT_THAT(spy.stored, IsEmpty()) << c.what;
  }
}

TEST(SimulatedDtu, SilentIgnoresEverything) {
  StoreSpy spy;
  SimulatedDtu dtu(MakeDefaultBlock(), {}, {Fault::Silent}, spy.Callback());
  EXPECT_THAT(dtu.Feed("$$$AT+GETPARA?$$$AT+GET1?" + FrameFor(ChangedBlock())), IsEmpty());
  EXPECT_EQ(dtu.block(), MakeDefaultBlock());
  EXPECT_THAT(spy.stored, IsEmpty());
}

TEST(SimulatedDtu, AnswersInTheOrderAsked) {
  DeviceStatus status;
  status.rssi = "7";
  SimulatedDtu dtu(MakeDefaultBlock(), status, {}, {});
  EXPECT_EQ(Answer(dtu, "$$$AT+GET1?" + FrameFor(ChangedBlock()) + "$$$AT+GET1?"),
            "RSSI:7\r$$$SETOKRSSI:7\r");
}

// ---- OutputPacer ----

const Clock::time_point kStart{};

Reply OnePiece(std::string text) {
  return Reply{{{std::move(text), milliseconds(0)}}, false};
}

TEST(OutputPacer, WithoutPacingEverythingIsDueAtOnce) {
  OutputPacer pacer(0);
  pacer.Enqueue(OnePiece("hello"), kStart);
  EXPECT_EQ(pacer.Due(kStart), "hello");
  pacer.Written(2, kStart);
  EXPECT_EQ(pacer.Due(kStart), "llo");
  pacer.Written(3, kStart);
  EXPECT_TRUE(pacer.Idle());
  EXPECT_EQ(pacer.NextDue(), std::nullopt);
}

TEST(OutputPacer, PacedBytesBecomeDueOneByteTimeApart) {
  OutputPacer pacer(1000);  // 10 ms a byte
  pacer.Enqueue(OnePiece("abcdef"), kStart);
  EXPECT_EQ(pacer.Due(kStart), "");
  EXPECT_EQ(pacer.NextDue(), kStart + milliseconds(10));
  EXPECT_EQ(pacer.Due(kStart + milliseconds(10)), "a");
  EXPECT_EQ(pacer.Due(kStart + milliseconds(35)), "abc");
  pacer.Written(3, kStart + milliseconds(35));
  EXPECT_EQ(pacer.NextDue(), kStart + milliseconds(40));
  EXPECT_EQ(pacer.Due(kStart + milliseconds(100)), "def") << "a late writer catches up";
  pacer.Written(3, kStart + milliseconds(100));
  EXPECT_TRUE(pacer.Idle());
  // An idle line saves up no credit: the next answer starts afresh.
  pacer.Enqueue(OnePiece("xy"), kStart + milliseconds(500));
  EXPECT_EQ(pacer.Due(kStart + milliseconds(505)), "");
  EXPECT_EQ(pacer.Due(kStart + milliseconds(520)), "xy");
}

TEST(OutputPacer, APauseKeepsTheLineIdle) {
  OutputPacer pacer(0);
  pacer.Enqueue(Reply{{{"abc", milliseconds(0)}, {"def", milliseconds(20)}}, false}, kStart);
  pacer.Written(3, kStart + milliseconds(1));
  EXPECT_EQ(pacer.Due(kStart + milliseconds(20)), "");
  EXPECT_EQ(pacer.NextDue(), kStart + milliseconds(21));
  EXPECT_EQ(pacer.Due(kStart + milliseconds(21)), "def");
}

TEST(OutputPacer, AVanishingAnswerStopsTheLineOnceWritten) {
  OutputPacer pacer(0);
  pacer.Enqueue(Reply{{{"half", milliseconds(0)}}, true}, kStart);
  pacer.Enqueue(OnePiece("never"), kStart);
  EXPECT_FALSE(pacer.VanishReached());
  pacer.Written(4, kStart);
  EXPECT_TRUE(pacer.VanishReached());
  EXPECT_EQ(pacer.Due(kStart), "");
  EXPECT_EQ(pacer.NextDue(), std::nullopt);

  OutputPacer empty(0);
  empty.Enqueue(Reply{{{"", milliseconds(0)}}, true}, kStart);
  EXPECT_TRUE(empty.VanishReached()) << "an empty half vanishes at once";
}

TEST(OutputPacer, NineThousandSixHundredBaudTakesTheExpectedTime) {
  OutputPacer pacer(9600);
  pacer.Enqueue(OnePiece(std::string(1600, 'x')), kStart);
  EXPECT_EQ(pacer.Due(kStart + milliseconds(1666)).size(), 1599u);
  EXPECT_EQ(pacer.Due(kStart + milliseconds(1667)).size(), 1600u);
}

// ---- Options ----

TEST(SimOptions, AcceptsEveryOption) {
  const ParsedOptions parsed = ParseSimOptions({"--link",
                                                "/tmp/l",
                                                "--state=/tmp/s",
                                                "--baud",
                                                "9600",
                                                "--exit-after-idle",
                                                "1.5",
                                                "--fault",
                                                "noise",
                                                "--fault=vanish",
                                                "--version",
                                                "V6.0 标准版",
                                                "--gsn",
                                                "1",
                                                "--board-serial",
                                                "2",
                                                "--csca",
                                                "3",
                                                "--rssi",
                                                "4",
                                                "--ip",
                                                "5",
                                                "--dns1",
                                                "d1",
                                                "--dns6",
                                                "d6",
                                                "--dns-server1",
                                                "s1",
                                                "--dns-server2",
                                                "s2",
                                                "--verbose"});
  ASSERT_TRUE(parsed.options) << parsed.error;
  const SimOptions& o = *parsed.options;
  EXPECT_EQ(o.link_path, "/tmp/l");
  EXPECT_EQ(o.state_path, "/tmp/s");
  EXPECT_EQ(o.baud, 9600u);
  EXPECT_EQ(o.exit_after_idle, 1.5);
  EXPECT_EQ(o.faults, (FaultSet{Fault::Noise, Fault::Vanish}));
  EXPECT_EQ(o.status.version, dtu::Utf8ToGbk("V6.0 标准版").bytes) << "sent in GBK";
  EXPECT_EQ(o.status.gsn, "1");
  EXPECT_EQ(o.status.board_serial, "2");
  EXPECT_EQ(o.status.csca, "3");
  EXPECT_EQ(o.status.rssi, "4");
  EXPECT_EQ(o.status.ip, "5");
  EXPECT_EQ(o.status.dns[0], "d1");
  EXPECT_EQ(o.status.dns[5], "d6");
  EXPECT_EQ(o.status.dns_server[0], "s1");
  EXPECT_EQ(o.status.dns_server[1], "s2");
  EXPECT_TRUE(o.verbose);
  EXPECT_FALSE(o.help);
}

TEST(SimOptions, RefusesBadCommandLines) {
  const std::vector<std::vector<std::string>> bad{
      {"--bogus"},        {"--link"},          {"--baud", "fast"},
      {"--baud", "-1"},   {"--baud", "9600x"}, {"--baud", "99999999"},
      {"--fault", "odd"}, {"--rssi", "1\r2"},  {"--exit-after-idle", "0"},
      {"--gsn", "😀"},     {"--state", ""},     {"positional"},
  };
  for (const auto& args : bad) {
    const ParsedOptions parsed = ParseSimOptions(args);
    EXPECT_FALSE(parsed.options) << args[0];
    EXPECT_FALSE(parsed.error.empty()) << args[0];
  }
}

TEST(SimOptions, DefaultsAndHelp) {
  const ParsedOptions parsed = ParseSimOptions({"-h"});
  ASSERT_TRUE(parsed.options);
  EXPECT_TRUE(parsed.options->help);
  EXPECT_EQ(parsed.options->baud, 0u);
  EXPECT_THAT(parsed.options->faults, IsEmpty());
  for (const FaultName& fault : kFaultNames) EXPECT_THAT(SimUsage(), HasSubstr(fault.name));
}

// ---- Default block and state file ----

TEST(DefaultBlock, IsSealedAndPlausible) {
  const dtu::ParameterBlock block = MakeDefaultBlock();
  EXPECT_TRUE(dtu::VerifyBlock(block));
  EXPECT_EQ(block.length(), 660);
  EXPECT_EQ(block.work_mode(), 0);
  EXPECT_EQ(block.protocol(), 1);
  EXPECT_EQ(block.apn(), "CMNET");
  EXPECT_EQ(block.dial_code(), "*99***1#");
  EXPECT_EQ(block.heartbeat_interval(), 30);
  EXPECT_EQ(block.baud_rate(), 9600u);
  EXPECT_EQ(block.data_bits(), 8);
  EXPECT_EQ(block.stop_bits(), 1);
  EXPECT_EQ(block.parity(), 0);
  EXPECT_EQ(block.frame_delay(), 150);
  EXPECT_EQ(block.poll_command(), (std::vector<std::uint8_t>{'R', 'e', 'a', 'd'}));
  const std::string gprs_notice = "GPRSOK\r\n";
  EXPECT_EQ(block.gprs_notice(), std::vector<std::uint8_t>(gprs_notice.begin(), gprs_notice.end()));
  const std::string tcp_notice = "TCPOK\r\n";
  EXPECT_EQ(block.tcp_notice(), std::vector<std::uint8_t>(tcp_notice.begin(), tcp_notice.end()));
  EXPECT_NE(block.port1(), 0);
  EXPECT_NE(block.centre_ip1(), (dtu::Ipv4Bytes{0, 0, 0, 0}));
  EXPECT_FALSE(block.sms_number1().empty());
  dtu::ParameterBlock normalised = block;
  dtu::NormaliseBlock(normalised);
  EXPECT_EQ(normalised, block) << "nothing for the tool to cut";
}

TEST(BlockStore, CreatesLoadsAndReplacesTheStateFile) {
  dtu::test::TempDir dir;
  const BlockStore store((dir / "unit.bin").string());
  std::string error;
  const auto created = store.LoadOrCreate(MakeDefaultBlock(), error);
  ASSERT_TRUE(created) << error;
  EXPECT_EQ(*created, MakeDefaultBlock());
  const auto on_disk = dtu::test::ReadAllBytes(dir / "unit.bin");
  EXPECT_TRUE(std::ranges::equal(on_disk, MakeDefaultBlock().bytes()));

  ASSERT_TRUE(store.Save(ChangedBlock(), error)) << error;
  const auto loaded = store.LoadOrCreate(MakeDefaultBlock(), error);
  ASSERT_TRUE(loaded) << error;
  EXPECT_EQ(*loaded, ChangedBlock()) << "an existing file is not recreated";
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1)
      << "no temporary file left behind";
}

TEST(BlockStore, LeavesAFileOfAnotherSizeAlone) {
  dtu::test::TempDir dir;
  const std::string odd = "not a block";
  dtu::test::WriteAllBytes(dir / "odd.bin", odd);
  std::string error;
  EXPECT_FALSE(BlockStore((dir / "odd.bin").string()).LoadOrCreate(MakeDefaultBlock(), error));
  EXPECT_THAT(error, HasSubstr("有 11 字节"));
  const auto after = dtu::test::ReadAllBytes(dir / "odd.bin");
  EXPECT_EQ(std::string(after.begin(), after.end()), odd);
}

TEST(BlockStore, ReportsADirectoryThatIsNotThere) {
  dtu::test::TempDir dir;
  std::string error;
  EXPECT_FALSE(
      BlockStore((dir / "missing" / "unit.bin").string()).LoadOrCreate(MakeDefaultBlock(), error));
  EXPECT_FALSE(error.empty());
}

}  // namespace
}  // namespace dtusim
