#include "core/editing/control_tooltips.h"

#include <gtest/gtest.h>

#include <regex>
#include <string>
#include <string_view>

#include "core/editing/gprs_page_table.h"
#include "core/editing/page_rules.h"
#include "core/editing/serial_page_table.h"
#include "core/editing/sms_page_table.h"

namespace dtu {
namespace {

struct NamedTable {
  std::string_view name;
  const PageTable& table;
};

const NamedTable kTables[] = {
    {"network", kGprsPageTable}, {"SMS", kSmsPageTable}, {"serial", kSerialPageTable}};

std::string FirstLine(const std::string& text) {
  return text.substr(0, text.find("\r\n"));
}

// Every byte count a tooltip announces ("最多10个字节", "最大8字节").
std::vector<std::size_t> AnnouncedBytes(const std::string& text) {
  static const std::regex kCount("(?:最多|最大)([0-9]+)个?字节");
  std::vector<std::size_t> counts;
  for (std::sregex_iterator it(text.begin(), text.end(), kCount), end; it != end; ++it)
    counts.push_back(std::stoul((*it)[1]));
  return counts;
}

// The byte limits the tooltips state are the limits the fields are held to, their "16进制"
// boxes included; no description states another.
TEST(ControlTooltips, StatedByteLimitsAreTheFieldLimits) {
  for (const auto& [name, table] : kTables) {
    for (const FieldEntry& row : table.fields) {
      if (!ByteLimit(row)) continue;
      for (int id : {row.id, row.partner}) {
        if (id == 0) continue;
        const std::optional<std::string> tip = ControlTooltip(table, id);
        ASSERT_TRUE(tip.has_value()) << name << ": " << id;
        EXPECT_EQ(AnnouncedBytes(*tip), std::vector<std::size_t>{*ByteLimit(row)})
            << name << ": " << *tip;
      }
    }
  }
  const std::string notice = *ControlTooltip(kSerialPageTable, serial_id::kGprsNotice);
  EXPECT_EQ(AnnouncedBytes(notice), std::vector<std::size_t>{10}) << notice;
}

TEST(ControlTooltips, StatedRangesAreThePageRules) {
  for (const auto& [name, table] : kTables) {
    for (const FieldEntry& row : table.fields) {
      if (row.Has(kShownOnly)) continue;  // the user cannot change it: no setting line
      for (const RangeRule& rule : kRangeRules) {
        if (rule.field.offset != row.field.offset) continue;
        const std::string range = std::to_string(rule.min) + " 到 " + std::to_string(rule.max);
        EXPECT_NE(ControlTooltip(table, row.id)->find(range), std::string::npos)
            << name << ": " << row.id;
      }
    }
  }
}

struct FirstLineCase {
  const PageTable& table;
  int id;
  std::string_view line;
};

TEST(ControlTooltips, FirstLines) {
  const FirstLineCase cases[] = {
      {kGprsPageTable, gprs_id::kApn, "接入点名称（APN）：最多16个字节（一个汉字占2个字节）"},
      {kGprsPageTable, gprs_id::kHeartbeatInterval, "心跳间隔(秒)：5 到 3600"},
      {kGprsPageTable, gprs_id::kPort[5], "心跳IP的端口：0 到 65535"},
      {kGprsPageTable, gprs_id::kReceiverCount, "接收数目：1 到 32"},
      {kGprsPageTable, gprs_id::kCentreNumber, "接收编号：0 到 65535（填 0 时写入 8000）"},
      {kGprsPageTable, gprs_id::kProjectNumber,
       "项目编号：0 到 65535（填 0 时不写入，保留原来的值）"},
      {kGprsPageTable, gprs_id::kDeviceNumber,
       "设备编号：0 到 65535（填 0 时写入 8000）；协议为“TCP(桑荣、四信)”时为十六进制的设备标识，"
       "最多8位"},
      {kGprsPageTable, gprs_id::kCentreIp[1],
       "第二IP：IPv4地址，以点分隔的四个 0 到 255 的数，如 192.168.1.10"},
      {kGprsPageTable, gprs_id::kGroupSend, "中心IP使用方式：选择“群发方式”"},
      {kGprsPageTable, gprs_id::kFixedDns, "使用下面设置的DNS：勾选为启用，不勾选为不启用"},
      {kSmsPageTable, sms_id::kCoding, "短信编码：从列表的3项中选择"},
      {kSerialPageTable, serial_id::kDataBits, "设备串口数据位：可选 8、7"},
      {kSerialPageTable, serial_id::kPollInterval,
       "串口定时输出命令的间隔(秒)：0（不使用）或 5 到 65535"},
      {kSerialPageTable, serial_id::kTcpNotice,
       "TCP连接通知内容：最多10个字节（一个汉字占2个字节；勾选“16进制”时按字节数计）"},
      {kSerialPageTable, serial_id::kTcpNoticeHex,
       "16进制：勾选后TCP连接通知内容以16进制字节显示和输入（每字节两位数字，如“41 42”），"
       "最多10个字节"},
  };
  for (const FirstLineCase& c : cases)
    EXPECT_EQ(FirstLine(ControlTooltip(c.table, c.id).value_or("")), c.line) << c.id;
  // The page's description follows the first line; labels and groups get nothing.
  EXPECT_EQ(*ControlTooltip(kSmsPageTable, sms_id::kSimSmsCentre),
            "SIM卡固有短信中心：SIM卡中固有的短信中心。");
  EXPECT_FALSE(ControlTooltip(kSmsPageTable, sms_id::kModeLabel));
}

}  // namespace
}  // namespace dtu
