// dtuctl summary, frame and decode, run as processes on real files.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "core/block/block_check.h"
#include "core/block/parameter_block.h"
#include "core/block/parameter_summary.h"
#include "core/device/device_commands.h"
#include "core/text/hex_text.h"
#include "support/dtuctl_run.h"
#include "support/run_process.h"
#include "support/sample_blocks.h"
#include "support/temp_dir.h"

namespace dtu {
namespace {

using test::Dtuctl;
using test::GprsBlock;
using test::ProcessResult;
using test::ReadAllBytes;
using test::SmsBlock;
using test::TempDir;
using test::WriteAllBytes;
using ::testing::HasSubstr;
using ::testing::StartsWith;
using Bytes = std::vector<std::uint8_t>;

std::string AsText(const BlockBytes& bytes) {
  return std::string(bytes.begin(), bytes.end());
}

class DtuctlFileCommands : public ::testing::Test {
 protected:
  std::string WriteBlockFile(const std::string& name, const ParameterBlock& block) {
    WriteAllBytes(dir_ / name, block.bytes());
    return (dir_ / name).string();
  }
  std::string PathOf(const std::string& name) const { return (dir_ / name).string(); }

  TempDir dir_;
};

// ---------------------------------------------------------------------------------------------
// summary

TEST_F(DtuctlFileCommands, SummaryPrintsTheLoadedBlockLineByLine) {
  ParameterBlock block = SmsBlock();
  block.set_length(0);  // not covered by the checksum: the summary takes it as 660
  const ProcessResult run = Dtuctl({"summary", WriteBlockFile("sms.MTS", block)});

  EXPECT_EQ(run.exit_status, 0) << run.err;
  EXPECT_EQ(run.err, "");
  EXPECT_EQ(run.out,
            " \n"
            "-----------基本设置-----------\n"
            " \n"
            "●传输模式-->短信模式(GPRS不可用)\n"
            "●短信模式-->协议模式\n"
            "●短信中心-->+861380020050\n"  // normalised: the field's last byte became 0x00
            " \n"
            "-----------串口设置-----------\n"
            " \n"
            "--串口设置-->9600,e,8,1\n"
            "★传输模式-->透明传输，延时间隔100毫秒\n"
            "★降低流量-->不启用，传输全部数据\n"
            "★定时招调-->不启用\n"
            "★GPRS通知-->不启用\n"
            "★TCP 通知-->启用 ABC,长度3,TCP  连接成功后，串口发出数据\n"
            " \n"
            "-----------数据转发-----------\n"
            " \n");
}

TEST_F(DtuctlFileCommands, SummaryMatchesTheSummaryPane) {
  ParameterBlock block = GprsBlock();
  const ProcessResult run = Dtuctl({"summary", WriteBlockFile("gprs.MTS", block)});
  ASSERT_EQ(run.exit_status, 0) << run.err;

  ASSERT_TRUE(PrepareLoadedBlock(block));
  std::string expected;
  for (const std::string& line : PrintSummary(block)) expected += line + "\n";
  EXPECT_EQ(run.out, expected);
  EXPECT_THAT(run.out, HasSubstr("●协议------>澄川TCP\n"));
  EXPECT_THAT(run.out, HasSubstr("●中心IP---->192.168.1.10\n"));
}

TEST_F(DtuctlFileCommands, SummaryRefusesAChecksumMismatch) {
  ParameterBlock block = SmsBlock();
  block.bytes()[300] ^= 0x40;
  const ProcessResult run = Dtuctl({"summary", WriteBlockFile("bad.MTS", block)});
  EXPECT_EQ(run.exit_status, 2);
  EXPECT_EQ(run.err, "参数设置有误，请重新设置\n");
  EXPECT_EQ(run.out, "");
}

TEST_F(DtuctlFileCommands, FileCommandsReportUnusableFiles) {
  WriteAllBytes(dir_ / "short.MTS", Bytes(100, 0));
  struct Case {
    std::vector<std::string> args;
    std::string message;
  };
  const std::vector<Case> cases = {
      {{PathOf("absent.MTS")}, PathOf("absent.MTS") + ": 无此文件!\n"},
      {{PathOf("short.MTS")},
       PathOf("short.MTS") + ": 参数文件只有 100 字节，不足 660 字节，未读取。\n"},
      {{dir_.path().string()}, dir_.path().string() + ": 读取参数文件失败：是一个目录\n"},
      {{}, "缺少 FILE"},
      {{"a", "b"}, "操作数过多"},
      {{"--verbose", "a"}, "没有选项 '--verbose'"},
  };
  for (const std::string command : {"summary", "frame"}) {
    for (const Case& c : cases) {
      std::vector<std::string> args = {command};
      args.insert(args.end(), c.args.begin(), c.args.end());
      SCOPED_TRACE(::testing::PrintToString(args));
      const ProcessResult run = Dtuctl(args);
      EXPECT_EQ(run.exit_status, 1);
      EXPECT_THAT(run.err, HasSubstr(c.message));
      EXPECT_EQ(run.out, "");
    }
  }
}

// Standard output closed by the caller (>&-): said so, and nothing meant for it lands in a file
// the command opens.
TEST_F(DtuctlFileCommands, AClosedStandardOutputIsSaidToBeClosed) {
  const std::string file = WriteBlockFile("gprs.MTS", GprsBlock());
  const std::string other = WriteBlockFile("sms.MTS", SmsBlock());
  for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
           {"summary", file}, {"frame", file}, {"export", file}, {"diff", file, other}}) {
    SCOPED_TRACE(args.front());
    std::vector<std::string> argv = {"/bin/sh", "-c", "exec \"$0\" \"$@\" >&-", DTUCTL_PATH};
    argv.insert(argv.end(), args.begin(), args.end());
    const ProcessResult run = test::RunProcess(argv);
    EXPECT_EQ(run.exit_status, 1);
    EXPECT_EQ(run.err, "dtuctl " + args.front() + ": 无法写入标准输出：它已关闭\n");
  }
  const ParameterBlock block = GprsBlock();
  EXPECT_EQ(ReadAllBytes(file), Bytes(block.bytes().begin(), block.bytes().end()));
}

TEST_F(DtuctlFileCommands, EveryCommandHasHelp) {
  for (const std::string command : {"summary", "frame", "decode"}) {
    SCOPED_TRACE(command);
    const ProcessResult run = Dtuctl({command, "--help"});
    EXPECT_EQ(run.exit_status, 0);
    EXPECT_THAT(run.out, StartsWith("用法：dtuctl " + command));
    EXPECT_EQ(run.err, "");
  }
}

// ---------------------------------------------------------------------------------------------
// frame

TEST_F(DtuctlFileCommands, FramePrintsTheSealedBlockBehindTheCommand) {
  ParameterBlock block;
  block.set_work_mode(2);
  block.set_protocol(1);
  block.bytes()[659] = 0x5C;
  block.bytes()[3] = 0x77;  // stale checksum and no length: sealing replaces both
  const std::string path = WriteBlockFile("unsealed.MTS", block);

  const ProcessResult run = Dtuctl({"frame", path});
  ASSERT_EQ(run.exit_status, 0) << run.err;
  EXPECT_EQ(run.out.size(), 1334u);
  EXPECT_THAT(run.out, StartsWith("$$$AT+SETPARA9402"));
  // work_mode 2, protocol 1 and the last byte 5C: checksum 02 ^ 01 ^ 5C = 5F.
  EXPECT_THAT(run.out, StartsWith("$$$AT+SETPARA94025F000201"));
  EXPECT_THAT(run.out, ::testing::EndsWith("005C\n"));

  ParameterBlock sealed = block;
  EXPECT_EQ(run.out, BuildParameterFrame(sealed) + "\n");
  EXPECT_EQ(ReadAllBytes(path), Bytes(block.bytes().begin(), block.bytes().end()))
      << "the file itself is not sealed";
}

// ---------------------------------------------------------------------------------------------
// decode

TEST_F(DtuctlFileCommands, DecodeTurnsARepliesDigitsIntoTheBlockBytes) {
  const ParameterBlock block = GprsBlock();
  const std::string digits = EncodeHexText(block.bytes());
  std::string lower = digits;
  for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  const std::vector<std::string> inputs = {
      "DTUPARA" + digits,
      digits,
      "\r\n  DTUPARA" + digits + "\r\n\n",
      "\t" + lower + " \n",
  };
  for (const std::string& input : inputs) {
    SCOPED_TRACE(input.substr(0, 20));
    const ProcessResult run = Dtuctl({"decode"}, input);
    EXPECT_EQ(run.exit_status, 0) << run.err;
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(run.out, AsText(block.bytes()));
  }
}

TEST_F(DtuctlFileCommands, DecodeWritesAParameterFile) {
  const ParameterBlock block = GprsBlock();
  const std::string reply = "DTUPARA" + EncodeHexText(block.bytes()) + "\n";

  const ProcessResult fresh = Dtuctl({"decode", "-o", PathOf("new.MTS")}, reply);
  ASSERT_EQ(fresh.exit_status, 0) << fresh.err;
  EXPECT_EQ(fresh.out, "");
  EXPECT_EQ(ReadAllBytes(dir_ / "new.MTS"), Bytes(block.bytes().begin(), block.bytes().end()));

  // Written as the tool saves: an existing longer file keeps its bytes after 660.
  WriteAllBytes(dir_ / "long.MTS", Bytes(700, 0xAA));
  const ProcessResult over = Dtuctl({"decode", "--output", PathOf("long.MTS")}, reply);
  ASSERT_EQ(over.exit_status, 0) << over.err;
  // Built at its full size: GCC 12's optimiser reports a false array bound on insert().
  Bytes expected(700, 0xAA);
  std::copy(block.bytes().begin(), block.bytes().end(), expected.begin());
  EXPECT_EQ(ReadAllBytes(dir_ / "long.MTS"), expected);

  const ProcessResult summary = Dtuctl({"summary", PathOf("new.MTS")});
  EXPECT_EQ(summary.exit_status, 0) << summary.err;
}

TEST_F(DtuctlFileCommands, DecodeRefusesAnythingButOneReply) {
  const std::string digits = EncodeHexText(GprsBlock().bytes());
  struct Case {
    const char* name;
    std::string input;
    std::string message;
  };
  const std::vector<Case> cases = {
      {"empty input", "", "标准输入中没有十六进制数字"},
      {"the keyword alone", "DTUPARA\n", "标准输入中没有十六进制数字"},
      {"two digits short", "DTUPARA" + digits.substr(2), "应为 1320 个十六进制数字，实有 1318"},
      {"two digits over", digits + "00", "应为 1320 个十六进制数字，实有 1322"},
      {"a non-hex digit", digits.substr(0, 9) + "G" + digits.substr(10),
       "十六进制数字的第 10 位是意外的 'G'"},
      {"a line break inside", digits.substr(0, 660) + "\n" + digits.substr(660),
       "第 661 位是意外的 字节 0x0A"},
      {"another reply's keyword", "$$$SETOK" + digits, "第 1 位是意外的 '$'"},
      {"two replies", "DTUPARA" + digits + "DTUPARA" + digits, "第 1322 位是意外的 'T'"},
      {"binary input", AsText(GprsBlock().bytes()), "第 1 位是意外的 字节 0x94"},
      {"far too much input", std::string(100000, '0'), "输入过长"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const ProcessResult run = Dtuctl({"decode", "-o", PathOf("out.MTS")}, c.input);
    EXPECT_EQ(run.exit_status, 1);
    EXPECT_THAT(run.err, HasSubstr(c.message));
    EXPECT_EQ(run.out, "");
    EXPECT_FALSE(std::filesystem::exists(dir_ / "out.MTS"));
  }
}

TEST_F(DtuctlFileCommands, DecodeReportsBadUsageAndUnwritableTargets) {
  const std::string reply = "DTUPARA" + EncodeHexText(GprsBlock().bytes());
  struct Case {
    std::vector<std::string> args;
    std::string message;
  };
  const std::vector<Case> cases = {
      {{"-o"}, "选项 '--output' 需要一个值"},
      {{"reply.txt"}, "多余的操作数 'reply.txt'"},
      {{"-x"}, "没有选项 '-x'"},
      {{"-o", PathOf("missing/unit.MTS")},
       PathOf("missing/unit.MTS") + ": 无法创建或打开参数文件：没有那个文件或目录\n"},
      {{"-o", dir_.path().string()}, "是一个目录"},
  };
  for (const Case& c : cases) {
    std::vector<std::string> args = {"decode"};
    args.insert(args.end(), c.args.begin(), c.args.end());
    SCOPED_TRACE(::testing::PrintToString(args));
    const ProcessResult run = Dtuctl(args, reply);
    EXPECT_EQ(run.exit_status, 1);
    EXPECT_THAT(run.err, HasSubstr(c.message));
    EXPECT_EQ(run.out, "");
  }
}

}  // namespace
}  // namespace dtu
