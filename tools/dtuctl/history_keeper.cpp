#include "history_keeper.h"

#include <CLI/CLI.hpp>

#include "core/message_language.h"

namespace dtuctl {
namespace {

std::string NoHistoryHelp() {
  return dtu::Say("不在单元历史中保存任何内容（写入前也不读取）",
                  "keep nothing in the units' history (and read nothing before a write)");
}

}  // namespace

void HistoryKeeper::Define(CLI::App& parser) {
  parser.add_flag("--no-history", off_, NoHistoryHelp());
}

void HistoryKeeper::KeepRead(const std::string& port, const dtu::ExchangeResult& read) {
  if (!off_) recorder_.KeepRead(port, read);
}

void HistoryKeeper::KeepSent(const std::string& port, const dtu::ParameterBlock& sent,
                             dtu::HistoryEvent event) {
  if (!off_) recorder_.KeepSent(port, sent, event);
}

}  // namespace dtuctl
