// dtuctl record show: every result the record holds for one unit, with the fields its write
// changed. Every message of this command is here.
#include <CLI/CLI.hpp>

#include "block_text_support.h"
#include "command_support.h"
#include "core/block/parameter_text.h"
#include "core/message_language.h"
#include "core/record/record_time.h"
#include "record_commands.h"

namespace dtuctl {
namespace {

constexpr std::string_view kName = "show";
constexpr std::string_view kDescription =
    R"(Prints every result the record DEST holds for the unit whose module serial ("GSN:") is
GSN, oldest first: when and where, the outcome, how long it took, the row it got, the
unit's board serial and firmware, the message, and each field the write changed with its
value before and after.)";
constexpr std::string_view kFooter =
    R"(exit status: 0 shown, 1 bad usage or unwritable output, 10 no record at DEST, not a
record or of a newer version, 11 the record cannot be reached, is locked or broke off,
12 the record has no result for the unit)";
constexpr std::string_view kChineseDescription =
    R"(显示记录 DEST 中模块序列号（"GSN:"）为 GSN 的单元的每个结果，最早的在前：时间和地点、
结果、用时、得到的行、单元的板卡序列号和固件、消息，以及写入改动的每个字段及其前后的值。)";
constexpr std::string_view kChineseFooter =
    R"(退出状态：0 已显示，1 用法有误或无法写出输出，10 DEST 处没有记录、不是记录或是更新版本的，
11 记录无法连接、被锁定或中断了，12 记录中没有该单元的结果)";

std::string NoResult(const std::string& gsn) {
  return dtu::Say("记录中没有设备 " + gsn + " 的结果", "the record has no result for unit " + gsn);
}

// The outcome keeps its name (ok, rejected, ...): scripts and the export know it by that.
std::string ResultText(const dtu::StoredResult& stored) {
  const dtu::ResultEntry& e = stored.entry;
  const std::string outcome(dtu::OutcomeName(e.outcome));
  const std::string batch = std::to_string(e.batch_id);
  const std::string where = e.where.station + " " + e.where.port;
  const std::string seconds = dtu::FormatSeconds(e.duration);
  std::string text = dtu::FormatRecordTime(e.started) + " " +
                     dtu::Say("批次 " + batch + " " + where + "：" + outcome + "，用时 " + seconds,
                              "batch " + batch + " " + where + ": " + outcome + " in " + seconds);
  if (e.row) {
    const std::string line = std::to_string(e.row->line);
    text += dtu::Say("，第 " + line + " 行（" + e.row->key + "）",
                     ", row " + line + " (" + e.row->key + ")");
  }
  text +=
      dtu::Say("\n  板卡序列号 " + e.unit.board_serial + "，固件 " + e.unit.firmware + "\n",
               "\n  board serial " + e.unit.board_serial + ", firmware " + e.unit.firmware + "\n");
  if (!e.message.empty()) text += "  " + e.message + "\n";
  if (e.before && e.after)
    for (const dtu::MemberDifference& difference : dtu::DiffBlockTexts(*e.before, *e.after))
      text += "  " + DifferenceLine(difference);
  return text;
}

std::string ResultCount(std::size_t count) {
  const std::string number = std::to_string(count);
  return dtu::Say(number + " 个结果\n", number + (count == 1 ? " result\n" : " results\n"));
}

class ShowCommand final : public Command {
 public:
  void Define(CLI::App& parser) override {
    AddDestinationOperand(parser, destination_);
    parser.add_option("GSN", gsn_)
        ->required()
        ->description(dtu::Say("单元的模块序列号", "the unit's module serial number"));
  }

  int Run() override {
    int status = kExitOk;
    const auto record = OpenRecordToRead(kName, destination_, status);
    if (!record) return status;
    std::vector<dtu::StoredResult> results;
    if (const dtu::RecordError error = record->UnitResults(gsn_, results); !error.ok())
      return RecordQueryFailed(kName, error);
    if (results.empty()) {
      RecordComplain(kName, NoResult(gsn_));
      return kExitNotInRecord;
    }
    std::string text = gsn_ + dtu::Say("：", ": ") + ResultCount(results.size());
    for (const dtu::StoredResult& stored : results) text += ResultText(stored);
    return WriteToStdout("record show", text) ? kExitOk : kExitFailure;
  }

 private:
  std::string destination_;
  std::string gsn_;
};

const RegisterRecordCommand<ShowCommand> kRegistered{
    {kName, "every result of one unit, with the fields its write changed", kDescription, kFooter,
     "一个单元的所有结果，以及写入改动的字段", kChineseDescription, kChineseFooter}};

}  // namespace
}  // namespace dtuctl
