#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/block/parameter_block.h"
#include "core/production/unit_table.h"
#include "core/record/production_record.h"
#include "core/record/record_error.h"
#include "core/user_messages.h"

namespace dtu {

// What a production run checks before any unit is touched (the template, the table's rows, the
// ports, the record), with each fault named as `dtuctl provision` names it, for every front end.

// What was found wrong, and how a message shows it.
struct InputFault {
  MessageKind kind = MessageKind::Error;
  std::string text;       // empty: nothing wrong
  bool checksum = false;  // a parameter file whose checksum does not hold

  bool ok() const { return text.empty(); }
};

// What is said after every refusal of the table and the record.
std::string NothingWrittenText();

// "batch 3 started by station A", or when the station joins a batch begun elsewhere "batch 3,
// started ..., joined as station B".
std::string BatchStartText(const BatchHandle& batch, const std::string& station);
// A units' table is some kilobytes; this is room for tens of thousands of rows.
inline constexpr std::size_t kUnitsFileLimit = 16 * 1024 * 1024;

struct TemplateInput {
  std::optional<ParameterBlock> block;
  InputFault fault;
};

// The template: a parameter file whose checksum holds, or its text form.
TemplateInput ReadProvisionTemplate(const std::string& path);

struct TableInput {
  std::optional<UnitTable> table;
  InputFault fault;
  std::vector<std::string> notes;  // the pages' rules a row breaks, each naming the table
};

// The units' table, every row applied to the template and checked.
TableInput ReadProvisionTable(const std::string& units_path, const ParameterBlock& template_block);

// Why the ports cannot be used together (one given twice); empty when they can.
std::string PortsFault(const std::vector<std::string>& ports);

// The production record a run keeps its rows and results in, and the batch it works on.
struct RecordInput {
  std::unique_ptr<ProductionRecord> record;
  BatchHandle batch;
  RecordError error;  // ok() when the record was opened (and the batch started)
  InputFault fault;
  std::string note;  // which batch was started or joined, for the user
};

// Opens (creating an SQLite file when new) the record at `destination`.
RecordInput OpenProvisionRecord(const std::string& destination);

// Starts, or joins, the batch of the table and template in the record `input` holds.
void StartProvisionBatch(RecordInput& input, const UnitTable& table,
                         const ParameterBlock& template_block, const std::string& units_path,
                         const std::string& operator_name, const std::string& station);

}  // namespace dtu
