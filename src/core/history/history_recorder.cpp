#include "core/history/history_recorder.h"

#include "core/history/history_location.h"
#include "core/record/record_time.h"

namespace dtu {
namespace {

std::string StatusText(const ExchangeResult& result, StatusField field) {
  const StatusEvent* status = result.status(field);
  return status == nullptr ? std::string() : status->text;
}

}  // namespace

HistoryRecorder::HistoryRecorder(std::filesystem::path file, UserMessages& messages,
                                 NoticeWording wording)
    : file_(std::move(file)), messages_(messages), wording_(std::move(wording)) {}

HistoryRecorder::~HistoryRecorder() = default;

UnitHistory& HistoryRecorder::history() {
  if (!history_)
    history_ = std::make_unique<UnitHistory>(file_.empty() ? DefaultHistoryPath() : file_);
  return *history_;
}

std::int64_t HistoryRecorder::KeepRead(const std::string& port, const ExchangeResult& read) {
  const BlockEvent* received = read.block();
  if (received == nullptr) return 0;
  unit_ = HistoryUnit::Of(StatusText(read, StatusField::BoardSerial),
                          StatusText(read, StatusField::ModuleSerial), port);
  unit_known_ = true;
  firmware_ = StatusText(read, StatusField::Version);
  // A block damaged on the way is not what the unit holds: its serials count, its bytes do not.
  if (!received->intact) return 0;
  return Keep(port, received->block, HistoryEvent::Read);
}

std::int64_t HistoryRecorder::KeepSent(const std::string& port, const ParameterBlock& sent,
                                       HistoryEvent event) {
  return Keep(port, sent, event);
}

bool HistoryRecorder::HoldsCurrentBlock(const HistoryUnit& unit, RecordTime now,
                                        std::chrono::milliseconds recent) const {
  return unit_known_ && unit_ == unit && held_since_ && now - *held_since_ < recent;
}

void HistoryRecorder::Forget() {
  unit_ = {};
  unit_known_ = false;
  firmware_.clear();
  held_since_.reset();
}

std::int64_t HistoryRecorder::Keep(const std::string& port, const ParameterBlock& block,
                                   HistoryEvent event) {
  const SeenBlock seen{unit_.board_serial, unit_.module_serial, firmware_, port, event, block,
                       RecordNow()};
  std::int64_t id = 0;
  const HistoryError error = history().Add(seen, id);
  if (const std::optional<std::string> notice = notice_.Take(error))
    messages_.Show(MessageKind::Warning, wording_ ? wording_(error) : *notice);
  if (!error.ok()) return 0;
  if (UnitHoldsBlockAfter(event)) held_since_ = seen.time;
  return id;
}

}  // namespace dtu
