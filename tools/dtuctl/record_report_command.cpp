// dtuctl record report: per batch and station, how many units ended how, the yield, how long
// an ok unit took and how many an hour. Every message of this command is here.
#include <CLI/CLI.hpp>

#include <cstdio>
#include <optional>

#include "command_support.h"
#include "core/message_language.h"
#include "core/record/record_report_text.h"
#include "core/record/record_time.h"
#include "record_commands.h"

namespace dtuctl {
namespace {

constexpr std::string_view kName = "report";
constexpr std::string_view kDescription =
    R"(Prints, for every batch of the record DEST (or the one --batch names) and every station
that worked on it, the units' results by outcome, the yield (ok among the units that were
sent their block), the median and 95th-percentile time of an ok unit and ok units per
hour. With --since only results from that date or time on count.)";
constexpr std::string_view kFooter =
    R"(exit status: 0 reported, 1 bad usage or unwritable output, 10 no record at DEST, not a
record or of a newer version, 11 the record cannot be reached, is locked or broke off,
12 no such batch)";
constexpr std::string_view kChineseDescription =
    R"(为记录 DEST 的每个批次（或 --batch 指定的那个）和在其上工作的每个工位，显示单元按结果
分的数目、合格率（发送了参数块的单元中 ok 的比例）、ok 单元用时的中位数和第 95 百分位数，
以及每小时的 ok 单元数。用 --since 时只计从该日期或时间起的结果。)";
constexpr std::string_view kChineseFooter =
    R"(退出状态：0 已报告，1 用法有误或无法写出输出，10 DEST 处没有记录、不是记录或是更新版本的，
11 记录无法连接、被锁定或中断了，12 没有这个批次)";
std::string SinceHelp() {
  return dtu::Say(
      "只计这个本地日期或时间以后的结果\n（2026-12-07、2026-12-07T13:00）",
      "count only results from this local date or time on\n(2026-12-07, 2026-12-07T13:00)");
}
std::string NoSuchBatch(std::int64_t id) {
  return dtu::Say("记录中没有批次 ", "the record has no batch ") + std::to_string(id);
}

class ReportCommand final : public Command {
 public:
  void Define(CLI::App& parser) override {
    AddDestinationOperand(parser, destination_);
    parser.add_option("--batch", batch_)
        ->option_text("ID")
        ->description(dtu::Say("只看这个批次", "only this batch"));
    parser.add_option("--since", since_text_)
        ->option_text("DATE")
        ->description(SinceHelp())
        ->check(CLI::Validator(
            [](const std::string& text) {
              return dtu::ParseRecordDate(text)
                         ? std::string()
                         : dtu::Say(
                               "不是日期或时间：请给出 2026-12-07、2026-12-07T13:00 或 "
                               "2026-12-07T13:00:05",
                               "not a date or time: give 2026-12-07, 2026-12-07T13:00 or "
                               "2026-12-07T13:00:05");
            },
            "DATE"));
  }

  int Run() override {
    int status = kExitOk;
    const auto record = OpenRecordToRead(kName, destination_, status);
    if (!record) return status;
    dtu::ReportFilter filter{batch_, std::nullopt};
    if (!since_text_.empty()) filter.since = dtu::ParseRecordDate(since_text_);
    std::vector<dtu::BatchReport> report;
    if (const dtu::RecordError error = record->Report(filter, report); !error.ok())
      return RecordQueryFailed(kName, error);
    if (batch_ && report.empty()) {
      RecordComplain(kName, NoSuchBatch(*batch_));
      return kExitNotInRecord;
    }
    std::string text = dtu::ReportText(report);
    if (report.empty())
      text = since_text_.empty()
                 ? dtu::Say("记录中还没有批次\n", "no batch in the record yet\n")
                 : dtu::Say("自 " + since_text_ + " 起记录中没有批次也没有结果\n",
                            "no batch and no result in the record since " + since_text_ + "\n");
    return WriteToStdout("record report", text) ? kExitOk : kExitFailure;
  }

 private:
  std::string destination_;
  std::optional<std::int64_t> batch_;
  std::string since_text_;
};

const RegisterRecordCommand<ReportCommand> kRegistered{
    {kName, "per batch and station: results by outcome, yield, time per unit, units per hour",
     kDescription, kFooter, "按批次和工位：各结果的数目、合格率、每个单元的时间、每小时的单元数",
     kChineseDescription, kChineseFooter}};

}  // namespace
}  // namespace dtuctl
