#include "core/device/device_exchange.h"

#include "core/device/device_commands.h"
#include "core/text/hex_text.h"

namespace dtu {
namespace {

constexpr std::string_view kCheckAdvice =
    "请检查：设备电源是否接通，串口线是否接好，波特率、校验位、数据位、停止位是否与设备一致。";

// A received byte as a person can read it in a message: printable ASCII as itself, line ends
// and every other byte as an escape, so that line noise from a wrong baud rate shows as such.
void AppendShown(std::string& out, char c) {
  switch (c) {
    case '\r':
      out += "\\r";
      return;
    case '\n':
      out += "\\n";
      return;
    case '\\':
      out += "\\\\";
      return;
    default:
      break;
  }
  if (c >= 0x20 && c < 0x7F) {
    out += c;
    return;
  }
  out += "\\x";
  AppendHexPair(out, static_cast<std::uint8_t>(c));
}

std::string Seconds(std::chrono::milliseconds limit) {
  const auto count = limit.count();
  std::string text = std::to_string(count / 1000);
  if (count % 1000 != 0) {
    std::string fraction = std::to_string(1000 + count % 1000).substr(1);
    while (fraction.back() == '0') fraction.pop_back();
    text += "." + fraction;
  }
  return text;
}

}  // namespace

DeviceExchange::DeviceExchange(ExchangeKind kind, std::string_view sent)
    : kind_(kind),
      command_(kind == ExchangeKind::WriteParameters ? kSetParametersPrefix : sent),
      sent_size_(sent.size()) {}

void DeviceExchange::AddReceived(std::uint8_t byte) {
  ++received_count_;
  if (first_bytes_.size() < kShownBytes) first_bytes_ += static_cast<char>(byte);
}

std::string DeviceExchange::Heading() const {
  switch (kind_) {
    case ExchangeKind::ReadParameters:
      return "读取参数";
    case ExchangeKind::WriteParameters:
      return "设置参数";
    case ExchangeKind::ReadSignal:
      return "读取信号强度";
  }
  return {};
}

// What was sent and what came back, then what to check.
std::string DeviceExchange::Account(std::string_view port) const {
  std::string text = "\n已发送：" + command_;
  if (kind_ == ExchangeKind::WriteParameters) text += " 与参数块";
  text += "（共 " + std::to_string(sent_size_) + " 字节，串口 " + std::string(port) + "）";

  text += "\n已收到：";
  if (received_count_ == 0) {
    text += "没有收到任何数据。";
  } else {
    text += std::to_string(received_count_) + " 字节";
    if (kind_ == ExchangeKind::ReadParameters) {
      text += "，其中参数块 " + std::to_string(block_digits_) + "/" +
              std::to_string(2 * kBlockSize) + " 位";
    }
    text += "。开头：";
    for (char c : first_bytes_) AppendShown(text, c);
    if (received_count_ > first_bytes_.size()) text += "…";
  }
  text += "\n";
  text += kCheckAdvice;
  return text;
}

std::string DeviceExchange::TimeoutMessage(std::chrono::milliseconds limit,
                                           std::string_view port) const {
  std::string text = Heading() + "超时：";
  text += received_count_ == 0 ? "设备在 " + Seconds(limit) + " 秒内没有回应。"
                               : "设备的回复不完整，" + Seconds(limit) + " 秒内没有再收到数据。";
  return text + Account(port);
}

std::string DeviceExchange::OverlongMessage(std::chrono::milliseconds took,
                                            std::string_view port) const {
  return Heading() + "超时：设备一直在发送数据，但 " + Seconds(took) + " 秒内没有发来完整的回复。" +
         Account(port);
}

std::string DeviceExchange::CancelledMessage(std::string_view port) const {
  std::string text = Heading() + "已取消。";
  if (kind_ == ExchangeKind::WriteParameters) text += "设备是否已保存参数不得而知。";
  return text + Account(port);
}

}  // namespace dtu
