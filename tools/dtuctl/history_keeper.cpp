#include "history_keeper.h"

#include <CLI/CLI.hpp>

#include "console_messages.h"
#include "core/record/record_time.h"
#include "history_commands.h"

namespace dtuctl {
namespace {

std::string NoHistoryHelp() {
  return dtu::Say("不在单元历史中保存任何内容（写入前也不读取）",
                  "keep nothing in the units' history (and read nothing before a write)");
}

std::string StatusText(const dtu::ExchangeResult& result, dtu::StatusField field) {
  const dtu::StatusEvent* status = result.status(field);
  return status == nullptr ? std::string() : status->text;
}

}  // namespace

void HistoryKeeper::Define(CLI::App& parser) {
  parser.add_flag("--no-history", off_, NoHistoryHelp());
}

void HistoryKeeper::KeepRead(const std::string& port, const dtu::ExchangeResult& read) {
  const dtu::BlockEvent* received = read.block();
  if (off_ || received == nullptr) return;
  unit_ = dtu::HistoryUnit::Of(StatusText(read, dtu::StatusField::BoardSerial),
                               StatusText(read, dtu::StatusField::ModuleSerial), port);
  firmware_ = StatusText(read, dtu::StatusField::Version);
  Keep(port, received->block, dtu::HistoryEvent::Read);
}

void HistoryKeeper::KeepSent(const std::string& port, const dtu::ParameterBlock& sent,
                             dtu::HistoryEvent event) {
  if (!off_) Keep(port, sent, event);
}

void HistoryKeeper::Keep(const std::string& port, const dtu::ParameterBlock& block,
                         dtu::HistoryEvent event) {
  if (!history_) history_ = HistoryAt(file_);
  const dtu::SeenBlock seen{unit_.board_serial, unit_.module_serial, firmware_, port, event, block,
                            dtu::RecordNow()};
  std::int64_t id = 0;
  ConsoleMessages messages;
  notice_.Report(history_->Add(seen, id), messages);
}

}  // namespace dtuctl
