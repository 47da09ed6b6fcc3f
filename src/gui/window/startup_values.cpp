#include "gui/window/startup_values.h"

#include <QComboBox>

#include <array>
#include <string_view>

#include "core/baud_rates.h"
#include "core/editing/editor_defaults.h"
#include "gui/pages/gprs_page.h"
#include "gui/pages/serial_page.h"
#include "gui/pages/sms_page.h"
#include "gui/platform/qt_text.h"

namespace dtu {
namespace {

struct TextValue {
  int id;
  std::string_view text;
};

struct ListValue {
  int id;
  int index;
};

constexpr std::array kGprsTexts = std::to_array<TextValue>({
    {gprs_id::kApn, "CMNET"},
    {gprs_id::kDialCode, "*99***1#"},
    {gprs_id::kCentreIp[0], kDefaultCentreAddress},
    {gprs_id::kPort[0], "8080"},
    {gprs_id::kProjectNumber, "01"},
    {gprs_id::kDeviceNumber, "88"},
    {gprs_id::kCentreNumber, "88"},
    {gprs_id::kHeartbeatInterval, "30"},
    {gprs_id::kHeartbeatRetries, "5"},
    {gprs_id::kTcpReconnectTime, "20"},
});
constexpr std::array kGprsLists = std::to_array<ListValue>({{gprs_id::kProtocol, 0}});

constexpr std::array kSmsTexts = std::to_array<TextValue>({
    {sms_id::kSmsCentre, ""},
    {sms_id::kNumber[0], kSampleMobileNumber1},
    {sms_id::kNumber[1], kSampleMobileNumber2},
});
constexpr std::array kSmsLists = std::to_array<ListValue>({
    {sms_id::kMode, 1},          // "透明模式"
    {sms_id::kCoding, 2},        // "UCS2(对手机进行收发数据)"
    {sms_id::kOutputNumber, 1},  // "包含"
});

constexpr std::array kSerialTexts = std::to_array<TextValue>({
    {serial_id::kPollInterval, "0"},
    {serial_id::kPollCommand, "Read"},
    {serial_id::kPollCommandLength, "4"},
    {serial_id::kFrameDelay, "150"},
    {serial_id::kFrameHead, "#"},
    {serial_id::kFrameTail, "^"},
    {serial_id::kTimedReceiveInterval, "0"},
    {serial_id::kGprsRxTag, "AT+1"},
    {serial_id::kGprsTxTag, "AT+1"},
    {serial_id::kSmsRxTag, "AT+2"},
    {serial_id::kSmsTxTag, "AT+2"},
});
constexpr std::array kSerialLists = std::to_array<ListValue>({
    {serial_id::kBaudRate, static_cast<int>(kDefaultBaudIndex)},
    {serial_id::kParity, 0},    // "无校验"
    {serial_id::kDataBits, 0},  // "8"
    {serial_id::kStopBits, 0},  // "1"
});

template <std::size_t T, std::size_t L>
void Write(EditorPage& page, const std::array<TextValue, T>& texts,
           const std::array<ListValue, L>& lists) {
  for (const TextValue& value : texts) page.setText(value.id, FromUtf8(value.text));
  for (const ListValue& value : lists) page.list(value.id)->setCurrentIndex(value.index);
}

}  // namespace

void WriteStartupValues(GprsPage& gprs, SmsPage& sms, SerialPage& serial) {
  Write(serial, kSerialTexts, kSerialLists);
  serial.checkRadio({serial_id::kByDelay, serial_id::kByHeadAndTail}, 0);  // "延时分包"
  Write(gprs, kGprsTexts, kGprsLists);
  Write(sms, kSmsTexts, kSmsLists);
}

}  // namespace dtu
