#include "core/text/csv_reader.h"

#include <csv.h>

#include <memory>
#include <optional>

#include "core/message_language.h"
#include "core/text/utf8_text.h"

namespace dtu {
namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

// Where the text stops being UTF-8, if it does.
std::optional<std::size_t> FirstNonUtf8(std::string_view text) {
  for (std::size_t pos = 0; pos < text.size();) {
    const Utf8Char c = DecodeUtf8At(text, pos);
    // A malformed byte reads as U+FFFD one byte long; the character itself takes three.
    if (c.code == kReplacementCharacter && c.length == 1) return pos;
    pos += c.length;
  }
  return std::nullopt;
}

// Line numbers of byte positions: a line ends with LF, CR LF or a CR on its own.
class LineCounter {
 public:
  explicit LineCounter(std::string_view text) : text_(text) {}

  // The line of the byte at `pos`; positions must not go backwards.
  int LineAt(std::size_t pos) {
    for (; scanned_ < pos; ++scanned_) {
      const char c = text_[scanned_];
      if (c == '\n' || (c == '\r' && (scanned_ + 1 == text_.size() || text_[scanned_ + 1] != '\n')))
        ++line_;
    }
    return line_;
  }

 private:
  std::string_view text_;
  std::size_t scanned_ = 0;
  int line_ = 1;
};

// What libcsv's callbacks build.
struct Collector {
  std::vector<CsvRecord> records;
  CsvRecord current;
  bool in_record = false;
  int line = 1;  // of the byte being parsed

  // Called before each byte: a byte that is no line end after a finished record starts one.
  void Begin(char c) {
    if (!in_record && c != '\r' && c != '\n') {
      in_record = true;
      current.line = line;
    }
  }
  static void Field(void* data, std::size_t size, void* self) {
    auto& collector = *static_cast<Collector*>(self);
    collector.current.fields.emplace_back(data == nullptr ? "" : static_cast<const char*>(data),
                                          size);
  }
  static void EndRecord(int /*terminator*/, void* self) {
    auto& collector = *static_cast<Collector*>(self);
    if (!IsBlank(collector.current)) collector.records.push_back(std::move(collector.current));
    collector.current = {};
    collector.in_record = false;
  }
  // A line of nothing but spaces is as blank as an empty one.
  static bool IsBlank(const CsvRecord& record) {
    for (const std::string& field : record.fields)
      if (field.find_first_not_of(" \t") != std::string::npos) return false;
    return true;
  }
};

struct ParserDeleter {
  void operator()(csv_parser* parser) const {
    csv_free(parser);
    delete parser;
  }
};
using Parser = std::unique_ptr<csv_parser, ParserDeleter>;

// Spaces are part of a field, as in any spreadsheet.
int NoSpaces(unsigned char) {
  return 0;
}

CsvDocument Refused(int line, std::string reason) {
  CsvDocument document;
  document.error_line = line;
  const std::string number = std::to_string(line);
  document.error = Say("第 " + number + " 行：", "line " + number + ": ") + std::move(reason);
  return document;
}

}  // namespace

CsvDocument ReadCsv(std::string_view text) {
  if (text.starts_with(kByteOrderMark)) text.remove_prefix(kByteOrderMark.size());
  LineCounter lines(text);
  if (const std::optional<std::size_t> bad = FirstNonUtf8(text))
    return Refused(lines.LineAt(*bad), Say("不是 UTF-8 文本（请把文件存为 UTF-8 编码的 CSV）",
                                           "not UTF-8 text (save the file as CSV in UTF-8)"));

  auto raw = std::make_unique<csv_parser>();
  if (csv_init(raw.get(), CSV_STRICT | CSV_STRICT_FINI) != 0)
    return Refused(1, Say("无法读取 CSV", "cannot read the CSV"));
  const Parser parser(raw.release());
  csv_set_space_func(parser.get(), NoSpaces);

  Collector collector;
  // One byte at a time, so that every record knows the line it starts on and an error the line
  // it is found on.
  for (std::size_t pos = 0; pos < text.size(); ++pos) {
    collector.line = lines.LineAt(pos);
    collector.Begin(text[pos]);
    if (csv_parse(parser.get(), text.data() + pos, 1, Collector::Field, Collector::EndRecord,
                  &collector) != 1)
      return Refused(collector.line,
                     csv_error(parser.get()) == CSV_EPARSE
                         ? Say("引号用错了：引号只能围住整个字段，字段中的引号要写两次",
                               "misplaced quote: quotes can only enclose a whole "
                               "field, and a quote in a field is written twice")
                         : Say("字段太长，无法读取", "a field too long to read"));
  }
  if (csv_fini(parser.get(), Collector::Field, Collector::EndRecord, &collector) != 0)
    return Refused(collector.current.line, Say("引号没有结束", "a quote is not closed"));
  CsvDocument document;
  document.records = std::move(collector.records);
  return document;
}

}  // namespace dtu
