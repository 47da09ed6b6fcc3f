// The receive path's work per byte and per block, without the port: the recogniser on a complete
// reply, the block's transport hex both ways, and the summary of a loaded block.

#include <benchmark/benchmark.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "core/block/block_check.h"
#include "core/block/parameter_block.h"
#include "core/block/parameter_summary.h"
#include "core/block/summary_pane.h"
#include "core/device/device_link.h"
#include "core/text/gbk_codec.h"
#include "core/text/hex_text.h"
#include "dtusim/default_block.h"
#include "dtusim/device_status.h"
#include "dtusim/reply_builder.h"
#include "line_rate.h"

namespace {

using dtu::bench::ReportLineRate;

// Counts what the recogniser hands out and keeps nothing, so that only the recogniser is timed.
class CountingSink final : public dtu::DeviceEventSink {
 public:
  void Recognised(const dtu::DeviceEvent& event) override {
    ++calls;
    if (std::holds_alternative<dtu::BlockEvent>(event)) ++blocks;
  }

  std::size_t calls = 0;
  std::size_t blocks = 0;
};

// The answer to "$$$AT+GETPARA?" exactly as the simulated unit sends it: the labelled status
// values, then "DTUPARA" and the 1,320 digits of its block.
std::string FullReply() {
  dtusim::ReplyBuilder builder(dtusim::DeviceStatus{}, dtusim::FaultSet{});
  return builder.ParametersReply(dtusim::MakeDefaultBlock()).Text();
}

void BM_FeedCharFullReply(benchmark::State& state) {
  const std::string reply = FullReply();
  CountingSink sink;
  dtu::DeviceLink link(sink);
  for (auto _ : state) {
    for (char c : reply) link.FeedChar(static_cast<std::uint8_t>(c));
    benchmark::DoNotOptimize(sink.calls);
  }
  if (sink.blocks != static_cast<std::size_t>(state.iterations()))
    state.SkipWithError("a reply did not deliver its block");
  state.counters["reply_bytes"] = static_cast<double>(reply.size());
  ReportLineRate(state, reply.size());
}
BENCHMARK(BM_FeedCharFullReply);

void BM_EncodeHexTextBlock(benchmark::State& state) {
  const dtu::ParameterBlock block = dtusim::MakeDefaultBlock();
  for (auto _ : state) {
    std::string digits = dtu::EncodeHexText(block.bytes());
    benchmark::DoNotOptimize(digits.data());
  }
  ReportLineRate(state, 2 * dtu::kBlockSize);
}
BENCHMARK(BM_EncodeHexTextBlock);

void BM_DecodeHexTextBlock(benchmark::State& state) {
  const std::string digits = dtu::EncodeHexText(dtusim::MakeDefaultBlock().bytes());
  for (auto _ : state) {
    std::vector<std::uint8_t> bytes = dtu::DecodeHexText(digits);
    benchmark::DoNotOptimize(bytes.data());
  }
  ReportLineRate(state, digits.size());
}
BENCHMARK(BM_DecodeHexTextBlock);

// The default block (GPRS mode) and a dual-channel one with Chinese texts, whose summary is the
// longest and converts the most GBK.
dtu::ParameterBlock SummaryBlock(bool dual) {
  dtu::ParameterBlock block = dtusim::MakeDefaultBlock();
  if (dual) {
    block.set_work_mode(2);
    block.set_protocol(2);
    block.set_apn(dtu::Utf8ToGbk("移动接入").bytes);
    block.set_domain1(dtu::Utf8ToGbk("数据中心.cn").bytes);
    block.set_domain1_enabled(1);
  }
  dtu::SealBlock(block);
  return block;
}

void BM_PrintSummary(benchmark::State& state) {
  const dtu::ParameterBlock block = SummaryBlock(state.range(0) != 0);
  std::size_t lines = 0;
  for (auto _ : state) {
    std::vector<std::string> summary = dtu::PrintSummary(block);
    lines = summary.size();
    benchmark::DoNotOptimize(summary.data());
  }
  state.counters["lines"] = static_cast<double>(lines);
  state.SetLabel(state.range(0) != 0 ? "dual channel, GBK texts" : "GPRS, default block");
}
BENCHMARK(BM_PrintSummary)->Arg(0)->Arg(1);

// Everything a received block costs after its last digit: length, checksum, normalisation and
// the summary appended to the pane.
void BM_LoadedBlockIntoPane(benchmark::State& state) {
  const dtu::ParameterBlock received = SummaryBlock(true);
  dtu::SummaryPane pane;
  for (auto _ : state) {
    dtu::ParameterBlock block = received;
    if (!dtu::PrepareLoadedBlock(block)) state.SkipWithError("the block was refused");
    pane.AppendSummary(block);
    benchmark::DoNotOptimize(pane.text().data());
  }
}
BENCHMARK(BM_LoadedBlockIntoPane);

}  // namespace
