#include "core/production/unit_table.h"

#include <algorithm>
#include <map>
#include <set>

#include "core/block/block_layout.h"
#include "core/block/parameter_text.h"
#include "core/editing/page_rules.h"
#include "core/message_language.h"
#include "core/production/row_identity.h"
#include "core/text/csv_reader.h"

namespace dtu {
namespace {

std::string Trimmed(std::string_view text) {
  const std::size_t first = text.find_first_not_of(" \t");
  if (first == std::string_view::npos) return {};
  return std::string(text.substr(first, text.find_last_not_of(" \t") - first + 1));
}

std::string AtLine(int line, std::string_view problem) {
  const std::string number = std::to_string(line);
  return Say("第 " + number + " 行：", "line " + number + ": ") + std::string(problem);
}

// The column names, or the refusal.
std::string ReadHeader(const CsvRecord& header, std::vector<std::string>& names) {
  std::set<std::string> seen;
  for (std::size_t i = 0; i < header.fields.size(); ++i) {
    std::string name = Trimmed(header.fields[i]);
    const std::string column =
        Say("第 " + std::to_string(i + 1) + " 列", "column " + std::to_string(i + 1));
    if (name.empty()) return AtLine(header.line, column + Say("没有名字", " has no name"));
    if (name != kGsnColumn && !IsBlockTextMember(name))
      return AtLine(header.line,
                    column + " \"" + name +
                        Say("\" 不是参数的名字（名字见 dtuctl export）",
                            "\" is not a parameter's name (dtuctl export shows the names)"));
    // A unit is always sent its block with the length word 660.
    if (name == field::length.name)
      return AtLine(header.line,
                    column + Say(" \"length\" 不能逐个单元给出：写入单元时总是 660",
                                 " \"length\" cannot be given per unit: a unit is always "
                                 "written 660"));
    if (!seen.insert(name).second)
      return AtLine(header.line,
                    "\"" + name + Say("\" 出现了不止一次", "\" is given more than once"));
    names.push_back(std::move(name));
  }
  return {};
}

// Applies one record to the template; the refusal when a value does not fit.
std::string ReadRow(const CsvRecord& record, const std::vector<std::string>& names,
                    const ParameterBlock& template_block, UnitTable& table) {
  if (record.fields.size() > names.size())
    return AtLine(record.line, Say("有 " + std::to_string(record.fields.size()) + " 个值，但只有 " +
                                       std::to_string(names.size()) + " 个列名",
                                   std::to_string(record.fields.size()) + " values, but only " +
                                       std::to_string(names.size()) + " column names"));
  UnitRow row;
  row.line = record.line;
  for (std::size_t i = 0; i < record.fields.size(); ++i) {
    if (names[i] == kGsnColumn) {
      row.gsn = Trimmed(record.fields[i]);
    } else if (!record.fields[i].empty()) {
      row.assignments.push_back(names[i] + "=" + record.fields[i]);
    }
  }
  const TextImport applied = SetBlockFields(template_block, row.assignments);
  if (!applied.ok()) return AtLine(record.line, applied.error);
  for (const std::string& warning : applied.warnings)
    table.warnings.push_back(AtLine(record.line, Say("警告：", "warning: ") + warning));
  for (const std::string& warning : PageRuleWarnings(*applied.block, applied.rows))
    table.warnings.push_back(AtLine(record.line, Say("警告：", "warning: ") + warning));
  row.block = *applied.block;
  table.rows.push_back(std::move(row));
  return {};
}

// Keys for the rows: the gsn, or the values with their count among equal rows.
void GiveKeys(std::vector<UnitRow>& rows) {
  std::map<std::string, int> seen;
  for (UnitRow& row : rows) {
    if (!row.gsn.empty()) {
      row.key = KeyedRowKey(row.gsn);
      continue;
    }
    const std::string values = FileOrderRowKey(row.assignments, 1);
    row.key = FileOrderRowKey(row.assignments, ++seen[values]);
  }
}

UnitTable Refused(std::string error) {
  UnitTable table;
  table.error = std::move(error);
  return table;
}

}  // namespace

UnitTable LoadUnitTable(std::string_view csv, const ParameterBlock& template_block) {
  const CsvDocument document = ReadCsv(csv);
  if (!document.ok()) return Refused(document.error);
  if (document.records.size() < 2)
    return Refused(
        Say("没有单元：表头之后至少要有一行", "no units: at least one row must follow the header"));

  std::vector<std::string> names;
  if (std::string error = ReadHeader(document.records.front(), names); !error.empty())
    return Refused(error);
  UnitTable table;
  std::map<std::string, int> gsn_lines;
  for (std::size_t i = 1; i < document.records.size(); ++i) {
    const CsvRecord& record = document.records[i];
    if (std::string error = ReadRow(record, names, template_block, table); !error.empty())
      return Refused(error);
    const std::string& gsn = table.rows.back().gsn;
    if (gsn.empty()) continue;
    if (const auto [earlier, fresh] = gsn_lines.emplace(gsn, record.line); !fresh)
      return Refused(AtLine(
          record.line,
          Say("gsn " + gsn + " 已在第 " + std::to_string(earlier->second) + " 行给出",
              "gsn " + gsn + " is given on line " + std::to_string(earlier->second) + " already")));
  }
  GiveKeys(table.rows);
  table.fingerprint = TableFingerprint(csv);
  table.template_fingerprint = TemplateFingerprint(template_block);
  return table;
}

bool UnitTable::in_file_order() const {
  return std::ranges::all_of(rows, [](const UnitRow& row) { return row.gsn.empty(); });
}

}  // namespace dtu
