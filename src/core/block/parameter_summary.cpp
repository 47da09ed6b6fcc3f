#include "core/block/parameter_summary.h"

#include <algorithm>
#include <array>
#include <initializer_list>
#include <string_view>

#include "core/block/block_codes.h"
#include "core/text/gbk_codec.h"
#include "core/text/hex_text.h"

namespace dtu {
namespace {

using Lines = std::vector<std::string>;

// The summary's own texts. Patterns use the C placeholders %d, %X, %c and %s; Fill puts the
// already formatted values in their place.
constexpr std::string_view kHeadSpacer = " ";
constexpr std::string_view kBasicHead = "-----------基本设置-----------";
constexpr std::string_view kSerialHead = "-----------串口设置-----------";
constexpr std::string_view kForwardingHead = "-----------数据转发-----------";
constexpr std::string_view kEmpty = "空";

constexpr std::string_view kGprsModeLine = "●传输模式-->GPRS 传输模式(短信可设置参数)";
constexpr std::string_view kDualModeLine = "●传输模式-->多通道传输模式";
constexpr std::string_view kSmsModeLine = "●传输模式-->短信模式(GPRS不可用)";

constexpr std::string_view kProtocolLine = "●协议------>%s";
constexpr std::string_view kTcpLine = "●TCP协议--->建立TCP链接发送请求的间隔%d秒";
constexpr std::string_view kScadaNumberLine = "●手机号---->%s，组态王协议";
constexpr std::string_view kTransparentNumberLine = "●手机号---->%s，透传澄川TCP协议";
constexpr std::string_view kTransparentNoNumberLine = "●手机号---->%s，透传澄川TCP";
constexpr std::string_view kDtuNumberLine = "●DTU编号--->%d";

constexpr std::string_view kDeviceIdLine = "●设备编号-->%X";
constexpr std::string_view kSimNumberLine = "●手机号码-->%s";
constexpr std::string_view kDeviceNumberLine = "●设备编号-->%d";
constexpr std::string_view kCentreNumberLine = "●中心编号-->%d";
constexpr std::string_view kApnLine = "●接入点APN->%s";
constexpr std::string_view kDialCodeLine = "●拨号号码-->%s";
constexpr std::string_view kPppUserLine = "●用户名---->%s，PPP协议拨号用户名";
constexpr std::string_view kPppPasswordLine = "●密码------>%s，PPP协议拨号用户名";
constexpr std::string_view kDomainLine = "●启用域名-->%s";
constexpr std::string_view kNoDomainLine = "●域名服务-->%s";
constexpr std::string_view kNoDomain = "不使用域名";
constexpr std::string_view kCentreIpLine = "●中心IP---->%d.%d.%d.%d";
constexpr std::string_view kCentrePortLine = "●中心端口-->%d";
constexpr std::string_view kHeartbeatModeLine = "●心跳模式-->%s";
constexpr std::string_view kCustomHeartbeat = "用户心跳";
constexpr std::string_view kDefaultHeartbeat = "默认心跳";
constexpr std::string_view kHeartbeatIntervalLine = "●心跳时间-->%d秒";
constexpr std::string_view kSmsCentreLine = "●短信中心-->%s";
constexpr std::array<std::string_view, 5> kSmsNumberLines{
    "●授权号码1->%s", "●授权号码2->%s", "●授权号码3->%s", "●授权号码4->%s", "●授权号码5->%s"};
constexpr std::string_view kSmsAcceptLine = "●短信接收-->%s";
constexpr std::string_view kAcceptAll = "接收所有手机发来的短信";
constexpr std::string_view kAcceptAuthorisedOnly = "不接收授权号码外的短信";

constexpr std::string_view kSmsCodingLine = "●短信编码-->%s";
constexpr std::string_view kSmsOutputLine = "●短信输出-->%s";
constexpr std::string_view kWithNumber = "输出电话号码";
constexpr std::string_view kWithoutNumber = "不输出电话号码";
constexpr std::string_view kSmsModeNameLine = "●短信模式-->%s";
constexpr std::string_view kGprsTagLine = "●组合模式-->%s(GPRS数据发送协议头)";
constexpr std::string_view kSmsTagLine = "●组合模式-->%s(短信数据发送协议头)";
constexpr std::string_view kRetriesLine = "●心跳次数-->%d(心跳没回应，重复次数)";

constexpr std::string_view kSerialLine = "--串口设置-->%d,%c,%d,%d";
constexpr std::string_view kDelayFramingLine = "★传输模式-->透明传输，延时间隔%d毫秒";
constexpr std::string_view kMarkerFramingLine = "★传输模式-->协议传输";
constexpr std::string_view kFrameHeadLine = "★包头------>%s";
constexpr std::string_view kFrameTailLine = "★包尾------>%s";
constexpr std::string_view kTimedReceiveOnLine =
    "★降低流量-->启用， 定时接收数据，其它时间不接收。间隔为%d秒";
constexpr std::string_view kTimedReceiveOffLine = "★降低流量-->不启用，传输全部数据";
constexpr std::string_view kPollOnLine = "★定时招调-->启用,%s，长度%d";
constexpr std::string_view kPollOffLine = "★定时招调-->不启用";
constexpr std::string_view kGprsNoticeOnLine =
    "★GPRS通知-->启用,%s,长度%d,GPRS 拨号成功后，串口发出数据";
constexpr std::string_view kGprsNoticeOffLine = "★GPRS通知-->不启用";
constexpr std::string_view kTcpNoticeOnLine =
    "★TCP 通知-->启用 %s,长度%d,TCP  连接成功后，串口发出数据";
constexpr std::string_view kTcpNoticeOffLine = "★TCP 通知-->不启用";

// Protocol codes with lines of their own besides the protocol name.
constexpr std::uint8_t kTcpProtocol = 1;
constexpr std::uint8_t kTransparentTcpProtocol = 2;
constexpr std::uint8_t kScadaUdpProtocol = 3;
constexpr std::uint8_t kScadaTcpProtocol = 4;

enum class Column { Gprs, Dual };

// Puts the values, already formatted, in place of the pattern's placeholders in order. Values are
// copied as they are, so a '%' inside a value is never taken for a placeholder.
std::string Fill(std::string_view pattern, std::initializer_list<std::string_view> values) {
  std::string line;
  auto value = values.begin();
  for (std::size_t i = 0; i < pattern.size(); ++i) {
    const bool placeholder =
        pattern[i] == '%' && i + 1 < pattern.size() &&
        std::string_view("dXcs").find(pattern[i + 1]) != std::string_view::npos;
    if (placeholder && value != values.end()) {
      line += *value++;
      ++i;
    } else {
      line += pattern[i];
    }
  }
  return line;
}

std::string Decimal(std::uint32_t value) {
  return FormatDecimal(value);
}

// A text or counted field as the pane shows it: its GBK bytes up to the first 0x00, as UTF-8.
std::string Text(std::string_view gbk) {
  return GbkToUtf8(gbk);
}

// Like Text, but an empty field reads "空".
std::string TextOrEmpty(std::string_view gbk) {
  return gbk.empty() ? std::string(kEmpty) : GbkToUtf8(gbk);
}

void AddSectionHead(std::string_view title, Lines& out) {
  out.emplace_back(kHeadSpacer);
  out.emplace_back(title);
  out.emplace_back(kHeadSpacer);
}

void AddTcpLine(const ParameterBlock& block, Lines& out) {
  out.push_back(Fill(kTcpLine, {Decimal(block.tcp_reconnect_time())}));
}

// Dual mode, transparent TCP: the unit's number and device number ahead of the TCP line.
void AddTransparentTcpIdentity(const ParameterBlock& block, Lines& out) {
  const std::string sim = block.sim_number();
  if (sim.empty())
    out.push_back(Fill(kTransparentNoNumberLine, {kEmpty}));
  else
    out.push_back(Fill(kTransparentNumberLine, {Text(sim)}));
  out.push_back(Fill(kDtuNumberLine, {Decimal(block.device_number())}));
}

void AddProtocolLines(const ParameterBlock& block, Column column, Lines& out) {
  const std::uint8_t code = block.protocol();
  if (code >= kProtocolCodes.size()) return;
  const ProtocolCode& protocol = kProtocolCodes[code];
  const std::string_view name = column == Column::Gprs ? protocol.gprs_name : protocol.dual_name;
  if (name.empty()) return;
  out.push_back(Fill(kProtocolLine, {name}));
  if (code == kTransparentTcpProtocol && column == Column::Dual)
    AddTransparentTcpIdentity(block, out);
  if (code == kTcpProtocol || code == kTransparentTcpProtocol || code == kScadaTcpProtocol)
    AddTcpLine(block, out);
  if (code == kScadaUdpProtocol || code == kScadaTcpProtocol)
    out.push_back(Fill(kScadaNumberLine, {TextOrEmpty(block.sim_number())}));
}

void AddIdentityLines(const ParameterBlock& block, Lines& out) {
  if (ProtocolUsesDeviceId(block.protocol())) {
    out.push_back(Fill(kDeviceIdLine, {FormatUpperHex(block.device_id())}));
    out.push_back(Fill(kSimNumberLine, {Text(block.sim_number())}));
  } else {
    out.push_back(Fill(kDeviceNumberLine, {Decimal(block.device_number())}));
    out.push_back(Fill(kCentreNumberLine, {Decimal(block.centre_number())}));
  }
}

void AddDialLines(const ParameterBlock& block, Lines& out) {
  out.push_back(Fill(kApnLine, {Text(block.apn())}));
  out.push_back(Fill(kDialCodeLine, {TextOrEmpty(block.dial_code())}));
  out.push_back(Fill(kPppUserLine, {TextOrEmpty(block.ppp_user())}));
  out.push_back(Fill(kPppPasswordLine, {TextOrEmpty(block.ppp_password())}));
}

void AddCentreLines(const ParameterBlock& block, Lines& out) {
  if (block.domain1_enabled() == 1) {
    out.push_back(Fill(kDomainLine, {Text(block.domain1())}));
  } else {
    const Ipv4Bytes ip = block.centre_ip1();
    out.push_back(Fill(kNoDomainLine, {kNoDomain}));
    out.push_back(
        Fill(kCentreIpLine, {Decimal(ip[0]), Decimal(ip[1]), Decimal(ip[2]), Decimal(ip[3])}));
  }
  out.push_back(Fill(kCentrePortLine, {Decimal(block.port1())}));
}

void AddHeartbeatLines(const ParameterBlock& block, Lines& out) {
  const bool custom = block.custom_packets() == 1;
  out.push_back(Fill(kHeartbeatModeLine, {custom ? kCustomHeartbeat : kDefaultHeartbeat}));
  out.push_back(Fill(kHeartbeatIntervalLine, {Decimal(block.heartbeat_interval())}));
}

void AddSmsCentreLine(const ParameterBlock& block, Lines& out) {
  out.push_back(Fill(kSmsCentreLine, {TextOrEmpty(block.sms_centre())}));
}

// The five authorised numbers and whether other senders are heard.
void AddSmsNumberLines(const ParameterBlock& block, Lines& out) {
  const std::array<std::string, 5> numbers{block.sms_number1(), block.sms_number2(),
                                           block.sms_number3(), block.sms_number4(),
                                           block.sms_number5()};
  for (std::size_t i = 0; i < numbers.size(); ++i)
    out.push_back(Fill(kSmsNumberLines[i], {TextOrEmpty(numbers[i])}));
  const bool all = block.sms_accept_all() == 1;
  out.push_back(Fill(kSmsAcceptLine, {all ? kAcceptAll : kAcceptAuthorisedOnly}));
}

void AddSmsOutputNumberLine(const ParameterBlock& block, Lines& out) {
  const bool with_number = block.sms_output_number() == 1;
  out.push_back(Fill(kSmsOutputLine, {with_number ? kWithNumber : kWithoutNumber}));
}

void AddSmsCodingLine(const ParameterBlock& block, Lines& out) {
  // Codes past the list are shown as the last entry.
  const std::size_t index =
      std::min<std::size_t>(block.sms_coding(), kSmsCodingSummaryNames.size() - 1);
  out.push_back(Fill(kSmsCodingLine, {kSmsCodingSummaryNames[index]}));
}

void AddGprsModeLines(const ParameterBlock& block, Lines& out) {
  out.emplace_back(kGprsModeLine);
  AddProtocolLines(block, Column::Gprs, out);
  AddIdentityLines(block, out);
  AddDialLines(block, out);
  AddCentreLines(block, out);
  AddHeartbeatLines(block, out);
  AddSmsCentreLine(block, out);
  AddSmsNumberLines(block, out);
}

void AddDualModeLines(const ParameterBlock& block, Lines& out) {
  out.emplace_back(kDualModeLine);
  AddDialLines(block, out);
  AddProtocolLines(block, Column::Dual, out);
  AddCentreLines(block, out);
  AddHeartbeatLines(block, out);
  AddSmsCodingLine(block, out);
  AddSmsCentreLine(block, out);
  AddSmsNumberLines(block, out);
  AddSmsOutputNumberLine(block, out);
  if (block.sms_mode() == ToByte(SmsMode::Protocol))
    out.push_back(Fill(kSmsModeNameLine, {kSmsModeNames[ToByte(SmsMode::Protocol)]}));
  else
    out.push_back(Fill(kSmsOutputLine, {kSmsModeNames[ToByte(SmsMode::Transparent)]}));
  out.push_back(Fill(kGprsTagLine, {Text(block.GetCountedText(counted::gprs_tx_tag))}));
  out.push_back(Fill(kSmsTagLine, {Text(block.GetCountedText(counted::sms_tx_tag))}));
  out.push_back(Fill(kRetriesLine, {Decimal(block.heartbeat_retries())}));
}

void AddSmsModeLines(const ParameterBlock& block, Lines& out) {
  out.emplace_back(kSmsModeLine);
  switch (static_cast<SmsMode>(block.sms_mode())) {
    case SmsMode::Protocol:
    case SmsMode::Voz:
      out.push_back(Fill(kSmsModeNameLine, {kSmsModeNames[block.sms_mode()]}));
      AddSmsCentreLine(block, out);
      break;
    case SmsMode::Transparent:
      out.push_back(Fill(kSmsOutputLine, {kSmsModeNames[ToByte(SmsMode::Transparent)]}));
      AddSmsCentreLine(block, out);
      AddSmsNumberLines(block, out);
      AddSmsOutputNumberLine(block, out);
      break;
    default:
      break;  // a mode the unit does not know: nothing more to say
  }
}

void AddBasicLines(const ParameterBlock& block, Lines& out) {
  switch (static_cast<WorkMode>(block.work_mode())) {
    case WorkMode::Gprs:
      AddGprsModeLines(block, out);
      break;
    case WorkMode::Dual:
      AddDualModeLines(block, out);
      break;
    case WorkMode::Sms:
      AddSmsModeLines(block, out);
      break;
    default:
      break;  // unknown channel mode: the section stays empty
  }
}

void AddFramingLines(const ParameterBlock& block, Lines& out) {
  if (block.frame_mode() == ToByte(FrameMode::ByDelay)) {
    out.push_back(Fill(kDelayFramingLine, {Decimal(block.frame_delay())}));
    return;
  }
  out.emplace_back(kMarkerFramingLine);
  out.push_back(Fill(kFrameHeadLine, {FormatByteList(block.frame_head())}));
  out.push_back(Fill(kFrameTailLine, {FormatByteList(block.frame_tail())}));
}

void AddSerialLines(const ParameterBlock& block, Lines& out) {
  const char parity = ParitySummaryLetter(block.parity());
  out.push_back(Fill(kSerialLine, {Decimal(block.baud_rate()), std::string_view(&parity, 1),
                                   Decimal(block.data_bits()), Decimal(block.stop_bits())}));
  AddFramingLines(block, out);

  if (block.timed_receive() == 1)
    out.push_back(Fill(kTimedReceiveOnLine, {Decimal(block.timed_receive_interval())}));
  else
    out.emplace_back(kTimedReceiveOffLine);

  if (block.poll_interval() != 0)
    out.push_back(Fill(kPollOnLine, {Text(block.GetCountedText(counted::poll_command)),
                                     Decimal(block.poll_command_len())}));
  else
    out.emplace_back(kPollOffLine);

  if (block.gprs_notice_len() != 0)
    out.push_back(Fill(kGprsNoticeOnLine, {Text(block.GetCountedText(counted::gprs_notice)),
                                           Decimal(block.gprs_notice_len())}));
  else
    out.emplace_back(kGprsNoticeOffLine);

  if (block.tcp_notice_len() != 0)
    out.push_back(Fill(kTcpNoticeOnLine, {Text(block.GetCountedText(counted::tcp_notice)),
                                          Decimal(block.tcp_notice_len())}));
  else
    out.emplace_back(kTcpNoticeOffLine);
}

}  // namespace

std::vector<std::string> PrintSummary(const ParameterBlock& block) {
  Lines lines;
  AddSectionHead(kBasicHead, lines);
  AddBasicLines(block, lines);
  AddSectionHead(kSerialHead, lines);
  AddSerialLines(block, lines);
  AddSectionHead(kForwardingHead, lines);
  return lines;
}

std::string FormatByteList(std::span<const std::uint8_t> bytes) {
  constexpr std::string_view kDigits = "0123456789ABCDEF";
  std::string text;
  text.reserve(bytes.size() * 5);
  for (const std::uint8_t byte : bytes) {
    text += "0x";
    text += kDigits[byte >> 4];
    text += kDigits[byte & 0x0F];
    text += ' ';
  }
  return text;
}

}  // namespace dtu
