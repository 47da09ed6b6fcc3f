#include "core/device/device_exchange.h"

#include <gtest/gtest.h>

namespace dtu {
namespace {

using namespace std::chrono_literals;

TEST(DeviceExchange, TimeoutMessageSaysWhatWasSentAndWhatCameBack) {
  DeviceExchange silent(ExchangeKind::ReadParameters, "$$$AT+GETPARA?");
  EXPECT_EQ(
      silent.TimeoutMessage(5000ms, "/dev/ttyUSB0"),
      "读取参数超时：设备在 5 秒内没有回应。\n"
      "已发送：$$$AT+GETPARA?（共 14 字节，串口 /dev/ttyUSB0）\n"
      "已收到：没有收到任何数据。\n"
      "请检查：设备电源是否接通，串口线是否接好，波特率、校验位、数据位、停止位是否与设备一致。");

  DeviceExchange garbled(ExchangeKind::WriteParameters, std::string(1333, 'x'));
  for (int byte : {0xF0, 0x0D, 0x4F, 0x4B}) garbled.AddReceived(static_cast<std::uint8_t>(byte));
  const std::string text = garbled.TimeoutMessage(1500ms, "/dev/pts/3");
  EXPECT_NE(text.find("设置参数超时：设备的回复不完整，1.5 秒内没有再收到数据。"),
            std::string::npos);
  EXPECT_NE(text.find("已发送：$$$AT+SETPARA 与参数块（共 1333 字节"), std::string::npos);
  EXPECT_NE(text.find("已收到：4 字节。开头：\\xF0\\rOK\n"), std::string::npos) << text;
}

TEST(DeviceExchange, TransmitTimeFollowsTheLine) {
  EXPECT_EQ(TransmitTime(1333, 9600, 10), 1389ms);
  EXPECT_EQ(TransmitTime(1333, 110, 11), 133300ms);
  EXPECT_EQ(TransmitTime(14, 0, 10), 0ms);
}

}  // namespace
}  // namespace dtu
