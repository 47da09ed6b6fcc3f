// dtuctl record export: every result of the record as CSV or JSON, for a spreadsheet or
// another program. Every message of this command is here.
#include <CLI/CLI.hpp>

#include "command_support.h"
#include "core/atomic_file.h"
#include "core/block/parameter_file.h"
#include "core/message_language.h"
#include "core/record/record_export.h"
#include "record_commands.h"

namespace dtuctl {
namespace {

constexpr std::string_view kName = "export";
constexpr std::string_view kDescription =
    R"(Writes every result of the record DEST, in the order recorded: with --csv one line per
result under a header (result, batch, station, port, gsn, board_serial, firmware,
row_key, row_line, row_values, outcome, changed_fields, message, started, duration_ms,
block_before, block_after, id); with --json an object holding the batches and the
results. Blocks are 1,320 hex digits, times ISO 8601 in local time. A CSV cell that a
spreadsheet would take for a formula (=, +, -, @ first) has an apostrophe before it.)";
constexpr std::string_view kFooter =
    R"(exit status: 0 written, 1 bad usage, an unwritable output or one that is the record
itself, 10 no record at DEST, not a record or of a newer version, 11 the record cannot be
reached, is locked or broke off)";
constexpr std::string_view kChineseDescription =
    R"(按记录的顺序写出记录 DEST 的每个结果：用 --csv 时在表头下每个结果一行（result、batch、
station、port、gsn、board_serial、firmware、row_key、row_line、row_values、outcome、
changed_fields、message、started、duration_ms、block_before、block_after、id）；用 --json
时是一个包含批次和结果的对象。参数块是 1,320 位十六进制数字，时间是本地时间的 ISO 8601。
电子表格会当作公式的 CSV 单元格（以 =、+、-、@ 开头）前面加一个撇号。)";
constexpr std::string_view kChineseFooter =
    R"(退出状态：0 已写出，1 用法有误、输出无法写入或输出就是记录本身，10 DEST 处没有记录、不是
记录或是更新版本的，11 记录无法连接、被锁定或中断了)";

class ExportCommand final : public Command {
 public:
  void Define(CLI::App& parser) override {
    AddDestinationOperand(parser, destination_);
    CLI::Option* csv =
        parser.add_flag("--csv", csv_, dtu::Say("CSV，每个结果一行", "CSV, one line per result"));
    parser
        .add_flag("--json", json_,
                  dtu::Say("JSON：批次和结果", "JSON: the batches and the results"))
        ->excludes(csv);
    AddOutputOption(
        parser, output_,
        dtu::Say("写入 OUT，而不是标准输出", "write to OUT instead of standard output"));
  }

  int Run() override {
    if (!csv_ && !json_) {
      RecordComplain(kName, dtu::Say("请给出 --csv 或 --json", "give --csv or --json"));
      return kExitFailure;
    }
    // Written over the record's own file, the export would destroy what it was made from.
    if (!output_.empty() && dtu::IsSameFile(destination_, output_)) {
      RecordComplain(kName, output_ + dtu::Say("：就是记录本身；未写入任何内容",
                                               ": is the record itself; nothing was written"));
      return kExitFailure;
    }
    int status = kExitOk;
    const auto record = OpenRecordToRead(kName, destination_, status);
    if (!record) return status;
    std::vector<dtu::BatchInfo> batches;
    std::vector<dtu::StoredResult> results;
    dtu::RecordError error = record->AllResults(results);
    if (error.ok() && json_) error = record->Batches(batches);
    if (!error.ok()) return RecordQueryFailed(kName, error);
    const std::string text = csv_ ? dtu::ExportCsv(results) : dtu::ExportJson(batches, results);
    if (output_.empty()) return WriteToStdout("record export", text) ? kExitOk : kExitFailure;
    if (const dtu::FileResult written = dtu::WriteTextFile(output_, text); !written.ok()) {
      RecordComplain(kName, output_ + ": " + written.message);
      return kExitFailure;
    }
    return kExitOk;
  }

 private:
  std::string destination_;
  bool csv_ = false;
  bool json_ = false;
  std::string output_;
};

const RegisterRecordCommand<ExportCommand> kRegistered{
    {kName, "every result as CSV or JSON", kDescription, kFooter, "所有结果，CSV 或 JSON 形式",
     kChineseDescription, kChineseFooter}};

}  // namespace
}  // namespace dtuctl
