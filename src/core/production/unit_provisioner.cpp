#include "core/production/unit_provisioner.h"

#include <utility>

#include "core/block/block_layout.h"
#include "core/device/device_event_text.h"
#include "core/device/device_link.h"
#include "core/message_language.h"
#include "core/system_error_text.h"

namespace dtu {
namespace {

const FieldRow* FieldAt(std::size_t offset) {
  for (const FieldRow& row : kBlockLayout)
    if (offset >= row.offset && offset < std::size_t{row.offset} + row.size) return &row;
  return nullptr;
}

bool InChecksum(std::size_t offset) {
  return offset >= field::checksum.offset &&
         offset < std::size_t{field::checksum.offset} + field::checksum.size;
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
  report.unit = IdentityOf(result);
  report.firmware = text(StatusField::Version);
  report.signal = text(StatusField::Signal);
  if (const BlockEvent* block = result.block()) report.block = block->block;
  return report;
}

std::string DescribeDifference(const ParameterBlock& sent, const ParameterBlock& read) {
  std::size_t first = kBlockSize;
  std::size_t first_checksum = kBlockSize;
  std::size_t count = 0;
  for (std::size_t i = 0; i < kBlockSize; ++i) {
    if (sent.bytes()[i] == read.bytes()[i]) continue;
    std::size_t& place = InChecksum(i) ? first_checksum : first;
    if (place == kBlockSize) place = i;
    ++count;
  }
  if (count == 0) return {};
  if (first == kBlockSize) first = first_checksum;
  const FieldRow* field = FieldAt(first);
  const std::string name(field != nullptr ? field->name : "");
  return Say("读回的参数与写入的不同：" + std::to_string(count) + " 个字节不同，第一个在偏移 " +
                 std::to_string(first) + "（" + name + "）",
             "the parameters read back differ from those written: " + std::to_string(count) +
                 " bytes differ, the first at offset " + std::to_string(first) + " (" + name + ")");
}

std::string UnansweredText(const ExchangeResult& result, std::string_view what) {
  const DeviceExchange& exchange = result.exchange;
  const std::string doing(what);
  if (exchange.received_count() == 0)
    return Say(doing + "时单元没有回答", "the unit did not answer while " + doing);
  const bool overlong = result.outcome == ExchangeOutcome::Overlong;
  std::string text =
      Say(doing + "时单元的回答" + (overlong ? "没有结束" : "不完整"),
          std::string(overlong ? "no end to" : "an incomplete") + " answer while " + doing);
  const std::string received = std::to_string(exchange.received_count());
  text += Say("：收到 " + received + " 个字节", ": " + received + " bytes came");
  if (exchange.kind() == ExchangeKind::ReadParameters) {
    const std::string digits =
        std::to_string(exchange.block_digits()) + "/" + std::to_string(DeviceLink::kBlockHexSize);
    text += Say("（参数 " + digits + " 位）", " (" + digits + " parameter digits)");
  }
  if (overlong) {
    const std::string took = std::to_string(result.took.count());
    text += Say("，" + took + " 毫秒后仍未成为完整的回答",
                ", still no whole answer after " + took + " ms");
  } else {
    const std::string pause = std::to_string(result.timing.reply_limit.count());
    text += Say("后停了 " + pause + " 毫秒", ", then a pause of " + pause + " ms");
  }
  return text;
}

UnitProvisioner::UnitProvisioner(PortChannel& channel, RowSource& rows,
                                 std::chrono::milliseconds timeout, StepReport step)
    : channel_(channel), rows_(rows), timeout_(timeout), step_(std::move(step)) {}

void UnitProvisioner::Step(SlotStep step, int number, std::string_view text) const {
  SlotEvent event;
  event.step = step;
  event.step_number = number;
  event.unit = unit_.unit;
  event.row_line = row_line_;
  step_(event, text);
}

ExchangeResult UnitProvisioner::ReadBlock(std::stop_token stop) {
  return channel_.Ask(ReadParametersRequest(timeout_), stop);
}

UnitAttempt UnitProvisioner::Ended(UnitResult result, std::string message) const {
  UnitAttempt attempt;
  attempt.before = unit_.block;
  attempt.after = read_back_;
  attempt.started = started_;
  attempt.duration = std::chrono::duration_cast<std::chrono::milliseconds>(
      std::chrono::steady_clock::now() - started_steady_);
  LogEntry& entry = attempt.entry;
  entry.time = LogTimeNow();
  entry.port = channel_.device();
  entry.unit = unit_.unit;
  entry.firmware = unit_.firmware;
  entry.signal = unit_.signal;
  entry.row_line = row_line_;
  entry.row_key = row_key_;
  entry.result = result;
  entry.message = std::move(message);
  return attempt;
}

UnitAttempt UnitProvisioner::EndedUnanswered(const ExchangeResult& result,
                                             std::string_view what) const {
  if (result.outcome == ExchangeOutcome::PortLost)
    return Ended(UnitResult::Vanished, Say("端口在" + std::string(what) + "时不见了：",
                                           "the port vanished while " + std::string(what) + ": ") +
                                           SystemErrorText(result.loss.failure.error));
  return Ended(UnitResult::NoAnswer, UnansweredText(result, what));
}

std::optional<UnitAttempt> UnitProvisioner::Provision(std::stop_token stop) {
  unit_ = {};
  row_line_ = 0;
  row_key_.clear();
  read_back_.reset();
  started_ = std::chrono::system_clock::now();
  started_steady_ = std::chrono::steady_clock::now();
  Step(SlotStep::Reading, 1, Say("读取参数", "reading the parameters"));
  const ExchangeResult read = ReadBlock(stop);
  // Whatever the unit said about itself goes into the log, even when its block did not come.
  unit_ = ReportOf(read);
  if (read.outcome == ExchangeOutcome::Cancelled) return std::nullopt;
  if (!read.answered()) return EndedUnanswered(read, Say("读取参数", "reading the parameters"));

  const RowSource::Claim claim = rows_.ClaimRow(unit_.unit, unit_.firmware, channel_.device());
  if (claim.row == nullptr)
    return Ended(claim.refusal, Say("没有写入：", "not written: ") + claim.why_none);
  const UnitRow& row = *claim.row;
  row_line_ = row.line;
  row_key_ = row.key;
  const bool holds_row = *unit_.block == row.block;
  if (claim.done_before && (holds_row || !claim.rewrite_when_changed)) {
    rows_.Finish(row, UnitResult::Skipped);
    return Ended(
        UnitResult::Skipped,
        holds_row
            ? Say("以前已按这一行设置，参数相同，没有再写",
                  "set from this row before, with the same parameters; not written again")
            : Say("生产记录中这个单元已按这一行设置成功，没有再写（单元现在的参数与这一行的不同）",
                  "the production record has this unit set from this row; not written again "
                  "(the unit's parameters now differ from the row's)"));
  }
  if (stop.stop_requested()) {
    rows_.Finish(row, UnitResult::NoAnswer);
    return std::nullopt;
  }
  // Another port found the record unwritable meanwhile: this unit's result could not be kept.
  if (rows_.Broken())
    return Ended(UnitResult::NotRecorded,
                 Say("没有写入：生产记录已不能写入",
                     "not written: the production record can no longer be written"));
  UnitAttempt attempt = WriteAndVerify(row);
  rows_.Finish(row, attempt.entry.result);
  return attempt;
}

// Not stopped half-way: the log is to say what the unit holds.
UnitAttempt UnitProvisioner::WriteAndVerify(const UnitRow& row) {
  ParameterBlock sent = row.block;
  const ExchangeRequest write = WriteParametersRequest(sent, timeout_);
  const std::string line = std::to_string(row.line);
  Step(SlotStep::Writing, 2,
       UnitName(unit_.unit) +
           Say(" 第 " + line + " 行：写入参数", " line " + line + ": writing the parameters"));
  const ExchangeResult written = channel_.Ask(write);
  if (!written.answered())
    return EndedUnanswered(written, Say("写入参数（不知道单元是否已保存）",
                                        "writing the parameters (whether the unit kept them "
                                        "is not known)"));
  if (written.outcome == ExchangeOutcome::Refused)
    return Ended(UnitResult::Rejected, TextOfAnswer(Acknowledgement::Refused));

  Step(SlotStep::Checking, 3,
       UnitName(unit_.unit) +
           Say(" 第 " + line + " 行：读回核对", " line " + line + ": reading back to compare"));
  const ExchangeResult verified = ReadBlock({});
  if (!verified.answered())
    return EndedUnanswered(
        verified, Say("写入成功后读回参数", "reading the parameters back after the write"));
  const ParameterBlock& read_back = verified.block()->block;
  read_back_ = read_back;
  if (read_back != sent) return Ended(UnitResult::Mismatch, DescribeDifference(sent, read_back));
  return Ended(UnitResult::Ok,
               TextOfAnswer(Acknowledgement::Stored) +
                   Say(" 读回的参数与写入的相同", " the parameters read back are those written"));
}

}  // namespace dtu
