#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace dtu {

inline constexpr std::size_t kBlockSize = 660;

// How the bytes of one field of the parameter block are read.
enum class FieldType : std::uint8_t {
  U8,        // one unsigned byte
  Flag,      // one byte, 1 meaning on
  U16,       // little-endian 16-bit
  U16BE,     // big-endian 16-bit
  U32,       // little-endian 32-bit
  U32BE,     // big-endian 32-bit
  IPv4,      // four bytes in dotted order
  Text,      // GBK text ended by 0x00 inside the field
  Counted,   // any bytes; the number used is kept in a separate length byte
  Reserved,  // carried unchanged, never interpreted
};

// One row of the block layout.
struct FieldRow {
  std::string_view name;
  std::uint16_t offset;
  std::uint16_t size;
  FieldType type;
};

// The largest value a number field holds: what its width allows (a flag is a byte like any other).
constexpr std::uint32_t FieldMaxValue(const FieldRow& row) {
  switch (row.type) {
    case FieldType::U8:
    case FieldType::Flag:
      return 0xFF;
    case FieldType::U16:
    case FieldType::U16BE:
      return 0xFFFF;
    default:
      return 0xFFFFFFFF;
  }
}

// A counted byte area together with the byte that says how many of its bytes are used.
struct CountedRow {
  FieldRow area;
  FieldRow length;
};

// The rows of the 660-byte block, in byte order.
namespace field {
using T = FieldType;
inline constexpr FieldRow length{"length", 0, 2, T::U16};
inline constexpr FieldRow checksum{"checksum", 2, 2, T::U16};
inline constexpr FieldRow work_mode{"work_mode", 4, 1, T::U8};
inline constexpr FieldRow protocol{"protocol", 5, 1, T::U8};
inline constexpr FieldRow fixed_dns{"fixed_dns", 6, 1, T::Flag};
inline constexpr FieldRow reserved7{"reserved7", 7, 1, T::Reserved};
inline constexpr FieldRow parity{"parity", 8, 1, T::U8};
inline constexpr FieldRow data_bits{"data_bits", 9, 1, T::U8};
inline constexpr FieldRow stop_bits{"stop_bits", 10, 1, T::U8};
inline constexpr FieldRow frame_mode{"frame_mode", 11, 1, T::U8};
inline constexpr FieldRow frame_head{"frame_head", 12, 8, T::Counted};
inline constexpr FieldRow frame_tail{"frame_tail", 20, 8, T::Counted};
inline constexpr FieldRow frame_head_len{"frame_head_len", 28, 1, T::U8};
inline constexpr FieldRow frame_tail_len{"frame_tail_len", 29, 1, T::U8};
inline constexpr FieldRow timed_receive{"timed_receive", 30, 1, T::Flag};
inline constexpr FieldRow receiver_count{"receiver_count", 31, 1, T::U8};
inline constexpr FieldRow baud_rate{"baud_rate", 32, 4, T::U32};
inline constexpr FieldRow timed_receive_interval{"timed_receive_interval", 36, 2, T::U16};
inline constexpr FieldRow tcp_reconnect_time{"tcp_reconnect_time", 38, 2, T::U16};
inline constexpr FieldRow port1{"port1", 40, 2, T::U16};
inline constexpr FieldRow port2{"port2", 42, 2, T::U16};
inline constexpr FieldRow port3{"port3", 44, 2, T::U16};
inline constexpr FieldRow frame_delay{"frame_delay", 46, 2, T::U16};
inline constexpr FieldRow heartbeat_interval{"heartbeat_interval", 48, 2, T::U16};
inline constexpr FieldRow poll_interval{"poll_interval", 50, 2, T::U16};
inline constexpr FieldRow port4{"port4", 52, 2, T::U16};
inline constexpr FieldRow port5{"port5", 54, 2, T::U16};
inline constexpr FieldRow port6{"port6", 56, 2, T::U16};
inline constexpr FieldRow ip_count{"ip_count", 58, 1, T::U8};
inline constexpr FieldRow ip_mode{"ip_mode", 59, 1, T::U8};
inline constexpr FieldRow poll_command{"poll_command", 60, 10, T::Counted};
inline constexpr FieldRow poll_command_len{"poll_command_len", 70, 1, T::U8};
inline constexpr FieldRow centre_ip1{"centre_ip1", 71, 4, T::IPv4};
inline constexpr FieldRow centre_ip2{"centre_ip2", 75, 4, T::IPv4};
inline constexpr FieldRow centre_ip3{"centre_ip3", 79, 4, T::IPv4};
inline constexpr FieldRow centre_ip4{"centre_ip4", 83, 4, T::IPv4};
inline constexpr FieldRow centre_ip5{"centre_ip5", 87, 4, T::IPv4};
inline constexpr FieldRow heartbeat_ip{"heartbeat_ip", 91, 4, T::IPv4};
inline constexpr FieldRow device_number{"device_number", 95, 2, T::U16BE};
inline constexpr FieldRow centre_number{"centre_number", 97, 2, T::U16BE};
inline constexpr FieldRow apn{"apn", 99, 17, T::Text};
inline constexpr FieldRow dial_code{"dial_code", 116, 11, T::Text};
inline constexpr FieldRow sim_number{"sim_number", 127, 12, T::Text};
inline constexpr FieldRow ppp_user{"ppp_user", 139, 9, T::Text};
inline constexpr FieldRow ppp_password{"ppp_password", 148, 9, T::Text};
inline constexpr FieldRow domain1_enabled{"domain1_enabled", 157, 1, T::Flag};
inline constexpr FieldRow dns_primary{"dns_primary", 158, 4, T::IPv4};
inline constexpr FieldRow dns_secondary{"dns_secondary", 162, 4, T::IPv4};
inline constexpr FieldRow domain1{"domain1", 166, 31, T::Text};
inline constexpr FieldRow custom_packets{"custom_packets", 197, 1, T::Flag};
inline constexpr FieldRow heartbeat_data_len{"heartbeat_data_len", 198, 1, T::U8};
inline constexpr FieldRow register_data_len{"register_data_len", 199, 1, T::U8};
inline constexpr FieldRow domain2{"domain2", 200, 31, T::Text};
inline constexpr FieldRow domain2_enabled{"domain2_enabled", 231, 1, T::Flag};
inline constexpr FieldRow domain3{"domain3", 232, 31, T::Text};
inline constexpr FieldRow domain3_enabled{"domain3_enabled", 263, 1, T::Flag};
inline constexpr FieldRow domain4{"domain4", 264, 31, T::Text};
inline constexpr FieldRow domain4_enabled{"domain4_enabled", 295, 1, T::Flag};
inline constexpr FieldRow domain5{"domain5", 296, 31, T::Text};
inline constexpr FieldRow domain5_enabled{"domain5_enabled", 327, 1, T::Flag};
inline constexpr FieldRow domain6{"domain6", 328, 31, T::Text};
inline constexpr FieldRow domain6_enabled{"domain6_enabled", 359, 1, T::Flag};
inline constexpr FieldRow heartbeat_data{"heartbeat_data", 360, 54, T::Counted};
inline constexpr FieldRow register_data{"register_data", 414, 54, T::Counted};
inline constexpr FieldRow sms_accept_all{"sms_accept_all", 468, 1, T::Flag};
inline constexpr FieldRow sms_mode{"sms_mode", 469, 1, T::U8};
inline constexpr FieldRow sms_coding{"sms_coding", 470, 1, T::U8};
inline constexpr FieldRow sms_output_number{"sms_output_number", 471, 1, T::Flag};
inline constexpr FieldRow sms_centre{"sms_centre", 472, 14, T::Text};
inline constexpr FieldRow sms_number1{"sms_number1", 486, 14, T::Text};
inline constexpr FieldRow sms_number2{"sms_number2", 500, 14, T::Text};
inline constexpr FieldRow sms_number3{"sms_number3", 514, 14, T::Text};
inline constexpr FieldRow sms_number4{"sms_number4", 528, 14, T::Text};
inline constexpr FieldRow sms_number5{"sms_number5", 542, 14, T::Text};
inline constexpr FieldRow gprs_rx_tag_len{"gprs_rx_tag_len", 556, 1, T::U8};
inline constexpr FieldRow gprs_tx_tag_len{"gprs_tx_tag_len", 557, 1, T::U8};
inline constexpr FieldRow sms_rx_tag_len{"sms_rx_tag_len", 558, 1, T::U8};
inline constexpr FieldRow sms_tx_tag_len{"sms_tx_tag_len", 559, 1, T::U8};
inline constexpr FieldRow gprs_rx_tag{"gprs_rx_tag", 560, 8, T::Counted};
inline constexpr FieldRow gprs_tx_tag{"gprs_tx_tag", 568, 8, T::Counted};
inline constexpr FieldRow sms_rx_tag{"sms_rx_tag", 576, 8, T::Counted};
inline constexpr FieldRow sms_tx_tag{"sms_tx_tag", 584, 8, T::Counted};
inline constexpr FieldRow heartbeat_retries{"heartbeat_retries", 592, 1, T::U8};
inline constexpr FieldRow heartbeat_twice{"heartbeat_twice", 593, 1, T::Flag};
inline constexpr FieldRow dual_sms_targets_only{"dual_sms_targets_only", 594, 1, T::Flag};
inline constexpr FieldRow reserved595{"reserved595", 595, 1, T::Reserved};
inline constexpr FieldRow gprs_notice{"gprs_notice", 596, 10, T::Counted};
inline constexpr FieldRow tcp_notice{"tcp_notice", 606, 10, T::Counted};
inline constexpr FieldRow gprs_notice_len{"gprs_notice_len", 616, 1, T::U8};
inline constexpr FieldRow tcp_notice_len{"tcp_notice_len", 617, 1, T::U8};
inline constexpr FieldRow project_number{"project_number", 618, 2, T::U16BE};
inline constexpr FieldRow reserved620{"reserved620", 620, 40, T::Reserved};

// Bytes 95 to 98 read as one big-endian identifier: the protocol-9 reading of the device and
// centre numbers. Not a row of the layout; it overlays `device_number` and `centre_number`.
inline constexpr FieldRow device_id{"device_id", 95, 4, T::U32BE};
}  // namespace field

// Every row of the layout, in byte order (the `device_id` overlay excluded).
inline constexpr std::array kBlockLayout{field::length,
                                         field::checksum,
                                         field::work_mode,
                                         field::protocol,
                                         field::fixed_dns,
                                         field::reserved7,
                                         field::parity,
                                         field::data_bits,
                                         field::stop_bits,
                                         field::frame_mode,
                                         field::frame_head,
                                         field::frame_tail,
                                         field::frame_head_len,
                                         field::frame_tail_len,
                                         field::timed_receive,
                                         field::receiver_count,
                                         field::baud_rate,
                                         field::timed_receive_interval,
                                         field::tcp_reconnect_time,
                                         field::port1,
                                         field::port2,
                                         field::port3,
                                         field::frame_delay,
                                         field::heartbeat_interval,
                                         field::poll_interval,
                                         field::port4,
                                         field::port5,
                                         field::port6,
                                         field::ip_count,
                                         field::ip_mode,
                                         field::poll_command,
                                         field::poll_command_len,
                                         field::centre_ip1,
                                         field::centre_ip2,
                                         field::centre_ip3,
                                         field::centre_ip4,
                                         field::centre_ip5,
                                         field::heartbeat_ip,
                                         field::device_number,
                                         field::centre_number,
                                         field::apn,
                                         field::dial_code,
                                         field::sim_number,
                                         field::ppp_user,
                                         field::ppp_password,
                                         field::domain1_enabled,
                                         field::dns_primary,
                                         field::dns_secondary,
                                         field::domain1,
                                         field::custom_packets,
                                         field::heartbeat_data_len,
                                         field::register_data_len,
                                         field::domain2,
                                         field::domain2_enabled,
                                         field::domain3,
                                         field::domain3_enabled,
                                         field::domain4,
                                         field::domain4_enabled,
                                         field::domain5,
                                         field::domain5_enabled,
                                         field::domain6,
                                         field::domain6_enabled,
                                         field::heartbeat_data,
                                         field::register_data,
                                         field::sms_accept_all,
                                         field::sms_mode,
                                         field::sms_coding,
                                         field::sms_output_number,
                                         field::sms_centre,
                                         field::sms_number1,
                                         field::sms_number2,
                                         field::sms_number3,
                                         field::sms_number4,
                                         field::sms_number5,
                                         field::gprs_rx_tag_len,
                                         field::gprs_tx_tag_len,
                                         field::sms_rx_tag_len,
                                         field::sms_tx_tag_len,
                                         field::gprs_rx_tag,
                                         field::gprs_tx_tag,
                                         field::sms_rx_tag,
                                         field::sms_tx_tag,
                                         field::heartbeat_retries,
                                         field::heartbeat_twice,
                                         field::dual_sms_targets_only,
                                         field::reserved595,
                                         field::gprs_notice,
                                         field::tcp_notice,
                                         field::gprs_notice_len,
                                         field::tcp_notice_len,
                                         field::project_number,
                                         field::reserved620};

// True when the rows follow each other without gap or overlap and end exactly at the block's end.
constexpr bool LayoutIsContiguous() {
  std::size_t next = 0;
  for (const FieldRow& row : kBlockLayout) {
    if (row.offset != next || row.size == 0) return false;
    next += row.size;
  }
  return next == kBlockSize;
}
static_assert(LayoutIsContiguous(), "the layout must cover all 660 bytes exactly once");

// The counted areas with their length bytes.
namespace counted {
inline constexpr CountedRow frame_head{field::frame_head, field::frame_head_len};
inline constexpr CountedRow frame_tail{field::frame_tail, field::frame_tail_len};
inline constexpr CountedRow poll_command{field::poll_command, field::poll_command_len};
inline constexpr CountedRow heartbeat_data{field::heartbeat_data, field::heartbeat_data_len};
inline constexpr CountedRow register_data{field::register_data, field::register_data_len};
inline constexpr CountedRow gprs_rx_tag{field::gprs_rx_tag, field::gprs_rx_tag_len};
inline constexpr CountedRow gprs_tx_tag{field::gprs_tx_tag, field::gprs_tx_tag_len};
inline constexpr CountedRow sms_rx_tag{field::sms_rx_tag, field::sms_rx_tag_len};
inline constexpr CountedRow sms_tx_tag{field::sms_tx_tag, field::sms_tx_tag_len};
inline constexpr CountedRow gprs_notice{field::gprs_notice, field::gprs_notice_len};
inline constexpr CountedRow tcp_notice{field::tcp_notice, field::tcp_notice_len};
}  // namespace counted

inline constexpr std::array kCountedFields{
    counted::frame_head,    counted::frame_tail,  counted::poll_command, counted::heartbeat_data,
    counted::register_data, counted::gprs_rx_tag, counted::gprs_tx_tag,  counted::sms_rx_tag,
    counted::sms_tx_tag,    counted::gprs_notice, counted::tcp_notice};

inline constexpr std::array kTextFields{field::apn,         field::dial_code,    field::sim_number,
                                        field::ppp_user,    field::ppp_password, field::domain1,
                                        field::domain2,     field::domain3,      field::domain4,
                                        field::domain5,     field::domain6,      field::sms_centre,
                                        field::sms_number1, field::sms_number2,  field::sms_number3,
                                        field::sms_number4, field::sms_number5};

}  // namespace dtu
