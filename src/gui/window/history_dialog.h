#pragma once

#include <QDialog>

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/block/parameter_block.h"
#include "core/history/history_entries.h"
#include "core/user_messages.h"

class QPlainTextEdit;
class QPushButton;
class QTableWidget;

namespace dtu {

class UnitHistory;

// Control IDs of the history window.
namespace history_id {
constexpr int kUnitList = 1300;          // the units seen
constexpr int kEntryList = 1301;         // the selected unit's entries
constexpr int kComparison = 1302;        // what differs, read-only
constexpr int kCompareEntries = 1303;    // "比较两条记录"
constexpr int kCompareWithPages = 1304;  // "与页面比较"
constexpr int kLoadEntry = 1305;         // "载入页面"
constexpr int kCloseButton = 1306;       // "关闭"
}  // namespace history_id

// What the history window asks of the main window.
struct HistoryDialogActions {
  // The pages' current values, collected as for a write; nothing after the refusal's message.
  std::function<std::optional<ParameterBlock>()> collect_pages;
  // Puts the entry's block onto the pages; false when it was not (the user kept the edits).
  std::function<bool(const HistoryEntry&)> load;
};

// "历史记录": the units the history has seen (board serial, module serial, last seen, entries)
// and the selected unit's entries (number, time, what happened, port, count), oldest first. Two
// selected entries, or one and the pages, are compared field by field with the pages' labels,
// showing only what differs; an entry can be loaded onto the pages, which closes the window.
// Every message goes through the UserMessages given.
class HistoryDialog : public QDialog {
  Q_OBJECT

 public:
  HistoryDialog(UnitHistory& history, UserMessages& messages, HistoryDialogActions actions,
                QWidget* parent);

  QWidget* control(int id) const;
  // The entries listed, in their rows' order.
  const std::vector<HistoryEntry>& entries() const { return entries_; }

  // Lists the units again, keeping the one selected.
  void Refresh();
  void SelectUnit(int row);
  void CompareEntries();
  void CompareWithPages();
  void LoadEntry();

 private:
  void ListEntries();
  std::vector<const HistoryEntry*> SelectedEntries() const;
  void Failed(const std::string& message);

  UnitHistory& history_;
  UserMessages& messages_;
  HistoryDialogActions actions_;
  std::vector<HistoryUnitInfo> units_;
  std::vector<HistoryEntry> entries_;
  QTableWidget* unit_list_ = nullptr;  // widgets are owned by Qt's parent chain
  QTableWidget* entry_list_ = nullptr;
  QPlainTextEdit* comparison_ = nullptr;
  QPushButton* compare_entries_ = nullptr;
  QPushButton* compare_pages_ = nullptr;
  QPushButton* load_ = nullptr;
  QPushButton* close_ = nullptr;
};

// "历史记录 N" or "页面上的参数" compared: the differing fields one a line, "标签（名称）：甲 →
// 乙", in block order under a heading; or the one line that says the two are the same.
std::string ComparisonText(std::string_view first_name, const ParameterBlock& first,
                           std::string_view second_name, const ParameterBlock& second);

// How the history window names what happened to an entry's block: "读取", "写入", "设备拒绝",
// "写入并核对".
std::string_view HistoryEventText(HistoryEvent event);

}  // namespace dtu
