#include "core/production/unit_provisioner.h"

#include <utility>

#include "core/block/block_layout.h"
#include "core/device/device_commands.h"

namespace dtu {
namespace {

// A reply carrying the block: the status values and "DTUPARA" before the 1,320 digits.
constexpr std::size_t kBlockReplySize = 1600;
constexpr std::size_t kShortReplySize = 64;

bool HasBlock(const UnitReport& report) {
  return report.block.has_value();
}
bool HasSettingsAnswer(const UnitReport& report) {
  return report.settings_answer.has_value();
}

// The engine's report on one line, as a log's field and a progress line want it.
std::string OneLine(std::string_view text) {
  std::string line;
  bool blank = false;
  for (const char c : text) {
    if (c == '\r' || c == '\n' || c == ' ' || c == '\t') {
      blank = !line.empty();
      continue;
    }
    if (blank) line += ' ';
    blank = false;
    line += c;
  }
  return line;
}

std::string_view FieldAt(std::size_t offset) {
  for (const FieldRow& row : kBlockLayout)
    if (offset >= row.offset && offset < std::size_t{row.offset} + row.size) return row.name;
  return {};
}

}  // namespace

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

std::chrono::milliseconds UnitProvisioner::Limit(std::size_t sent, std::size_t answer) const {
  return timeout_ + channel_.LineTime(sent + answer);
}

PortChannel::Outcome UnitProvisioner::ReadBlock(std::stop_token stop) {
  return channel_.Ask(kGetParametersCommand, Limit(kGetParametersCommand.size(), kBlockReplySize),
                      HasBlock, stop);
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

LogEntry UnitProvisioner::EndedUnfinished(PortChannel::Outcome outcome,
                                          std::string_view what) const {
  if (outcome == PortChannel::Outcome::PortLost) {
    const std::string why = OneLine(channel_.last_engine_message());
    return Ended(UnitResult::Vanished,
                 "端口在" + std::string(what) + "时不见了" + (why.empty() ? "" : "：" + why));
  }
  return Ended(UnitResult::NoAnswer, std::string(what) + "时单元没有回答");
}

std::optional<LogEntry> UnitProvisioner::Provision(std::stop_token stop) {
  unit_ = {};
  row_line_ = 0;
  row_key_.clear();
  step_("读取参数");
  const PortChannel::Outcome read = ReadBlock(stop);
  // Whatever the unit said about itself goes into the log, even when its block did not come.
  unit_ = channel_.report();
  if (read == PortChannel::Outcome::Stopped) return std::nullopt;
  if (read != PortChannel::Outcome::Answered) return EndedUnfinished(read, "读取参数");

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
  const std::string frame = BuildParameterFrame(sent);
  step_(UnitName(unit_.unit) + " 第 " + std::to_string(row.line) + " 行：写入参数");
  const PortChannel::Outcome written =
      channel_.Ask(frame, Limit(frame.size(), kShortReplySize), HasSettingsAnswer);
  if (written != PortChannel::Outcome::Answered)
    return EndedUnfinished(written, "写入参数（不知道单元是否已保存）");
  if (*channel_.report().settings_answer != kSetOkMessage)
    return Ended(UnitResult::Rejected, *channel_.report().settings_answer);

  step_(UnitName(unit_.unit) + " 第 " + std::to_string(row.line) + " 行：读回核对");
  const PortChannel::Outcome verified = ReadBlock({});
  if (verified != PortChannel::Outcome::Answered)
    return EndedUnfinished(verified, "写入成功后读回参数");
  if (*channel_.report().block != sent)
    return Ended(UnitResult::Mismatch, DescribeDifference(sent, *channel_.report().block));
  return Ended(UnitResult::Ok, std::string(kSetOkMessage) + " 读回的参数与写入的相同");
}

}  // namespace dtu
