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

TEST(DeviceExchange, AnAnswerWithoutEndAndACancelSayHowMuchCameAndWhatItLookedLike) {
  DeviceExchange noise(ExchangeKind::ReadParameters, "$$$AT+GETPARA?");
  for (int i = 0; i < 100; ++i) noise.AddReceived(static_cast<std::uint8_t>(0x80 + i % 3));
  const std::string overlong = noise.OverlongMessage(13400ms, "/dev/ttyUSB1");
  EXPECT_EQ(overlong.find("读取参数超时：设备一直在发送数据，但 13.4 秒内没有发来完整的回复。\n"),
            0u)
      << overlong;
  EXPECT_NE(overlong.find("已收到：100 字节，其中参数块 0/1320 位。开头：\\x80\\x81\\x82"),
            std::string::npos);
  EXPECT_NE(overlong.find("…\n请检查："), std::string::npos) << "48 bytes shown, then …";

  DeviceExchange write(ExchangeKind::WriteParameters, std::string(1333, 'x'));
  EXPECT_EQ(write.CancelledMessage("/dev/pts/3")
                .find("设置参数已取消。设备是否已保存参数不得而知。"
                      "\n已发送：$$$AT+SETPARA 与参数块"),
            0u);
  DeviceExchange signal(ExchangeKind::ReadSignal, "$$$AT+GET1?");
  EXPECT_EQ(signal.TimeoutMessage(1000ms, "P")
                .find("读取信号强度超时：设备在 1 秒内没有回应。"
                      "\n已发送：$$$AT+GET1?（共 11 字节"),
            0u);
}

}  // namespace
}  // namespace dtu
