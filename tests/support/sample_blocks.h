#pragma once

// Parameter blocks the tests share: each sets its fields the way a unit or the tool would.

#include <algorithm>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include "core/block/parameter_block.h"
#include "core/text/gbk_codec.h"

namespace dtu::test {

namespace sample_detail {
inline std::vector<std::uint8_t> Bytes(std::initializer_list<int> values) {
  std::vector<std::uint8_t> bytes;
  for (int v : values) bytes.push_back(static_cast<std::uint8_t>(v));
  return bytes;
}
inline std::string Gbk(std::string_view utf8) {
  return Utf8ToGbk(utf8).bytes;
}
}  // namespace sample_detail

// An SMS-mode block with a few known fields and an unterminated SMS centre number.
inline ParameterBlock SmsBlock() {
  using Bytes = std::vector<std::uint8_t>;
  ParameterBlock block;
  block.set_work_mode(1);
  block.set_sms_mode(0);
  const std::string_view centre = "+8613800200500";  // all 14 bytes of the field, no 0x00
  std::copy(centre.begin(), centre.end(), block.Area(field::sms_centre).begin());
  block.set_baud_rate(9600);
  block.set_parity(2);
  block.set_data_bits(8);
  block.set_stop_bits(1);
  block.set_frame_mode(0);
  block.set_frame_delay(100);
  const std::string_view notice = "ABC";
  block.set_tcp_notice(Bytes(notice.begin(), notice.end()));
  SealBlock(block);
  return block;
}

// A GPRS block with most of the printed fields set.
inline ParameterBlock GprsBlock() {
  using Bytes = std::vector<std::uint8_t>;
  ParameterBlock block;
  block.set_work_mode(0);
  block.set_protocol(1);
  block.set_tcp_reconnect_time(30);
  block.set_device_number(8000);
  block.set_centre_number(1);
  block.set_apn("cmnet");
  block.set_centre_ip1({192, 168, 1, 10});
  block.set_port1(5001);
  block.set_heartbeat_interval(60);
  block.set_sms_number1("13800000000");
  block.set_baud_rate(115200);
  block.set_data_bits(8);
  block.set_stop_bits(1);
  block.set_frame_mode(1);
  block.set_frame_head(Bytes{0x7E, 0x01});
  block.set_poll_interval(10);
  block.set_poll_command(Bytes{'R', 'D'});
  SealBlock(block);
  return block;
}

// A block as a unit would hold it, every value one the editor shows and writes back as it is.
inline ParameterBlock BaseBlock() {
  using sample_detail::Bytes;
  using sample_detail::Gbk;
  ParameterBlock b;
  b.set_work_mode(0);
  b.set_protocol(1);
  b.set_fixed_dns(1);
  b.bytes()[7] = 0x5A;  // reserved
  b.set_parity(2);
  b.set_data_bits(8);
  b.set_stop_bits(1);
  b.set_frame_mode(1);
  b.set_frame_head(Bytes({0x7E, 0x01}));
  b.set_frame_tail(Bytes({0x0D, 0x0A}));
  b.set_timed_receive(1);
  b.set_receiver_count(3);
  b.set_baud_rate(19200);
  b.set_timed_receive_interval(12);
  b.set_tcp_reconnect_time(45);
  b.set_port1(5001);
  b.set_port2(5002);
  b.set_port3(5003);
  b.set_frame_delay(150);
  b.set_heartbeat_interval(60);
  b.set_poll_interval(10);
  b.set_port4(5004);
  b.set_port5(5005);
  b.set_port6(8081);
  b.set_ip_count(2);
  b.set_ip_mode(1);
  b.set_poll_command(Bytes({'R', 'e', 'a', 'd'}));
  b.set_centre_ip1({192, 168, 1, 10});
  b.set_centre_ip2({10, 0, 0, 2});
  b.set_centre_ip3({10, 0, 0, 3});
  b.set_centre_ip4({10, 0, 0, 4});
  b.set_centre_ip5({10, 0, 0, 5});
  b.set_heartbeat_ip({10, 0, 0, 6});
  b.set_device_number(1234);
  b.set_centre_number(4321);
  b.set_apn(Gbk("CMNET"));
  b.set_dial_code(Gbk("*99***1#"));
  b.set_sim_number(Gbk("13912345678"));
  b.set_ppp_user(Gbk("user"));
  b.set_ppp_password(Gbk("pass"));
  b.set_domain1_enabled(1);
  b.set_dns_primary({8, 8, 8, 8});
  b.set_dns_secondary({8, 8, 4, 4});
  b.set_domain1(Gbk("数据中心.example.com"));
  b.set_custom_packets(1);
  b.set_heartbeat_data(Bytes({0xAA, 0x00, 0x55}));
  b.set_register_data(Bytes({0x7E, 0x01, 0x02}));
  b.set_domain2(Gbk("second.example.com"));
  b.set_domain3_enabled(1);
  b.set_domain4(Gbk("四"));
  b.set_sms_accept_all(1);
  b.set_sms_mode(1);
  b.set_sms_coding(2);
  b.set_sms_output_number(1);
  b.set_sms_centre(Gbk("8613800100500"));
  b.set_sms_number1(Gbk("13800000001"));
  b.set_sms_number2(Gbk("13800000002"));
  b.set_gprs_rx_tag(Bytes({'A', 'T', '+', '1'}));
  b.set_gprs_tx_tag(Bytes({'A', 'T', '+', '1'}));
  b.set_sms_rx_tag(Bytes({'A', 'T', '+', '2'}));
  b.set_sms_tx_tag(Bytes({'A', 'T', '+', '2'}));
  b.set_heartbeat_retries(5);
  b.set_heartbeat_twice(1);
  b.set_dual_sms_targets_only(1);
  b.bytes()[595] = 0xA5;  // reserved
  b.set_gprs_notice(Bytes({'G', 'P', 'R', 'S', 'O', 'K', 0x0D, 0x0A}));
  b.set_tcp_notice(Bytes({'T', 'C', 'P', 'O', 'K', 0x0D, 0x0A}));
  b.set_project_number(300);
  for (std::size_t i = 620; i < kBlockSize; ++i) b.bytes()[i] = static_cast<std::uint8_t>(i);
  return b;
}

// A block whose every byte differs from its neighbours (byte i is i * step + offset), sealed: no
// field holds a value the pages would write.
inline ParameterBlock PatternBlock(unsigned step, unsigned offset) {
  ParameterBlock block;
  for (std::size_t i = 0; i < kBlockSize; ++i)
    block.bytes()[i] = static_cast<std::uint8_t>(i * step + offset);
  SealBlock(block);
  return block;
}

}  // namespace dtu::test
