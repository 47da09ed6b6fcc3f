// dtuctl history restore ID --port DEV [--yes]: writes the block of a history entry back into its
// unit, as dtuctl write writes a file's. Every text of this command is here.
#include <CLI/CLI.hpp>

#include "console_messages.h"
#include "core/block/block_check.h"
#include "core/message_language.h"
#include "core/record/record_time.h"
#include "history_commands.h"
#include "history_keeper.h"
#include "port_options.h"
#include "unit_write.h"

namespace dtuctl {
namespace {

constexpr std::string_view kName = "restore";
constexpr std::string_view kDescription =
    R"(Writes the block of history entry ID to the unit on DEV, as 'dtuctl write' writes a
parameter file's: checked (checksum, then normalised), sealed and sent; the unit's
answer decides the outcome. As every write, the unit's block is read first and kept in
the history with the write, so a restore can itself be undone. The unit on DEV must be
the entry's (the same board serial and module serial) unless --any-unit is given. The
write is a question answered only by --yes: without it nothing is written.)";
constexpr std::string_view kFooter =
    R"(exit status: 0 stored by the unit, 1 bad usage, not confirmed or another unit on DEV,
2 the entry's checksum does not match, 3 the unit rejected the frame, 4 no answer in
time, 5 no such port, 6 port busy, 7 port vanished, 8 port unusable, 9 --verify: the
block read back differs, 10 not a history or one of a newer version, 11 the history
cannot be read (locked), 12 no such entry)";
constexpr std::string_view kChineseDescription =
    R"(把历史条目 ID 的参数块写入 DEV 上的单元，与 'dtuctl write' 写入参数文件的参数块一样：
检查（校验和，然后规范化）、封装并发送；由单元的回答决定结果。与每次写入一样，先读取单元
的参数块并与这次写入一起保存在历史中，所以恢复本身也可以撤销。除非给出 --any-unit，DEV 上
的单元必须是该条目的单元（板卡序列号和模块序列号相同）。写入是一个问题，只有 --yes 回答它：
没有它时什么也不写。)";
constexpr std::string_view kChineseFooter =
    R"(退出状态：0 单元已保存，1 用法有误、未确认或 DEV 上是另一个单元，2 条目的校验和不符，
3 单元拒绝了该帧，4 没有及时回答，5 没有这个串口，6 串口被占用，7 串口消失，8 串口无法使用，
9 --verify：读回的参数块不同，10 不是历史文件或是更新版本的，11 历史无法读取（被锁定），
12 没有这个条目)";
std::string YesHelp() {
  return dtu::Say("对提问回答“是”：写入", "answer the question yes: write");
}
std::string AnyUnitHelp() {
  return dtu::Say("也写入条目所属单元以外的单元", "write also into another unit than the entry's");
}
std::string VerifyHelp() {
  return dtu::Say("写入后读回参数块并比较", "read the block back after the write and compare");
}

std::string Question(const dtu::HistoryEntry& entry, const std::string& port) {
  const std::string id = std::to_string(entry.id);
  const std::string what = UnitText(entry.unit) + ", " +
                           std::string(dtu::HistoryEventName(entry.event)) + " " +
                           dtu::FormatRecordTime(entry.time);
  return dtu::Say("把历史条目 " + id + "（" + what + "）写入 " + port + " 上的设备？",
                  "write history entry " + id + " (" + what + ") to the unit on " + port + "?");
}

class RestoreCommand final : public Command {
 public:
  void Define(CLI::App& parser) override {
    AddEntryOperand(parser, "ID", id_);
    AddPortOptions(parser, port_);
    parser.add_flag("--yes", yes_, YesHelp());
    parser.add_flag("--any-unit", any_unit_, AnyUnitHelp());
    parser.add_flag("--verify", verify_, VerifyHelp());
    AddHistoryOption(parser, history_);
  }

  int Run() override {
    int status = kExitOk;
    std::optional<dtu::HistoryEntry> entry = FindEntry(kName, *HistoryAt(history_), id_, status);
    if (!entry) return status;
    ConsoleMessages messages(yes_ ? std::optional(dtu::Answer::Yes) : std::nullopt);
    if (!dtu::PrepareLoadedBlock(entry->block)) {
      messages.Show(dtu::MessageKind::Plain, dtu::BlockMismatchMessage());
      return kExitChecksum;
    }
    if (messages.Ask(Question(*entry, port_.device), {}, dtu::Answer::No) != dtu::Answer::Yes) {
      HistoryComplain(
          kName, dtu::Say("未写入：--yes 确认写入", "nothing written: --yes confirms the write"));
      return kExitFailure;
    }
    HistoryKeeper keeper(history_);
    const auto same_unit = [&](const dtu::HistoryUnit& found) {
      if (any_unit_ || found == entry->unit) return true;
      const std::string id = std::to_string(entry->id);
      HistoryComplain(
          kName, dtu::Say("未写入：" + port_.device + " 上的设备是 " + UnitText(found) + "，条目 " +
                              id + " 属于 " + UnitText(entry->unit) + "（--any-unit 照样写入）",
                          "nothing written: the unit on " + port_.device + " is " +
                              UnitText(found) + ", entry " + id + " is of " +
                              UnitText(entry->unit) + " (--any-unit writes it all the same)"));
      return false;
    };
    return WriteToUnit({"history restore", port_, entry->block, verify_, same_unit}, keeper,
                       messages);
  }

 private:
  std::int64_t id_ = 0;
  PortOptions port_;
  bool yes_ = false;
  bool any_unit_ = false;
  bool verify_ = false;
  std::string history_;
};

const RegisterHistoryCommand<RestoreCommand> kRegistered{
    {kName, "write an entry's block back into its unit (--yes)", kDescription, kFooter,
     "把条目的参数块写回它的单元（--yes）", kChineseDescription, kChineseFooter}};

}  // namespace
}  // namespace dtuctl
