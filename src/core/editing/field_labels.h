#pragma once

#include <array>
#include <string_view>

#include "core/block/block_layout.h"

namespace dtu {

// What the window calls each field of the block: the text of the label or check box beside its
// control. A field shown without one (a list in a titled group, a row of radio buttons) is named
// by its group's title or by its buttons' texts. The pages take their labels from here; fields
// the window does not show have no entry.
struct FieldLabelEntry {
  std::string_view field;  // the layout row's name; "device_id" for the protocol-9 identifier
  std::string_view label;
};

inline constexpr std::array kFieldLabels = std::to_array<FieldLabelEntry>({
    {"work_mode", "GPRS/短信/双通道"},
    {"protocol", "协议类型"},
    {"fixed_dns", "不使用自动获取的DNS，使用下面设置的DNS"},
    {"parity", "设备串口"},
    {"data_bits", "设备串口"},
    {"stop_bits", "设备串口"},
    {"frame_mode", "延时分包/包头包尾"},
    {"frame_head", "包头"},
    {"frame_tail", "包尾"},
    {"timed_receive", "定时接收"},
    {"receiver_count", "接收数目"},
    {"baud_rate", "设备串口"},
    {"timed_receive_interval", "时间(秒)"},
    {"tcp_reconnect_time", "TCP重连接时间(秒)"},
    {"port1", "端口"},
    {"port2", "端口"},
    {"port3", "端口"},
    {"frame_delay", "延时(毫秒)"},
    {"heartbeat_interval", "心跳间隔(秒)"},
    {"poll_interval", "定时"},
    {"port4", "端口"},
    {"port5", "端口"},
    {"port6", "端口"},
    {"ip_count", "IP数目"},
    {"ip_mode", "主备方式/群发方式"},
    {"poll_command", "命令"},
    {"centre_ip1", "主中心IP"},
    {"centre_ip2", "第二IP"},
    {"centre_ip3", "第三IP"},
    {"centre_ip4", "第四IP"},
    {"centre_ip5", "第五IP"},
    {"heartbeat_ip", "心跳IP"},
    {"device_id", "设备编号"},
    {"device_number", "设备编号"},
    {"centre_number", "接收编号"},
    {"apn", "接入点名称（APN）"},
    {"dial_code", "服务代码"},
    {"sim_number", "手机号码"},
    {"ppp_user", "PPP用户名"},
    {"ppp_password", "PPP用户密码"},
    {"domain1_enabled", "启用"},
    {"dns_primary", "首选 DNS 服务器"},
    {"dns_secondary", "备用 DNS 服务器"},
    {"domain1", "主中心域名"},
    {"custom_packets", "启用自定义注册包、心跳包"},
    {"domain2", "第二中心域名"},
    {"domain2_enabled", "启用"},
    {"domain3", "第三中心域名"},
    {"domain3_enabled", "启用"},
    {"domain4", "第四中心域名"},
    {"domain4_enabled", "启用"},
    {"domain5", "第五中心域名"},
    {"domain5_enabled", "启用"},
    {"domain6", "第六中心域名"},
    {"domain6_enabled", "启用"},
    {"heartbeat_data", "自定义心跳数据："},
    {"register_data", "自定义注册包数据："},
    {"sms_accept_all", "接收来自目标号码外的短信"},
    {"sms_mode", "模式选择"},
    {"sms_coding", "短信编码"},
    {"sms_output_number", "输出包含号码"},
    {"sms_centre", "设置短信中心"},
    {"sms_number1", "群发手机号码1"},
    {"sms_number2", "群发手机号码2"},
    {"sms_number3", "群发手机号码3"},
    {"sms_number4", "群发手机号码4"},
    {"sms_number5", "群发手机号码5"},
    {"gprs_rx_tag", "GPRS"},
    {"gprs_tx_tag", "GPRS"},
    {"sms_rx_tag", "短信"},
    {"sms_tx_tag", "短信"},
    {"heartbeat_retries", "重发次数"},
    {"heartbeat_twice", "心跳连发两次"},
    {"dual_sms_targets_only", "双通道方式短信仅发向设定的目标号码"},
    {"gprs_notice", "内容"},
    {"tcp_notice", "内容"},
    {"project_number", "项目编号"},
});

// The label of a field by its name; empty for a field the window does not show.
constexpr std::string_view FieldLabel(std::string_view field) {
  for (const FieldLabelEntry& entry : kFieldLabels)
    if (entry.field == field) return entry.label;
  return {};
}

constexpr std::string_view FieldLabel(const FieldRow& row) {
  return FieldLabel(row.name);
}

}  // namespace dtu
