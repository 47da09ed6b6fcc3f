#include "core/block/parameter_block.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "core/baud_rates.h"
#include "core/text/hex_text.h"

namespace dtu {
namespace {

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;

using Bytes = std::vector<std::uint8_t>;

// GBK bytes of 接, 入 and 点.
constexpr std::string_view kJie = "\xBD\xD3";
constexpr std::string_view kRu = "\xC8\xEB";
constexpr std::string_view kDian = "\xB5\xE3";

Bytes Slice(const ParameterBlock& block, std::size_t offset, std::size_t size) {
  return Bytes(block.bytes().begin() + offset, block.bytes().begin() + offset + size);
}

// A block whose byte i is a value that differs from its neighbours, so a read from the wrong
// offset or in the wrong order shows.
ParameterBlock PatternBlock() {
  ParameterBlock block;
  for (std::size_t i = 0; i < kBlockSize; ++i)
    block.bytes()[i] = static_cast<std::uint8_t>(i * 7 + 3);
  return block;
}

ParameterBlock FilledBlock(std::uint8_t value) {
  ParameterBlock block;
  block.bytes().fill(value);
  return block;
}

// The offsets whose bytes differ between two blocks.
std::set<std::size_t> ChangedOffsets(const ParameterBlock& before, const ParameterBlock& after) {
  std::set<std::size_t> changed;
  for (std::size_t i = 0; i < kBlockSize; ++i)
    if (before.bytes()[i] != after.bytes()[i]) changed.insert(i);
  return changed;
}

// ---------------------------------------------------------------------------------------------
// Layout

TEST(BlockLayout, RowNamesAreUnique) {
  std::set<std::string_view> names;
  for (const FieldRow& row : kBlockLayout) EXPECT_TRUE(names.insert(row.name).second) << row.name;
}

struct LayoutRow {
  FieldRow field;
  std::uint16_t offset;
  std::uint16_t size;
  FieldType type;
};

TEST(BlockLayout, SpotChecksAgainstTheUnitsRecord) {
  using T = FieldType;
  const std::vector<LayoutRow> rows{
      {field::length, 0, 2, T::U16},
      {field::checksum, 2, 2, T::U16},
      {field::work_mode, 4, 1, T::U8},
      {field::protocol, 5, 1, T::U8},
      {field::fixed_dns, 6, 1, T::Flag},
      {field::reserved7, 7, 1, T::Reserved},
      {field::parity, 8, 1, T::U8},
      {field::frame_mode, 11, 1, T::U8},
      {field::frame_head, 12, 8, T::Counted},
      {field::frame_tail, 20, 8, T::Counted},
      {field::frame_head_len, 28, 1, T::U8},
      {field::frame_tail_len, 29, 1, T::U8},
      {field::receiver_count, 31, 1, T::U8},
      {field::baud_rate, 32, 4, T::U32},
      {field::tcp_reconnect_time, 38, 2, T::U16},
      {field::port1, 40, 2, T::U16},
      {field::frame_delay, 46, 2, T::U16},
      {field::poll_interval, 50, 2, T::U16},
      {field::port6, 56, 2, T::U16},
      {field::ip_mode, 59, 1, T::U8},
      {field::poll_command, 60, 10, T::Counted},
      {field::poll_command_len, 70, 1, T::U8},
      {field::centre_ip1, 71, 4, T::IPv4},
      {field::heartbeat_ip, 91, 4, T::IPv4},
      {field::device_number, 95, 2, T::U16BE},
      {field::centre_number, 97, 2, T::U16BE},
      {field::apn, 99, 17, T::Text},
      {field::dial_code, 116, 11, T::Text},
      {field::sim_number, 127, 12, T::Text},
      {field::ppp_user, 139, 9, T::Text},
      {field::ppp_password, 148, 9, T::Text},
      {field::domain1_enabled, 157, 1, T::Flag},
      {field::dns_primary, 158, 4, T::IPv4},
      {field::dns_secondary, 162, 4, T::IPv4},
      {field::domain1, 166, 31, T::Text},
      {field::custom_packets, 197, 1, T::Flag},
      {field::heartbeat_data_len, 198, 1, T::U8},
      {field::register_data_len, 199, 1, T::U8},
      {field::domain2, 200, 31, T::Text},
      {field::domain6_enabled, 359, 1, T::Flag},
      {field::heartbeat_data, 360, 54, T::Counted},
      {field::register_data, 414, 54, T::Counted},
      {field::sms_accept_all, 468, 1, T::Flag},
      {field::sms_mode, 469, 1, T::U8},
      {field::sms_coding, 470, 1, T::U8},
      {field::sms_output_number, 471, 1, T::Flag},
      {field::sms_centre, 472, 14, T::Text},
      {field::sms_number1, 486, 14, T::Text},
      {field::sms_number5, 542, 14, T::Text},
      {field::gprs_rx_tag_len, 556, 1, T::U8},
      {field::sms_tx_tag_len, 559, 1, T::U8},
      {field::gprs_rx_tag, 560, 8, T::Counted},
      {field::sms_tx_tag, 584, 8, T::Counted},
      {field::heartbeat_retries, 592, 1, T::U8},
      {field::dual_sms_targets_only, 594, 1, T::Flag},
      {field::reserved595, 595, 1, T::Reserved},
      {field::gprs_notice, 596, 10, T::Counted},
      {field::tcp_notice, 606, 10, T::Counted},
      {field::gprs_notice_len, 616, 1, T::U8},
      {field::tcp_notice_len, 617, 1, T::U8},
      {field::project_number, 618, 2, T::U16BE},
      {field::reserved620, 620, 40, T::Reserved},
      {field::device_id, 95, 4, T::U32BE},
  };
  for (const LayoutRow& row : rows) {
    SCOPED_TRACE(std::string(row.field.name));
    EXPECT_EQ(row.field.offset, row.offset);
    EXPECT_EQ(row.field.size, row.size);
    EXPECT_EQ(row.field.type, row.type);
  }
}

// The rows of each kind, as the unit defines them; every row not listed is a plain number.
TEST(BlockLayout, EveryRowHasItsKind) {
  using T = FieldType;
  const std::map<FieldType, std::set<std::string_view>> kinds{
      {T::Flag,
       {"fixed_dns", "timed_receive", "domain1_enabled", "custom_packets", "domain2_enabled",
        "domain3_enabled", "domain4_enabled", "domain5_enabled", "domain6_enabled",
        "sms_accept_all", "sms_output_number", "heartbeat_twice", "dual_sms_targets_only"}},
      {T::U16,
       {"length", "checksum", "timed_receive_interval", "tcp_reconnect_time", "port1", "port2",
        "port3", "frame_delay", "heartbeat_interval", "poll_interval", "port4", "port5", "port6"}},
      {T::U16BE, {"device_number", "centre_number", "project_number"}},
      {T::U32, {"baud_rate"}},
      {T::IPv4,
       {"centre_ip1", "centre_ip2", "centre_ip3", "centre_ip4", "centre_ip5", "heartbeat_ip",
        "dns_primary", "dns_secondary"}},
      {T::Text,
       {"apn", "dial_code", "sim_number", "ppp_user", "ppp_password", "domain1", "domain2",
        "domain3", "domain4", "domain5", "domain6", "sms_centre", "sms_number1", "sms_number2",
        "sms_number3", "sms_number4", "sms_number5"}},
      {T::Counted,
       {"frame_head", "frame_tail", "poll_command", "heartbeat_data", "register_data",
        "gprs_rx_tag", "gprs_tx_tag", "sms_rx_tag", "sms_tx_tag", "gprs_notice", "tcp_notice"}},
      {T::Reserved, {"reserved7", "reserved595", "reserved620"}},
  };
  for (const FieldRow& row : kBlockLayout) {
    FieldType expected = T::U8;
    for (const auto& [type, names] : kinds)
      if (names.contains(row.name)) expected = type;
    EXPECT_EQ(row.type, expected) << row.name;
  }
  std::set<std::string_view> text_fields;
  for (const FieldRow& text : kTextFields) text_fields.insert(text.name);
  EXPECT_EQ(text_fields, kinds.at(T::Text));
  std::set<std::string_view> counted_fields;
  for (const CountedRow& counted : kCountedFields) counted_fields.insert(counted.area.name);
  EXPECT_EQ(counted_fields, kinds.at(T::Counted));
}

TEST(BlockLayout, CountedAreasPairWithTheirLengthBytes) {
  const std::vector<std::pair<CountedRow, std::pair<std::uint16_t, std::uint16_t>>> pairs{
      {counted::frame_head, {12, 28}},      {counted::frame_tail, {20, 29}},
      {counted::poll_command, {60, 70}},    {counted::heartbeat_data, {360, 198}},
      {counted::register_data, {414, 199}}, {counted::gprs_rx_tag, {560, 556}},
      {counted::gprs_tx_tag, {568, 557}},   {counted::sms_rx_tag, {576, 558}},
      {counted::sms_tx_tag, {584, 559}},    {counted::gprs_notice, {596, 616}},
      {counted::tcp_notice, {606, 617}},
  };
  EXPECT_EQ(kCountedFields.size(), pairs.size());
  for (const auto& [field, offsets] : pairs) {
    SCOPED_TRACE(std::string(field.area.name));
    EXPECT_EQ(field.area.offset, offsets.first);
    EXPECT_EQ(field.length.offset, offsets.second);
    EXPECT_EQ(field.length.size, 1);
  }
}

// ---------------------------------------------------------------------------------------------
// Number fields: every named accessor reads and writes its own bytes in its own byte order.

struct NumberAccessor {
  const char* name;
  std::function<std::uint32_t(const ParameterBlock&)> get;
  std::function<void(ParameterBlock&, std::uint32_t)> set;
  std::size_t offset;
  std::size_t size;
  bool big_endian;
};

#define NUMBER(f, at, bytes, be)                                                                   \
  NumberAccessor {                                                                                 \
    .name = #f, .get = [](const ParameterBlock& b) -> std::uint32_t { return b.f(); },             \
    .set = [](ParameterBlock& b, std::uint32_t v) { b.set_##f(static_cast<decltype(b.f())>(v)); }, \
    .offset = at, .size = bytes, .big_endian = be                                                  \
  }

std::vector<NumberAccessor> NumberAccessors() {
  return {
      NUMBER(length, 0, 2, false),
      NUMBER(checksum, 2, 2, false),
      NUMBER(work_mode, 4, 1, false),
      NUMBER(protocol, 5, 1, false),
      NUMBER(fixed_dns, 6, 1, false),
      NUMBER(parity, 8, 1, false),
      NUMBER(data_bits, 9, 1, false),
      NUMBER(stop_bits, 10, 1, false),
      NUMBER(frame_mode, 11, 1, false),
      NUMBER(frame_head_len, 28, 1, false),
      NUMBER(frame_tail_len, 29, 1, false),
      NUMBER(timed_receive, 30, 1, false),
      NUMBER(receiver_count, 31, 1, false),
      NUMBER(baud_rate, 32, 4, false),
      NUMBER(timed_receive_interval, 36, 2, false),
      NUMBER(tcp_reconnect_time, 38, 2, false),
      NUMBER(port1, 40, 2, false),
      NUMBER(port2, 42, 2, false),
      NUMBER(port3, 44, 2, false),
      NUMBER(frame_delay, 46, 2, false),
      NUMBER(heartbeat_interval, 48, 2, false),
      NUMBER(poll_interval, 50, 2, false),
      NUMBER(port4, 52, 2, false),
      NUMBER(port5, 54, 2, false),
      NUMBER(port6, 56, 2, false),
      NUMBER(ip_count, 58, 1, false),
      NUMBER(ip_mode, 59, 1, false),
      NUMBER(poll_command_len, 70, 1, false),
      NUMBER(device_number, 95, 2, true),
      NUMBER(centre_number, 97, 2, true),
      NUMBER(domain1_enabled, 157, 1, false),
      NUMBER(custom_packets, 197, 1, false),
      NUMBER(heartbeat_data_len, 198, 1, false),
      NUMBER(register_data_len, 199, 1, false),
      NUMBER(domain2_enabled, 231, 1, false),
      NUMBER(domain3_enabled, 263, 1, false),
      NUMBER(domain4_enabled, 295, 1, false),
      NUMBER(domain5_enabled, 327, 1, false),
      NUMBER(domain6_enabled, 359, 1, false),
      NUMBER(sms_accept_all, 468, 1, false),
      NUMBER(sms_mode, 469, 1, false),
      NUMBER(sms_coding, 470, 1, false),
      NUMBER(sms_output_number, 471, 1, false),
      NUMBER(gprs_rx_tag_len, 556, 1, false),
      NUMBER(gprs_tx_tag_len, 557, 1, false),
      NUMBER(sms_rx_tag_len, 558, 1, false),
      NUMBER(sms_tx_tag_len, 559, 1, false),
      NUMBER(heartbeat_retries, 592, 1, false),
      NUMBER(heartbeat_twice, 593, 1, false),
      NUMBER(dual_sms_targets_only, 594, 1, false),
      NUMBER(gprs_notice_len, 616, 1, false),
      NUMBER(tcp_notice_len, 617, 1, false),
      NUMBER(project_number, 618, 2, true),
      NUMBER(device_id, 95, 4, true),
  };
}
#undef NUMBER

std::uint32_t ExpectedValue(const BlockBytes& bytes, const NumberAccessor& field) {
  std::uint32_t value = 0;
  for (std::size_t i = 0; i < field.size; ++i) {
    const std::size_t at = field.big_endian ? i : field.size - 1 - i;
    value = value << 8 | bytes[field.offset + at];
  }
  return value;
}

TEST(BlockNumbers, EveryAccessorReadsItsOwnBytesInItsByteOrder) {
  const ParameterBlock block = PatternBlock();
  for (const NumberAccessor& field : NumberAccessors())
    EXPECT_EQ(field.get(block), ExpectedValue(block.bytes(), field)) << field.name;
}

TEST(BlockNumbers, EverySetterWritesOnlyItsOwnBytes) {
  for (const NumberAccessor& field : NumberAccessors()) {
    SCOPED_TRACE(field.name);
    const ParameterBlock before = PatternBlock();
    ParameterBlock after = before;
    const std::uint32_t value = 0xA1B2C3D4u >> (8 * (4 - field.size));
    field.set(after, value);
    EXPECT_EQ(field.get(after), value);
    for (std::size_t i : ChangedOffsets(before, after)) {
      EXPECT_GE(i, field.offset);
      EXPECT_LT(i, field.offset + field.size);
    }
  }
}

struct StoredNumber {
  const char* what;
  std::function<void(ParameterBlock&)> set;
  std::size_t offset;
  Bytes stored;
};

TEST(BlockNumbers, ValuesAreStoredAsTheUnitExpects) {
  const std::vector<StoredNumber> cases{
      {"port1 5001", [](ParameterBlock& b) { b.set_port1(5001); }, 40, {0x89, 0x13}},
      {"project_number 300",
       [](ParameterBlock& b) { b.set_project_number(300); },
       618,
       {0x01, 0x2C}},
      {"device_number 8000",
       [](ParameterBlock& b) { b.set_device_number(8000); },
       95,
       {0x1F, 0x40}},
      {"centre_number 8000",
       [](ParameterBlock& b) { b.set_centre_number(8000); },
       97,
       {0x1F, 0x40}},
      {"device_id 12345678",
       [](ParameterBlock& b) { b.set_device_id(0x12345678); },
       95,
       {0x12, 0x34, 0x56, 0x78}},
      {"baud_rate 115200",
       [](ParameterBlock& b) { b.set_baud_rate(115200); },
       32,
       {0x00, 0xC2, 0x01, 0x00}},
      {"baud_rate 921600",
       [](ParameterBlock& b) { b.set_baud_rate(921600); },
       32,
       {0x00, 0x10, 0x0E, 0x00}},
      {"length 660", [](ParameterBlock& b) { b.set_length(660); }, 0, {0x94, 0x02}},
      {"heartbeat_interval 0x1234",
       [](ParameterBlock& b) { b.set_heartbeat_interval(0x1234); },
       48,
       {0x34, 0x12}},
      {"centre_ip1 192.168.1.10",
       [](ParameterBlock& b) {
         b.set_centre_ip1({192, 168, 1, 10});
       },
       71,
       {0xC0, 0xA8, 0x01, 0x0A}},
  };
  for (const StoredNumber& c : cases) {
    ParameterBlock block;
    c.set(block);
    EXPECT_EQ(Slice(block, c.offset, c.stored.size()), c.stored) << c.what;
  }
}

TEST(BlockNumbers, DeviceIdOverlaysDeviceAndCentreNumbers) {
  ParameterBlock block;
  block.set_device_id(0x12345678);
  EXPECT_EQ(block.device_id(), 0x12345678u);
  EXPECT_EQ(block.device_number(), 0x1234);
  EXPECT_EQ(block.centre_number(), 0x5678);
  EXPECT_THAT(Slice(block, 94, 6), ElementsAre(0, 0x12, 0x34, 0x56, 0x78, 0));
}

TEST(BlockNumbers, SettersKeepTheLowBitsTheFieldHolds) {
  ParameterBlock block;
  block.Set(field::port1, 0x12345);
  EXPECT_EQ(block.port1(), 0x2345);
  block.Set(field::work_mode, 0x102);
  EXPECT_EQ(block.work_mode(), 2);
  EXPECT_EQ(block.protocol(), 0);
}

// ---------------------------------------------------------------------------------------------
// Addresses

struct AddressAccessor {
  const char* name;
  std::function<Ipv4Bytes(const ParameterBlock&)> get;
  std::function<void(ParameterBlock&, const Ipv4Bytes&)> set;
  std::size_t offset;
};

#define ADDRESS(f, at)                                                               \
  AddressAccessor {                                                                  \
    .name = #f, .get = [](const ParameterBlock& b) { return b.f(); },                \
    .set = [](ParameterBlock& b, const Ipv4Bytes& v) { b.set_##f(v); }, .offset = at \
  }

TEST(BlockAddresses, EachAddressIsFourBytesInDottedOrderAtItsOffset) {
  const std::vector<AddressAccessor> fields{
      ADDRESS(centre_ip1, 71),   ADDRESS(centre_ip2, 75),     ADDRESS(centre_ip3, 79),
      ADDRESS(centre_ip4, 83),   ADDRESS(centre_ip5, 87),     ADDRESS(heartbeat_ip, 91),
      ADDRESS(dns_primary, 158), ADDRESS(dns_secondary, 162),
  };
  for (const AddressAccessor& f : fields) {
    SCOPED_TRACE(f.name);
    const ParameterBlock pattern = PatternBlock();
    EXPECT_THAT(f.get(pattern), ElementsAreArray(Slice(pattern, f.offset, 4)));
    ParameterBlock block = pattern;
    f.set(block, {10, 20, 30, 40});
    EXPECT_THAT(Slice(block, f.offset, 4), ElementsAre(10, 20, 30, 40));
    for (std::size_t i : ChangedOffsets(pattern, block)) {
      EXPECT_GE(i, f.offset);
      EXPECT_LT(i, f.offset + 4);
    }
  }
}
#undef ADDRESS

// ---------------------------------------------------------------------------------------------
// Text fields

struct TextAccessor {
  const char* name;
  std::function<std::string(const ParameterBlock&)> get;
  std::function<void(ParameterBlock&, std::string_view)> set;
  std::size_t offset;
  std::size_t size;
};

#define TEXT(f, at, bytes)                                                            \
  TextAccessor {                                                                      \
    .name = #f, .get = [](const ParameterBlock& b) { return b.f(); },                 \
    .set = [](ParameterBlock& b, std::string_view t) { b.set_##f(t); }, .offset = at, \
    .size = bytes                                                                     \
  }

std::vector<TextAccessor> TextAccessors() {
  return {
      TEXT(apn, 99, 17),          TEXT(dial_code, 116, 11),   TEXT(sim_number, 127, 12),
      TEXT(ppp_user, 139, 9),     TEXT(ppp_password, 148, 9), TEXT(domain1, 166, 31),
      TEXT(domain2, 200, 31),     TEXT(domain3, 232, 31),     TEXT(domain4, 264, 31),
      TEXT(domain5, 296, 31),     TEXT(domain6, 328, 31),     TEXT(sms_centre, 472, 14),
      TEXT(sms_number1, 486, 14), TEXT(sms_number2, 500, 14), TEXT(sms_number3, 514, 14),
      TEXT(sms_number4, 528, 14), TEXT(sms_number5, 542, 14),
  };
}
#undef TEXT

TEST(BlockText, LongTextIsCutToCapacityAndTerminatedInsideTheField) {
  for (const TextAccessor& f : TextAccessors()) {
    SCOPED_TRACE(f.name);
    const ParameterBlock before = FilledBlock(0xEE);
    ParameterBlock block = before;
    f.set(block, std::string(100, 'x'));
    EXPECT_EQ(f.get(block), std::string(f.size - 1, 'x'));
    EXPECT_EQ(block.bytes()[f.offset + f.size - 1], 0);
    for (std::size_t i : ChangedOffsets(before, block)) {
      EXPECT_GE(i, f.offset);
      EXPECT_LT(i, f.offset + f.size);
    }
  }
}

TEST(BlockText, BytesAfterTheTerminatorKeepTheirValues) {
  for (const TextAccessor& f : TextAccessors()) {
    SCOPED_TRACE(f.name);
    ParameterBlock block = FilledBlock(0xEE);
    f.set(block, "ab");
    Bytes expected(f.size, 0xEE);
    expected[0] = 'a';
    expected[1] = 'b';
    expected[2] = 0;
    EXPECT_EQ(Slice(block, f.offset, f.size), expected);
    EXPECT_EQ(f.get(block), "ab");
  }
}

TEST(BlockText, ReadingStopsAtTheFirstZeroOrTheFieldsEnd) {
  ParameterBlock block = FilledBlock('z');
  EXPECT_EQ(block.apn(), std::string(17, 'z'));  // an unterminated field reads to its end only
  block.bytes()[99 + 3] = 0;
  EXPECT_EQ(block.apn(), "zzz");
  block.set_apn("");
  EXPECT_EQ(block.apn(), "");
  EXPECT_EQ(block.bytes()[99], 0);
  EXPECT_EQ(block.bytes()[100], 'z');
}

struct CutCase {
  const char* what;
  std::string text;  // GBK
  std::string kept;  // what the 16-character APN field keeps
};

TEST(BlockText, CutNeverSplitsATwoByteCharacter) {
  const std::string eight_chars = std::string(kJie) + std::string(kRu) + std::string(kDian) +
                                  std::string(kJie) + std::string(kRu) + std::string(kDian) +
                                  std::string(kJie) + std::string(kRu);  // 16 bytes
  const std::vector<CutCase> cases{
      {"exactly the capacity", eight_chars, eight_chars},
      // std::string on the left: GCC 12's optimiser reports a false overlap for "ab" + string.
      {"a character straddling the limit is left out", std::string("a") + eight_chars,
       std::string("a") + eight_chars.substr(0, 14)},
      {"a character ending on the limit is kept",
       std::string("ab") + eight_chars.substr(0, 14) + "c",
       std::string("ab") + eight_chars.substr(0, 14)},
      {"ASCII to the limit", std::string(20, 'q'), std::string(16, 'q')},
      {"a lone lead byte at the end counts as one byte", std::string(15, 'q') + "\x81",
       std::string(15, 'q') + "\x81"},
  };
  for (const CutCase& c : cases) {
    SCOPED_TRACE(c.what);
    ParameterBlock block = FilledBlock(0xEE);
    block.set_apn(c.text);
    EXPECT_EQ(block.apn(), c.kept);
    EXPECT_EQ(block.bytes()[99 + c.kept.size()], 0);
    for (std::size_t i = 99 + c.kept.size() + 1; i < 116; ++i) EXPECT_EQ(block.bytes()[i], 0xEE);
    EXPECT_EQ(block.bytes()[116], 0xEE);  // the next field is never touched
  }
}

// ---------------------------------------------------------------------------------------------
// Counted fields

struct CountedAccessor {
  const char* name;
  std::function<Bytes(const ParameterBlock&)> get;
  std::function<void(ParameterBlock&, std::span<const std::uint8_t>)> set;
  std::size_t offset;
  std::size_t size;
  std::size_t length_offset;
};

#define COUNTED(f, at, bytes, length_at)                                                           \
  CountedAccessor {                                                                                \
    .name = #f, .get = [](const ParameterBlock& b) { return b.f(); },                              \
    .set = [](ParameterBlock& b, std::span<const std::uint8_t> c) { b.set_##f(c); }, .offset = at, \
    .size = bytes, .length_offset = length_at                                                      \
  }

std::vector<CountedAccessor> CountedAccessors() {
  return {
      COUNTED(frame_head, 12, 8, 28),       COUNTED(frame_tail, 20, 8, 29),
      COUNTED(poll_command, 60, 10, 70),    COUNTED(heartbeat_data, 360, 54, 198),
      COUNTED(register_data, 414, 54, 199), COUNTED(gprs_rx_tag, 560, 8, 556),
      COUNTED(gprs_tx_tag, 568, 8, 557),    COUNTED(sms_rx_tag, 576, 8, 558),
      COUNTED(sms_tx_tag, 584, 8, 559),     COUNTED(gprs_notice, 596, 10, 616),
      COUNTED(tcp_notice, 606, 10, 617),
  };
}
#undef COUNTED

TEST(BlockCounted, ContentIsStoredWithItsCountAndNothingAfterItChanges) {
  const Bytes content{0x7E, 0x00, 0x0D};
  for (const CountedAccessor& f : CountedAccessors()) {
    SCOPED_TRACE(f.name);
    const ParameterBlock before = FilledBlock(0xEE);
    ParameterBlock block = before;
    f.set(block, content);
    EXPECT_EQ(block.bytes()[f.length_offset], 3);
    EXPECT_EQ(Slice(block, f.offset, 3), content);
    EXPECT_EQ(f.get(block), content);
    EXPECT_EQ(ChangedOffsets(before, block),
              (std::set<std::size_t>{f.offset, f.offset + 1, f.offset + 2, f.length_offset}));
  }
}

TEST(BlockCounted, ContentLongerThanTheAreaIsCutToTheAreaSize) {
  const Bytes long_content(100, 0x55);
  for (const CountedAccessor& f : CountedAccessors()) {
    SCOPED_TRACE(f.name);
    ParameterBlock block = FilledBlock(0xEE);
    f.set(block, long_content);
    EXPECT_EQ(block.bytes()[f.length_offset], f.size);
    EXPECT_EQ(Slice(block, f.offset, f.size), Bytes(f.size, 0x55));
    EXPECT_NE(block.bytes()[f.offset + f.size], 0x55) << "wrote past the area";
    EXPECT_EQ(f.get(block).size(), f.size);
  }
}

TEST(BlockCounted, ReadingTrustsTheLengthByteOnlyUpToTheAreaSize) {
  for (const CountedAccessor& f : CountedAccessors()) {
    SCOPED_TRACE(f.name);
    ParameterBlock block = PatternBlock();
    block.bytes()[f.length_offset] = 2;
    EXPECT_EQ(f.get(block), Slice(block, f.offset, 2));
    block.bytes()[f.length_offset] = 255;
    EXPECT_EQ(f.get(block), Slice(block, f.offset, f.size));
    block.bytes()[f.length_offset] = 0;
    EXPECT_TRUE(f.get(block).empty());
  }
}

TEST(BlockCounted, CountedTextStopsAtTheFirstZeroWhateverTheLength) {
  ParameterBlock block = FilledBlock('z');
  block.set_frame_head_len(1);
  EXPECT_EQ(block.GetCountedText(counted::frame_head), std::string(8, 'z'));
  block.bytes()[12 + 2] = 0;
  EXPECT_EQ(block.GetCountedText(counted::frame_head), "zz");
}

// ---------------------------------------------------------------------------------------------
// Checksum, seal and verify

ParameterBlock ModeTwoProtocolOne() {
  ParameterBlock block;
  block.set_work_mode(2);
  block.set_protocol(1);
  return block;
}

TEST(BlockChecksum, KnownVectors) {
  ParameterBlock zero;
  EXPECT_EQ(BlockChecksum(zero), 0);
  EXPECT_EQ(BlockChecksum(ModeTwoProtocolOne()), 3);
  ParameterBlock last_byte;
  last_byte.bytes()[659] = 0xA5;
  EXPECT_EQ(BlockChecksum(last_byte), 0xA5);
  ParameterBlock first_covered;
  first_covered.bytes()[4] = 0x5A;
  EXPECT_EQ(BlockChecksum(first_covered), 0x5A);
  EXPECT_EQ(BlockChecksum(FilledBlock(0xFF)), 0);  // 656 bytes of FF cancel out
  ParameterBlock odd = FilledBlock(0xFF);
  odd.bytes()[620] = 0;
  EXPECT_EQ(BlockChecksum(odd), 0xFF);
}

TEST(BlockChecksum, LengthAndChecksumWordsAreNotCovered) {
  const ParameterBlock base = PatternBlock();
  const std::uint16_t sum = BlockChecksum(base);
  for (std::size_t i = 0; i < 4; ++i) {
    for (int value : {0x00, 0x01, 0x80, 0xFF}) {
      ParameterBlock changed = base;
      changed.bytes()[i] = static_cast<std::uint8_t>(value);
      EXPECT_EQ(BlockChecksum(changed), sum) << "byte " << i;
    }
  }
}

TEST(BlockChecksum, EveryCoveredByteCountsReservedOnesIncluded) {
  const ParameterBlock base = PatternBlock();
  const std::uint16_t sum = BlockChecksum(base);
  for (std::size_t i = 4; i < kBlockSize; ++i) {
    ParameterBlock changed = base;
    changed.bytes()[i] ^= 0x01;
    EXPECT_NE(BlockChecksum(changed), sum) << "byte " << i;
  }
  for (std::size_t reserved : {7u, 595u, 620u, 659u}) {
    ParameterBlock changed;
    changed.bytes()[reserved] = 0x42;
    EXPECT_EQ(BlockChecksum(changed), 0x42) << "reserved byte " << reserved;
  }
}

TEST(SealBlock, ZeroBlockSealsTo9402AndItsFrameBeginsLikeIt) {
  ParameterBlock block;
  SealBlock(block);
  EXPECT_THAT(Slice(block, 0, 4), ElementsAre(0x94, 0x02, 0x00, 0x00));
  EXPECT_EQ(EncodeHexText(block.bytes()).substr(0, 8), "94020000");
  EXPECT_TRUE(VerifyBlock(block));
}

TEST(SealBlock, ModeTwoProtocolOneSealsWithChecksumThree) {
  ParameterBlock block = ModeTwoProtocolOne();
  SealBlock(block);
  EXPECT_EQ(block.checksum(), 3);
  EXPECT_EQ(EncodeHexText(block.bytes()).substr(0, 12), "940203000201");
}

TEST(SealBlock, OverwritesLengthAndChecksumAndNothingElse) {
  const ParameterBlock before = PatternBlock();
  ParameterBlock block = before;
  SealBlock(block);
  EXPECT_EQ(block.length(), 660);
  EXPECT_EQ(block.checksum(), BlockChecksum(before));
  for (std::size_t i : ChangedOffsets(before, block)) EXPECT_LT(i, 4u);
  EXPECT_TRUE(VerifyBlock(block));
}

TEST(VerifyBlock, ComparesTheWholeChecksumWord) {
  ParameterBlock block = ModeTwoProtocolOne();
  SealBlock(block);
  ASSERT_TRUE(VerifyBlock(block));

  ParameterBlock high_byte_set = block;
  high_byte_set.bytes()[3] = 1;  // byte 2 still equals the checksum
  EXPECT_FALSE(VerifyBlock(high_byte_set));

  ParameterBlock wrong_low = block;
  wrong_low.bytes()[2] = 4;
  EXPECT_FALSE(VerifyBlock(wrong_low));

  ParameterBlock changed_field = block;
  changed_field.set_port1(5001);
  EXPECT_FALSE(VerifyBlock(changed_field));
}

TEST(VerifyBlock, IgnoresTheLengthWord) {
  ParameterBlock block = PatternBlock();
  SealBlock(block);
  block.set_length(0);
  EXPECT_TRUE(VerifyBlock(block));
  block.set_length(0xFFFF);
  EXPECT_TRUE(VerifyBlock(block));
}

TEST(BlockTransport, HexTextIs1320DigitsAndDecodesToTheSameBlock) {
  for (const ParameterBlock& source : {ParameterBlock{}, PatternBlock(), FilledBlock(0xFF)}) {
    ParameterBlock block = source;
    SealBlock(block);
    const std::string hex = EncodeHexText(block.bytes());
    ASSERT_EQ(hex.size(), 1320u);
    EXPECT_EQ(hex.find_first_not_of("0123456789ABCDEF"), std::string::npos);
    const Bytes decoded = DecodeHexText(hex);
    ASSERT_EQ(decoded.size(), kBlockSize);
    EXPECT_THAT(decoded, ElementsAreArray(block.bytes()));
  }
}

// ---------------------------------------------------------------------------------------------
// Normalisation

TEST(NormaliseBlock, ChangesExactlyTheUnterminatedTextsAndTheOverlongCounts) {
  // 0xFF everywhere: every text unterminated and every count byte 255.
  const ParameterBlock before = FilledBlock(0xFF);
  ParameterBlock block = before;
  NormaliseBlock(block);

  const std::set<std::size_t> text_ends{115, 126, 138, 147, 156, 196, 230, 262, 294,
                                        326, 358, 485, 499, 513, 527, 541, 555};
  const std::vector<std::pair<std::size_t, std::uint8_t>> limits{
      {28, 8},  {29, 8},  {70, 10}, {198, 54}, {199, 54}, {556, 8},
      {557, 8}, {558, 8}, {559, 8}, {616, 10}, {617, 10},
  };

  std::set<std::size_t> expected = text_ends;
  for (const auto& [offset, limit] : limits) expected.insert(offset);
  EXPECT_EQ(ChangedOffsets(before, block), expected);

  for (std::size_t end : text_ends) EXPECT_EQ(block.bytes()[end], 0) << "text end " << end;
  for (const auto& [offset, limit] : limits)
    EXPECT_EQ(block.bytes()[offset], limit) << "length byte " << offset;
}

// What a unit holds comes back whole: full counted areas, texts with their 0x00 and whatever
// stands after it.
TEST(NormaliseBlock, KeepsFullCountedAreasAndTerminatedTexts) {
  ParameterBlock block = FilledBlock(0x5A);
  for (const FieldRow& text : kTextFields) block.Area(text)[text.size / 2] = 0;
  for (const CountedRow& counted : kCountedFields) block.Set(counted.length, counted.area.size);
  const ParameterBlock before = block;
  NormaliseBlock(block);
  EXPECT_EQ(block, before);
  EXPECT_EQ(block.gprs_notice(), Bytes(10, 0x5A));
}

TEST(NormaliseBlock, SeventeenByteApnBecomesSixteenCharacters) {
  ParameterBlock block;
  for (std::size_t i = 99; i < 116; ++i) block.bytes()[i] = 'a';
  block.bytes()[116] = 'd';  // dial_code follows and must not be touched
  NormaliseBlock(block);
  EXPECT_EQ(block.apn(), std::string(16, 'a'));
  EXPECT_EQ(block.bytes()[116], 'd');
}

TEST(NormaliseBlock, OverlongFrameHeadCountIsCutToTheArea) {
  ParameterBlock block;
  for (std::size_t i = 12; i < 20; ++i) block.bytes()[i] = 0x7E;
  block.set_frame_head_len(9);
  NormaliseBlock(block);
  EXPECT_EQ(block.frame_head_len(), 8);
  EXPECT_EQ(block.frame_head(), Bytes(8, 0x7E));
}

TEST(NormaliseBlock, TakesNumbersAndCodesAsTheyCome) {
  ParameterBlock block;
  block.set_baud_rate(12345);
  block.set_work_mode(9);
  block.set_protocol(200);
  block.set_parity(7);
  block.set_sms_coding(5);
  block.set_port1(0);
  block.set_centre_ip1({255, 255, 255, 255});
  const ParameterBlock before = block;
  NormaliseBlock(block);
  EXPECT_EQ(block, before);
  EXPECT_EQ(block.baud_rate(), 12345u);
}

TEST(NormaliseBlock, AfterNormalisationEveryFieldReadsWithinItsArea) {
  ParameterBlock block = FilledBlock(0xFF);
  NormaliseBlock(block);
  for (const CountedAccessor& f : CountedAccessors())
    EXPECT_EQ(f.get(block).size(), f.size) << f.name;
  for (const TextAccessor& f : TextAccessors())
    EXPECT_EQ(f.get(block).size(), f.size - 1) << f.name;
}

// ---------------------------------------------------------------------------------------------
// Code tables

TEST(BlockCodes, ProtocolListAndSummaryNames) {
  ASSERT_EQ(kProtocolCodes.size(), 15u);
  EXPECT_EQ(kProtocolCodes[0].list_entry, "UDP(澄川电子)");
  EXPECT_EQ(kProtocolCodes[2].gprs_name, "透传澄川TCP");
  EXPECT_EQ(kProtocolCodes[7].list_entry, "TCP(驿唐，支持mServer)");  // full-width comma
  EXPECT_EQ(kProtocolCodes[8].gprs_name, "支持倚天风华模式");
  EXPECT_EQ(kProtocolCodes[9].list_entry, "TCP(桑荣、四信)");
  EXPECT_EQ(kProtocolCodes[9].gprs_name, "桑荣、四信、才茂");
  EXPECT_EQ(kProtocolCodes[10].gprs_name, "GPS");
  EXPECT_EQ(kProtocolCodes[11].list_entry, "TCP(透传,KeepAlive)");  // ASCII comma
  EXPECT_EQ(kProtocolCodes[14].list_entry, "UDP(ESN D2D)");
  // Protocols without a summary line in a mode have an empty name there.
  for (std::size_t code : {9u, 11u, 12u, 13u, 14u})
    EXPECT_TRUE(kProtocolCodes[code].dual_name.empty());
  for (std::size_t code : {12u, 13u, 14u}) EXPECT_TRUE(kProtocolCodes[code].gprs_name.empty());
  for (std::size_t code = 0; code <= 8; ++code)
    EXPECT_EQ(kProtocolCodes[code].gprs_name, kProtocolCodes[code].dual_name) << code;
}

TEST(BlockCodes, DeviceIdProtocols) {
  for (std::uint8_t code = 0; code < 20; ++code) {
    EXPECT_EQ(ProtocolUsesDeviceId(code), code == 2 || code == 9 || code == 11) << int{code};
    EXPECT_EQ(ProtocolEditsDeviceId(code), code == 9) << int{code};
  }
}

TEST(BlockCodes, EnumeratedTexts) {
  EXPECT_THAT(kParityNames, ElementsAre("无校验", "奇校验", "偶校验"));
  EXPECT_EQ(ParitySummaryLetter(0), 'n');
  EXPECT_EQ(ParitySummaryLetter(1), 'o');
  EXPECT_EQ(ParitySummaryLetter(2), 'e');
  EXPECT_THAT(kSmsModeNames, ElementsAre("协议模式", "透明模式", "voz模式"));
  EXPECT_THAT(kSmsCodingEntries,
              ElementsAre("7 BIT(仅收发数字英文)", "8 BIT(对设备进行16进制收发数据)",
                          "UCS2(对手机进行收发数据)"));
  EXPECT_THAT(kSmsCodingSummaryNames, ElementsAre("7bit", "8bit", "UNICODE"));
  EXPECT_THAT(kSmsOutputNumberEntries, ElementsAre("不包含", "包含"));
}

TEST(BaudRates, BaudRateIndex) {
  EXPECT_EQ(BaudRateIndex(110), 0u);
  EXPECT_EQ(BaudRateIndex(9600), 6u);
  EXPECT_EQ(BaudRateIndex(921600), 13u);
  EXPECT_FALSE(BaudRateIndex(12345).has_value());
  EXPECT_FALSE(BaudRateIndex(0).has_value());
}

}  // namespace
}  // namespace dtu
