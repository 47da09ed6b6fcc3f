#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/block/block_codes.h"
#include "core/block/block_layout.h"

namespace dtu {

using BlockBytes = std::array<std::uint8_t, kBlockSize>;
using Ipv4Bytes = std::array<std::uint8_t, 4>;

// The DTU's whole configuration: 660 bytes. Every field of the layout has a typed accessor under
// its own name; text fields hold GBK bytes. Setters never write outside their field.
class ParameterBlock {
 public:
  ParameterBlock() = default;
  explicit ParameterBlock(const BlockBytes& bytes) : bytes_(bytes) {}

  const BlockBytes& bytes() const { return bytes_; }
  BlockBytes& bytes() { return bytes_; }

  // Generic access by layout row.
  std::uint32_t Get(const FieldRow& row) const;
  void Set(const FieldRow& row, std::uint32_t value);  // keeps the low bits the field holds
  std::span<const std::uint8_t> Area(const FieldRow& row) const;
  std::span<std::uint8_t> Area(const FieldRow& row);

  Ipv4Bytes GetIPv4(const FieldRow& row) const;
  void SetIPv4(const FieldRow& row, const Ipv4Bytes& address);

  // A text field's bytes up to its first 0x00 (the whole field when it holds none).
  std::string GetText(const FieldRow& row) const;
  // Stores GBK text followed by 0x00, cut to the field's capacity (size - 1) at a character
  // boundary so that no half character is ever stored. Bytes after the 0x00 keep their values.
  void SetText(const FieldRow& row, std::string_view gbk);

  // The used bytes of a counted area: as many as its length byte says, at most the area's size.
  std::vector<std::uint8_t> GetCounted(const CountedRow& row) const;
  // The area's bytes up to its first 0x00, whatever the length byte says (how the summary prints
  // a counted field).
  std::string GetCountedText(const CountedRow& row) const;
  // Stores at most the area's size in bytes and their count. Bytes past them keep their values.
  void SetCounted(const CountedRow& row, std::span<const std::uint8_t> content);

#define DTU_NUMBER_FIELD(type, name)            \
  type name() const {                           \
    return static_cast<type>(Get(field::name)); \
  }                                             \
  void set_##name(type value) {                 \
    Set(field::name, value);                    \
  }
#define DTU_IPV4_FIELD(name)                \
  Ipv4Bytes name() const {                  \
    return GetIPv4(field::name);            \
  }                                         \
  void set_##name(const Ipv4Bytes& value) { \
    SetIPv4(field::name, value);            \
  }
#define DTU_TEXT_FIELD(name)              \
  std::string name() const {              \
    return GetText(field::name);          \
  }                                       \
  void set_##name(std::string_view gbk) { \
    SetText(field::name, gbk);            \
  }
#define DTU_COUNTED_FIELD(name)                            \
  std::vector<std::uint8_t> name() const {                 \
    return GetCounted(counted::name);                      \
  }                                                        \
  void set_##name(std::span<const std::uint8_t> content) { \
    SetCounted(counted::name, content);                    \
  }

  DTU_NUMBER_FIELD(std::uint16_t, length)
  DTU_NUMBER_FIELD(std::uint16_t, checksum)
  DTU_NUMBER_FIELD(std::uint8_t, work_mode)
  DTU_NUMBER_FIELD(std::uint8_t, protocol)
  DTU_NUMBER_FIELD(std::uint8_t, fixed_dns)
  DTU_NUMBER_FIELD(std::uint8_t, parity)
  DTU_NUMBER_FIELD(std::uint8_t, data_bits)
  DTU_NUMBER_FIELD(std::uint8_t, stop_bits)
  DTU_NUMBER_FIELD(std::uint8_t, frame_mode)
  DTU_COUNTED_FIELD(frame_head)
  DTU_COUNTED_FIELD(frame_tail)
  DTU_NUMBER_FIELD(std::uint8_t, frame_head_len)
  DTU_NUMBER_FIELD(std::uint8_t, frame_tail_len)
  DTU_NUMBER_FIELD(std::uint8_t, timed_receive)
  DTU_NUMBER_FIELD(std::uint8_t, receiver_count)
  DTU_NUMBER_FIELD(std::uint32_t, baud_rate)
  DTU_NUMBER_FIELD(std::uint16_t, timed_receive_interval)
  DTU_NUMBER_FIELD(std::uint16_t, tcp_reconnect_time)
  DTU_NUMBER_FIELD(std::uint16_t, port1)
  DTU_NUMBER_FIELD(std::uint16_t, port2)
  DTU_NUMBER_FIELD(std::uint16_t, port3)
  DTU_NUMBER_FIELD(std::uint16_t, frame_delay)
  DTU_NUMBER_FIELD(std::uint16_t, heartbeat_interval)
  DTU_NUMBER_FIELD(std::uint16_t, poll_interval)
  DTU_NUMBER_FIELD(std::uint16_t, port4)
  DTU_NUMBER_FIELD(std::uint16_t, port5)
  DTU_NUMBER_FIELD(std::uint16_t, port6)
  DTU_NUMBER_FIELD(std::uint8_t, ip_count)
  DTU_NUMBER_FIELD(std::uint8_t, ip_mode)
  DTU_COUNTED_FIELD(poll_command)
  DTU_NUMBER_FIELD(std::uint8_t, poll_command_len)
  DTU_IPV4_FIELD(centre_ip1)
  DTU_IPV4_FIELD(centre_ip2)
  DTU_IPV4_FIELD(centre_ip3)
  DTU_IPV4_FIELD(centre_ip4)
  DTU_IPV4_FIELD(centre_ip5)
  DTU_IPV4_FIELD(heartbeat_ip)
  DTU_NUMBER_FIELD(std::uint16_t, device_number)
  DTU_NUMBER_FIELD(std::uint16_t, centre_number)
  DTU_TEXT_FIELD(apn)
  DTU_TEXT_FIELD(dial_code)
  DTU_TEXT_FIELD(sim_number)
  DTU_TEXT_FIELD(ppp_user)
  DTU_TEXT_FIELD(ppp_password)
  DTU_NUMBER_FIELD(std::uint8_t, domain1_enabled)
  DTU_IPV4_FIELD(dns_primary)
  DTU_IPV4_FIELD(dns_secondary)
  DTU_TEXT_FIELD(domain1)
  DTU_NUMBER_FIELD(std::uint8_t, custom_packets)
  DTU_NUMBER_FIELD(std::uint8_t, heartbeat_data_len)
  DTU_NUMBER_FIELD(std::uint8_t, register_data_len)
  DTU_TEXT_FIELD(domain2)
  DTU_NUMBER_FIELD(std::uint8_t, domain2_enabled)
  DTU_TEXT_FIELD(domain3)
  DTU_NUMBER_FIELD(std::uint8_t, domain3_enabled)
  DTU_TEXT_FIELD(domain4)
  DTU_NUMBER_FIELD(std::uint8_t, domain4_enabled)
  DTU_TEXT_FIELD(domain5)
  DTU_NUMBER_FIELD(std::uint8_t, domain5_enabled)
  DTU_TEXT_FIELD(domain6)
  DTU_NUMBER_FIELD(std::uint8_t, domain6_enabled)
  DTU_COUNTED_FIELD(heartbeat_data)
  DTU_COUNTED_FIELD(register_data)
  DTU_NUMBER_FIELD(std::uint8_t, sms_accept_all)
  DTU_NUMBER_FIELD(std::uint8_t, sms_mode)
  DTU_NUMBER_FIELD(std::uint8_t, sms_coding)
  DTU_NUMBER_FIELD(std::uint8_t, sms_output_number)
  DTU_TEXT_FIELD(sms_centre)
  DTU_TEXT_FIELD(sms_number1)
  DTU_TEXT_FIELD(sms_number2)
  DTU_TEXT_FIELD(sms_number3)
  DTU_TEXT_FIELD(sms_number4)
  DTU_TEXT_FIELD(sms_number5)
  DTU_NUMBER_FIELD(std::uint8_t, gprs_rx_tag_len)
  DTU_NUMBER_FIELD(std::uint8_t, gprs_tx_tag_len)
  DTU_NUMBER_FIELD(std::uint8_t, sms_rx_tag_len)
  DTU_NUMBER_FIELD(std::uint8_t, sms_tx_tag_len)
  DTU_COUNTED_FIELD(gprs_rx_tag)
  DTU_COUNTED_FIELD(gprs_tx_tag)
  DTU_COUNTED_FIELD(sms_rx_tag)
  DTU_COUNTED_FIELD(sms_tx_tag)
  DTU_NUMBER_FIELD(std::uint8_t, heartbeat_retries)
  DTU_NUMBER_FIELD(std::uint8_t, heartbeat_twice)
  DTU_NUMBER_FIELD(std::uint8_t, dual_sms_targets_only)
  DTU_COUNTED_FIELD(gprs_notice)
  DTU_COUNTED_FIELD(tcp_notice)
  DTU_NUMBER_FIELD(std::uint8_t, gprs_notice_len)
  DTU_NUMBER_FIELD(std::uint8_t, tcp_notice_len)
  DTU_NUMBER_FIELD(std::uint16_t, project_number)

#undef DTU_NUMBER_FIELD
#undef DTU_IPV4_FIELD
#undef DTU_TEXT_FIELD
#undef DTU_COUNTED_FIELD

  // Bytes 95 to 98 as one big-endian identifier (the protocol-9 reading).
  std::uint32_t device_id() const;
  void set_device_id(std::uint32_t id);

  friend bool operator==(const ParameterBlock&, const ParameterBlock&) = default;

 private:
  BlockBytes bytes_{};
};

// XOR of bytes 4 to 659, widened to 16 bits (the high byte is always 0).
std::uint16_t BlockChecksum(const ParameterBlock& block);

// Sets `length` to 660 and `checksum` to the block's checksum; nothing else changes.
void SealBlock(ParameterBlock& block);

// True when the whole 16-bit `checksum` word equals the block's checksum; `length` is not examined.
bool VerifyBlock(const ParameterBlock& block);

// Terminates every text that has no 0x00 inside its field (its last byte becomes 0x00) and clamps
// every count byte to the size of its area. A text with its 0x00 and a counted area used up to
// its last byte keep all their bytes; nothing else is tested or changed, so a block the unit
// holds comes back from the pages byte for byte.
void NormaliseBlock(ParameterBlock& block);

}  // namespace dtu
