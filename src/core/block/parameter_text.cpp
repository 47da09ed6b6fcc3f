#include "core/block/parameter_text.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cstdint>
#include <set>
#include <utility>

#include "core/block/file_kind.h"
#include "core/message_language.h"
#include "core/text/escaped_text.h"
#include "core/text/hex_text.h"
#include "core/text/utf8_text.h"

namespace dtu {
namespace {

using Json = nlohmann::ordered_json;

// How a member's value is written.
enum class MemberKind {
  Number,    // a JSON number within the field's width
  Address,   // "a.b.c.d"
  Text,      // an escaped string
  Counted,   // {"hex", "text", "length", "after"}
  Bytes,     // hex digits: the reserved areas
  DeviceId,  // bytes 95 to 98 as one hexadecimal identifier
};

struct Member {
  std::string_view name;
  MemberKind kind;
  FieldRow row;
  CountedRow counted{};  // for MemberKind::Counted
};

constexpr std::string_view kFormatKey = "format";
constexpr std::string_view kVersionKey = "version";
constexpr std::string_view kAbsent = "-";
constexpr std::size_t kShownValueLimit = 80;
// The text form nests two deep (a counted area's object); far deeper values are refused as they
// are read, so that nothing after has to go down them.
constexpr int kNestingLimit = 32;
// Enough of a text to tell what kind of file it came from.
constexpr std::size_t kSniffedBytes = 4096;

// ---- The members --------------------------------------------------------------------------

std::optional<CountedRow> CountedArea(const FieldRow& row) {
  for (const CountedRow& counted : kCountedFields)
    if (counted.area.offset == row.offset) return counted;
  return std::nullopt;
}

bool IsCountByte(const FieldRow& row) {
  return std::ranges::any_of(kCountedFields, [&](const CountedRow& counted) {
    return counted.length.offset == row.offset;
  });
}

MemberKind KindOf(const FieldRow& row) {
  switch (row.type) {
    case FieldType::IPv4:
      return MemberKind::Address;
    case FieldType::Text:
      return MemberKind::Text;
    case FieldType::Counted:
      return MemberKind::Counted;
    case FieldType::Reserved:
      return MemberKind::Bytes;
    default:
      return MemberKind::Number;
  }
}

// Every member in block order, taken from the layout: the checksum word (computed on import)
// and the count bytes (written with their areas) are no members; the identifier stands before
// the two numbers it overlays.
std::vector<Member> BuildMembers() {
  std::vector<Member> members;
  for (const FieldRow& row : kBlockLayout) {
    if (row.offset == field::checksum.offset || IsCountByte(row)) continue;
    if (row.offset == field::device_id.offset)
      members.push_back({field::device_id.name, MemberKind::DeviceId, field::device_id});
    Member member{row.name, KindOf(row), row};
    if (const std::optional<CountedRow> counted = CountedArea(row)) member.counted = *counted;
    members.push_back(member);
  }
  return members;
}

const std::vector<Member>& Members() {
  static const std::vector<Member> members = BuildMembers();
  return members;
}

const Member* FindMember(std::string_view name) {
  for (const Member& member : Members())
    if (member.name == name) return &member;
  return nullptr;
}

// The length word is written only when it is not the block's size, which a text without it
// gives: texts stay as they were for every block a unit or the tool sealed.
bool IsLengthWord(const Member& member) {
  return member.row.offset == field::length.offset;
}

bool IsDeviceNumber(const Member& member) {
  return member.row.offset == field::device_number.offset ||
         member.row.offset == field::centre_number.offset;
}

// Whether the text form of `block` writes this member.
bool Written(const Member& member, const ParameterBlock& block) {
  if (IsLengthWord(member)) return block.length() != kBlockSize;
  const bool device_id = ProtocolEditsDeviceId(block.protocol());
  if (member.kind == MemberKind::DeviceId) return device_id;
  return !(IsDeviceNumber(member) && device_id);
}

// ---- Export -------------------------------------------------------------------------------

std::string_view AsChars(std::span<const std::uint8_t> bytes) {
  return {reinterpret_cast<const char*>(bytes.data()), bytes.size()};
}

// The bytes without the 0x00 bytes at their end.
std::span<const std::uint8_t> WithoutTrailingZeros(std::span<const std::uint8_t> bytes) {
  std::size_t end = bytes.size();
  while (end > 0 && bytes[end - 1] == 0) --end;
  return bytes.first(end);
}

// "41 42 43": upper-case pairs, one space between.
std::string HexPairs(std::span<const std::uint8_t> bytes) {
  std::string dump = FormatHexDump(bytes);
  if (!dump.empty()) dump.pop_back();
  return dump;
}

Json CountedValue(const ParameterBlock& block, const CountedRow& counted) {
  const std::span<const std::uint8_t> area = block.Area(counted.area);
  const std::uint32_t count = block.Get(counted.length);
  const std::size_t used = std::min<std::size_t>(count, area.size());
  Json value = Json::object();
  value["hex"] = HexPairs(area.first(used));
  value["text"] = EscapeGbk(AsChars(area.first(used)));
  if (count > area.size()) value["length"] = count;
  const std::span<const std::uint8_t> after = WithoutTrailingZeros(area.subspan(used));
  if (!after.empty()) value["after"] = HexPairs(after);
  return value;
}

Json MemberValue(const ParameterBlock& block, const Member& member) {
  switch (member.kind) {
    case MemberKind::Number:
      return block.Get(member.row);
    case MemberKind::Address:
      return FormatDottedIPv4(block.GetIPv4(member.row));
    case MemberKind::Text:
      return EscapeGbk(AsChars(WithoutTrailingZeros(block.Area(member.row))));
    case MemberKind::Counted:
      return CountedValue(block, member.counted);
    case MemberKind::Bytes:
      return HexPairs(WithoutTrailingZeros(block.Area(member.row)));
    case MemberKind::DeviceId:
      return FormatUpperHex(block.device_id());
  }
  return nullptr;
}

// ---- Import: reading values ---------------------------------------------------------------

// A value as a message shows it: its compact JSON, at most about kShownValueLimit bytes, cut at a
// character boundary. Only as much of a long or deep value is rendered as is shown; its nesting
// is bounded when it is read (kNestingLimit). A string from the command line may be no UTF-8: its
// broken bytes show as U+FFFD.
void Render(const Json& value, std::string& out) {
  if (!value.is_structured()) {
    out += value.dump(-1, ' ', false, Json::error_handler_t::replace);
    return;
  }
  const bool object = value.is_object();
  out += object ? '{' : '[';
  const char* separator = "";
  for (const auto& item : value.items()) {
    if (out.size() > kShownValueLimit) return;
    out += separator;
    separator = ",";
    if (object) out += Json(item.key()).dump(-1, ' ', false, Json::error_handler_t::replace) + ":";
    Render(item.value(), out);
  }
  out += object ? '}' : ']';
}

std::string Cut(std::string text, std::size_t limit = kShownValueLimit) {
  if (text.size() <= limit) return text;
  return std::string(Utf8Prefix(text, limit)) + "…";
}

std::string Shown(const Json& value) {
  std::string text;
  Render(value, text);
  return Cut(std::move(text));
}

std::string RefusalOf(std::string_view name, std::string_view shown, std::string_view rule) {
  const std::string member(name);
  const std::string value(shown);
  return Say("成员 " + member + " 的值 " + value + " 无效：",
             "the value " + value + " of member " + member + " is not valid: ") +
         std::string(rule);
}

std::string Refusal(std::string_view name, const Json& value, std::string_view rule) {
  return RefusalOf(name, Shown(value), rule);
}

std::string HexRule(std::size_t size) {
  const std::string most = std::to_string(size);
  return Say("应为十六进制数字（每字节两位，字节间可有空格），最多 " + most + " 字节",
             "hex digits are expected (two per byte, blanks allowed between bytes), at most " +
                 most + " bytes");
}

bool IsHexDigit(char c) {
  return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f');
}

// Hex digit pairs, blanks allowed between pairs; nothing for any other text.
std::optional<std::vector<std::uint8_t>> ParseHexPairs(std::string_view text) {
  std::string digits;
  std::size_t run = 0;  // digits since the last blank: a pair may not be split
  for (char c : text) {
    if (c == ' ' || c == '\t') {
      if (run % 2 != 0) return std::nullopt;
      run = 0;
    } else if (IsHexDigit(c)) {
      digits += c;
      ++run;
    } else {
      return std::nullopt;
    }
  }
  if (run % 2 != 0) return std::nullopt;
  return DecodeHexText(digits);
}

// Hex pairs that fit `size` bytes, or the refusal.
std::optional<std::vector<std::uint8_t>> ReadHex(const Json& value, std::size_t size,
                                                 std::string_view name, std::string& error) {
  std::optional<std::vector<std::uint8_t>> bytes;
  if (value.is_string()) bytes = ParseHexPairs(value.get_ref<const std::string&>());
  if (!bytes || bytes->size() > size) {
    error = Refusal(name, value, HexRule(size));
    return std::nullopt;
  }
  return bytes;
}

// Fills an area with the bytes and 0x00 after them; the bytes fit.
void FillArea(std::span<std::uint8_t> area, std::span<const std::uint8_t> bytes) {
  std::ranges::fill(area, std::uint8_t{0});
  std::ranges::copy(bytes, area.begin());
}

std::string ApplyNumber(ParameterBlock& block, const Member& member, const Json& value) {
  const std::uint32_t max = FieldMaxValue(member.row);
  if (!value.is_number_unsigned() || value.get<std::uint64_t>() > max)
    return Refusal(member.name, value,
                   Say("应为 0 到 " + std::to_string(max) + " 的整数",
                       "a whole number from 0 to " + std::to_string(max) + " is expected"));
  block.Set(member.row, static_cast<std::uint32_t>(value.get<std::uint64_t>()));
  return {};
}

std::string ApplyAddress(ParameterBlock& block, const Member& member, const Json& value) {
  std::optional<Ipv4Bytes> address;
  if (value.is_string()) address = ParseDottedQuad(value.get_ref<const std::string&>());
  if (!address)
    return Refusal(member.name, value,
                   Say("应为以点分隔的四个 0 到 255 的数，如 \"192.168.1.10\"",
                       "four numbers from 0 to 255 separated by dots are expected, such as "
                       "\"192.168.1.10\""));
  block.SetIPv4(member.row, *address);
  return {};
}

std::string ApplyText(ParameterBlock& block, const Member& member, const Json& value) {
  if (!value.is_string())
    return Refusal(member.name, value, Say("应为字符串", "a string is expected"));
  const UnescapedGbk text = UnescapeGbk(value.get_ref<const std::string&>());
  if (!text.ok()) return Refusal(member.name, value, text.problem);
  if (text.bytes.size() > member.row.size)
    return Refusal(member.name, value,
                   Say("GBK 编码后有 " + std::to_string(text.bytes.size()) + " 字节，字段只有 " +
                           std::to_string(member.row.size) + " 字节",
                       "it has " + std::to_string(text.bytes.size()) +
                           " bytes in GBK, the field only " + std::to_string(member.row.size)));
  const auto* data = reinterpret_cast<const std::uint8_t*>(text.bytes.data());
  FillArea(block.Area(member.row), {data, text.bytes.size()});
  return {};
}

std::string ApplyBytes(ParameterBlock& block, const Member& member, const Json& value) {
  std::string error;
  const auto bytes = ReadHex(value, member.row.size, member.name, error);
  if (bytes) FillArea(block.Area(member.row), *bytes);
  return error;
}

std::string ApplyDeviceId(ParameterBlock& block, const Member& member, const Json& value) {
  const bool fits = value.is_string() && !value.get_ref<const std::string&>().empty() &&
                    value.get_ref<const std::string&>().size() <= 8 &&
                    std::ranges::all_of(value.get_ref<const std::string&>(), IsHexDigit);
  if (!fits)
    return Refusal(member.name, value,
                   Say("应为 1 到 8 位十六进制数字", "1 to 8 hex digits are expected"));
  block.set_device_id(ParseCHexadecimal(value.get_ref<const std::string&>()));
  return {};
}

// The reader's "text" of a counted area says what the export found in its bytes; one that says
// otherwise was probably edited instead of "hex", which alone is read.
void CheckCountedText(const Member& member, const Json& value, std::span<const std::uint8_t> used,
                      std::vector<std::string>& warnings) {
  if (!value.contains("text")) return;
  const Json& text = value.at("text");
  const Json decoded = EscapeGbk(AsChars(used));
  if (text == decoded) return;
  const std::string name(member.name);
  warnings.push_back(Say(name + " 的 text " + Shown(text) + " 与 hex 不符（hex 的字节读作 " +
                             Shown(decoded) + "）：只按 hex 读入",
                         "the text " + Shown(text) + " of " + name +
                             " does not match its hex (whose bytes read " + Shown(decoded) +
                             "): only the hex is read"));
}

// A counted area: its used bytes ("hex", or the value itself as a string), the count byte when
// it says more than the area holds ("length"), and the bytes kept past the used ones ("after").
std::string ApplyCounted(ParameterBlock& block, const Member& member, const Json& value,
                         std::vector<std::string>& warnings) {
  const CountedRow& counted = member.counted;
  const std::size_t size = counted.area.size;
  std::string error;
  if (value.is_string()) {
    const auto used = ReadHex(value, size, member.name, error);
    if (!used) return error;
    FillArea(block.Area(counted.area), *used);
    block.Set(counted.length, static_cast<std::uint32_t>(used->size()));
    return {};
  }
  if (!value.is_object())
    return Refusal(member.name, value,
                   HexRule(size) + Say("；或像导出时那样的 {\"hex\": ...} 对象",
                                       "; or a {\"hex\": ...} object as the export writes"));
  for (const auto& part : value.items())
    if (part.key() != "hex" && part.key() != "text" && part.key() != "length" &&
        part.key() != "after")
      return Refusal(member.name, value,
                     Say("\"" + part.key() + "\" 未知：只能有 hex、text、length、after",
                         "\"" + part.key() + "\" is unknown: only hex, text, length, after"));
  if (!value.contains("hex"))
    return Refusal(member.name, value, Say("缺少 \"hex\"", "\"hex\" is missing"));

  const std::string name(member.name);
  const auto used = ReadHex(value.at("hex"), size, Say(name + " 中 hex", name + "'s hex"), error);
  if (!used) return error;
  CheckCountedText(member, value, *used, warnings);
  std::uint32_t count = static_cast<std::uint32_t>(used->size());
  if (value.contains("length")) {
    const Json& length = value.at("length");
    const bool valid = length.is_number_unsigned() && length.get<std::uint64_t>() <= 0xFF &&
                       std::min<std::uint64_t>(length.get<std::uint64_t>(), size) == used->size();
    if (!valid)
      return Refusal(
          Say(name + " 中 length", name + "'s length"), length,
          Say("应为 0 到 255 的整数，超过 " + std::to_string(size) +
                  " 时 hex 须占满区域，否则须等于 hex 的字节数 " + std::to_string(used->size()),
              "a whole number from 0 to 255 is expected; above " + std::to_string(size) +
                  " the hex must fill the area, else it must equal the hex's " +
                  std::to_string(used->size()) + " bytes"));
    count = static_cast<std::uint32_t>(length.get<std::uint64_t>());
  }
  std::vector<std::uint8_t> area = *used;
  if (value.contains("after")) {
    const auto after = ReadHex(value.at("after"), size - used->size(),
                               Say(name + " 中 after", name + "'s after"), error);
    if (!after) return error;
    area.insert(area.end(), after->begin(), after->end());
  }
  FillArea(block.Area(counted.area), area);
  block.Set(counted.length, count);
  return {};
}

std::string ApplyMember(ParameterBlock& block, const Member& member, const Json& value,
                        std::vector<std::string>& warnings) {
  switch (member.kind) {
    case MemberKind::Number:
      return ApplyNumber(block, member, value);
    case MemberKind::Address:
      return ApplyAddress(block, member, value);
    case MemberKind::Text:
      return ApplyText(block, member, value);
    case MemberKind::Counted:
      return ApplyCounted(block, member, value, warnings);
    case MemberKind::Bytes:
      return ApplyBytes(block, member, value);
    case MemberKind::DeviceId:
      return ApplyDeviceId(block, member, value);
  }
  return {};
}

// ---- Import: the whole object ---------------------------------------------------------------

TextImport Refused(std::string error) {
  TextImport result;
  result.error = std::move(error);
  return result;
}

std::string UnknownMember(std::string_view name) {
  std::string message = Say("未知成员 ", "unknown member ") + Shown(Json(std::string(name)));
  if (name == field::checksum.name)
    message += Say("：校验和由导入计算，不能给出",
                   ": the import works the checksum out, it cannot be given");
  return message;
}

std::string CheckHeader(const Json& object) {
  const std::string format_key(kFormatKey);
  const std::string version_key(kVersionKey);
  if (object.contains(format_key) && object.at(format_key) != std::string(kTextFormTag))
    return Say("format 应为 \"" + std::string(kTextFormTag) + "\"，而不是 ",
               "format must be \"" + std::string(kTextFormTag) + "\", not ") +
           Shown(object.at(format_key));
  if (object.contains(version_key) && object.at(version_key) != kTextFormVersion)
    return Say("version " + Shown(object.at(version_key)) + " 不受支持：本程序读写版本 ",
               "version " + Shown(object.at(version_key)) +
                   " is not supported: this program reads and writes version ") +
           std::to_string(kTextFormVersion);
  return {};
}

// Bytes 95 to 98 are given once: either as the identifier or as the two numbers.
std::string CheckDeviceBytes(const std::set<std::string_view>& given) {
  if (given.contains(field::device_id.name) &&
      (given.contains(field::device_number.name) || given.contains(field::centre_number.name)))
    return Say("device_id 与 device_number、centre_number 是同一组字节，只能给出其一",
               "device_id and device_number, centre_number are the same bytes: give only one");
  return {};
}

// Every field given, the first missing named in block order; the identifier stands in for the
// two numbers.
std::string CheckComplete(const std::set<std::string_view>& given) {
  for (const Member& member : Members()) {
    if (member.kind == MemberKind::DeviceId || IsLengthWord(member) || given.contains(member.name))
      continue;
    if (IsDeviceNumber(member) && given.contains(field::device_id.name)) continue;
    return Say("缺少成员 ", "missing member ") + std::string(member.name);
  }
  return {};
}

// The layout rows the given members write, in block order.
std::vector<std::string> GivenRows(const std::set<std::string_view>& given) {
  std::vector<std::string> rows;
  for (const FieldRow& row : kBlockLayout) {
    const bool by_id =
        given.contains(field::device_id.name) &&
        (row.offset == field::device_number.offset || row.offset == field::centre_number.offset);
    if (given.contains(row.name) || by_id) rows.emplace_back(row.name);
  }
  return rows;
}

TextImport ApplyObject(const Json& object, const std::optional<ParameterBlock>& base) {
  if (std::string error = CheckHeader(object); !error.empty()) return Refused(error);
  ParameterBlock block = base.value_or(ParameterBlock());
  std::set<std::string_view> given;
  std::vector<std::string> warnings;
  for (const auto& item : object.items()) {
    const std::string& name = item.key();
    if (name == kFormatKey || name == kVersionKey) continue;
    const Member* member = FindMember(name);
    if (member == nullptr) return Refused(UnknownMember(name));
    if (std::string error = ApplyMember(block, *member, item.value(), warnings); !error.empty())
      return Refused(error);
    given.insert(member->name);
  }
  if (std::string error = CheckDeviceBytes(given); !error.empty()) return Refused(error);
  std::string missing = CheckComplete(given);
  if (!base && !missing.empty()) return Refused(missing);

  const bool length_given = given.contains(field::length.name);
  const std::uint16_t length = block.length();
  SealBlock(block);
  if (length_given) block.set_length(length);  // outside the checksum
  TextImport result;
  result.block = block;
  result.rows = GivenRows(given);
  result.complete = missing.empty();
  result.warnings = std::move(warnings);
  return result;
}

// The parser's message without its library prefix, and with any byte outside ASCII (it may quote
// part of a broken character) shown as '?'.
std::string SyntaxMessage(const nlohmann::json::exception& error) {
  std::string text = error.what();
  if (const std::size_t end = text.find("] "); text.starts_with("[json.") && end != text.npos)
    text.erase(0, end + 2);
  for (char& c : text)
    if (static_cast<std::uint8_t>(c) >= 0x80) c = '?';
  // The parser's own words are English; a Chinese message names where it stopped instead. The
  // parser quotes the token it stopped at, which may be a long string.
  const auto* parse = dynamic_cast<const nlohmann::json::parse_error*>(&error);
  if (CurrentMessageLanguage() == MessageLanguage::kChinese)
    return "不是有效的 JSON 文本" + (parse == nullptr
                                         ? std::string()
                                         : "：第 " + std::to_string(parse->byte) + " 个字节处有误");
  return "not a valid JSON text: " + Cut(std::move(text), 3 * kShownValueLimit);
}

// A JSON text read whole, or why not. `syntax` tells a text that is no JSON at all from one
// whose values could not be taken.
struct ParsedJson {
  Json value;
  std::string error;
  bool syntax = false;
};

// Goes through a JSON text before it is read into values: refuses values nested deeper than
// kNestingLimit, keys repeated in any object (the reader would quietly keep one of them) and
// numbers too large for the reader, naming the member each is in. The text is either a whole
// text form or, when `member` is given, the value of that member.
class TextScan final : public nlohmann::json_sax<Json> {
 public:
  explicit TextScan(std::string member = {})
      : member_(std::move(member)), depth_(member_.empty() ? 0 : 1) {}

  bool null() override { return true; }
  bool boolean(bool) override { return true; }
  bool number_integer(number_integer_t) override { return true; }
  bool number_unsigned(number_unsigned_t) override { return true; }
  bool number_float(number_float_t, const string_t&) override { return true; }
  bool string(string_t&) override { return true; }
  bool binary(binary_t&) override { return true; }
  bool start_object(std::size_t) override {
    keys_.emplace_back();
    return Enter();
  }
  bool key(string_t& name) override {
    if (depth_ == 1) member_ = name;
    if (keys_.back().insert(name).second) return true;
    error_ = depth_ == 1
                 ? Say("成员 " + Cut(name) + " 出现了不止一次",
                       "member " + Cut(name) + " is given more than once")
                 : Say("成员 " + Cut(member_) + " 中 " + Shown(Json(name)) + " 出现了不止一次",
                       Shown(Json(name)) + " is given more than once in member " + Cut(member_));
    return false;
  }
  bool end_object() override {
    keys_.pop_back();
    --depth_;
    return true;
  }
  bool start_array(std::size_t) override { return Enter(); }
  bool end_array() override {
    --depth_;
    return true;
  }
  bool parse_error(std::size_t, const std::string& token,
                   const nlohmann::detail::exception& error) override {
    const bool overflow = error.id == 406;
    syntax_ = !overflow || member_.empty();
    error_ = syntax_
                 ? SyntaxMessage(error)
                 : RefusalOf(Cut(member_), Cut(token),
                             Say("数太大，超出了能读的范围", "the number is too large to be read"));
    return false;
  }

  const std::string& error() const { return error_; }
  bool syntax() const { return syntax_; }

 private:
  bool Enter() {
    if (++depth_ <= kNestingLimit) return true;
    const std::string limit = std::to_string(kNestingLimit);
    error_ = member_.empty() ? Say("文本嵌套太深：超过 " + limit + " 层",
                                   "the text is nested too deeply: over " + limit + " levels")
                             : Say("成员 " + Cut(member_) + " 的值嵌套太深：超过 " + limit + " 层",
                                   "the value of member " + Cut(member_) +
                                       " is nested too deeply: over " + limit + " levels");
    return false;
  }

  std::string member_;                       // the member of the text form being read
  int depth_;                                // the objects and arrays open around the scan
  std::vector<std::set<std::string>> keys_;  // the keys of each open object
  std::string error_;
  bool syntax_ = false;
};

ParsedJson ParseJson(std::string_view text, std::string member = {}) {
  ParsedJson parsed;
  TextScan scan(std::move(member));
  try {
    if (!Json::sax_parse(text, &scan)) {
      parsed.error = scan.error();
      parsed.syntax = scan.syntax();
      return parsed;
    }
    parsed.value = Json::parse(text);
  } catch (const nlohmann::json::exception& error) {
    // The scan has seen whatever the reader could object to; this is a last safety net.
    parsed.error = SyntaxMessage(error);
    parsed.syntax = true;
  }
  return parsed;
}

// A VALUE of an assignment as its member reads it, or the refusal.
std::optional<Json> AssignedValue(const Member& member, const std::string& text,
                                  std::string& error) {
  const bool json_object = member.kind == MemberKind::Counted && text.starts_with("{");
  if (member.kind != MemberKind::Number && !json_object) return Json(text);
  ParsedJson parsed = ParseJson(text, std::string(member.name));
  if (parsed.error.empty()) return std::move(parsed.value);
  // A number that is no JSON is refused by the number's own rule, shown as the text it is.
  if (!json_object) return Json(text);
  const std::string name(member.name);
  error = parsed.syntax
              ? Say("成员 " + name + " 的值 " + Shown(Json(text)) + " 不是有效的 JSON 对象",
                    "the value " + Shown(Json(text)) + " of member " + name +
                        " is not a valid JSON object")
              : parsed.error;
  return std::nullopt;
}

}  // namespace

std::vector<TextMember> BlockTextMembers(const ParameterBlock& block) {
  std::vector<TextMember> members;
  for (const Member& member : Members())
    if (Written(member, block))
      members.push_back({std::string(member.name), MemberValue(block, member).dump()});
  return members;
}

std::string ExportBlockText(const ParameterBlock& block) {
  std::string text = "{\n";
  text += "  " + Json(std::string(kFormatKey)).dump() + ": " +
          Json(std::string(kTextFormTag)).dump() + ",\n";
  text += "  " + Json(std::string(kVersionKey)).dump() + ": " + Json(kTextFormVersion).dump();
  for (const TextMember& member : BlockTextMembers(block))
    text += ",\n  " + Json(member.name).dump() + ": " + member.value;
  return text + "\n}\n";
}

TextImport ImportBlockText(std::string_view text, const std::optional<ParameterBlock>& base) {
  if (text.size() > kTextFormLimit)
    return Refused(Say("文本太长：参数块的文本形式只有几千字节，最多读 " +
                           std::to_string(kTextFormLimit) + " 字节",
                       "the text is too long: a parameter block's text form is a few thousand "
                       "bytes, at most " +
                           std::to_string(kTextFormLimit) + " are read"));
  // A parameter file or a table given for a text is named for what it is.
  const std::size_t first = text.find_first_not_of(" \t\r\n");
  if (first != std::string_view::npos && text[first] != '{') {
    const FileKind kind = SniffFileKind(text.substr(0, kSniffedBytes));
    if (kind == FileKind::ParameterFile || kind == FileKind::Table)
      return Refused(Say("这是" + FileKindName(kind) + "，不是参数块的文本形式",
                         "this is " + FileKindName(kind) + ", not a parameter block's text form"));
  }
  ParsedJson parsed = ParseJson(text);
  if (!parsed.error.empty()) return Refused(parsed.error);
  if (!parsed.value.is_object())
    return Refused(Say("文本应是一个 JSON 对象 {...}", "the text must be a JSON object {...}"));
  return ApplyObject(parsed.value, base);
}

TextImport SetBlockFields(const ParameterBlock& base, std::span<const std::string> assignments) {
  Json object = Json::object();
  for (const std::string& assignment : assignments) {
    const std::size_t equals = assignment.find('=');
    if (equals == std::string::npos)
      return Refused(Say("赋值 " + Shown(Json(assignment)) + " 应写作 NAME=VALUE",
                         "the assignment " + Shown(Json(assignment)) + " must be NAME=VALUE"));
    const std::string name = assignment.substr(0, equals);
    const Member* member = FindMember(name);
    if (member == nullptr) return Refused(UnknownMember(name));
    if (object.contains(name))
      return Refused(Say("成员 " + name + " 赋值了不止一次",
                         "member " + name + " is assigned more than once"));
    std::string error;
    std::optional<Json> value = AssignedValue(*member, assignment.substr(equals + 1), error);
    if (!value) return Refused(error);
    object[name] = std::move(*value);
  }
  return ApplyObject(object, base);
}

bool IsBlockTextMember(std::string_view name) {
  return FindMember(name) != nullptr;
}

bool LooksLikeBlockText(std::string_view bytes) {
  const std::size_t first = bytes.find_first_not_of(" \t\r\n");
  return first != std::string_view::npos && bytes[first] == '{';
}

std::vector<MemberDifference> DiffBlockTexts(const ParameterBlock& first,
                                             const ParameterBlock& second) {
  // The length word is compared even where the form leaves it unsaid.
  const auto value_of = [](const ParameterBlock& block, const Member& member) {
    return Written(member, block) || IsLengthWord(member) ? MemberValue(block, member).dump()
                                                          : std::string(kAbsent);
  };
  std::vector<MemberDifference> differences;
  for (const Member& member : Members()) {
    std::string in_first = value_of(first, member);
    std::string in_second = value_of(second, member);
    if (in_first != in_second)
      differences.push_back({std::string(member.name), std::move(in_first), std::move(in_second)});
  }
  return differences;
}

}  // namespace dtu
