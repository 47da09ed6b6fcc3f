#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/baud_rates.h"
#include "core/block/block_codes.h"
#include "core/block/block_layout.h"
#include "core/block/parameter_block.h"

namespace dtu {

// The rules the editor pages hold their fields to, beyond what the block's bytes can store. The
// pages check them while the user edits and when they are collected; a block read from a unit or
// a text may break them, and is then kept as it is with a warning (PageRuleWarnings).

// A number field the pages keep within a range. An entry outside it is refused; a unit's own
// value outside it is shown and, left as it is, written back unchanged.
struct RangeRule {
  FieldRow field;
  std::uint32_t min = 0;
  std::uint32_t max = 0;
  bool zero_switches_off = false;  // 0 is allowed besides the range: it switches the feature off
  std::string_view message;        // what the page says about a value outside the range; empty
                                   // for the exchange's EnterRangeMessage(min, max)
  std::string_view caption;        // its box's caption; empty for the application's title

  constexpr bool Holds(std::uint32_t value) const {
    return (zero_switches_off && value == 0) || (value >= min && value <= max);
  }
};

namespace page_rule {
// Checked when the user leaves the field on the network page (and at collection).
inline constexpr RangeRule kHeartbeatInterval{
    field::heartbeat_interval, 5, 3600, false, "请输入5到3600之间的数", "心跳时间间隔"};
inline constexpr RangeRule kTcpReconnectTime{
    field::tcp_reconnect_time, 20, 60, false, "请输入20到60之间的数", "TCP 连接时间"};
inline constexpr RangeRule kHeartbeatRetries{
    field::heartbeat_retries, 3, 10, false, "请输入3到10之间的数", "重拨好号前心跳不回应次数"};
// Checked by the network page's exchange.
inline constexpr RangeRule kReceiverCount{field::receiver_count, 1, 32, false, {}, {}};
// Checked when the network page is collected: one count for the six centre address rows.
inline constexpr RangeRule kIpCount{field::ip_count, 1, 6, false, "IP数目请输入1到6之间的数", {}};
// Checked when the serial page is collected.
inline constexpr RangeRule kPollInterval{field::poll_interval,           5, 0xFFFF, true,
                                         "串口自动发送命令间隔最小5秒!", {}};
inline constexpr RangeRule kFrameDelay{field::frame_delay,      20, 0xFFFF, false,
                                       "触发模式延时最小20ms!", {}};
}  // namespace page_rule

inline constexpr std::array kRangeRules{page_rule::kHeartbeatInterval,
                                        page_rule::kTcpReconnectTime,
                                        page_rule::kHeartbeatRetries,
                                        page_rule::kReceiverCount,
                                        page_rule::kPollInterval,
                                        page_rule::kFrameDelay,
                                        page_rule::kIpCount};

// A field the pages offer as a list (or a row of radio buttons): either the index of an entry,
// 0 to `entries` - 1, or one of `values` (the baud rates, data and stop bits).
struct ChoiceRule {
  FieldRow field;
  std::size_t entries = 0;
  std::span<const std::uint32_t> values;
};

inline constexpr std::array kChoiceRules = std::to_array<ChoiceRule>({
    {field::work_mode, static_cast<std::size_t>(WorkMode::Dual) + 1, {}},
    {field::protocol, kProtocolCodes.size(), {}},
    {field::parity, kParityNames.size(), {}},
    {field::data_bits, 0, kDataBitsChoices},
    {field::stop_bits, 0, kStopBitsChoices},
    {field::frame_mode, kFrameModeNames.size(), {}},
    {field::baud_rate, 0, kBaudRates},
    {field::sms_mode, kSmsModeNames.size(), {}},
    {field::sms_coding, kSmsCodingEntries.size(), {}},
    {field::sms_output_number, kSmsOutputNumberEntries.size(), {}},
});

// The warnings for the fields named in `members` (layout row names) whose values in `block`
// break a rule of the pages, in block order, each naming the field, its value and the rule. Also
// checked: a flag other than 0 or 1, a text that fills its field without the 0x00 the pages
// keep room for, and a count larger than its area.
std::vector<std::string> PageRuleWarnings(const ParameterBlock& block,
                                          std::span<const std::string> members);

}  // namespace dtu
