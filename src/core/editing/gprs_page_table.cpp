#include "core/editing/gprs_page_table.h"

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "core/block/block_codes.h"
#include "core/block/block_layout.h"
#include "core/editing/editor_defaults.h"
#include "core/editing/field_labels.h"

namespace dtu {
namespace {

using namespace gprs_id;

// Groups without a control ID.
constexpr int kOperatorGroup = -1;
constexpr int kProtocolGroup = -2;
constexpr int kHeartbeatGroup = -3;
constexpr int kCentreGroup = -4;

std::vector<std::string> ProtocolEntries() {
  std::vector<std::string> entries;
  for (const ProtocolCode& code : kProtocolCodes) entries.emplace_back(code.list_entry);
  return entries;
}

// The block fields behind the rows of the centre and domain tables.
constexpr std::array kCentreIpFields{field::centre_ip1, field::centre_ip2, field::centre_ip3,
                                     field::centre_ip4, field::centre_ip5, field::heartbeat_ip};
constexpr std::array kPortFields{field::port1, field::port2, field::port3,
                                 field::port4, field::port5, field::port6};
constexpr std::array kDomainFields{field::domain1, field::domain2, field::domain3,
                                   field::domain4, field::domain5, field::domain6};
constexpr std::array kDomainEnabledFields{field::domain1_enabled, field::domain2_enabled,
                                          field::domain3_enabled, field::domain4_enabled,
                                          field::domain5_enabled, field::domain6_enabled};

// What the tooltips call the ports and the domains' "启用" boxes, whose labels are alike.
constexpr std::array<std::string_view, 6> kPortNames{"主中心IP的端口", "第二IP的端口",
                                                     "第三IP的端口",   "第四IP的端口",
                                                     "第五IP的端口",   "心跳IP的端口"};
constexpr std::array<std::string_view, 6> kDomainEnabledNames{
    "启用主中心域名",   "启用第二中心域名", "启用第三中心域名",
    "启用第四中心域名", "启用第五中心域名", "启用第六中心域名"};

// The page's own ports; start-up writes the main centre's over the first.
constexpr std::array<std::string_view, 6> kInitialPorts{"5001", "5002", "5003",
                                                        "5004", "5005", "8081"};

// One row of the centre table: address with its label, port with its label. The page fills in
// the default address for every row but the main centre's, which start-up writes.
constexpr std::array<ControlEntry, 4> CentreRow(int i) {
  const int row = 1 + i;
  return {Label(kCentreIpLabel[i], FieldLabel(kCentreIpFields[i]), kCentreIp[i],
                At(kCentreGroup, row, 0)),
          Edit(kCentreIp[i], At(kCentreGroup, row, 1), kNoFlags,
               i == 0 ? std::string_view() : kDefaultCentreAddress),
          Label(kPortLabel[i], FieldLabel(kPortFields[i]), kPort[i], At(kCentreGroup, row, 2)),
          Edit(kPort[i], At(kCentreGroup, row, 3), kNarrow, kInitialPorts[i])};
}

// One row of the domain table: name with its label and its "启用" box.
constexpr std::array<ControlEntry, 3> DomainRow(int i) {
  const int row = 10 + i;
  return {
      Label(kDomainLabel[i], FieldLabel(kDomainFields[i]), kDomain[i], At(kCentreGroup, row, 0)),
      Edit(kDomain[i], At(kCentreGroup, row, 1, 2)),
      CheckBox(kDomainEnabled[i], FieldLabel(kDomainEnabledFields[i]), At(kCentreGroup, row, 3))};
}

constexpr std::array kHead = std::to_array<ControlEntry>({
    GroupBox(kOperatorGroup, "运营商相关", At(kPageArea, 0, 0)),
    Label(0, FieldLabel(field::apn), kApn, At(kOperatorGroup, 0, 0)),
    Edit(kApn, At(kOperatorGroup, 0, 1)),
    Label(0, FieldLabel(field::dial_code), kDialCode, At(kOperatorGroup, 1, 0)),
    Edit(kDialCode, At(kOperatorGroup, 1, 1)),
    Label(0, FieldLabel(field::ppp_user), kPppUser, At(kOperatorGroup, 2, 0)),
    Edit(kPppUser, At(kOperatorGroup, 2, 1)),
    Label(0, FieldLabel(field::ppp_password), kPppPassword, At(kOperatorGroup, 3, 0)),
    Edit(kPppPassword, At(kOperatorGroup, 3, 1)),
    CheckBox(kKxcProvidesIp, "KXC提供IP(仅限KXUDP和KXTCP)", At(kOperatorGroup, 4, 0, 2),
             kHidden | kDisabled),

    GroupBox(kProtocolGroup, "协议相关", At(kPageArea, 1, 0)),
    Label(0, FieldLabel(field::protocol), kProtocol, At(kProtocolGroup, 0, 0)),
    List(kProtocol, &ProtocolEntries, At(kProtocolGroup, 0, 1, 3)),
    Label(0, FieldLabel(field::device_number), kDeviceNumber, At(kProtocolGroup, 1, 0)),
    Edit(kDeviceNumber, At(kProtocolGroup, 1, 1)),
    Label(0, FieldLabel(field::project_number), kProjectNumber, At(kProtocolGroup, 1, 2)),
    Edit(kProjectNumber, At(kProtocolGroup, 1, 3)),
    Label(0, FieldLabel(field::centre_number), kCentreNumber, At(kProtocolGroup, 2, 0)),
    Edit(kCentreNumber, At(kProtocolGroup, 2, 1)),
    Label(0, FieldLabel(field::receiver_count), kReceiverCount, At(kProtocolGroup, 2, 2)),
    Edit(kReceiverCount, At(kProtocolGroup, 2, 3), kNoFlags, "1"),
    Label(0, FieldLabel(field::sim_number), kSimNumber, At(kProtocolGroup, 3, 0)),
    Edit(kSimNumber, At(kProtocolGroup, 3, 1, 3), kDigitsOnly),

    GroupBox(kHeartbeatGroup, "", At(kPageArea, 2, 0)),
    Label(kHeartbeatIntervalLabel, FieldLabel(field::heartbeat_interval), kHeartbeatInterval,
          At(kHeartbeatGroup, 0, 0)),
    Edit(kHeartbeatInterval, At(kHeartbeatGroup, 0, 1), kNarrow, "0"),
    CheckBox(kHeartbeatTwice, FieldLabel(field::heartbeat_twice), At(kHeartbeatGroup, 0, 2),
             kHidden | kDisabled),
    CheckBox(kCustomPackets, FieldLabel(field::custom_packets), At(kHeartbeatGroup, 1, 0, 3)),
    Label(kRegisterDataLabel, FieldLabel(field::register_data), kRegisterData,
          At(kHeartbeatGroup, 2, 0)),
    Edit(kRegisterData, At(kHeartbeatGroup, 2, 1)),
    CheckBox(kRegisterHex, "16进制", At(kHeartbeatGroup, 2, 2)),
    Label(kHeartbeatDataLabel, FieldLabel(field::heartbeat_data), kHeartbeatData,
          At(kHeartbeatGroup, 3, 0)),
    Edit(kHeartbeatData, At(kHeartbeatGroup, 3, 1)),
    CheckBox(kHeartbeatHex, "16进制", At(kHeartbeatGroup, 3, 2)),
    Label(kHeartbeatRetriesLabel, FieldLabel(field::heartbeat_retries), kHeartbeatRetries,
          At(kHeartbeatGroup, 4, 0), kHidden),
    Edit(kHeartbeatRetries, At(kHeartbeatGroup, 4, 1), kNarrow | kHidden | kDisabled, "0"),
    Label(kTcpReconnectTimeLabel, FieldLabel(field::tcp_reconnect_time), kTcpReconnectTime,
          At(kHeartbeatGroup, 5, 0), kHidden),
    Edit(kTcpReconnectTime, At(kHeartbeatGroup, 5, 1), kNarrow | kHidden, "0"),

    GroupBox(kCentreGroup, "中心IP地址参数", At(kPageArea, 0, 1)),
    Radio(kMainAndBackup, "主备方式", At(kCentreGroup, 0, 0)),
    Radio(kGroupSend, "群发方式", At(kCentreGroup, 0, 1)),
    Label(0, FieldLabel(field::ip_count), kIpCount, At(kCentreGroup, 0, 2)),
    Edit(kIpCount, At(kCentreGroup, 0, 3), kNarrow, "1"),
});

constexpr std::array kDns = std::to_array<ControlEntry>({
    CheckBox(kFixedDns, FieldLabel(field::fixed_dns), At(kCentreGroup, 7, 0, 4)),
    Label(0, FieldLabel(field::dns_primary), kDnsPrimary, At(kCentreGroup, 8, 0)),
    Edit(kDnsPrimary, At(kCentreGroup, 8, 1, 2)),
    Label(0, FieldLabel(field::dns_secondary), kDnsSecondary, At(kCentreGroup, 9, 0)),
    Edit(kDnsSecondary, At(kCentreGroup, 9, 1, 2)),
});

// Every control of the page, in page order.
constexpr auto kControls =
    Join(kHead, CentreRow(0), CentreRow(1), CentreRow(2), CentreRow(3), CentreRow(4), CentreRow(5),
         kDns, DomainRow(0), DomainRow(1), DomainRow(2), DomainRow(3), DomainRow(4), DomainRow(5));

constexpr std::string_view kCentreIpTip =
    "中心IP：澄川UDP协议最多支持向3个中心发送和接收数据，其他协议下中心IP2和IP3无效";
constexpr std::string_view kDnsTip =
    "DNS：使用DNS解析，设备可解析设定的服务器域名，解析成功后可和获得的IP地址进行收发数据。";
constexpr std::string_view kDeviceNumberTip =
    "设备编号:设备的编号，用于设备的识别，在透传方式和澄川协议下需要设置此参数。";

constexpr std::array kTooltips = std::to_array<TooltipEntry>({
    {kCentreIp[0], kCentreIpTip},
    {kCentreIp[1], kCentreIpTip},
    {kCentreIp[2], kCentreIpTip},
    {kSimNumber, "SIM卡号码:用于设备的识别，在透传方式和组态王方式下需要设置此参数。"},
    {kHeartbeatInterval, "心跳间隔：UDP建议30秒，TCP建议60秒。"},
    {kDomain[0], kDnsTip},
    {kDomainEnabled[0], kDnsTip},
    {kHeartbeatRetries,
     "重发次数：对于需要心跳回应的协议，本参数表示几次没收到回应设备就要重新拨号"},
    {kDeviceNumber, kDeviceNumberTip},
    {kCentreNumber, kDeviceNumberTip},
    {kTcpReconnectTime,
     "TCP重连接时间:设备检测到服务器断开后，多长时间后再重新连接，默认20S，设置长了可减少流量，但有"
     "可能影响重上线的速度。"},
    {kHeartbeatTwice, "UDP协议使用此选项，可解决单次心跳无法唤醒网络的问题，"},
});

// The rows of one centre and of one domain.
constexpr std::array<FieldEntry, 2> CentreFields(int i) {
  return {AddressField(kCentreIp[i], kCentreIpFields[i]),
          NumberField(kPort[i], kPortFields[i], kUnsignedEntry, kPortNames[i])};
}
constexpr std::array<FieldEntry, 2> DomainFields(int i) {
  return {TextField(kDomain[i], kDomainFields[i]),
          CheckField(kDomainEnabled[i], kDomainEnabledFields[i], kDomainEnabledNames[i])};
}

// Every field of the page, in the order it is collected. Each text is held to what its block
// field can store.
constexpr std::array kOperatorFields = std::to_array<FieldEntry>({
    CheckField(kFixedDns, field::fixed_dns, "使用下面设置的DNS"),
    RadioField(kMainAndBackup, kGroupSend, field::ip_mode,
               {ToByte(IpMode::MainAndBackup), ToByte(IpMode::Group)}, "中心IP使用方式"),
    TextField(kApn, field::apn, kTrimBlanks),
    TextField(kDialCode, field::dial_code, kTrimBlanks),
    TextField(kPppUser, field::ppp_user),
    TextField(kPppPassword, field::ppp_password),
    NumberField(kReceiverCount, field::receiver_count, kByteEntry),
    NumberField(kIpCount, field::ip_count),
});

constexpr std::array kIdentityFields = std::to_array<FieldEntry>({
    AddressField(kDnsPrimary, field::dns_primary),
    AddressField(kDnsSecondary, field::dns_secondary),
    ListField(kProtocol, field::protocol),
    TextField(kSimNumber, field::sim_number),
    NumberField(kTcpReconnectTime, field::tcp_reconnect_time, kUnsignedEntry | kCheckedOnLeaving),
    CheckField(kCustomPackets, field::custom_packets),
    NumberField(kProjectNumber, field::project_number, kZeroKeepsField),
    // The protocol is collected before: it decides the form of bytes 95 to 98.
    FieldEntry{
        kDeviceNumber, field::device_number, FieldForm::DeviceNumber, kZeroStores8000, 0, {}, {}},
    NumberField(kCentreNumber, field::centre_number, kZeroStores8000 | kWithoutDeviceId),
    NumberField(kHeartbeatInterval, field::heartbeat_interval, kUnsignedEntry | kCheckedOnLeaving),
    CheckField(kHeartbeatTwice, field::heartbeat_twice),
    CountedField(kHeartbeatData, field::heartbeat_data, kHeartbeatHex, "自定义心跳数据"),
    CountedField(kRegisterData, field::register_data, kRegisterHex, "自定义注册包数据"),
    NumberField(kHeartbeatRetries, field::heartbeat_retries,
                kUnsignedEntry | kCheckedOnLeaving | kShownOnly),
});

constexpr auto kFields =
    Join(kOperatorFields, CentreFields(0), CentreFields(1), CentreFields(2), CentreFields(3),
         CentreFields(4), CentreFields(5), kIdentityFields, DomainFields(0), DomainFields(1),
         DomainFields(2), DomainFields(3), DomainFields(4), DomainFields(5));

}  // namespace

constexpr PageTable kGprsPageTable{kControls, kTooltips, kFields};

}  // namespace dtu
