#include "core/production/provision_inputs.h"

#include <set>

#include "core/block/block_check.h"
#include "core/block/parameter_file.h"
#include "core/block/parameter_text.h"
#include "core/message_language.h"
#include "core/production/recorded_run.h"
#include "core/record/record_time.h"

namespace dtu {
namespace {

InputFault Fault(MessageKind kind, std::string text) {
  return {kind, std::move(text), false};
}

TemplateInput ReadTextTemplate(const std::string& path) {
  std::string text;
  if (const FileResult read = ReadTextFile(path, text, kTextFormLimit); !read.ok())
    return {std::nullopt, Fault(MessageKind::Error, path + ": " + read.message)};
  const TextImport imported = ImportBlockText(text, std::nullopt);
  if (!imported.ok())
    return {std::nullopt, Fault(MessageKind::Error, path + ": " + imported.error)};
  return {imported.block, {}};
}

}  // namespace

TemplateInput ReadProvisionTemplate(const std::string& path) {
  ParameterBlock block;
  const FileResult read = ReadParameterFile(path, block);
  if (read.status == FileStatus::WrongKind && read.kind == FileKind::TextForm)
    return ReadTextTemplate(path);
  if (!read.ok()) return {std::nullopt, Fault(MessageKind::Warning, path + ": " + read.message)};
  if (!VerifyBlock(block)) {
    InputFault fault = Fault(MessageKind::Plain, path + ": " + std::string(kBlockMismatchMessage));
    fault.checksum = true;
    return {std::nullopt, fault};
  }
  return {block, {}};
}

TableInput ReadProvisionTable(const std::string& units_path, const ParameterBlock& template_block) {
  std::string csv;
  if (const FileResult read = ReadTextFile(units_path, csv, kUnitsFileLimit); !read.ok())
    return {std::nullopt, Fault(MessageKind::Error, units_path + ": " + read.message), {}};
  UnitTable table = LoadUnitTable(csv, template_block);
  if (!table.ok())
    return {std::nullopt,
            Fault(MessageKind::Error, units_path + ": " + table.error + NothingWrittenText()),
            {}};
  TableInput input;
  for (const std::string& warning : table.warnings)
    input.notes.push_back(units_path + ": " + warning);
  input.table = std::move(table);
  return input;
}

std::string PortsFault(const std::vector<std::string>& ports) {
  if (std::set<std::string>(ports.begin(), ports.end()).size() != ports.size())
    return Say("有一个端口给了两次", "a port is given twice");
  return {};
}

RecordInput OpenProvisionRecord(const std::string& destination) {
  RecordInput input;
  input.record = ProductionRecord::Open(destination, ProductionRecord::Access::Create, input.error);
  if (!input.record)
    input.fault = Fault(MessageKind::Error, input.error.message + NothingWrittenText());
  return input;
}

void StartProvisionBatch(RecordInput& input, const UnitTable& table,
                         const ParameterBlock& template_block, const std::string& units_path,
                         const std::string& operator_name, const std::string& station) {
  input.error = input.record->StartBatch(
      BatchStartOf(table, template_block, units_path, operator_name, station), input.batch);
  if (!input.error.ok()) {
    input.fault = Fault(MessageKind::Error, input.error.message + NothingWrittenText());
    return;
  }
  input.note = input.record->name() + ": " + BatchStartText(input.batch, station);
}

std::string NothingWrittenText() {
  return Say("；没有写入任何设备", "; nothing was written to any unit");
}

std::string BatchStartText(const BatchHandle& batch, const std::string& station) {
  const std::string id = std::to_string(batch.id);
  if (!batch.joined)
    return Say("批次 " + id + " 由工位 " + station + " 开始",
               "batch " + id + " started by station " + station);
  const std::string started = FormatRecordTime(batch.started);
  return Say("批次 " + id + "，开始于 " + started + "，以工位 " + station + " 加入",
             "batch " + id + ", started " + started + ", joined as station " + station);
}

}  // namespace dtu
