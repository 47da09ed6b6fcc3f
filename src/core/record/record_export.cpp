#include "core/record/record_export.h"

#include <array>
#include <nlohmann/json.hpp>

#include "core/record/record_text.h"
#include "core/record/record_time.h"
#include "core/text/csv_writer.h"
#include "core/text/hex_text.h"

namespace dtu {
namespace {

constexpr std::array<std::string_view, 18> kCsvColumns{
    "result",   "batch",   "station",     "port",         "gsn",         "board_serial",
    "firmware", "row_key", "row_line",    "row_values",   "outcome",     "changed_fields",
    "message",  "started", "duration_ms", "block_before", "block_after", "id"};

std::string HexOf(const std::optional<ParameterBlock>& block) {
  return block ? EncodeHexText(block->bytes()) : std::string();
}

nlohmann::ordered_json OptionalText(const std::string& text, bool present) {
  return present ? nlohmann::ordered_json(text) : nlohmann::ordered_json(nullptr);
}

}  // namespace

std::string ExportCsv(const std::vector<StoredResult>& results) {
  const std::vector<std::string> header(kCsvColumns.begin(), kCsvColumns.end());
  std::string text = CsvLine(header);
  for (const StoredResult& stored : results) {
    const ResultEntry& e = stored.entry;
    std::vector<std::string> fields{std::to_string(stored.number),
                                    std::to_string(e.batch_id),
                                    e.where.station,
                                    e.where.port,
                                    e.unit.gsn,
                                    e.unit.board_serial,
                                    e.unit.firmware,
                                    e.row ? e.row->key : "",
                                    e.row ? std::to_string(e.row->line) : "",
                                    e.row ? RowValuesText(e.row->values) : "",
                                    std::string(OutcomeName(e.outcome)),
                                    JoinedNames(stored.changed_fields),
                                    e.message,
                                    FormatRecordTime(e.started),
                                    std::to_string(e.duration.count()),
                                    HexOf(e.before),
                                    HexOf(e.after),
                                    e.id};
    for (std::string& field : fields) field = AsSpreadsheetText(std::move(field));
    text += CsvLine(fields);
  }
  return text;
}

std::string ExportJson(const std::vector<BatchInfo>& batches,
                       const std::vector<StoredResult>& results) {
  nlohmann::ordered_json document;
  document["batches"] = nlohmann::ordered_json::array();
  for (const BatchInfo& b : batches) {
    nlohmann::ordered_json batch;
    batch["batch"] = b.id;
    batch["template_hash"] = b.template_hash;
    batch["table_name"] = b.table_name;
    batch["table_hash"] = b.table_hash;
    batch["operator"] = b.operator_name;
    batch["station"] = b.station;
    batch["started"] = FormatRecordTime(b.started);
    batch["ended"] = OptionalText(b.ended ? FormatRecordTime(*b.ended) : "", b.ended.has_value());
    batch["rows"] = b.rows;
    batch["rows_done"] = b.rows_done;
    document["batches"].push_back(std::move(batch));
  }
  document["results"] = nlohmann::ordered_json::array();
  for (const StoredResult& stored : results) {
    const ResultEntry& e = stored.entry;
    nlohmann::ordered_json result;
    result["result"] = stored.number;
    result["id"] = e.id;
    result["batch"] = e.batch_id;
    result["station"] = e.where.station;
    result["port"] = e.where.port;
    result["gsn"] = e.unit.gsn;
    result["board_serial"] = e.unit.board_serial;
    result["firmware"] = e.unit.firmware;
    if (e.row) {
      nlohmann::ordered_json values = nlohmann::ordered_json::object();
      for (const auto& [name, value] : e.row->values) values[name] = value;
      result["row"] = {{"key", e.row->key}, {"line", e.row->line}, {"values", values}};
    } else {
      result["row"] = nullptr;
    }
    result["outcome"] = OutcomeName(e.outcome);
    result["changed_fields"] = stored.changed_fields;
    result["message"] = e.message;
    result["started"] = FormatRecordTime(e.started);
    result["started_ms"] = ToRecordMillis(e.started);
    result["duration_ms"] = e.duration.count();
    result["block_before"] = OptionalText(HexOf(e.before), e.before.has_value());
    result["block_after"] = OptionalText(HexOf(e.after), e.after.has_value());
    document["results"].push_back(std::move(result));
  }
  return document.dump(2) + "\n";
}

}  // namespace dtu
