#include "history_keeper.h"

#include <CLI/CLI.hpp>

namespace dtuctl {
namespace {

constexpr std::string_view kNoHistoryHelp =
    "keep nothing in the units' history (and read nothing before a write)";

}  // namespace

void HistoryKeeper::Define(CLI::App& parser) {
  parser.add_flag("--no-history", off_, std::string(kNoHistoryHelp));
}

void HistoryKeeper::KeepRead(const std::string& port, const dtu::ExchangeResult& read) {
  if (!off_) recorder_.KeepRead(port, read);
}

void HistoryKeeper::KeepSent(const std::string& port, const dtu::ParameterBlock& sent,
                             dtu::HistoryEvent event) {
  if (!off_) recorder_.KeepSent(port, sent, event);
}

}  // namespace dtuctl
