// dtuctl export, import, set and diff, run as processes on real files and against the
// simulated unit: the text form gives back every byte, a refused value changes nothing.
#include <sys/stat.h>
#include <unistd.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "core/block/parameter_block.h"
#include "core/text/hex_text.h"
#include "support/dtuctl_run.h"
#include "support/dtusim_process.h"
#include "support/file_size_limit.h"
#include "support/run_process.h"
#include "support/sample_blocks.h"
#include "support/temp_dir.h"

namespace dtu {
namespace {

using test::Dtuctl;
using namespace test::dtuctl_exit;
using test::ProcessResult;
using test::ReadAllBytes;
using test::WriteAllBytes;
using ::testing::HasSubstr;
using ::testing::Not;
using ::testing::StartsWith;
using Bytes = std::vector<std::uint8_t>;
namespace fs = std::filesystem;

ParameterBlock RandomSealedBlock(std::mt19937& random) {
  std::uniform_int_distribution<int> byte(0, 255);
  ParameterBlock block;
  for (std::uint8_t& b : block.bytes()) b = static_cast<std::uint8_t>(byte(random));
  SealBlock(block);
  return block;
}

class DtuctlTextCommands : public ::testing::Test {
 protected:
  std::string Write(const std::string& name, const ParameterBlock& block) {
    WriteAllBytes(dir_ / name, block.bytes());
    return Path(name);
  }
  std::string Path(const std::string& name) const { return (dir_ / name).string(); }
  Bytes Read(const std::string& name) const { return ReadAllBytes(dir_ / name); }

  // export F | import - -o G
  void ExpectRoundTrip(const std::string& file) {
    const ProcessResult exported = Dtuctl({"export", file});
    ASSERT_EQ(exported.exit_status, 0) << exported.err;
    const ProcessResult imported = Dtuctl({"import", "-", "-o", Path("back.MTS")}, exported.out);
    ASSERT_EQ(imported.exit_status, 0) << imported.err;
    EXPECT_EQ(ReadAllBytes(file), Read("back.MTS"));
    fs::remove(dir_ / "back.MTS");
  }

  test::TempDir dir_;
};

TEST_F(DtuctlTextCommands, ExportThenImportGivesBackTheFile) {
  ExpectRoundTrip(Write("gprs.MTS", test::GprsBlock()));
  ExpectRoundTrip(Write("sms.MTS", test::SmsBlock()));
  ParameterBlock base = test::BaseBlock();
  SealBlock(base);
  ExpectRoundTrip(Write("base.MTS", base));
  ExpectRoundTrip(Write("pattern.MTS", test::PatternBlock(7, 3)));
  ParameterBlock odd_length = test::GprsBlock();
  odd_length.set_length(700);
  ExpectRoundTrip(Write("length.MTS", odd_length));
  std::mt19937 random(7);
  for (int i = 0; i < 10; ++i) ExpectRoundTrip(Write("random.MTS", RandomSealedBlock(random)));
}

TEST_F(DtuctlTextCommands, ExportsTheUnitsBlockAndTheTextFile) {
  test::TempDir unit_dir;
  const fs::path state = unit_dir / "unit.mts";
  test::DtusimProcess unit(DTUSIM_PATH, {"--state", state.string()});
  const ProcessResult exported =
      Dtuctl({"export", "--port", unit.port_path(), "-o", Path("u.json")});
  ASSERT_EQ(exported.exit_status, 0) << exported.err;
  EXPECT_EQ(exported.out, "") << "status values go to stderr";
  const ProcessResult imported = Dtuctl({"import", Path("u.json"), "-o", Path("u.MTS")});
  ASSERT_EQ(imported.exit_status, 0) << imported.err;
  EXPECT_EQ(Read("u.MTS"), ReadAllBytes(state));
}

TEST_F(DtuctlTextCommands, ImportRefusesABadMemberAndWritesNothing) {
  const std::string base = Write("base.MTS", test::GprsBlock());
  const ProcessResult refused =
      Dtuctl({"import", "-", "-o", Path("out.MTS"), "--base", base}, R"({"port1": 70000})");
  EXPECT_EQ(refused.exit_status, 1);
  EXPECT_THAT(refused.err, HasSubstr("成员 port1 的值 70000 无效：应为 0 到 65535 的整数"));
  EXPECT_FALSE(fs::exists(dir_ / "out.MTS"));

  const ProcessResult incomplete = Dtuctl({"import", "-", "-o", Path("out.MTS")}, "{}");
  EXPECT_EQ(incomplete.exit_status, 1);
  EXPECT_THAT(incomplete.err, HasSubstr("缺少成员 work_mode"));

  const ProcessResult warned = Dtuctl({"import", "-", "-o", Path("out.MTS"), "--base", base},
                                      R"({"heartbeat_interval": 4})");
  EXPECT_EQ(warned.exit_status, 0) << warned.err;
  EXPECT_EQ(warned.err, "警告：heartbeat_interval 的值 4 不合页面的规则：请输入5到3600之间的数\n");
  ParameterBlock expected = test::GprsBlock();
  expected.set_heartbeat_interval(4);
  SealBlock(expected);
  EXPECT_EQ(Read("out.MTS"), Bytes(expected.bytes().begin(), expected.bytes().end()));
}

TEST_F(DtuctlTextCommands, SetChangesExactlyTheNamedFields) {
  const std::string file = Write("F.MTS", test::GprsBlock());
  const Bytes before = Read("F.MTS");
  const ProcessResult set = Dtuctl({"set", file, "apn=cmiot", "port1=6001", "-o", Path("H.MTS")});
  ASSERT_EQ(set.exit_status, 0) << set.err;
  EXPECT_EQ(Read("F.MTS"), before);

  ParameterBlock expected = test::GprsBlock();
  expected.set_apn("cmiot");
  expected.set_port1(6001);
  SealBlock(expected);
  EXPECT_EQ(Read("H.MTS"), Bytes(expected.bytes().begin(), expected.bytes().end()));

  const ProcessResult diff = Dtuctl({"diff", file, Path("H.MTS")});
  EXPECT_EQ(diff.exit_status, kDiffers);
  EXPECT_EQ(diff.out,
            "port1 (端口): 5001 -> 6001\n"
            "apn (接入点名称（APN）): \"cmnet\" -> \"cmiot\"\n");
  ParameterBlock odd_length = test::GprsBlock();
  odd_length.set_length(700);
  const ProcessResult length = Dtuctl({"diff", file, Write("L.MTS", odd_length)});
  EXPECT_EQ(length.exit_status, kDiffers);
  EXPECT_EQ(length.out, "length: 660 -> 700\n");
  const ProcessResult same = Dtuctl({"diff", file, file});
  EXPECT_EQ(same.exit_status, 0);
  EXPECT_EQ(same.out, "");
}

// The members set or imported over a base are entries, stored as the window stores what is
// typed; each rule that changes a value says so.
TEST_F(DtuctlTextCommands, EntriesFollowThePagesRules) {
  ParameterBlock base = test::GprsBlock();
  base.set_project_number(300);
  base.set_device_number(1234);
  SealBlock(base);
  struct Case {
    std::vector<std::string> assignments;
    std::function<void(ParameterBlock&)> stored;
    std::string said;
  };
  const std::vector<Case> cases = {
      {{"device_number=0"},
       [](ParameterBlock& b) { b.set_device_number(8000); },
       "注意：device_number：0 按页面的规则写为 8000\n"},
      {{"centre_number=0"},
       [](ParameterBlock& b) { b.set_centre_number(8000); },
       "注意：centre_number：0 按页面的规则写为 8000\n"},
      {{"project_number=0"},
       [](ParameterBlock&) {},
       "注意：project_number：0 按页面的规则不写入，保留原来的 300\n"},
      {{"apn= cmiot "},
       [](ParameterBlock& b) { b.set_apn("cmiot"); },
       "注意：apn：首尾的空白按页面的规则不写入，写为“cmiot”\n"},
      {{"protocol=9"},
       [](ParameterBlock& b) {
         b.set_protocol(9);
         b.set_device_id(0x4D2);
       },
       "注意：device_id：协议改为 9，设备编号 1234 按页面的规则写为十六进制设备标识 4D2\n"},
      {{"protocol=9", "device_id=ABCD"},
       [](ParameterBlock& b) {
         b.set_protocol(9);
         b.set_device_id(0xABCD);
       },
       ""},
      {{"device_number=1234"}, [](ParameterBlock&) {}, ""},  // the value it has: no entry
  };
  const std::string file = Write("F.MTS", base);
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(c.assignments));
    std::vector<std::string> args = {"set", file, "-o", Path("H.MTS")};
    args.insert(args.end(), c.assignments.begin(), c.assignments.end());
    const ProcessResult set = Dtuctl(args);
    ASSERT_EQ(set.exit_status, 0) << set.err;
    EXPECT_EQ(set.err, c.said);
    ParameterBlock expected = base;
    c.stored(expected);
    SealBlock(expected);
    EXPECT_EQ(Read("H.MTS"), Bytes(expected.bytes().begin(), expected.bytes().end()));
  }
  // import --base follows the same rules; an identifier too large for a decimal device number
  // is refused rather than cut.
  const ProcessResult imported =
      Dtuctl({"import", "-", "-o", Path("I.MTS"), "--base", file}, R"({"device_number": 0})");
  EXPECT_EQ(imported.err, "注意：device_number：0 按页面的规则写为 8000\n");
  ParameterBlock identified = base;
  identified.set_protocol(9);
  identified.set_device_id(0x12345678);
  SealBlock(identified);
  const ProcessResult refused =
      Dtuctl({"set", Write("ID.MTS", identified), "protocol=1", "-o", Path("J.MTS")});
  EXPECT_EQ(refused.exit_status, 1);
  EXPECT_THAT(refused.err, HasSubstr("设备标识 12345678 大于十进制设备编号的上限 65535"));
  EXPECT_FALSE(fs::exists(dir_ / "J.MTS"));
}

// A text that gives every field is a copy: values the rules would change as entries stay.
TEST_F(DtuctlTextCommands, AFaithfulCopyFollowsNoEntryRule) {
  ParameterBlock odd = test::GprsBlock();
  odd.set_device_number(0);
  odd.set_centre_number(0);
  odd.set_apn(" cmnet ");
  SealBlock(odd);
  const std::string file = Write("odd.MTS", odd);
  ExpectRoundTrip(file);
  const ProcessResult exported = Dtuctl({"export", file});
  const ProcessResult imported =
      Dtuctl({"import", "-", "-o", Path("back.MTS"), "--base", Write("b.MTS", test::GprsBlock())},
             exported.out);
  ASSERT_EQ(imported.exit_status, 0) << imported.err;
  EXPECT_THAT(imported.err, ::testing::Not(HasSubstr("注意")));
  EXPECT_EQ(Read("back.MTS"), ReadAllBytes(file));
}

TEST_F(DtuctlTextCommands, RefusedSetLeavesTheFileAsItWas) {
  const std::string file = Write("F.MTS", test::GprsBlock());
  const Bytes before = Read("F.MTS");
  const ProcessResult set = Dtuctl({"set", file, "port2=7000", "centre_ip1=300.1.1.1"});
  EXPECT_EQ(set.exit_status, 1);
  EXPECT_THAT(set.err, HasSubstr("成员 centre_ip1 的值 \"300.1.1.1\" 无效"));
  EXPECT_EQ(Read("F.MTS"), before);
  EXPECT_EQ(std::distance(fs::directory_iterator(dir_.path()), fs::directory_iterator()), 1);
}

TEST_F(DtuctlTextCommands, SetReplacesTheFileWholeAndKeepsItsPermissions) {
  const std::string file = Write("F.MTS", test::GprsBlock());
  ASSERT_EQ(::chmod(file.c_str(), 0640), 0);
  fs::create_symlink(file, dir_ / "link.MTS");
  const ProcessResult set = Dtuctl({"set", Path("link.MTS"), "sms_number2=13900000000"});
  ASSERT_EQ(set.exit_status, 0) << set.err;
  EXPECT_TRUE(fs::is_symlink(dir_ / "link.MTS"));
  ParameterBlock expected = test::GprsBlock();
  expected.set_sms_number2("13900000000");
  SealBlock(expected);
  EXPECT_EQ(Read("F.MTS"), Bytes(expected.bytes().begin(), expected.bytes().end()));
  EXPECT_EQ(fs::status(file).permissions() & fs::perms::all,
            fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
  EXPECT_EQ(std::distance(fs::directory_iterator(dir_.path()), fs::directory_iterator()), 2);
}

// set on a file that is not the user's to change: root keeps its owner, group and mode; anyone
// else is refused a read-only file, also in a folder they may write, and it stays as it was.
TEST_F(DtuctlTextCommands, SetKeepsTheOwnerOrRefusesAReadOnlyFile) {
  const bool root = ::geteuid() == 0;
  if (root) {
    const std::string file = Write("F.MTS", test::GprsBlock());
    ASSERT_EQ(::chmod(file.c_str(), 0444), 0);
    ASSERT_EQ(::chown(file.c_str(), 4242, 4343), 0);
    const ProcessResult set = Dtuctl({"set", file, "apn=x"});
    EXPECT_EQ(set.exit_status, 0) << set.err;
    struct stat after {};
    ASSERT_EQ(::stat(file.c_str(), &after), 0);
    EXPECT_EQ(after.st_mode & 07777, 0444u);
    EXPECT_EQ(after.st_uid, 4242u);
    EXPECT_EQ(after.st_gid, 4343u);
  }
  const fs::path own = dir_ / "own";
  fs::create_directory(own);
  const std::string file = Write("own/G.MTS", test::GprsBlock());
  const Bytes before = Read("own/G.MTS");
  ASSERT_EQ(::chmod(file.c_str(), 0444), 0);
  std::vector<std::string> args{DTUCTL_PATH, "set", file, "apn=x"};
  if (root) {
    ASSERT_EQ(::chmod(dir_.path().c_str(), 0711), 0);
    ASSERT_EQ(::chown(own.c_str(), 65534, 65534), 0);
    ASSERT_EQ(::chown(file.c_str(), 65534, 65534), 0);
    args.insert(args.begin(),
                {"/usr/bin/setpriv", "--reuid=nobody", "--regid=nogroup", "--clear-groups", "--"});
  }
  const ProcessResult set = test::RunProcess(args);
  EXPECT_EQ(set.exit_status, 1);
  EXPECT_THAT(set.err, HasSubstr("参数文件是只读的，未改动"));
  EXPECT_EQ(Read("own/G.MTS"), before);
  EXPECT_EQ(std::distance(fs::directory_iterator(own), fs::directory_iterator()), 1);
}

TEST_F(DtuctlTextCommands, DiffReadsTextFormsAndRefusesBrokenFiles) {
  const std::string file = Write("F.MTS", test::GprsBlock());
  ASSERT_EQ(Dtuctl({"export", file, "-o", Path("F.json")}).exit_status, 0);
  EXPECT_EQ(Dtuctl({"diff", Path("F.json"), file}).exit_status, 0);

  ParameterBlock broken = test::GprsBlock();
  broken.bytes()[300] ^= 1;
  const std::string bad = Write("bad.MTS", broken);
  for (const std::string command : {"diff", "export"}) {
    SCOPED_TRACE(command);
    std::vector<std::string> args = {command, bad};
    if (command == "diff") args.push_back(file);
    const ProcessResult run = Dtuctl(args);
    EXPECT_EQ(run.exit_status, 2);
    EXPECT_EQ(run.err, bad + ": 参数设置有误，请重新设置\n");
    EXPECT_EQ(run.out, "");
  }
}

// Texts the JSON reader cannot take whole: each is refused with the member named, whichever
// command reads it.
TEST_F(DtuctlTextCommands, TextsBeyondTheReaderAreRefusedNamingTheMember) {
  const std::string file = Write("F.MTS", test::GprsBlock());
  WriteAllBytes(dir_ / "units.csv", std::string("apn\ncmiot\n"));
  struct Case {
    const char* name;
    std::string text;
    std::string message;
  };
  const std::vector<Case> cases = {
      {"deep nesting", "{\"apn\": " + std::string(80000, '[') + std::string(80000, ']') + "}",
       "成员 apn 的值嵌套太深"},
      {"a number too large", R"({"port1": 1e400})", "成员 port1 的值 1e400 无效"},
      {"an integer too long", "{\"port1\": " + std::string(401, '9') + "}", "成员 port1 的值 9999"},
      {"a repeated part", R"({"heartbeat_data": {"hex": "41", "hex": "42"}})",
       "成员 heartbeat_data 中 \"hex\" 出现了不止一次"},
  };
  for (const Case& c : cases) {
    WriteAllBytes(dir_ / "t.json", c.text);
    const std::vector<std::vector<std::string>> commands = {
        {"import", Path("t.json"), "-o", Path("out.MTS"), "--base", file},
        {"diff", Path("t.json"), file},
        {"provision", "--template", Path("t.json"), "--units", Path("units.csv"), "--port",
         "/nonexistent/tty", "--log", Path("log.csv")}};
    for (const std::vector<std::string>& args : commands) {
      SCOPED_TRACE(std::string(c.name) + ": " + args.front());
      const ProcessResult run = Dtuctl(args);
      EXPECT_EQ(run.term_signal, 0);
      EXPECT_EQ(run.exit_status, 1);
      EXPECT_THAT(run.err, HasSubstr(c.message));
      EXPECT_LT(run.err.size(), 400u);
    }
    EXPECT_FALSE(fs::exists(dir_ / "out.MTS"));
    EXPECT_FALSE(fs::exists(dir_ / "log.csv"));
  }
}

// A full disk (a file size limit here) stops every output half-way: the old file stays as it
// was, a new one is not made, and no temporary file is left beside it.
TEST_F(DtuctlTextCommands, AnOutputThatFailsHalfWayLeavesTheOldFile) {
  const std::string file = Write("F.MTS", test::GprsBlock());
  ASSERT_EQ(Dtuctl({"export", file, "-o", Path("F.json")}).exit_status, 0);
  ParameterBlock other = test::SmsBlock();
  const std::string old_block = Write("old.MTS", other);
  WriteAllBytes(dir_ / "old.json", std::string("{\"apn\": \"old\"}\n"));
  const std::string reply = "DTUPARA" + EncodeHexText(test::GprsBlock().bytes());
  test::TempDir unit_dir;
  test::DtusimProcess unit(DTUSIM_PATH, {"--state", (unit_dir / "unit.mts").string()});
  struct Case {
    std::vector<std::string> args;
    std::string target;
    std::string input;
  };
  const std::vector<Case> cases = {
      {{"import", Path("F.json"), "-o", old_block}, "old.MTS", ""},
      {{"import", Path("F.json"), "-o", Path("new.MTS")}, "new.MTS", ""},
      {{"set", file, "apn=x", "-o", old_block}, "old.MTS", ""},
      {{"set", file, "apn=x"}, "F.MTS", ""},
      {{"export", file, "-o", Path("old.json")}, "old.json", ""},
      {{"decode", "-o", old_block}, "old.MTS", reply},
      {{"read", "--port", unit.port_path(), "-o", old_block}, "old.MTS", ""},
      {{"export", "--port", unit.port_path(), "-o", Path("old.json")}, "old.json", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(c.args));
    const bool existed = fs::exists(dir_ / c.target);
    const Bytes before = existed ? Read(c.target) : Bytes();
    std::vector<std::string> argv = {DTUCTL_PATH};
    argv.insert(argv.end(), c.args.begin(), c.args.end());
    const ProcessResult run = test::RunProcess(test::LimitFileSize(argv), c.input);
    EXPECT_EQ(run.exit_status, 1);
    EXPECT_THAT(run.err, HasSubstr("文件过大"));
    EXPECT_EQ(fs::exists(dir_ / c.target), existed);
    if (existed) {
      EXPECT_EQ(Read(c.target), before);
    }
    EXPECT_EQ(std::distance(fs::directory_iterator(dir_.path()), fs::directory_iterator()), 4);
  }
}

// An output that is the input, however it is named, would destroy the input as it is written.
TEST_F(DtuctlTextCommands, AnOutputThatIsTheInputIsRefused) {
  const std::string block = Write("X.MTS", test::GprsBlock());
  ASSERT_EQ(Dtuctl({"export", block, "-o", Path("s.json")}).exit_status, 0);
  fs::create_symlink(dir_ / "s.json", dir_ / "link.json");
  fs::create_hard_link(dir_ / "X.MTS", dir_ / "hard.MTS");
  fs::create_directory(dir_ / "sub");
  const Bytes text = Read("s.json");
  const Bytes bytes = Read("X.MTS");
  struct Case {
    std::vector<std::string> args;
    std::string input;
  };
  const std::vector<Case> cases = {
      {{"import", Path("s.json"), "-o", Path("s.json")}, ""},
      {{"import", Path("s.json"), "-o", Path("link.json")}, ""},
      {{"import", Path("sub/../s.json"), "-o", Path("s.json")}, ""},
      {{"export", block, "-o", block}, ""},
      {{"export", block, "-o", Path("hard.MTS")}, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(c.args));
    const ProcessResult run = Dtuctl(c.args, c.input);
    EXPECT_EQ(run.exit_status, 1);
    EXPECT_THAT(run.err, HasSubstr("是同一个文件，未写入"));
  }
  // Standard input read from the output itself.
  const ProcessResult from_stdin = test::RunProcess(
      {"/bin/sh", "-c", "exec \"$0\" import - -o \"$1\" <\"$1\"", DTUCTL_PATH, Path("s.json")});
  EXPECT_EQ(from_stdin.exit_status, 1);
  EXPECT_THAT(from_stdin.err, HasSubstr("是同一个文件，未写入"));
  EXPECT_EQ(Read("s.json"), text);
  EXPECT_EQ(Read("X.MTS"), bytes);
}

// A file of the other kind, or one too long, is named for what it is; none is taken for a
// block whose checksum does not match.
TEST_F(DtuctlTextCommands, AFileOfTheWrongKindIsNamedForWhatItIs) {
  const std::string file = Write("F.MTS", test::GprsBlock());
  const std::string text = Path("a.json");
  ASSERT_EQ(Dtuctl({"export", file, "-o", text}).exit_status, 0);
  std::string long_text = "{\"apn\": \"" + std::string(2 * 1024 * 1024, 'x') + "\"}";
  WriteAllBytes(dir_ / "long.json", long_text);
  WriteAllBytes(dir_ / "units.csv", std::string("apn\ncmiot\n"));
  WriteAllBytes(dir_ / "long.csv", "apn\n" + std::string(16 * 1024 * 1024, 'x') + "\n");
  const std::string text_form =
      text + ": 这是参数块的文本形式（JSON），不是参数文件；用 dtuctl import";
  const std::string too_long = "文件太长：超过 1048576 字节的上限";
  const auto provision = [&](const std::string& template_path, const std::string& units) {
    return std::vector<std::string>{"provision",        "--template", template_path,
                                    "--units",          units,        "--port",
                                    "/nonexistent/tty", "--log",      Path("L.csv")};
  };
  struct Case {
    std::vector<std::string> args;
    std::string message;
  };
  const std::vector<Case> cases = {
      {{"summary", text}, text_form},
      {{"frame", text}, text_form},
      {{"export", text}, text_form},
      {{"set", text, "apn=x"}, text_form},
      {{"write", "--port", "/nonexistent/tty", text}, text_form},
      {{"import", text, "-o", Path("out.MTS"), "--base", text}, text_form},
      {{"import", file, "-o", Path("out.MTS")}, file + ": 这是参数文件，不是参数块的文本形式"},
      {{"diff", Path("long.json"), file}, Path("long.json") + ": " + too_long},
      {provision(Path("long.json"), Path("units.csv")), Path("long.json") + ": " + too_long},
      {provision(file, Path("long.csv")), "文件太长：超过 16777216 字节的上限"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(c.args).substr(0, 200));
    const ProcessResult run = Dtuctl(c.args);
    EXPECT_EQ(run.exit_status, 1);
    EXPECT_THAT(run.err, HasSubstr(c.message));
    EXPECT_THAT(run.err, Not(HasSubstr("参数设置有误")));
  }
  EXPECT_FALSE(fs::exists(dir_ / "out.MTS"));
}

TEST_F(DtuctlTextCommands, EveryCommandHasHelpAndRefusesBadUsage) {
  const std::vector<std::vector<std::string>> bad_usage = {{"export"},
                                                           {"export", "a", "b"},
                                                           {"import", "a"},
                                                           {"import", "-o", "x"},
                                                           {"set", "a"},
                                                           {"diff", "a"},
                                                           {"diff", "--all", "a", "b"},
                                                           {"import", "a", "-o"}};
  for (const std::vector<std::string>& args : bad_usage) {
    SCOPED_TRACE(::testing::PrintToString(args));
    const ProcessResult run = Dtuctl(args);
    EXPECT_EQ(run.exit_status, 1);
    EXPECT_THAT(run.err, HasSubstr("用法：dtuctl " + args.front()));
  }
  for (const std::string command : {"export", "import", "set", "diff"}) {
    const ProcessResult run = Dtuctl({command, "--help"});
    EXPECT_EQ(run.exit_status, 0);
    EXPECT_THAT(run.out, StartsWith("用法：dtuctl " + command));
  }
}

}  // namespace
}  // namespace dtu
