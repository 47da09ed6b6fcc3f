#include "core/device/device_link.h"

#include <algorithm>
#include <string>

#include "core/text/gbk_codec.h"
#include "core/text/hex_text.h"

namespace dtu {
namespace {

constexpr std::string_view kAcnOkKeyword = "SETACNOK\r\n";
constexpr std::string_view kSetOkKeyword = "$$$SETOK";
constexpr std::string_view kChkErrKeyword = "$$$ChkErr\r";
constexpr std::string_view kBlockStartKeyword = "DTUPARA";

constexpr std::string_view kLineEnd = "\r\n";
constexpr std::string_view kCarriageReturn = "\r";

// The labelled fields, in the order FeedChar visits them.
enum Field : std::size_t {
  kIp,
  kDnsIp1,
  kDnsIp2,
  kDnsIp3,
  kDnsIp4,
  kDnsIp5,
  kDnsIp6,
  kDnsServerIp1,
  kDnsServerIp2,
  kBoardSerial,
  kModuleSerial,
  kVersion,
  kSimSmsCentre,
  kSignal,
  kFieldTotal,
};

// Terminator counters: most fields share the first; DNSIP2 to DNSIP6 each have their own.
constexpr std::size_t kSharedTerminator = 0;

struct FieldRule {
  std::string_view keyword;
  std::string_view terminator;
  std::size_t terminator_counter;
  bool is_address;     // an address list row, else a status value
  int row;             // the address row
  StatusField status;  // the status value
};

constexpr FieldRule Address(std::string_view keyword, std::size_t counter, int row) {
  return {keyword, kLineEnd, counter, true, row, StatusField::Version};
}
constexpr FieldRule Status(std::string_view keyword, std::string_view terminator,
                           StatusField field) {
  return {keyword, terminator, kSharedTerminator, false, 0, field};
}

constexpr std::array<FieldRule, kFieldTotal> kFieldRules{{
    Address("\r\n    IP:", kSharedTerminator, kDtuIpRow),
    Address("DNSIP1:", kSharedTerminator, kDnsIp1Row),
    Address("DNSIP2:", 1, kDnsIp1Row + 1),
    Address("DNSIP3:", 2, kDnsIp1Row + 2),
    Address("DNSIP4:", 3, kDnsIp1Row + 3),
    Address("DNSIP5:", 4, kDnsIp1Row + 4),
    Address("DNSIP6:", 5, kDnsIp6Row),
    Address("DNSSERVERIP1:", kSharedTerminator, kDnsServer1Row),
    Address("DNSSERVERIP2:", kSharedTerminator, kDnsServer2Row),
    Status("XuLieHao:", kLineEnd, StatusField::BoardSerial),
    Status("GSN:", kLineEnd, StatusField::ModuleSerial),
    Status("VER:", kCarriageReturn, StatusField::Version),
    Status("CSCA:", kCarriageReturn, StatusField::SimSmsCentre),
    Status("RSSI:", kCarriageReturn, StatusField::Signal),
}};

// The fields RunSteps visits in one loop, in this order, after the IP field and before VER.
constexpr std::array<Field, 10> kLoopFields{
    kDnsIp1, kDnsIp2,       kDnsIp3,       kDnsIp4,      kDnsIp5,
    kDnsIp6, kDnsServerIp1, kDnsServerIp2, kBoardSerial, kModuleSerial};

}  // namespace

static_assert(kFieldTotal == 14);

void DeviceLink::FeedChar(std::uint8_t byte) {
  Events events;
  Recognise(static_cast<char>(byte), events);
  Deliver(events);
}

void DeviceLink::Feed(std::string_view bytes) {
  for (char c : bytes) FeedChar(static_cast<std::uint8_t>(c));
}

namespace {

// The first bytes of all keywords. While the link is quiet, a byte outside this set leaves every
// counter at 0 and reaches no field, so all steps before the block step are no-ops for it: it
// goes straight to the block step. This is what keeps the 1,320 block digits cheap.
constexpr std::array<bool, 256> KeywordStarts() {
  std::array<bool, 256> starts{};
  for (std::string_view keyword :
       {kAcnOkKeyword, kSetOkKeyword, kChkErrKeyword, kBlockStartKeyword})
    starts[static_cast<std::uint8_t>(keyword.front())] = true;
  for (const FieldRule& rule : kFieldRules)
    starts[static_cast<std::uint8_t>(rule.keyword.front())] = true;
  return starts;
}
constexpr std::array<bool, 256> kKeywordStarts = KeywordStarts();

// MatchStep, skipping the call for the common case where it can change nothing: no progress
// yet and a byte that does not start the keyword.
bool Step(std::string_view keyword, char c, int& progress) {
  if (progress == 0 && c != keyword.front()) return false;
  return MatchStep(keyword, c, progress);
}

}  // namespace

void DeviceLink::Recognise(char c, Events& events) {
  if (state_.quiet && !kKeywordStarts[static_cast<std::uint8_t>(c)]) {
    CollectBlockChar(c, events);
    return;
  }
  RunSteps(c, events);
  state_.quiet = IsQuiet();
}

bool DeviceLink::IsQuiet() const {
  const State& s = state_;
  const auto zero = [](int progress) { return progress == 0; };
  return s.acn_ok_progress == 0 && s.set_ok_progress == 0 && s.chk_err_progress == 0 &&
         s.block_start_progress == 0 && std::ranges::all_of(s.keyword_progress, zero) &&
         std::ranges::none_of(s.collecting, [](bool on) { return on; });
}

// The steps run in a fixed order; a step that "stops" hides the byte from every later step, so
// later keywords' counters never see it.
void DeviceLink::RunSteps(char c, Events& events) {
  State& s = state_;
  if (Step(kAcnOkKeyword, c, s.acn_ok_progress)) {
    events.push_back(AcknowledgementEvent{Acknowledgement::CodeAccepted});
    return;
  }
  if (Step(kSetOkKeyword, c, s.set_ok_progress))
    events.push_back(AcknowledgementEvent{Acknowledgement::Stored});
  if (Step(kChkErrKeyword, c, s.chk_err_progress))
    events.push_back(AcknowledgementEvent{Acknowledgement::Refused});

  if (Step(kBlockStartKeyword, c, s.block_start_progress)) {
    s.hex_count = 0;
    s.collecting_block = true;
    for (Field f : {kIp, kVersion, kModuleSerial, kSimSmsCentre}) s.collecting[f] = false;
    return;
  }

  if (StartOnKeyword(kIp, c)) return;
  CollectIfActive(kIp, c, events);

  for (Field f : kLoopFields) {
    if (StartOnKeyword(f, c)) return;
    CollectIfActive(f, c, events);
  }

  if (StartOnKeyword(kVersion, c)) {
    s.terminator_progress[kSharedTerminator] = 0;
    s.collecting[kModuleSerial] = false;
    return;
  }
  CollectIfActive(kVersion, c, events);

  if (StartOnKeyword(kSimSmsCentre, c)) {
    s.collecting[kVersion] = false;
    s.terminator_progress[kSharedTerminator] = 0;
    return;
  }
  CollectIfActive(kSimSmsCentre, c, events);

  if (StartOnKeyword(kSignal, c)) {
    s.collecting[kVersion] = false;
    s.collecting[kSimSmsCentre] = false;
    s.terminator_progress[kSharedTerminator] = 0;
    return;
  }
  CollectIfActive(kSignal, c, events);

  CollectBlockChar(c, events);
}

bool DeviceLink::StartOnKeyword(std::size_t field, char c) {
  if (!Step(kFieldRules[field].keyword, c, state_.keyword_progress[field])) return false;
  state_.field_index = 0;
  state_.collecting[field] = true;
  return true;
}

void DeviceLink::CollectIfActive(std::size_t field, char c, Events& events) {
  State& s = state_;
  if (!s.collecting[field]) return;
  // Past the end of the buffer the value is cut: the byte is dropped, the field goes on.
  if (s.field_index < s.field_buffer.size()) s.field_buffer[s.field_index++] = c;
  const FieldRule& rule = kFieldRules[field];
  if (Step(rule.terminator, c, s.terminator_progress[rule.terminator_counter]))
    CompleteField(field, rule.terminator.size(), events);
}

void DeviceLink::CompleteField(std::size_t field, std::size_t terminator_length, Events& events) {
  State& s = state_;
  // The terminator's bytes may have been dropped from a full buffer; the index never goes below 0.
  s.field_index -= std::min(s.field_index, terminator_length);
  s.field_buffer[s.field_index] = '\0';
  s.collecting[field] = false;

  // The value is a text: it ends at its first 0x00 byte.
  std::string_view raw(s.field_buffer.data(), s.field_index);
  raw = raw.substr(0, raw.find('\0'));
  const FieldRule& rule = kFieldRules[field];
  std::string text = GbkToUtf8(raw);
  if (rule.is_address) {
    events.push_back(AddressEvent{rule.row, std::move(text)});
    return;
  }
  const int signal = rule.status == StatusField::Signal ? ParseCDecimal(raw) : 0;
  events.push_back(StatusEvent{rule.status, std::move(text), signal});
}

void DeviceLink::CollectBlockChar(char c, Events& events) {
  State& s = state_;
  if (!s.collecting_block) return;
  s.hex_buffer[s.hex_count++] = c;
  if (s.hex_count < s.hex_buffer.size()) return;

  s.hex_count = 0;
  s.collecting_block = false;
  const std::vector<std::uint8_t> bytes =
      DecodeHexText(std::string_view(s.hex_buffer.data(), s.hex_buffer.size()));
  BlockEvent event;
  std::copy_n(bytes.begin(), std::min(bytes.size(), kBlockSize), event.block.bytes().begin());
  // Checked as a loaded block is: its length word taken as 660.
  ParameterBlock loaded = event.block;
  loaded.set_length(static_cast<std::uint16_t>(kBlockSize));
  event.intact = VerifyBlock(loaded);
  events.push_back(std::move(event));
}

void DeviceLink::Deliver(const Events& events) {
  for (const DeviceEvent& event : events) sink_.Recognised(event);
}

}  // namespace dtu
