#include "core/device/device_link.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <climits>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "core/device/device_commands.h"
#include "core/device/device_event_text.h"
#include "core/text/gbk_codec.h"
#include "core/text/hex_text.h"

namespace dtu {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

// The line a status text is recorded as.
std::string Status(StatusField field, std::string_view text) {
  return "status " + std::string(StatusFieldName(field)) + " " + std::string(text);
}

// Records every event as one line, as dtuctl replay prints it (acknowledgements with their
// caption; a signal value also as its number).
class RecordingSink : public DeviceEventSink {
 public:
  void Recognised(const DeviceEvent& event) override {
    if (const auto* answer = std::get_if<AcknowledgementEvent>(&event)) {
      const EventText shown = TextOf(*answer);
      Record("message " + shown.text + " [" + shown.caption + "]");
    } else if (const auto* address = std::get_if<AddressEvent>(&event)) {
      Record("address " + std::to_string(address->row) + " " + address->text);
    } else if (const auto* status = std::get_if<StatusEvent>(&event)) {
      Record(Status(status->field, status->text));
      if (status->field == StatusField::Signal) Record("signal " + std::to_string(status->signal));
    } else {
      const BlockEvent& block = std::get<BlockEvent>(event);
      blocks.push_back(block.block);
      intact.push_back(block.intact);
      Record("block");
    }
  }

  std::vector<std::string> events;
  std::vector<ParameterBlock> blocks;
  std::vector<bool> intact;
  std::function<void(const std::string&)> on_event;  // runs after an event is recorded

 private:
  void Record(std::string line) {
    events.push_back(line);
    if (on_event) on_event(line);
  }
};

struct Link {
  RecordingSink sink;
  DeviceLink link{sink};
};

std::vector<std::string> EventsOf(std::string_view bytes) {
  Link l;
  l.link.Feed(bytes);
  return l.sink.events;
}

const std::string kSetOk = "message 参数设置成功! [设置参数]";
const std::string kChkErr = "message 参数校验失败! [设置参数]";
const std::string kAcnOk = "message 设置验证码成功. []";

ParameterBlock SampleBlock() {
  ParameterBlock block;
  block.set_work_mode(2);
  block.set_protocol(9);
  block.set_baud_rate(115200);
  block.set_apn("cmnet");
  block.set_domain1("dtu.example.cn");
  block.set_port1(5001);
  block.set_centre_ip1({192, 168, 1, 10});
  return block;
}

// The 1320 digits a unit sends behind "DTUPARA": the same text that follows "$$$AT+SETPARA".
std::string BlockDigits(ParameterBlock block) {
  return BuildParameterFrame(block).substr(kSetParametersPrefix.size());
}

ParameterBlock Sealed(ParameterBlock block) {
  SealBlock(block);
  return block;
}

// ---------------------------------------------------------------------------------------------
// Acknowledgements and the matcher's quirks

struct KeywordCase {
  const char* name;
  std::string bytes;
  std::vector<std::string> events;
};

void PrintTo(const KeywordCase& c, std::ostream* os) {
  *os << c.name;
}

class Acknowledgements : public ::testing::TestWithParam<KeywordCase> {};

TEST_P(Acknowledgements, AreRecognisedWhereverTheyStart) {
  EXPECT_EQ(EventsOf(GetParam().bytes), GetParam().events);
}

INSTANTIATE_TEST_SUITE_P(
    DeviceLink, Acknowledgements,
    ::testing::Values(KeywordCase{"SetOk", "$$$SETOK", {kSetOk}},
                      KeywordCase{"SetOkBehindAnotherChar", "x$$$SETOK", {kSetOk}},
                      KeywordCase{"SetOkInsideText", "abc$$$SETOKdef", {kSetOk}},
                      KeywordCase{"FourDollarsMissSetOk", "$$$$SETOK", {}},
                      KeywordCase{"SetOkIsCaseSensitive", "$$$SetOk", {}},
                      KeywordCase{"ChkErr", "$$$ChkErr\r", {kChkErr}},
                      KeywordCase{"ChkErrNeedsCarriageReturn", "$$$ChkErr\n", {}},
                      KeywordCase{"AcnOk", "SETACNOK\r\n", {kAcnOk}},
                      KeywordCase{"AcnOkNeedsLineFeed", "SETACNOK\r", {}},
                      KeywordCase{"TwoInARow", "$$$SETOK$$$ChkErr\r", {kSetOk, kChkErr}},
                      KeywordCase{
                          "CommandEchoIsNothing", "$$$AT+GETPARA?$$$AT+GET1?$$$AT+SETPARA", {}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(DeviceLink, AcnOkHidesItsLastByteFromLaterKeywords) {
  // The line feed that ends "SETACNOK\r\n" would also be the second byte of "\r\n    IP:".
  EXPECT_THAT(EventsOf("SETACNOK\r\n    IP:1.2.3.4\r\n"), ElementsAre(kAcnOk));
  EXPECT_THAT(EventsOf("SETACNOX\r\n    IP:1.2.3.4\r\n"), ElementsAre("address 0 1.2.3.4"));
}

TEST(DeviceLink, AcnOkHidesItsLastByteFromACollectingField) {
  // The field takes the carriage return but never sees the line feed, so it goes on.
  EXPECT_THAT(EventsOf("GSN:123SETACNOK\r\n\r\n"),
              ElementsAre(kAcnOk, Status(StatusField::ModuleSerial, "123SETACNOK\r")));
}

TEST(DeviceLink, ChkErrGoesOnToEndAFieldWithTheSameByte) {
  EXPECT_THAT(EventsOf("VER:V2$$$ChkErr\r"),
              ElementsAre(kChkErr, Status(StatusField::Version, "V2$$$ChkErr")));
}

// ---------------------------------------------------------------------------------------------
// Labelled values

class LabelledValues : public ::testing::TestWithParam<KeywordCase> {};

TEST_P(LabelledValues, GoToTheirDestination) {
  EXPECT_EQ(EventsOf(GetParam().bytes), GetParam().events);
}

INSTANTIATE_TEST_SUITE_P(
    DeviceLink, LabelledValues,
    ::testing::Values(
        KeywordCase{"Ip", "\r\n    IP:10.20.30.40\r\n", {"address 0 10.20.30.40"}},
        KeywordCase{"IpNeedsFourSpaces", "\r\n   IP:10.20.30.40\r\n", {}},
        KeywordCase{"DnsIp1", "DNSIP1:8.8.8.8\r\n", {"address 1 8.8.8.8"}},
        KeywordCase{"DnsIp2", "DNSIP2:8.8.4.4\r\n", {"address 2 8.8.4.4"}},
        KeywordCase{"DnsIp3", "DNSIP3:1.1.1.1\r\n", {"address 3 1.1.1.1"}},
        KeywordCase{"DnsIp4", "DNSIP4:9.9.9.9\r\n", {"address 4 9.9.9.9"}},
        KeywordCase{"DnsIp5", "DNSIP5:4.4.4.4\r\n", {"address 5 4.4.4.4"}},
        KeywordCase{"DnsIp6", "DNSIP6:6.6.6.6\r\n", {"address 6 6.6.6.6"}},
        KeywordCase{
            "DnsServerIp1", "DNSSERVERIP1:114.114.114.114\r\n", {"address 7 114.114.114.114"}},
        KeywordCase{"DnsServerIp2", "DNSSERVERIP2:223.5.5.5\r\n", {"address 8 223.5.5.5"}},
        KeywordCase{
            "BoardSerial", "XuLieHao:A0012345\r\n", {Status(StatusField::BoardSerial, "A0012345")}},
        KeywordCase{"ModuleSerial", "GSN:123\r\n", {Status(StatusField::ModuleSerial, "123")}},
        KeywordCase{"ModuleSerialNeedsLineFeed", "GSN:123\r", {}},
        KeywordCase{"ModuleSerialKeepsALoneCarriageReturn",
                    "GSN:12\r3\r\n",
                    {Status(StatusField::ModuleSerial, "12\r3")}},
        KeywordCase{"Version", "VER:V1.2\r", {Status(StatusField::Version, "V1.2")}},
        KeywordCase{"VersionIgnoresTheLineFeedAfter",
                    "VER:V1.2\r\n",
                    {Status(StatusField::Version, "V1.2")}},
        KeywordCase{"SimSmsCentre",
                    "CSCA:+8613800200500\r",
                    {Status(StatusField::SimSmsCentre, "+8613800200500")}},
        KeywordCase{"EmptyValue", "VER:\r", {Status(StatusField::Version, "")}},
        KeywordCase{"ValueEndsAtNulByte",
                    std::string("VER:ab\0cd\r", 10),
                    {Status(StatusField::Version, "ab")}},
        KeywordCase{"KeywordsAreCaseSensitive", "ver:1\rgsn:2\r\n", {}},
        // The field before "VER:", "CSCA:" or "RSSI:" is cancelled and never reported.
        KeywordCase{"VersionCancelsModuleSerial",
                    "GSN:123VER:1.0\r\r\n",
                    {Status(StatusField::Version, "1.0")}},
        KeywordCase{"SimSmsCentreCancelsVersion",
                    "VER:1.0CSCA:+86138\r\r",
                    {Status(StatusField::SimSmsCentre, "+86138")}},
        KeywordCase{"SignalCancelsVersion",
                    "VER:1.0RSSI:20\r\r",
                    {Status(StatusField::Signal, "20"), "signal 20"}},
        KeywordCase{"SignalCancelsSimSmsCentre",
                    "CSCA:+86RSSI:21\r\r",
                    {Status(StatusField::Signal, "21"), "signal 21"}},
        // Nothing else ends a field: an unterminated value keeps taking bytes after the next
        // field restarts the shared index, both fields writing to the one buffer in turn.
        KeywordCase{"UnterminatedValueSharesTheBuffer",
                    "XuLieHao:ABGSN:12\r\n",
                    {Status(StatusField::BoardSerial, "1122\r")}},
        KeywordCase{"UnterminatedValueGoesOn",
                    "VER:1.2 beta 3\r",
                    {Status(StatusField::Version, "1.2 beta 3")}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(DeviceLink, ModuleSerialLeftOpenByUnterminatedFieldIsStillCollecting) {
  Link l;
  l.link.Feed("XuLieHao:ABGSN:12\r\n");
  l.sink.events.clear();
  // GSN took the line feed after XuLieHao ended, so only a full "\r\n" of its own ends it.
  l.link.Feed("9\r\n");
  EXPECT_THAT(l.sink.events, ElementsAre(Status(StatusField::ModuleSerial, "1122\r\n9")));
}

struct SignalCase {
  const char* name;
  std::string value;
  int signal;
};

void PrintTo(const SignalCase& c, std::ostream* os) {
  *os << c.name;
}

class SignalValues : public ::testing::TestWithParam<SignalCase> {};

TEST_P(SignalValues, ShowTheTextAndPassTheCValue) {
  const SignalCase& c = GetParam();
  EXPECT_THAT(
      EventsOf("RSSI:" + c.value + "\r"),
      ElementsAre(Status(StatusField::Signal, c.value), "signal " + std::to_string(c.signal)));
}

INSTANTIATE_TEST_SUITE_P(
    DeviceLink, SignalValues,
    ::testing::Values(SignalCase{"Plain", "18", 18}, SignalCase{"Zero", "0", 0},
                      SignalCase{"TopOfScale", "31", 31}, SignalCase{"AboveScale", "32", 32},
                      SignalCase{"NotKnown", "99", 99}, SignalCase{"LeadingBlanks", " \t18", 18},
                      SignalCase{"WithComma", "18,99", 18}, SignalCase{"Negative", "-5", -5},
                      SignalCase{"Plus", "+7x", 7}, SignalCase{"NoDigits", "abc", 0},
                      SignalCase{"Empty", "", 0}, SignalCase{"Saturates", "99999999999", INT_MAX},
                      SignalCase{"SaturatesLow", "-99999999999", INT_MIN}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(DeviceLink, GbkValuesArriveAsUtf8) {
  const GbkText version = Utf8ToGbk("固件版本V2");
  ASSERT_TRUE(version.ok());
  const GbkText serial = Utf8ToGbk("主板甲");
  ASSERT_TRUE(serial.ok());
  EXPECT_THAT(EventsOf("VER:" + version.bytes + "\rXuLieHao:" + serial.bytes + "\r\n"),
              ElementsAre(Status(StatusField::Version, "固件版本V2"),
                          Status(StatusField::BoardSerial, "主板甲")));
}

// ---------------------------------------------------------------------------------------------
// The value buffer

struct LongValueCase {
  const char* name;
  std::string keyword;
  std::size_t length;
  std::string terminator;
  std::size_t kept;
  std::string event;  // the event's start, before the value
};

void PrintTo(const LongValueCase& c, std::ostream* os) {
  *os << c.name;
}

class LongValues : public ::testing::TestWithParam<LongValueCase> {};

TEST_P(LongValues, AreCutToTheirFirstBytes) {
  const LongValueCase& c = GetParam();
  std::string value;
  for (std::size_t i = 0; i < c.length; ++i) value += static_cast<char>('a' + i % 26);
  Link l;
  l.link.Feed(c.keyword + value + c.terminator);
  EXPECT_THAT(l.sink.events, ElementsAre(c.event + value.substr(0, c.kept)));
  // The next value starts afresh.
  l.link.Feed(c.keyword + "ok" + c.terminator);
  EXPECT_EQ(l.sink.events.back(), c.event + "ok");
}

INSTANTIATE_TEST_SUITE_P(DeviceLink, LongValues,
                         ::testing::Values(LongValueCase{"LineEndFits", "GSN:", 298, "\r\n", 298,
                                                         Status(StatusField::ModuleSerial, "")},
                                           LongValueCase{"LineEndOneOver", "GSN:", 299, "\r\n", 298,
                                                         Status(StatusField::ModuleSerial, "")},
                                           LongValueCase{"LineEndTwoOver", "GSN:", 300, "\r\n", 298,
                                                         Status(StatusField::ModuleSerial, "")},
                                           LongValueCase{"LineEndFarOver", "DNSIP3:", 1000, "\r\n",
                                                         298, "address 3 "},
                                           LongValueCase{"ReturnFits", "VER:", 299, "\r", 299,
                                                         Status(StatusField::Version, "")},
                                           LongValueCase{"ReturnOneOver", "VER:", 300, "\r", 299,
                                                         Status(StatusField::Version, "")},
                                           LongValueCase{"ReturnFarOver", "CSCA:", 1000, "\r", 299,
                                                         Status(StatusField::SimSmsCentre, "")}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(DeviceLink, LongSignalValueIsCutBeforeItIsRead) {
  const std::string value = "  17" + std::string(400, '0');
  EXPECT_THAT(EventsOf("RSSI:" + value + "\r"),
              ElementsAre(Status(StatusField::Signal, value.substr(0, 299)),
                          "signal " + std::to_string(INT_MAX)));
}

// ---------------------------------------------------------------------------------------------
// The parameter block

TEST(DeviceLink, BlockArrivesAfter1320Characters) {
  const ParameterBlock block = SampleBlock();
  const std::string digits = BlockDigits(block);
  Link l;
  l.link.Feed("DTUPARA");
  EXPECT_EQ(l.link.block_digits(), 0u);
  l.link.Feed(digits.substr(0, 1319));
  EXPECT_EQ(l.link.block_digits(), 1319u);  // the progress of the read
  EXPECT_THAT(l.sink.events, IsEmpty());
  l.link.Feed(digits.substr(1319));
  EXPECT_EQ(l.link.block_digits(), 0u);
  ASSERT_THAT(l.sink.events, ElementsAre("block"));
  EXPECT_EQ(l.sink.blocks[0], Sealed(block));
  EXPECT_TRUE(VerifyBlock(l.sink.blocks[0]));
  EXPECT_TRUE(l.sink.intact[0]);
  // Collection is over: more digits are nothing.
  l.link.Feed(digits);
  EXPECT_THAT(l.sink.events, ElementsAre("block"));
}

TEST(DeviceLink, BlockStartIsFoundAfterARepeatedPrefix) {
  Link l;
  l.link.Feed("DTUDTUPARA" + BlockDigits(SampleBlock()));
  ASSERT_THAT(l.sink.events, ElementsAre("block"));
  EXPECT_EQ(l.sink.blocks[0], Sealed(SampleBlock()));
}

TEST(DeviceLink, LowerCaseDigitsGiveTheSameBlock) {
  std::string digits = BlockDigits(SampleBlock());
  for (char& c : digits) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  Link l;
  l.link.Feed("DTUPARA" + digits);
  ASSERT_THAT(l.sink.events, ElementsAre("block"));
  EXPECT_EQ(l.sink.blocks[0], Sealed(SampleBlock()));
}

TEST(DeviceLink, BlockIsPassedOnAsReceived) {
  ParameterBlock block = Sealed(SampleBlock());
  std::string digits = EncodeHexText(block.bytes());
  digits.replace(0, 4, "0000");  // length 0: the receiver forces it, the link does not
  digits[100] = digits[100] == '0' ? '1' : '0';  // and a checksum that no longer matches
  Link l;
  l.link.Feed("DTUPARA" + digits);
  ASSERT_THAT(l.sink.blocks, ::testing::SizeIs(1));
  EXPECT_EQ(l.sink.blocks[0].length(), 0);
  EXPECT_FALSE(VerifyBlock(l.sink.blocks[0]));
  const std::vector<std::uint8_t> expected = DecodeHexText(digits);
  EXPECT_TRUE(std::equal(expected.begin(), expected.end(), l.sink.blocks[0].bytes().begin(),
                         l.sink.blocks[0].bytes().end()));
}

TEST(DeviceLink, ABlockIsIntactWhenItsChecksumMatchesWithTheLengthTakenAs660) {
  const ParameterBlock sealed = Sealed(SampleBlock());
  struct Case {
    std::string length_digits;
    bool change_a_digit;
    bool intact;
  };
  for (const Case& c : {Case{"9402", false, true}, Case{"0000", false, true},
                        Case{"9402", true, false}, Case{"0000", true, false}}) {
    std::string digits = EncodeHexText(sealed.bytes());
    digits.replace(0, 4, c.length_digits);
    if (c.change_a_digit) digits[100] = digits[100] == '0' ? '1' : '0';
    Link l;
    l.link.Feed("DTUPARA" + digits);
    ASSERT_THAT(l.sink.intact, ElementsAre(c.intact)) << c.length_digits << c.change_a_digit;
  }
}

TEST(DeviceLink, EveryByteAfterTheKeywordCounts) {
  // Line ends and other characters take their place among the 1320; non-digits count as 0.
  std::string digits = BlockDigits(SampleBlock());
  Link l;
  l.link.Feed("DTUPARA\r\n" + digits);
  ASSERT_THAT(l.sink.blocks, ::testing::SizeIs(1));
  // "\r\n" decode to 0x00 and every byte after it moves up by one.
  EXPECT_EQ(l.sink.blocks[0].bytes()[0], 0x00);
  EXPECT_EQ(l.sink.blocks[0].bytes()[1], 0x94);
  EXPECT_EQ(l.sink.blocks[0].bytes()[2], 0x02);
  EXPECT_FALSE(VerifyBlock(l.sink.blocks[0]));
}

TEST(DeviceLink, KeywordCompletedInsideTheDigitsIsNotStored) {
  const std::string digits = BlockDigits(SampleBlock());
  Link l;
  // "VER" takes three places; the ':' that completes the keyword is not stored.
  l.link.Feed("DTUPARA" + digits.substr(0, 1316) + "VER:");
  EXPECT_THAT(l.sink.events, IsEmpty());
  l.link.Feed("7");
  ASSERT_THAT(l.sink.events, ElementsAre("block"));
  EXPECT_EQ(l.sink.blocks[0].bytes()[658], 0x0E);  // "VE": V counts 0, E is 14
  EXPECT_EQ(l.sink.blocks[0].bytes()[659], 0x07);  // "R7"
  // The byte also went to the version field that the keyword started.
  l.link.Feed("\r");
  EXPECT_THAT(l.sink.events, ElementsAre("block", Status(StatusField::Version, "7")));
}

TEST(DeviceLink, AcknowledgementInsideTheDigitsIsStoredAndShown) {
  // "$$$SETOK" does not stop the byte: all eight characters are stored.
  const std::string digits = BlockDigits(SampleBlock());
  Link l;
  l.link.Feed("DTUPARA" + digits.substr(0, 1312) + "$$$SETOK");
  EXPECT_THAT(l.sink.events, ElementsAre(kSetOk, "block"));
}

TEST(DeviceLink, AcnOkInsideTheDigitsKeepsItsLineFeedOut) {
  const std::string digits = BlockDigits(SampleBlock());
  Link l;
  l.link.Feed("DTUPARA" + digits.substr(0, 1310) + "SETACNOK\r\n");
  EXPECT_THAT(l.sink.events, ElementsAre(kAcnOk));  // 1319 stored
  l.link.Feed("\n");
  EXPECT_THAT(l.sink.events, ElementsAre(kAcnOk, "block"));
}

TEST(DeviceLink, NewBlockStartRestartsCollection) {
  const std::string digits = BlockDigits(SampleBlock());
  Link l;
  l.link.Feed("DTUPARA" + std::string(700, 'F') + "DTUPARA" + digits);
  ASSERT_THAT(l.sink.events, ElementsAre("block"));
  EXPECT_EQ(l.sink.blocks[0], Sealed(SampleBlock()));
}

TEST(DeviceLink, BlockStartDropsOnlyIpVersionModuleSerialAndSimSmsCentre) {
  // Without the drop each of these would end with "1DTUPAR" at the line end.
  for (const char* field : {"\r\n    IP:", "VER:", "GSN:", "CSCA:"})
    EXPECT_THAT(EventsOf(std::string(field) + "1DTUPARA\r\n"), IsEmpty()) << field;
  // The board serial goes on; it never sees the 'A' that completed "DTUPARA".
  EXPECT_THAT(EventsOf("XuLieHao:AB DTUPARA\r\n"),
              ElementsAre(Status(StatusField::BoardSerial, "AB DTUPAR")));
  EXPECT_THAT(EventsOf("RSSI:2DTUPARA\r"),
              ElementsAre(Status(StatusField::Signal, "2DTUPAR"), "signal 2"));
  EXPECT_THAT(EventsOf("DNSIP4:4DTUPARA\r\n"), ElementsAre("address 4 4DTUPAR"));
}

// ---------------------------------------------------------------------------------------------
// Whole replies

std::string FullReply(const ParameterBlock& block) {
  return "\r\n    IP:10.20.30.40\r\n"
         "DNSIP1:211.136.17.107\r\nDNSIP2:211.136.20.203\r\nDNSIP3:0.0.0.0\r\n"
         "DNSIP4:0.0.0.0\r\nDNSIP5:0.0.0.0\r\nDNSIP6:0.0.0.0\r\n"
         "DNSSERVERIP1:114.114.114.114\r\nDNSSERVERIP2:8.8.8.8\r\n"
         "XuLieHao:B2024001\r\nGSN:861234567890123\r\nVER:V6.0.3\r\n"
         "CSCA:+8613800200500\r\nRSSI:23\r\n"
         "DTUPARA" +
         BlockDigits(block);
}

const std::vector<std::string> kFullReplyEvents = {
    "address 0 10.20.30.40",
    "address 1 211.136.17.107",
    "address 2 211.136.20.203",
    "address 3 0.0.0.0",
    "address 4 0.0.0.0",
    "address 5 0.0.0.0",
    "address 6 0.0.0.0",
    "address 7 114.114.114.114",
    "address 8 8.8.8.8",
    Status(StatusField::BoardSerial, "B2024001"),
    Status(StatusField::ModuleSerial, "861234567890123"),
    Status(StatusField::Version, "V6.0.3"),
    Status(StatusField::SimSmsCentre, "+8613800200500"),
    Status(StatusField::Signal, "23"),
    "signal 23",
    "block"};

TEST(DeviceLink, FullReplyGivesEveryValueInOrderAndTheBlock) {
  Link l;
  l.link.Feed(FullReply(SampleBlock()));
  EXPECT_EQ(l.sink.events, kFullReplyEvents);
  ASSERT_THAT(l.sink.blocks, ::testing::SizeIs(1));
  EXPECT_EQ(l.sink.blocks[0], Sealed(SampleBlock()));
  EXPECT_TRUE(VerifyBlock(l.sink.blocks[0]));
}

TEST(DeviceLink, OneChangedDigitFailsTheChecksum) {
  std::string reply = FullReply(SampleBlock());
  char& digit = reply[reply.size() - 500];
  digit = digit == 'A' ? 'B' : 'A';
  Link l;
  l.link.Feed(reply);
  EXPECT_EQ(l.sink.events, kFullReplyEvents);
  ASSERT_THAT(l.sink.blocks, ::testing::SizeIs(1));
  EXPECT_FALSE(VerifyBlock(l.sink.blocks[0]));
}

TEST(DeviceLink, ReadingTwiceChangesNothing) {
  // Two read requests before the reply (their echo included) leave the recogniser as it was:
  // the reply that follows gives what it gives on a fresh link, and so does a second reply.
  Link l;
  l.link.Feed("$$$AT+GETPARA?$$$AT+GETPARA?");
  EXPECT_THAT(l.sink.events, IsEmpty());
  l.link.Feed(FullReply(SampleBlock()));
  EXPECT_EQ(l.sink.events, kFullReplyEvents);
  l.sink.events.clear();
  l.link.Feed(FullReply(SampleBlock()));
  EXPECT_EQ(l.sink.events, kFullReplyEvents);
}

TEST(DeviceLink, ResetForgetsEverythingUnderWay) {
  Link l;
  l.link.Feed("$$$SET");
  l.link.Feed("VER:abc");
  l.link.Feed("DTUPARA0000");
  l.link.Reset();
  l.link.Feed("OK\r" + BlockDigits(SampleBlock()));
  EXPECT_THAT(l.sink.events, IsEmpty());
}

TEST(DeviceLink, SinkMayFeedMoreBytesFromInsideACall) {
  // A modal box keeps the event loop running: bytes that arrive meanwhile are fed from inside
  // the sink. The byte that opened the box has already been fully handled by then.
  Link l;
  bool fed = false;
  l.sink.on_event = [&](const std::string& line) {
    if (line == kChkErr && !fed) {
      fed = true;
      l.link.Feed("RSSI:7\r");
    }
  };
  l.link.Feed("VER:1.0$$$ChkErr\r");
  EXPECT_THAT(l.sink.events, ElementsAre(kChkErr, Status(StatusField::Signal, "7"), "signal 7",
                                         Status(StatusField::Version, "1.0$$$ChkErr")));
  l.link.Feed("GSN:5\r\n");
  EXPECT_EQ(l.sink.events.back(), Status(StatusField::ModuleSerial, "5"));
}

}  // namespace
}  // namespace dtu
