#pragma once

#include <array>
#include <cstdint>
#include <string_view>
#include <type_traits>

namespace dtu {

// The byte a code below is stored as in the block.
template <typename Code>
requires std::is_enum_v<Code>
constexpr std::uint8_t ToByte(Code code) {
  return static_cast<std::uint8_t>(code);
}

// Channel mode, byte 4 of the block.
enum class WorkMode : std::uint8_t { Gprs = 0, Sms = 1, Dual = 2 };

// One centre protocol: its entry in the protocol list and the names the summary gives it. An
// empty summary name means the summary prints no protocol line in that mode.
struct ProtocolCode {
  std::string_view list_entry;
  std::string_view gprs_name;
  std::string_view dual_name;
};

// Indexed by the `protocol` byte.
inline constexpr std::array<ProtocolCode, 15> kProtocolCodes{{
    {"UDP(澄川电子)", "澄川UDP", "澄川UDP"},
    {"TCP(澄川电子)", "澄川TCP", "澄川TCP"},
    {"TCP(澄川电子-透传)", "透传澄川TCP", "透传澄川TCP"},
    {"UDP(宏电)", "支持组态王UDP", "支持组态王UDP"},
    {"TCP(宏电)", "支持组态王TCP", "支持组态王TCP"},
    {"用户编程协议(高级用户)", "用户自写代码", "用户自写代码"},
    {"UDP(纯透明)", "纯透明UDP模式", "纯透明UDP模式"},
    {"TCP(驿唐，支持mServer)", "支持mServer模式", "支持mServer模式"},
    {"TCP(纯透明)", "支持倚天风华模式", "支持倚天风华模式"},
    {"TCP(桑荣、四信)", "桑荣、四信、才茂", ""},
    {"UDP(免固定IP组态王专用)", "GPS", "GPS"},
    {"TCP(透传,KeepAlive)", "TCP纯透明协议", ""},
    {"UDP(MODBUS)", "", ""},
    {"UDP(ESN)", "", ""},
    {"UDP(ESN D2D)", "", ""},
}};

// Protocols for which the summary prints bytes 95 to 98 as one hexadecimal identifier and the
// network page hides the centre number edit. Only protocol 9 is also edited that way (see
// ProtocolEditsDeviceId); under 2 and 11 the editor still loads and collects `device_number`
// and `centre_number` in decimal.
inline constexpr bool ProtocolUsesDeviceId(std::uint8_t protocol) {
  return protocol == 2 || protocol == 9 || protocol == 11;
}

// The protocol under which the editor loads and collects bytes 95 to 98 as the hexadecimal
// `device_id` instead of the decimal device and centre numbers.
inline constexpr bool ProtocolEditsDeviceId(std::uint8_t protocol) {
  return protocol == 9;
}

// Parity of the DTU's own serial port, byte 8.
enum class Parity : std::uint8_t { None = 0, Odd = 1, Even = 2 };
inline constexpr std::array<std::string_view, 3> kParityNames{"无校验", "奇校验", "偶校验"};

// The letter the summary prints for a parity byte: n, o, e for 0, 1, 2. Any other value is not
// a parity the unit knows, and shows as '?' so that it stands out.
inline constexpr char ParitySummaryLetter(std::uint8_t parity) {
  constexpr std::array<char, 3> letters{'n', 'o', 'e'};
  return parity < letters.size() ? letters[parity] : '?';
}

// The data and stop bits the serial page's lists offer, in list order.
inline constexpr std::array<std::uint32_t, 2> kDataBitsChoices{8, 7};
inline constexpr std::array<std::uint32_t, 2> kStopBitsChoices{1, 2};

// How the DTU cuts its serial input into packets, byte 11.
enum class FrameMode : std::uint8_t { ByDelay = 0, ByHeadAndTail = 1 };
inline constexpr std::array<std::string_view, 2> kFrameModeNames{"延时分包", "包头包尾"};

// How the centres are used, byte 59: 1 main and backup, any other value group send. The editor
// writes 0 for a loaded value other than 1 that the user has not changed.
enum class IpMode : std::uint8_t { GroupUnchanged = 0, MainAndBackup = 1, Group = 2 };
inline constexpr std::array<std::string_view, 2> kIpModeNames{"主备方式", "群发方式"};

// SMS working mode, byte 469.
enum class SmsMode : std::uint8_t { Protocol = 0, Transparent = 1, Voz = 2 };
inline constexpr std::array<std::string_view, 3> kSmsModeNames{"协议模式", "透明模式", "voz模式"};

// SMS coding, byte 470: the list entries and the names the summary uses.
enum class SmsCoding : std::uint8_t { SevenBit = 0, EightBit = 1, Ucs2 = 2 };
inline constexpr std::array<std::string_view, 3> kSmsCodingEntries{
    "7 BIT(仅收发数字英文)", "8 BIT(对设备进行16进制收发数据)", "UCS2(对手机进行收发数据)"};
inline constexpr std::array<std::string_view, 3> kSmsCodingSummaryNames{"7bit", "8bit", "UNICODE"};

// Whether SMS output carries the sender's number, byte 471.
inline constexpr std::array<std::string_view, 2> kSmsOutputNumberEntries{"不包含", "包含"};

}  // namespace dtu
