#include "dtusim/default_block.h"

#include <cstdint>
#include <span>
#include <string_view>

#include "core/block/block_codes.h"
#include "core/text/gbk_codec.h"

namespace dtusim {
namespace {

std::span<const std::uint8_t> AsBytes(std::string_view text) {
  return {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()};
}

void SetNetwork(dtu::ParameterBlock& block) {
  block.set_work_mode(dtu::ToByte(dtu::WorkMode::Gprs));
  block.set_protocol(1);
  block.set_apn("CMNET");
  block.set_dial_code("*99***1#");
  block.set_sim_number("13912345678");
  block.set_ppp_user("card");
  block.set_ppp_password("card");
  block.set_dns_primary({211, 136, 17, 107});
  block.set_dns_secondary({211, 136, 20, 203});
  block.set_tcp_reconnect_time(30);
}

void SetCentres(dtu::ParameterBlock& block) {
  block.set_ip_count(1);
  block.set_ip_mode(dtu::ToByte(dtu::IpMode::MainAndBackup));
  block.set_receiver_count(1);
  block.set_centre_ip1({218, 85, 139, 60});
  block.set_port1(5001);
  block.set_centre_ip2({218, 85, 139, 61});
  block.set_port2(5002);
  block.set_heartbeat_ip({218, 85, 139, 60});
  block.set_port6(5001);
  block.set_heartbeat_interval(30);
  block.set_heartbeat_retries(3);
  block.set_device_number(1001);
  block.set_centre_number(8000);
  block.set_project_number(1);
  block.set_domain1("dtu.example.com");
  // A custom registration packet in Chinese, as some centres expect; not enabled.
  block.set_register_data(AsBytes(dtu::Utf8ToGbk("设备上线").bytes));
  block.set_heartbeat_data(AsBytes("HB"));
}

void SetSms(dtu::ParameterBlock& block) {
  block.set_sms_mode(dtu::ToByte(dtu::SmsMode::Protocol));
  block.set_sms_coding(dtu::ToByte(dtu::SmsCoding::SevenBit));
  block.set_sms_centre("8613800100500");
  block.set_sms_number1("13800138000");
  block.set_sms_number2("13900139000");
}

void SetSerial(dtu::ParameterBlock& block) {
  block.set_baud_rate(9600);
  block.set_parity(dtu::ToByte(dtu::Parity::None));
  block.set_data_bits(8);
  block.set_stop_bits(1);
  block.set_frame_mode(dtu::ToByte(dtu::FrameMode::ByDelay));  // packets end after a pause
  block.set_frame_delay(150);
  block.set_poll_interval(60);
  block.set_poll_command(AsBytes("Read"));
  block.set_gprs_notice(AsBytes("GPRSOK\r\n"));
  block.set_tcp_notice(AsBytes("TCPOK\r\n"));
}

}  // namespace

dtu::ParameterBlock MakeDefaultBlock() {
  dtu::ParameterBlock block;
  SetNetwork(block);
  SetCentres(block);
  SetSms(block);
  SetSerial(block);
  dtu::SealBlock(block);
  return block;
}

}  // namespace dtusim
