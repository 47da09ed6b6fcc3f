#include "core/production/unit_provisioner.h"

#include <utility>

#include "core/block/block_layout.h"
#include "core/device/device_event_text.h"
#include "core/system_error_text.h"

namespace dtu {
namespace {

std::string_view FieldAt(std::size_t offset) {
  for (const FieldRow& row : kBlockLayout)
    if (offset >= row.offset && offset < std::size_t{row.offset} + row.size) return row.name;
  return {};
}

std::string TextOfAnswer(Acknowledgement answer) {
  return TextOf(AcknowledgementEvent{answer}).text;
}

}  // namespace

UnitReport ReportOf(const ExchangeResult& result) {
  UnitReport report;
  const auto text = [&](StatusField field) {
    const StatusEvent* value = result.status(field);
    return value != nullptr ? value->text : std::string();
  };
  report.unit.board_serial = text(StatusField::BoardSerial);
  report.unit.module_serial = text(StatusField::ModuleSerial);
  report.firmware = text(StatusField::Version);
  report.signal = text(StatusField::Signal);
  if (const BlockEvent* block = result.block()) report.block = block->block;
  return report;
}

std::string DescribeDifference(const ParameterBlock& sent, const ParameterBlock& read) {
  std::size_t first = kBlockSize;
  std::size_t count = 0;
  for (std::size_t i = 0; i < kBlockSize; ++i) {
    if (sent.bytes()[i] == read.bytes()[i]) continue;
    if (first == kBlockSize) first = i;
    ++count;
  }
  if (count == 0) return {};
  return "读回的参数与写入的不同：" + std::to_string(count) + " 个字节不同，第一个在偏移 " +
         std::to_string(first) + "（" + std::string(FieldAt(first)) + "）";
}

UnitProvisioner::UnitProvisioner(PortChannel& channel, RowAssigner& rows,
                                 std::chrono::milliseconds timeout, StepReport step)
    : channel_(channel), rows_(rows), timeout_(timeout), step_(std::move(step)) {}

ExchangeResult UnitProvisioner::ReadBlock(std::stop_token stop) {
  return channel_.Ask(ReadParametersRequest(timeout_), stop);
}

LogEntry UnitProvisioner::Ended(UnitResult result, std::string message) const {
  LogEntry entry;
  entry.time = LogTimeNow();
  entry.port = channel_.device();
  entry.unit = unit_.unit;
  entry.firmware = unit_.firmware;
  entry.signal = unit_.signal;
  entry.row_line = row_line_;
  entry.row_key = row_key_;
  entry.result = result;
  entry.message = std::move(message);
  return entry;
}

LogEntry UnitProvisioner::EndedUnanswered(const ExchangeResult& result,
                                          std::string_view what) const {
  if (result.outcome == ExchangeOutcome::PortLost)
    return Ended(UnitResult::Vanished, "端口在" + std::string(what) + "时不见了：" +
                                           SystemErrorText(result.loss.failure.error));
  return Ended(UnitResult::NoAnswer, std::string(what) + "时单元没有回答");
}

std::optional<LogEntry> UnitProvisioner::Provision(std::stop_token stop) {
  unit_ = {};
  row_line_ = 0;
  row_key_.clear();
  step_("读取参数");
  const ExchangeResult read = ReadBlock(stop);
  // Whatever the unit said about itself goes into the log, even when its block did not come.
  unit_ = ReportOf(read);
  if (read.outcome == ExchangeOutcome::Cancelled) return std::nullopt;
  if (!read.answered()) return EndedUnanswered(read, "读取参数");

  const RowAssigner::Claim claim = rows_.ClaimRow(unit_.unit);
  if (claim.row == nullptr) return Ended(claim.refusal, "没有写入：" + claim.why_none);
  const UnitRow& row = *claim.row;
  row_line_ = row.line;
  row_key_ = row.key;
  if (claim.done_before && *unit_.block == row.block) {
    rows_.Finish(row, UnitResult::Skipped);
    return Ended(UnitResult::Skipped, "以前已按这一行设置，参数相同，没有再写");
  }
  if (stop.stop_requested()) {
    rows_.Finish(row, UnitResult::NoAnswer);
    return std::nullopt;
  }
  LogEntry entry = WriteAndVerify(row);
  rows_.Finish(row, entry.result);
  return entry;
}

// Not stopped half-way: the log is to say what the unit holds.
LogEntry UnitProvisioner::WriteAndVerify(const UnitRow& row) {
  ParameterBlock sent = row.block;
  const ExchangeRequest write = WriteParametersRequest(sent, timeout_);
  step_(UnitName(unit_.unit) + " 第 " + std::to_string(row.line) + " 行：写入参数");
  const ExchangeResult written = channel_.Ask(write);
  if (!written.answered()) return EndedUnanswered(written, "写入参数（不知道单元是否已保存）");
  if (written.outcome == ExchangeOutcome::Refused)
    return Ended(UnitResult::Rejected, TextOfAnswer(Acknowledgement::Refused));

  step_(UnitName(unit_.unit) + " 第 " + std::to_string(row.line) + " 行：读回核对");
  const ExchangeResult verified = ReadBlock({});
  if (!verified.answered()) return EndedUnanswered(verified, "写入成功后读回参数");
  const ParameterBlock& read_back = verified.block()->block;
  if (read_back != sent) return Ended(UnitResult::Mismatch, DescribeDifference(sent, read_back));
  return Ended(UnitResult::Ok, TextOfAnswer(Acknowledgement::Stored) + " 读回的参数与写入的相同");
}

}  // namespace dtu
