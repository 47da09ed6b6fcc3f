// dtuctl provision: a production line. Every unit that turns up on the given ports gets the
// template with its own row of the units' table applied, is read back and compared, and gets a
// line in the log.
#include <CLI/CLI.hpp>

#include <chrono>
#include <cstdio>
#include <map>
#include <optional>
#include <set>
#include <stop_token>
#include <string>
#include <vector>

#include "command.h"
#include "command_support.h"
#include "console_messages.h"
#include "console_progress.h"
#include "core/block/parameter_file.h"
#include "core/message_language.h"
#include "core/production/earlier_runs.h"
#include "core/production/provision_inputs.h"
#include "core/production/provision_log.h"
#include "core/production/provision_run.h"
#include "core/production/recorded_run.h"
#include "core/production/table_lock.h"
#include "core/production/unit_table.h"
#include "core/record/record_time.h"
#include "interrupt_stop.h"
#include "port_options.h"
#include "record_commands.h"

namespace dtuctl {
namespace {

constexpr std::string_view kName = "provision";
constexpr std::string_view kDescription =
    R"(Gives every unit that answers on the ports DEV the template T (a parameter file or
its text form) with the unit's own row of the units' table U.csv applied, writes it,
reads it back and compares it byte for byte, and appends a line per unit to the log
L.csv. Every row is checked before any unit is touched. The ports work at once; a
unit logged ok with the same row that already holds what it would get is skipped.
Rows are known by their gsn or their values, so rows may be added between runs; a
run that would hand a row out twice is refused, and so is a table another run holds.
With --record DEST the rows and results are kept in the production record instead,
which stations of a line share: each station joins the batch of the same template
and table, a row goes to one unit wherever it is plugged in, a unit ended ok in the
batch is skipped, and a unit's result is recorded before it is reported; the log is
then an optional copy. A record that cannot be written stops the station.)";
constexpr std::string_view kFooter =
    R"(exit status, after each unit's last attempt: 0 every unit ok or skipped, 1 bad usage,
a refused table or log, a table another run holds or an unwritable log, 3 a unit rejected
its block or did not keep it, 4 a unit stopped answering, 5 no such port, 6 port busy,
7 port vanished, 8 port unusable, 10 the record is missing, not a record or newer,
11 the record cannot be reached, is locked or read-only, or broke off (the station
stopped), 13 a unit got no row, 14 a unit reported no serial)";
constexpr std::string_view kChineseDescription =
    R"(给在串口 DEV 上回答的每个单元模板 T（参数文件或其文本形式），套用单元表 U.csv 中该单元
自己的一行，写入、读回并逐字节比较，并在日志 L.csv 中为每个单元追加一行。在动任何单元之前
检查每一行。各串口同时工作；日志中以同一行记为 ok、且已持有它将得到的内容的单元被跳过。
行按 gsn 或其值识别，所以两次运行之间可以添加行；会把一行分给两次的运行被拒绝，另一次运行
占用着的表也一样。用 --record DEST 时，行和结果改为保存在生产记录中，由一条生产线的各工位
共用：每个工位加入同一模板和表的批次，一行无论单元插在哪里都只给一个单元，批次中已以 ok
结束的单元被跳过，单元的结果先记录再报告；这时日志是可选的副本。无法写入的记录使该工位停止。)";
constexpr std::string_view kChineseFooter =
    R"(退出状态，在每个单元最后一次尝试之后：0 每个单元都 ok 或被跳过，1 用法有误、表或日志被
拒绝、表被另一次运行占用或日志无法写入，3 单元拒绝了参数块或没有保存它，4 单元不再回答，
5 没有这个串口，6 串口被占用，7 串口消失，8 串口无法使用，10 记录不存在、不是记录或是更新
版本的，11 记录无法连接、被锁定或只读、或中断了（工位已停止），13 单元没有得到行，14 单元
没有报告序列号)";

struct ProvisionRequest {
  std::string template_path;
  std::string units_path;
  std::string log_path;
  std::string record;
  std::string operator_name = dtu::DefaultOperator();
  std::string station = dtu::DefaultStation();
  std::vector<std::string> ports;
  PortOptions line;
  bool once = false;
};

void Complain(const std::string& problem) {
  const std::string line = "dtuctl " + std::string(kName) + ": " + problem + "\n";
  std::fwrite(line.data(), 1, line.size(), stderr);
  std::fflush(stderr);
}

std::string LogNamed(const std::string& path) {
  return dtu::Say("日志：", "log: ") + path;
}

// The units' table, checked row by row against the template before any unit is touched.
std::optional<dtu::UnitTable> LoadUnits(const ProvisionRequest& request, ConsoleMessages& messages,
                                        dtu::ParameterBlock& template_block) {
  const dtu::TemplateInput read_template = dtu::ReadProvisionTemplate(request.template_path);
  if (!read_template.block) {
    messages.Show(read_template.fault.kind, read_template.fault.text);
    return std::nullopt;
  }
  template_block = *read_template.block;
  dtu::TableInput units = dtu::ReadProvisionTable(request.units_path, template_block);
  if (!units.table) {
    Complain(units.fault.text);
    return std::nullopt;
  }
  for (const std::string& note : units.notes) messages.Show(dtu::MessageKind::Information, note);
  return std::move(units.table);
}

// After each unit's last attempt: 3 for a unit that refused or did not keep its block, then 7
// for a vanished port, 4 for a unit that stopped answering, 14 for a unit without a serial, 13
// for a unit without a row; 0 when every unit ended ok or skipped.
int ResultStatus(const std::vector<dtu::LogEntry>& last_attempts) {
  std::set<dtu::UnitResult> results;
  for (const dtu::LogEntry& entry : last_attempts) results.insert(entry.result);
  if (results.contains(dtu::UnitResult::Rejected) || results.contains(dtu::UnitResult::Mismatch))
    return kExitRejected;
  if (results.contains(dtu::UnitResult::Vanished)) return kExitPortLost;
  if (results.contains(dtu::UnitResult::NoAnswer)) return kExitTimeout;
  if (results.contains(dtu::UnitResult::Unidentified)) return kExitUnidentified;
  if (results.contains(dtu::UnitResult::NoRow)) return kExitNoRow;
  return kExitOk;
}

// "3 units: 2 ok, 1 skipped", by each unit's last attempt; "2 units (3 attempts): ..." when a
// unit was tried more than once; then where the results are.
std::string Summary(const dtu::ProvisionOutcome& outcome, const std::string& kept_in) {
  const std::vector<dtu::LogEntry>& units = outcome.last_attempts;
  std::map<dtu::UnitResult, int> counts;
  for (const dtu::LogEntry& entry : units) ++counts[entry.result];
  std::string text =
      std::to_string(units.size()) + dtu::Say(" 台设备", units.size() == 1 ? " unit" : " units");
  if (outcome.entries.size() > units.size()) {
    const std::string attempts = std::to_string(outcome.entries.size());
    text += dtu::Say("（" + attempts + " 次尝试）", " (" + attempts + " attempts)");
  }
  std::string separator = dtu::Say("：", ": ");
  for (const auto& [result, count] : counts) {
    text += separator + std::to_string(count) + " " + std::string(dtu::ResultName(result));
    separator = dtu::Say("，", ", ");
  }
  return text + dtu::Say("；", "; ") + kept_in + "\n";
}

dtu::ProvisionSettings SettingsOf(const ProvisionRequest& request) {
  return {request.ports, LineOf(request.line),
          std::chrono::milliseconds(static_cast<long long>(request.line.timeout_seconds * 1000)),
          request.once};
}

// Runs the ports with `run` and says how it went; the exit status.
template <typename Run>
int RunAndReport(const ProvisionRequest& request, const std::string& kept_in, Run&& run) {
  std::size_t columns = 0;
  const bool terminal = ConsoleProgress::StdoutIsTerminal(columns);
  ConsoleProgress progress([](const std::string& text) { WriteToStdout(kName, text); },
                           request.ports, terminal, columns);
  const dtu::ProvisionOutcome outcome = run(progress);
  progress.Finish();

  if (outcome.open_error) {
    Complain(DescribeOpenFailure(*outcome.unopened_port, outcome.open_error->failure,
                                 outcome.open_error->message) +
             dtu::NothingWrittenText());
    return OpenFailureStatus(outcome.open_error->failure);
  }
  if (!WriteToStdout(kName, Summary(outcome, kept_in))) return kExitFailure;
  if (!outcome.record_error.ok()) {
    Complain(outcome.record_error.message +
             dtu::Say("；本工位已停止，它正在处理的设备记入日志为 not-recorded",
                      "; the station was stopped, the unit it was on is logged not-recorded"));
    return RecordFailureStatus(outcome.record_error.failure);
  }
  if (!outcome.log_error.empty()) {
    Complain(request.log_path +
             dtu::Say("：最后一台设备的一行未能记入日志（" + outcome.log_error + "）；运行已结束",
                      ": the last unit's line could not be logged (" + outcome.log_error +
                          "); the run was ended"));
    return kExitFailure;
  }
  return ResultStatus(outcome.last_attempts);
}

// The rows, and what earlier runs did, from the log: one run at a time on a table.
int ProvisionFromLog(const ProvisionRequest& request, const dtu::UnitTable& table,
                     ConsoleMessages& messages, std::stop_token stop) {
  std::string error;
  const std::unique_ptr<dtu::TableLock> lock =
      dtu::TableLock::Acquire(request.units_path, request.log_path, error);
  if (!lock) {
    Complain(request.units_path + ": " + error + dtu::NothingWrittenText());
    return kExitFailure;
  }
  const std::unique_ptr<dtu::ProvisionLog> log = dtu::ProvisionLog::Open(request.log_path, error);
  if (!log) {
    Complain(request.log_path + ": " + error);
    return kExitFailure;
  }
  const dtu::EarlierRuns earlier = dtu::ResumeEarlierRuns(table, log->earlier_successes());
  if (!earlier.ok()) {
    Complain(request.log_path + ": " + earlier.error + dtu::NothingWrittenText());
    return kExitFailure;
  }
  for (const std::string& note : earlier.notes)
    messages.Show(dtu::MessageKind::Information, request.log_path + ": " + note);
  return RunAndReport(request, LogNamed(request.log_path), [&](ConsoleProgress& progress) {
    return dtu::RunProvisioning(SettingsOf(request), table, earlier, *log, progress, stop);
  });
}

// The rows, and what earlier runs and other stations did, from the production record; the log,
// when given, a copy of this run's lines.
int ProvisionIntoRecord(const ProvisionRequest& request, const dtu::UnitTable& table,
                        const dtu::ParameterBlock& template_block, ConsoleMessages& messages,
                        std::stop_token stop) {
  dtu::RecordInput opened = dtu::OpenProvisionRecord(request.record);
  if (!opened.record) {
    Complain(opened.fault.text);
    return RecordFailureStatus(opened.error.failure);
  }
  const std::unique_ptr<dtu::ProductionRecord>& record = opened.record;
  std::unique_ptr<dtu::ProvisionLog> log;
  std::string kept_in = dtu::Say("记录：", "record: ") + record->name();
  if (!request.log_path.empty()) {
    std::string log_error;
    log = dtu::ProvisionLog::Open(request.log_path, log_error);
    if (!log) {
      Complain(request.log_path + ": " + log_error);
      return kExitFailure;
    }
    kept_in += dtu::Say("；", "; ") + LogNamed(request.log_path);
  }
  dtu::StartProvisionBatch(opened, table, template_block, request.units_path, request.operator_name,
                           request.station);
  if (!opened.error.ok()) {
    Complain(opened.fault.text);
    return RecordFailureStatus(opened.error.failure);
  }
  messages.Show(dtu::MessageKind::Information, opened.note);
  dtu::RecordedRun recorded(*record, table, opened.batch.id, request.station);
  return RunAndReport(request, kept_in, [&](ConsoleProgress& progress) {
    return dtu::RunRecordedProvisioning(SettingsOf(request), table, recorded, log.get(), progress,
                                        stop);
  });
}

int ProvisionUnits(const ProvisionRequest& request, std::stop_token stop) {
  if (const std::string fault = dtu::PortsFault(request.ports); !fault.empty()) {
    Complain(fault);
    return kExitFailure;
  }
  if (request.log_path.empty() && request.record.empty()) {
    Complain(
        dtu::Say("请给出日志（--log L.csv）、生产记录（--record DEST）或两者",
                 "give the log (--log L.csv), the production record (--record DEST), or both"));
    return kExitFailure;
  }
  ConsoleMessages messages;
  dtu::ParameterBlock template_block;
  const std::optional<dtu::UnitTable> table = LoadUnits(request, messages, template_block);
  if (!table) return kExitFailure;
  if (request.record.empty()) return ProvisionFromLog(request, *table, messages, stop);
  return ProvisionIntoRecord(request, *table, template_block, messages, stop);
}

class ProvisionCommand final : public Command {
 public:
  void Define(CLI::App& parser) override {
    parser.add_option("--template", request_.template_path)
        ->required()
        ->option_text("T")
        ->description(dtu::Say("模板：参数文件或它的文本形式（必需）",
                               "the template: a parameter file or its text form (required)"));
    parser.add_option("--units", request_.units_path)
        ->required()
        ->option_text("U.csv")
        ->description(dtu::Say("单元表：一行字段名作表头，每个单元一行（必需）",
                               "the units' table: a header of field names, one row per unit "
                               "(required)"));
    parser.add_option("--log", request_.log_path)
        ->option_text("L.csv")
        ->description(dtu::Say("日志：普通文件，没有时建立，只在末尾追加\n"
                               "（没有 --record 时必需；有它时是本次运行各行的副本）",
                               "the log: a regular file, created when new and only appended to\n"
                               "(required without --record; with it, a copy of the run's lines)"));
    parser.add_option("--record", request_.record)
        ->option_text("DEST")
        ->description(dtu::Say("保存行和结果的生产记录：文件\n"
                               "（SQLite，没有时建立）、postgresql://... 或 libpq 连接字符串",
                               "the production record to keep the rows and results in: a file\n"
                               "(SQLite, created when new), postgresql://... or a libpq "
                               "connection string"));
    parser.add_option("--operator", request_.operator_name)
        ->option_text("NAME")
        ->description(dtu::Say("在记录中开始批次的人（默认登录名）",
                               "who starts the batch in the record (default the login name)"));
    parser.add_option("--station", request_.station)
        ->option_text("NAME")
        ->description(dtu::Say("本工位在记录中的名字（默认主机名）",
                               "this station's name in the record (default the host name)"));
    AddPortListOption(parser, request_.ports,
                      dtu::Say("接着单元的串口（必需，可以重复）",
                               "a serial port with units on it (required, repeatable)"))
        ->required();
    parser.add_flag("--once", request_.once,
                    dtu::Say("每个端口设置一个单元后停止：每个单元在本次运行中只接一次，\n"
                             "不会再被认出，所以按文件顺序的单元表可以把一行\n"
                             "交给不报序列号的单元",
                             "each port provisions one unit and stops: each unit is taken once\n"
                             "in this run and not recognised again, so a table in file order\n"
                             "may give a row to a unit that reports no serial"));
    AddLineOptions(parser, request_.line);
    parser.add_option("--timeout", request_.line.timeout_seconds)
        ->option_text("S")
        ->description(dtu::Say("单元应答可用的秒数，不算线路本身的时间\n（默认 5；可以有小数）",
                               "seconds a unit may take to answer, beyond the line's own time\n"
                               "(default 5; fractions allowed)"))
        ->check(TimeoutCheck());
  }

  int Run() override {
    InterruptStop interrupt;
    return ProvisionUnits(request_, interrupt.token());
  }

 private:
  ProvisionRequest request_;
};

const RegisterCommand<ProvisionCommand> kRegistered{
    {kName, "provision units from a template and a table, verify and log each", kDescription,
     kFooter, "按模板和单元表设置单元，逐个核对并记入日志", kChineseDescription, kChineseFooter}};

}  // namespace
}  // namespace dtuctl
