// dtuctl replay, run as a process on a captured reply and on bytes given on standard input.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cctype>
#include <filesystem>
#include <string>
#include <vector>

#include "core/block/parameter_block.h"
#include "core/device/device_commands.h"
#include "core/device/device_event.h"
#include "core/device/device_event_text.h"
#include "support/dtuctl_run.h"
#include "support/run_process.h"
#include "support/temp_dir.h"

namespace dtu {
namespace {

using test::Dtuctl;
using test::ProcessResult;
using test::TempDir;
using ::testing::HasSubstr;
using ::testing::IsEmpty;
using ::testing::StartsWith;

// A unit's answer to "$$$AT+GETPARA?": labelled values (the version in GBK) and a GPRS block
// with a matching checksum, as captured on the serial line.
const std::filesystem::path kCapture =
    std::filesystem::path(__FILE__).parent_path().parent_path() / "data/replies/gprs_reply.bin";

std::string ReadText(const std::filesystem::path& path) {
  const std::vector<std::uint8_t> bytes = test::ReadAllBytes(path);
  return std::string(bytes.begin(), bytes.end());
}

std::string ReadCapture() {
  return ReadText(kCapture);
}

// The line dtuctl replay prints for a status text.
std::string StatusLine(StatusField field, std::string_view text) {
  return "status " + std::string(StatusFieldName(field)) + " " + std::string(text) + "\n";
}

// What dtuctl replay prints for the capture, line by line.
const std::string kCaptureEvents = ReadText(kCapture.parent_path() / "gprs_reply_events.txt");

TEST(DtuctlReplay, CapturedReplyGivesEveryEventInOrder) {
  const ProcessResult run = Dtuctl({"replay", kCapture.string()});
  EXPECT_EQ(run.exit_status, 0) << run.err;
  EXPECT_EQ(run.out, kCaptureEvents);
  EXPECT_THAT(run.err, IsEmpty());
}

TEST(DtuctlReplay, ReadsStandardInputWithDashOrWithoutFile) {
  const std::string capture = ReadCapture();
  ASSERT_FALSE(capture.empty());
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{"replay", "-"}, std::vector<std::string>{"replay"}}) {
    const ProcessResult run = Dtuctl(args, capture);
    EXPECT_EQ(run.exit_status, 0) << run.err;
    EXPECT_EQ(run.out, kCaptureEvents);
  }
}

TEST(DtuctlReplay, ChangedDigitIsRejectedWithTheToolsMessage) {
  std::string capture = ReadCapture();
  const std::size_t block = capture.find("DTUPARA");
  ASSERT_NE(block, std::string::npos);
  char& digit = capture[block + 7 + 600];
  digit = digit == '0' ? '1' : '0';
  TempDir dir;
  test::WriteAllBytes(dir / "corrupt.bin", capture);
  const ProcessResult run = Dtuctl({"replay", (dir / "corrupt.bin").string()});
  EXPECT_EQ(run.exit_status, 0) << run.err;
  std::string expected = kCaptureEvents;
  expected.replace(expected.find("block accepted\n"), std::string::npos,
                   "message 参数设置有误，请重新设置\nblock rejected\n");
  EXPECT_EQ(run.out, expected);
}

TEST(DtuctlReplay, AcknowledgementsAndEscapedValues) {
  ParameterBlock block;
  block.set_work_mode(1);
  std::string digits = BuildParameterFrame(block).substr(kSetParametersPrefix.size());
  for (char& c : digits) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  std::string input = "x$$$SETOK$$$ChkErr\rSETACNOK\r\n";
  input += "VER:a\\b\tc\x01\r";
  input += "GSN:1\r2\n3\r\n";
  input += "DTUPARA" + digits;
  const ProcessResult run = Dtuctl({"replay"}, input);
  EXPECT_EQ(run.exit_status, 0) << run.err;
  EXPECT_EQ(run.out,
            "message 参数设置成功!\n"
            "message 参数校验失败!\n"
            "message 设置验证码成功.\n" +
                StatusLine(StatusField::Version, "a\\\\b\\tc\\x01") +
                StatusLine(StatusField::ModuleSerial, "1\\r2\\n3") + "block accepted\n");
}

TEST(DtuctlReplay, UnreadableInputFails) {
  TempDir dir;
  const ProcessResult missing = Dtuctl({"replay", (dir / "missing.bin").string()});
  EXPECT_EQ(missing.exit_status, 1);
  EXPECT_THAT(missing.err, HasSubstr("missing.bin"));
  EXPECT_THAT(missing.out, IsEmpty());

  const ProcessResult directory = Dtuctl({"replay", dir.path().string()});
  EXPECT_EQ(directory.exit_status, 1);
  EXPECT_THAT(directory.err, HasSubstr("无法读取"));
}

TEST(DtuctlReplay, HelpAndUsage) {
  const ProcessResult help = Dtuctl({"replay", "--help"});
  EXPECT_EQ(help.exit_status, 0);
  EXPECT_THAT(help.out, StartsWith("用法：dtuctl replay"));

  for (const std::vector<std::string>& args :
       {std::vector<std::string>{"replay", "-x"}, std::vector<std::string>{"replay", "a", "b"}}) {
    const ProcessResult run = Dtuctl(args);
    EXPECT_EQ(run.exit_status, 1);
    EXPECT_THAT(run.err, HasSubstr("用法：dtuctl replay"));
  }
}

TEST(DtuctlReplay, EmptyInputPrintsNothing) {
  const ProcessResult run = Dtuctl({"replay"}, "");
  EXPECT_EQ(run.exit_status, 0);
  EXPECT_THAT(run.out, IsEmpty());
}

}  // namespace
}  // namespace dtu
