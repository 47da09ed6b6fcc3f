#include "core/block/parameter_summary.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/text/gbk_codec.h"

namespace dtu {
namespace {

using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using ::testing::IsEmpty;
using ::testing::Not;
using Lines = std::vector<std::string>;

const Lines kBasicHead{" ", "-----------基本设置-----------", " "};
const Lines kSerialHead{" ", "-----------串口设置-----------", " "};
const Lines kForwardingHead{" ", "-----------数据转发-----------", " "};
constexpr std::string_view kTcp30 = "●TCP协议--->建立TCP链接发送请求的间隔30秒";

std::string Gbk(std::string_view utf8) {
  return Utf8ToGbk(utf8).bytes;
}

std::vector<std::uint8_t> Bytes(std::string_view text) {
  return std::vector<std::uint8_t>(text.begin(), text.end());
}

Lines Concat(std::initializer_list<Lines> parts) {
  Lines all;
  for (const Lines& part : parts) all.insert(all.end(), part.begin(), part.end());
  return all;
}

bool StartsWith(const std::string& line, std::string_view prefix) {
  return line.compare(0, prefix.size(), prefix) == 0;
}

// The lines after the first line starting with `after`, up to the first later line starting with
// one of `until`.
Lines Between(const Lines& lines, std::string_view after,
              std::initializer_list<std::string_view> until) {
  auto begin = std::ranges::find_if(lines, [&](const auto& l) { return StartsWith(l, after); });
  EXPECT_NE(begin, lines.end()) << "no line starting with " << after;
  if (begin == lines.end()) return {};
  ++begin;
  auto end = std::find_if(begin, lines.end(), [&](const auto& l) {
    return std::ranges::any_of(until, [&](std::string_view u) { return StartsWith(l, u); });
  });
  return Lines(begin, end);
}

// The basic section: the lines between the basic and the serial section heads.
Lines BasicLines(const ParameterBlock& block) {
  const Lines all = PrintSummary(block);
  const auto serial = std::ranges::find(all, kSerialHead[1]);
  EXPECT_NE(serial, all.end());
  return Lines(all.begin() + 3, serial - 1);
}

// The serial section: the lines between the serial and the forwarding section heads.
Lines SerialLines(const ParameterBlock& block) {
  const Lines all = PrintSummary(block);
  const auto serial = std::ranges::find(all, kSerialHead[1]);
  const auto forwarding = std::ranges::find(all, kForwardingHead[1]);
  EXPECT_NE(forwarding, all.end());
  return Lines(serial + 2, forwarding - 1);
}

// A plain GPRS block with every field the summary prints set to something recognisable.
ParameterBlock SampleBlock(std::uint8_t work_mode = 0, std::uint8_t protocol = 1) {
  ParameterBlock block;
  block.set_work_mode(work_mode);
  block.set_protocol(protocol);
  block.set_tcp_reconnect_time(30);
  block.set_device_number(8000);
  block.set_centre_number(8001);
  block.set_apn("CMNET");
  block.set_dial_code("*99***1#");
  block.set_sim_number("13800138000");
  block.set_ppp_user("user");
  block.set_centre_ip1({192, 168, 1, 10});
  block.set_port1(5001);
  block.set_heartbeat_interval(60);
  block.set_sms_centre("8613800100500");
  block.set_sms_number1("13912345678");
  block.set_sms_accept_all(1);
  block.set_baud_rate(9600);
  block.set_parity(2);
  block.set_data_bits(8);
  block.set_stop_bits(1);
  block.set_frame_delay(100);
  return block;
}

const Lines kSampleSerialLines{
    "--串口设置-->9600,e,8,1",
    "★传输模式-->透明传输，延时间隔100毫秒",
    "★降低流量-->不启用，传输全部数据",
    "★定时招调-->不启用",
    "★GPRS通知-->不启用",
    "★TCP 通知-->不启用",
};

TEST(PrintSummary, GprsBlockPrintsEveryLineInOrder) {
  const Lines expected = Concat({
      kBasicHead,
      {
          "●传输模式-->GPRS 传输模式(短信可设置参数)",
          "●协议------>澄川TCP",
          std::string(kTcp30),
          "●设备编号-->8000",
          "●中心编号-->8001",
          "●接入点APN->CMNET",
          "●拨号号码-->*99***1#",
          "●用户名---->user，PPP协议拨号用户名",
          "●密码------>空，PPP协议拨号用户名",
          "●域名服务-->不使用域名",
          "●中心IP---->192.168.1.10",
          "●中心端口-->5001",
          "●心跳模式-->默认心跳",
          "●心跳时间-->60秒",
          "●短信中心-->8613800100500",
          "●授权号码1->13912345678",
          "●授权号码2->空",
          "●授权号码3->空",
          "●授权号码4->空",
          "●授权号码5->空",
          "●短信接收-->接收所有手机发来的短信",
      },
      kSerialHead,
      kSampleSerialLines,
      kForwardingHead,
  });
  EXPECT_EQ(PrintSummary(SampleBlock()), expected);
}

TEST(PrintSummary, DualBlockPrintsEveryLineInOrder) {
  ParameterBlock block = SampleBlock(2, 2);
  block.set_ppp_password("pass");
  block.set_domain1_enabled(1);
  block.set_domain1("dtu.example.com");
  block.set_custom_packets(1);
  block.set_sms_coding(1);
  block.set_sms_accept_all(0);
  block.set_sms_output_number(1);
  block.set_sms_mode(0);
  block.set_gprs_tx_tag(Bytes("GP:"));
  block.set_sms_tx_tag(Bytes("SM:"));
  block.set_heartbeat_retries(3);
  block.set_frame_mode(1);
  block.set_frame_head(std::vector<std::uint8_t>{0x7E, 0x01});
  block.set_frame_tail(std::vector<std::uint8_t>{0x0D});
  block.set_timed_receive(1);
  block.set_timed_receive_interval(15);
  block.set_poll_interval(10);
  block.set_poll_command(Bytes("READ"));
  block.set_gprs_notice(Bytes("NET"));
  block.set_tcp_notice(Bytes("LINK"));
  block.set_parity(0);
  block.set_baud_rate(115200);

  const Lines expected = Concat({
      kBasicHead,
      {
          "●传输模式-->多通道传输模式",
          "●接入点APN->CMNET",
          "●拨号号码-->*99***1#",
          "●用户名---->user，PPP协议拨号用户名",
          "●密码------>pass，PPP协议拨号用户名",
          "●协议------>透传澄川TCP",
          "●手机号---->13800138000，透传澄川TCP协议",
          "●DTU编号--->8000",
          std::string(kTcp30),
          "●启用域名-->dtu.example.com",
          "●中心端口-->5001",
          "●心跳模式-->用户心跳",
          "●心跳时间-->60秒",
          "●短信编码-->8bit",
          "●短信中心-->8613800100500",
          "●授权号码1->13912345678",
          "●授权号码2->空",
          "●授权号码3->空",
          "●授权号码4->空",
          "●授权号码5->空",
          "●短信接收-->不接收授权号码外的短信",
          "●短信输出-->输出电话号码",
          "●短信模式-->协议模式",
          "●组合模式-->GP:(GPRS数据发送协议头)",
          "●组合模式-->SM:(短信数据发送协议头)",
          "●心跳次数-->3(心跳没回应，重复次数)",
      },
      kSerialHead,
      {
          "--串口设置-->115200,n,8,1",
          "★传输模式-->协议传输",
          "★包头------>0x7E 0x01 ",
          "★包尾------>0x0D ",
          "★降低流量-->启用， 定时接收数据，其它时间不接收。间隔为15秒",
          "★定时招调-->启用,READ，长度4",
          "★GPRS通知-->启用,NET,长度3,GPRS 拨号成功后，串口发出数据",
          "★TCP 通知-->启用 LINK,长度4,TCP  连接成功后，串口发出数据",
      },
      kForwardingHead,
  });
  EXPECT_EQ(PrintSummary(block), expected);
}

TEST(PrintSummary, SmsBlockPrintsEveryLineInOrder) {
  ParameterBlock block = SampleBlock(1);
  block.set_sms_mode(1);
  block.set_sms_output_number(0);
  block.set_sms_number5("13700000005");
  const Lines expected = Concat({
      kBasicHead,
      {
          "●传输模式-->短信模式(GPRS不可用)",
          "●短信输出-->透明模式",
          "●短信中心-->8613800100500",
          "●授权号码1->13912345678",
          "●授权号码2->空",
          "●授权号码3->空",
          "●授权号码4->空",
          "●授权号码5->13700000005",
          "●短信接收-->接收所有手机发来的短信",
          "●短信输出-->不输出电话号码",
      },
      kSerialHead,
      kSampleSerialLines,
      kForwardingHead,
  });
  EXPECT_EQ(PrintSummary(block), expected);
}

TEST(PrintSummary, UnknownWorkModePrintsOnlyHeadsAndSerialLines) {
  for (const std::uint8_t mode : {3, 4, 255}) {
    SCOPED_TRACE(mode);
    const Lines expected = Concat({kBasicHead, kSerialHead, kSampleSerialLines, kForwardingHead});
    EXPECT_EQ(PrintSummary(SampleBlock(mode)), expected);
  }
}

TEST(PrintSummary, ForwardingHeadEndsEverySummary) {
  for (const std::uint8_t mode : {0, 1, 2, 3}) {
    SCOPED_TRACE(mode);
    const Lines all = PrintSummary(SampleBlock(mode));
    ASSERT_GE(all.size(), 3u);
    EXPECT_EQ(Lines(all.end() - 3, all.end()), kForwardingHead);
  }
}

// Protocol lines by protocol code in both columns, for a block with SIM number 13800138000,
// device number 8000 and a TCP reconnection time of 30 seconds.
struct ProtocolCase {
  std::uint8_t protocol;
  Lines gprs;
  Lines dual;
};

const std::vector<ProtocolCase> kProtocolCases{
    {0, {"●协议------>澄川UDP"}, {"●协议------>澄川UDP"}},
    {1, {"●协议------>澄川TCP", std::string(kTcp30)}, {"●协议------>澄川TCP", std::string(kTcp30)}},
    {2,
     {"●协议------>透传澄川TCP", std::string(kTcp30)},
     {"●协议------>透传澄川TCP", "●手机号---->13800138000，透传澄川TCP协议", "●DTU编号--->8000",
      std::string(kTcp30)}},
    {3,
     {"●协议------>支持组态王UDP", "●手机号---->13800138000，组态王协议"},
     {"●协议------>支持组态王UDP", "●手机号---->13800138000，组态王协议"}},
    {4,
     {"●协议------>支持组态王TCP", std::string(kTcp30), "●手机号---->13800138000，组态王协议"},
     {"●协议------>支持组态王TCP", std::string(kTcp30), "●手机号---->13800138000，组态王协议"}},
    {5, {"●协议------>用户自写代码"}, {"●协议------>用户自写代码"}},
    {6, {"●协议------>纯透明UDP模式"}, {"●协议------>纯透明UDP模式"}},
    {7, {"●协议------>支持mServer模式"}, {"●协议------>支持mServer模式"}},
    {8, {"●协议------>支持倚天风华模式"}, {"●协议------>支持倚天风华模式"}},
    {9, {"●协议------>桑荣、四信、才茂"}, {}},
    {10, {"●协议------>GPS"}, {"●协议------>GPS"}},
    {11, {"●协议------>TCP纯透明协议"}, {}},
    {12, {}, {}},
    {13, {}, {}},
    {14, {}, {}},
    {15, {}, {}},
    {255, {}, {}},
};

TEST(PrintSummary, ProtocolLinesInGprsMode) {
  for (const ProtocolCase& c : kProtocolCases) {
    SCOPED_TRACE(static_cast<int>(c.protocol));
    const Lines lines = PrintSummary(SampleBlock(0, c.protocol));
    EXPECT_EQ(Between(lines, "●传输模式-->", {"●设备编号-->"}), c.gprs);
  }
}

TEST(PrintSummary, ProtocolLinesInDualMode) {
  for (const ProtocolCase& c : kProtocolCases) {
    SCOPED_TRACE(static_cast<int>(c.protocol));
    const Lines lines = PrintSummary(SampleBlock(2, c.protocol));
    EXPECT_EQ(Between(lines, "●密码------>", {"●域名服务-->", "●启用域名-->"}), c.dual);
  }
}

TEST(PrintSummary, DualModeWithoutProtocolNamePrintsNoProtocolLineAtAll) {
  for (const std::uint8_t protocol : {9, 11, 12, 200}) {
    SCOPED_TRACE(static_cast<int>(protocol));
    for (const std::string& line : PrintSummary(SampleBlock(2, protocol)))
      EXPECT_FALSE(StartsWith(line, "●协议") || StartsWith(line, "●TCP协议")) << line;
  }
}

TEST(PrintSummary, TcpProtocolPrintsReconnectTime) {
  const Lines lines = PrintSummary(SampleBlock(0, 1));
  const auto name = std::ranges::find(lines, "●协议------>澄川TCP");
  ASSERT_NE(name, lines.end());
  ASSERT_NE(name + 1, lines.end());
  EXPECT_EQ(*(name + 1), kTcp30);
}

TEST(PrintSummary, EmptySimNumberInProtocolLines) {
  ParameterBlock block = SampleBlock(2, 2);
  block.set_sim_number("");
  EXPECT_THAT(PrintSummary(block), Contains("●手机号---->空，透传澄川TCP"));
  EXPECT_THAT(PrintSummary(block), Not(Contains("●手机号---->空，透传澄川TCP协议")));
  for (const std::uint8_t mode : {0, 2}) {
    block.set_work_mode(mode);
    block.set_protocol(4);
    EXPECT_THAT(PrintSummary(block), Contains("●手机号---->空，组态王协议")) << int{mode};
  }
}

TEST(PrintSummary, IdentifierProtocolsPrintBytes95To98AsHex) {
  for (const std::uint8_t protocol : {2, 9, 11}) {
    SCOPED_TRACE(static_cast<int>(protocol));
    ParameterBlock block = SampleBlock(0, protocol);
    block.bytes()[95] = 0x00;
    block.bytes()[96] = 0x00;
    block.bytes()[97] = 0x1F;
    block.bytes()[98] = 0x40;
    EXPECT_THAT(Between(PrintSummary(block), "●协", {"●接入点APN->"}),
                ::testing::IsSupersetOf({"●设备编号-->1F40", "●手机号码-->13800138000"}));
    block.set_device_id(0xABCDEF12);
    EXPECT_THAT(PrintSummary(block), Contains("●设备编号-->ABCDEF12"));
    block.set_device_id(0);
    block.set_sim_number("");
    const Lines lines = PrintSummary(block);
    EXPECT_THAT(lines, Contains("●设备编号-->0"));
    EXPECT_THAT(lines, Contains("●手机号码-->"));  // printed even when empty, without 空
    EXPECT_THAT(lines, Not(Contains(::testing::StartsWith("●中心编号"))));
  }
}

TEST(PrintSummary, OtherProtocolsPrintDeviceAndCentreNumbers) {
  for (const std::uint8_t protocol : {0, 1, 3, 10, 12, 255}) {
    SCOPED_TRACE(static_cast<int>(protocol));
    ParameterBlock block = SampleBlock(0, protocol);
    block.set_device_id(0x00001F40);
    const Lines lines = PrintSummary(block);
    EXPECT_THAT(lines, Contains("●设备编号-->0"));
    EXPECT_THAT(lines, Contains("●中心编号-->8000"));
    EXPECT_THAT(lines, Not(Contains(::testing::StartsWith("●手机号码"))));
  }
  ParameterBlock block = SampleBlock(0, 0);
  block.set_device_number(65535);
  EXPECT_THAT(PrintSummary(block), Contains("●设备编号-->65535"));  // unsigned, never -1
}

TEST(PrintSummary, EmptyTextFields) {
  for (const std::uint8_t mode : {0, 2}) {
    SCOPED_TRACE(static_cast<int>(mode));
    ParameterBlock block = SampleBlock(mode, 0);
    block.set_apn("");
    block.set_dial_code("");
    block.set_ppp_user("");
    block.set_ppp_password("");
    block.set_sms_centre("");
    block.set_sms_number1("");
    const Lines lines = PrintSummary(block);
    EXPECT_THAT(lines, Contains("●接入点APN->"));
    EXPECT_THAT(lines, Contains("●拨号号码-->空"));
    EXPECT_THAT(lines, Contains("●用户名---->空，PPP协议拨号用户名"));
    EXPECT_THAT(lines, Contains("●密码------>空，PPP协议拨号用户名"));
    EXPECT_THAT(lines, Contains("●短信中心-->空"));
    EXPECT_THAT(lines, Contains("●授权号码1->空"));
  }
}

TEST(PrintSummary, TextFieldsAreConvertedFromGbkUpToTheirTerminator) {
  ParameterBlock block = SampleBlock();
  block.set_ppp_user(Gbk("用户甲"));
  block.set_apn("ABCDEFGHIJ");
  block.set_apn("CMNET");  // the bytes after the new terminator still hold "GHIJ"
  block.set_sms_number2(Gbk("值班室"));
  const Lines lines = PrintSummary(block);
  EXPECT_THAT(lines, Contains("●用户名---->用户甲，PPP协议拨号用户名"));
  EXPECT_THAT(lines, Contains("●接入点APN->CMNET"));
  EXPECT_THAT(lines, Contains("●授权号码2->值班室"));
}

TEST(PrintSummary, UnterminatedTextStopsAtItsField) {
  ParameterBlock block = SampleBlock();
  std::ranges::fill(block.Area(field::apn), 'A');  // no 0x00: the next field must not leak in
  EXPECT_THAT(PrintSummary(block), Contains("●接入点APN->" + std::string(17, 'A')));
}

TEST(PrintSummary, BytesThatAreNoGbkCharacterSurviveTheRoundTrip) {
  ParameterBlock block = SampleBlock();
  const std::string odd{"\x80\xFF"};
  block.set_dial_code(odd);
  const Lines lines = PrintSummary(block);
  const auto line =
      std::ranges::find_if(lines, [](const auto& l) { return StartsWith(l, "●拨号号码-->"); });
  ASSERT_NE(line, lines.end());
  EXPECT_EQ(Utf8ToGbk(*line).bytes, Gbk("●拨号号码-->") + odd);
}

TEST(PrintSummary, CentreByDomainOrAddress) {
  ParameterBlock block = SampleBlock();
  block.set_domain1("centre.example.net");
  block.set_domain1_enabled(1);
  EXPECT_THAT(Between(PrintSummary(block), "●密码", {"●心跳模式"}),
              ElementsAre("●启用域名-->centre.example.net", "●中心端口-->5001"));
  for (const std::uint8_t flag : {0, 2}) {
    block.set_domain1_enabled(flag);
    EXPECT_THAT(
        Between(PrintSummary(block), "●密码", {"●心跳模式"}),
        ElementsAre("●域名服务-->不使用域名", "●中心IP---->192.168.1.10", "●中心端口-->5001"))
        << int{flag};
  }
  block.set_centre_ip1({255, 0, 200, 1});
  block.set_port1(65535);
  EXPECT_THAT(PrintSummary(block), Contains("●中心IP---->255.0.200.1"));
  EXPECT_THAT(PrintSummary(block), Contains("●中心端口-->65535"));
}

TEST(PrintSummary, FlagsCountOnlyWhenOne) {
  struct Case {
    std::uint8_t value;
    const char* heartbeat;
    const char* accept;
  };
  for (const Case& c : {Case{1, "●心跳模式-->用户心跳", "●短信接收-->接收所有手机发来的短信"},
                        Case{0, "●心跳模式-->默认心跳", "●短信接收-->不接收授权号码外的短信"},
                        Case{2, "●心跳模式-->默认心跳", "●短信接收-->不接收授权号码外的短信"}}) {
    ParameterBlock block = SampleBlock();
    block.set_custom_packets(c.value);
    block.set_sms_accept_all(c.value);
    const Lines lines = PrintSummary(block);
    EXPECT_THAT(lines, Contains(c.heartbeat)) << int{c.value};
    EXPECT_THAT(lines, Contains(c.accept)) << int{c.value};
  }
}

TEST(PrintSummary, SmsModeBlockBySmsMode) {
  struct Case {
    std::uint8_t sms_mode;
    Lines basic;
  };
  const std::vector<Case> cases{
      {0,
       {"●传输模式-->短信模式(GPRS不可用)", "●短信模式-->协议模式", "●短信中心-->8613800100500"}},
      {1,
       {"●传输模式-->短信模式(GPRS不可用)", "●短信输出-->透明模式", "●短信中心-->8613800100500",
        "●授权号码1->13912345678", "●授权号码2->空", "●授权号码3->空", "●授权号码4->空",
        "●授权号码5->空", "●短信接收-->接收所有手机发来的短信", "●短信输出-->输出电话号码"}},
      {2, {"●传输模式-->短信模式(GPRS不可用)", "●短信模式-->voz模式", "●短信中心-->8613800100500"}},
      {3, {"●传输模式-->短信模式(GPRS不可用)"}},
      {255, {"●传输模式-->短信模式(GPRS不可用)"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.sms_mode));
    ParameterBlock block = SampleBlock(1);
    block.set_sms_mode(c.sms_mode);
    block.set_sms_output_number(1);
    EXPECT_EQ(BasicLines(block), c.basic);
  }
}

TEST(PrintSummary, DualModeSmsCodingOutputAndMode) {
  struct Case {
    std::uint8_t value;
    const char* coding;
    const char* output_number;
    const char* mode;
  };
  const std::vector<Case> cases{
      {0, "●短信编码-->7bit", "●短信输出-->不输出电话号码", "●短信模式-->协议模式"},
      {1, "●短信编码-->8bit", "●短信输出-->输出电话号码", "●短信输出-->透明模式"},
      {2, "●短信编码-->UNICODE", "●短信输出-->不输出电话号码", "●短信输出-->透明模式"},
      {3, "●短信编码-->UNICODE", "●短信输出-->不输出电话号码", "●短信输出-->透明模式"},
      {255, "●短信编码-->UNICODE", "●短信输出-->不输出电话号码", "●短信输出-->透明模式"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.value));
    ParameterBlock block = SampleBlock(2, 0);
    block.set_sms_coding(c.value);
    block.set_sms_output_number(c.value);
    block.set_sms_mode(c.value);
    EXPECT_THAT(Between(PrintSummary(block), "●短信接收-->", {"●组合模式-->"}),
                ElementsAre(c.output_number, c.mode));
    EXPECT_THAT(PrintSummary(block), Contains(c.coding));
  }
}

TEST(PrintSummary, DualModeTagsPrintUpToTheirFirstZeroWhateverTheirLength) {
  ParameterBlock block = SampleBlock(2, 0);
  block.set_gprs_tx_tag(std::vector<std::uint8_t>{'G', 0x00, 'X'});  // length byte 3
  block.set_sms_tx_tag(std::vector<std::uint8_t>{});                 // length 0, area zero
  block.Area(field::sms_tx_tag)[0] = 'S';                            // still printed
  block.set_heartbeat_retries(255);
  const Lines lines = PrintSummary(block);
  EXPECT_THAT(lines, Contains("●组合模式-->G(GPRS数据发送协议头)"));
  EXPECT_THAT(lines, Contains("●组合模式-->S(短信数据发送协议头)"));
  EXPECT_THAT(lines, Contains("●心跳次数-->255(心跳没回应，重复次数)"));
}

TEST(PrintSummary, SerialLineWithEveryParity) {
  struct Case {
    std::uint8_t parity;
    const char* line;
  };
  for (const Case& c : {Case{0, "--串口设置-->9600,n,8,1"}, Case{1, "--串口设置-->9600,o,8,1"},
                        Case{2, "--串口设置-->9600,e,8,1"}, Case{3, "--串口设置-->9600,?,8,1"},
                        Case{255, "--串口设置-->9600,?,8,1"}}) {
    ParameterBlock block = SampleBlock();
    block.set_parity(c.parity);
    EXPECT_EQ(SerialLines(block).front(), c.line);
  }
  ParameterBlock block = SampleBlock();
  block.set_baud_rate(0xFFFFFFFF);
  block.set_data_bits(7);
  block.set_stop_bits(2);
  EXPECT_EQ(SerialLines(block).front(), "--串口设置-->4294967295,e,7,2");
}

TEST(PrintSummary, HeadAndTailFraming) {
  ParameterBlock block = SampleBlock();
  block.set_frame_mode(1);
  block.set_frame_head(std::vector<std::uint8_t>{0x7E, 0x01});
  EXPECT_THAT(Between(PrintSummary(block), "--串口设置", {"★降低流量"}),
              ElementsAre("★传输模式-->协议传输", "★包头------>0x7E 0x01 ", "★包尾------>"));

  block.set_frame_mode(2);  // any mode but 0 frames by head and tail
  EXPECT_THAT(PrintSummary(block), Contains("★传输模式-->协议传输"));

  block.set_frame_head_len(200);  // a length past the area prints the whole area, no more
  EXPECT_THAT(PrintSummary(block),
              Contains("★包头------>0x7E 0x01 0x00 0x00 0x00 0x00 0x00 0x00 "));
}

TEST(PrintSummary, DelayFraming) {
  ParameterBlock block = SampleBlock();
  block.set_frame_delay(65535);
  block.set_frame_head(std::vector<std::uint8_t>{0x7E});
  EXPECT_THAT(Between(PrintSummary(block), "--串口设置", {"★降低流量"}),
              ElementsAre("★传输模式-->透明传输，延时间隔65535毫秒"));
}

TEST(PrintSummary, TimedReceiveOnlyWhenFlagIsOne) {
  ParameterBlock block = SampleBlock();
  block.set_timed_receive_interval(20);
  block.set_timed_receive(1);
  EXPECT_THAT(PrintSummary(block),
              Contains("★降低流量-->启用， 定时接收数据，其它时间不接收。间隔为20秒"));
  block.set_timed_receive(2);
  EXPECT_THAT(PrintSummary(block), Contains("★降低流量-->不启用，传输全部数据"));
}

TEST(PrintSummary, PollingAndNotices) {
  ParameterBlock block = SampleBlock();
  block.set_poll_command(Bytes("AT"));
  block.set_gprs_notice(Bytes("OK"));
  block.set_tcp_notice(Bytes("UP"));
  block.set_poll_interval(5);
  Lines serial = SerialLines(block);
  EXPECT_THAT(Lines(serial.end() - 3, serial.end()),
              ElementsAre("★定时招调-->启用,AT，长度2",
                          "★GPRS通知-->启用,OK,长度2,GPRS 拨号成功后，串口发出数据",
                          "★TCP 通知-->启用 UP,长度2,TCP  连接成功后，串口发出数据"));

  // The switches are the poll interval and the two length bytes, not the areas.
  block.set_poll_interval(0);
  block.set_gprs_notice_len(0);
  block.set_tcp_notice_len(0);
  serial = SerialLines(block);
  EXPECT_THAT(Lines(serial.end() - 3, serial.end()),
              ElementsAre("★定时招调-->不启用", "★GPRS通知-->不启用", "★TCP 通知-->不启用"));

  // A length byte that disagrees with the area is printed as it stands.
  block.set_tcp_notice_len(9);
  EXPECT_THAT(PrintSummary(block),
              Contains("★TCP 通知-->启用 UP,长度9,TCP  连接成功后，串口发出数据"));
}

TEST(PrintSummary, NoticeInChinesePrintsAsText) {
  ParameterBlock block = SampleBlock();
  const std::string notice = Gbk("上线");
  block.set_gprs_notice(Bytes(notice));
  EXPECT_THAT(PrintSummary(block),
              Contains("★GPRS通知-->启用,上线,长度4,GPRS 拨号成功后，串口发出数据"));
}

TEST(FormatByteList, FiveCharactersPerByte) {
  struct Case {
    std::vector<std::uint8_t> bytes;
    const char* text;
  };
  for (const Case& c : {Case{{}, ""}, Case{{0x7E, 0x0D}, "0x7E 0x0D "},
                        Case{{0x00, 0xFF, 0xA5, 0x0B}, "0x00 0xFF 0xA5 0x0B "}}) {
    EXPECT_EQ(FormatByteList(c.bytes), c.text);
  }
  EXPECT_THAT(FormatByteList({}), IsEmpty());
}

}  // namespace
}  // namespace dtu
