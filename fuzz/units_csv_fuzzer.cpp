// Reading arbitrary input as the units' table of a production run: the CSV reader either refuses
// it, naming a line of the input, or gives records that start on lines of the input, in order,
// and that the log's writer puts back into CSV which reads as the same records. The table built
// from it either is refused with a message naming a line, or holds rows that are sealed blocks,
// each with a key no other row has.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <set>
#include <string>
#include <string_view>

#include "core/message_language.h"
#include "core/production/unit_table.h"
#include "core/text/csv_reader.h"
#include "core/text/csv_writer.h"
#include "fuzz_check.h"

namespace {

using dtu::fuzz::IsWellFormedUtf8;
using dtu::fuzz::Require;

int LineCount(std::string_view text) {
  return 1 + static_cast<int>(std::ranges::count(text, '\n') + std::ranges::count(text, '\r'));
}

void CheckCsv(std::string_view input) {
  const dtu::CsvDocument document = dtu::ReadCsv(input);
  if (!document.ok()) {
    Require(IsWellFormedUtf8(document.error), "the refusal is well-formed UTF-8");
    Require(document.error_line >= 1 && document.error_line <= LineCount(input),
            "the refusal names a line of the input");
    return;
  }
  int previous = 0;
  // Behind a byte order mark, as a spreadsheet saves it: a first field that itself begins with
  // one is then read as written.
  std::string written = "\xEF\xBB\xBF";
  for (const dtu::CsvRecord& record : document.records) {
    Require(record.line > previous && record.line <= LineCount(input), "records go down the file");
    previous = record.line;
    for (const std::string& field : record.fields)
      Require(IsWellFormedUtf8(field), "a field is well-formed UTF-8");
    written += dtu::CsvLine(record.fields);
  }
  const dtu::CsvDocument again = dtu::ReadCsv(written);
  Require(again.ok() && again.records.size() == document.records.size(), "written CSV reads back");
  for (std::size_t i = 0; i < again.records.size(); ++i)
    Require(again.records[i].fields == document.records[i].fields, "every field reads back");
}

// The table read again in English: the same verdict and the same rows, the refusal naming the
// line in English words.
void CheckEnglish(std::string_view input, const dtu::UnitTable& chinese) {
  dtu::SetMessageLanguage(dtu::MessageLanguage::kEnglish);
  const dtu::UnitTable table = dtu::LoadUnitTable(input, dtu::ParameterBlock());
  dtu::SetMessageLanguage(dtu::MessageLanguage::kChinese);
  Require(table.ok() == chinese.ok() && table.rows.size() == chinese.rows.size(),
          "the language changes no verdict");
  for (std::size_t i = 0; i < table.rows.size(); ++i)
    Require(
        table.rows[i].block == chinese.rows[i].block && table.rows[i].key == chinese.rows[i].key,
        "the language changes no row");
  if (!table.ok())
    Require(IsWellFormedUtf8(table.error) && (table.error.find("line ") != std::string::npos ||
                                              table.error.starts_with("no units")),
            "the English refusal names a line, or says there is no row");
}

void CheckTable(std::string_view input) {
  const dtu::UnitTable table = dtu::LoadUnitTable(input, dtu::ParameterBlock());
  CheckEnglish(input, table);
  if (!table.ok()) {
    Require(table.rows.empty(), "a refused table has no rows");
    Require(IsWellFormedUtf8(table.error) && table.error.find("行") != std::string::npos,
            "the refusal is well-formed and names a line");
    return;
  }
  std::set<std::string> keys;
  for (const dtu::UnitRow& row : table.rows) {
    Require(dtu::VerifyBlock(row.block) && row.block.length() == dtu::kBlockSize,
            "every row's block is sealed");
    Require(keys.insert(row.key).second, "every row has a key of its own");
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  CheckCsv(input);
  CheckTable(input);
  return 0;
}
