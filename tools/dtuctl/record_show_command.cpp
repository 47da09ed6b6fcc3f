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

std::string NoResult(const std::string& gsn) {
  return dtu::Say("记录中没有设备 " + gsn + " 的结果", "the record has no result for unit " + gsn);
}

std::string ResultText(const dtu::StoredResult& stored) {
  const dtu::ResultEntry& e = stored.entry;
  std::string text = dtu::FormatRecordTime(e.started) + " batch " + std::to_string(e.batch_id) +
                     " " + e.where.station + " " + e.where.port + ": " +
                     std::string(dtu::OutcomeName(e.outcome)) + " in " +
                     dtu::FormatSeconds(e.duration);
  if (e.row) text += ", row " + std::to_string(e.row->line) + " (" + e.row->key + ")";
  text += "\n  board serial " + e.unit.board_serial + ", firmware " + e.unit.firmware + "\n";
  if (!e.message.empty()) text += "  " + e.message + "\n";
  if (e.before && e.after)
    for (const dtu::MemberDifference& difference : dtu::DiffBlockTexts(*e.before, *e.after))
      text += "  " + DifferenceLine(difference);
  return text;
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
    std::string text = gsn_ + ": " + std::to_string(results.size()) +
                       (results.size() == 1 ? " result\n" : " results\n");
    for (const dtu::StoredResult& stored : results) text += ResultText(stored);
    return WriteToStdout("record show", text) ? kExitOk : kExitFailure;
  }

 private:
  std::string destination_;
  std::string gsn_;
};

const RegisterRecordCommand<ShowCommand> kRegistered{
    {kName, "every result of one unit, with the fields its write changed", kDescription, kFooter,
     "一个单元的所有结果，以及写入改动的字段"}};

}  // namespace
}  // namespace dtuctl
