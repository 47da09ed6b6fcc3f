#include "gui/window/block_origin.h"

#include <filesystem>

#include "core/block/block_check.h"

namespace dtu {
namespace {

std::string DescribeUnit(const UnitIdentity& unit) {
  if (!unit.known()) return "设备（未报告序列号）";
  const auto shown = [](const std::string& serial) { return serial.empty() ? "无" : serial; };
  return "设备（主板序列号 " + shown(unit.board_serial) + "，模块序列号 " +
         shown(unit.module_serial) + "）";
}

}  // namespace

std::string DescribeOrigin(const BlockOrigin& origin) {
  switch (origin.kind) {
    case BlockOrigin::Kind::Defaults:
      return "内置默认值";
    case BlockOrigin::Kind::Unit:
      return DescribeUnit(origin.unit);
    case BlockOrigin::Kind::ParameterFile:
      return "参数文件 " + origin.file;
    case BlockOrigin::Kind::TextFile:
      return "文本文件 " + origin.file;
    case BlockOrigin::Kind::HistoryEntry:
      return DescribeUnit(origin.unit) + "的历史记录 " + std::to_string(origin.entry);
  }
  return {};
}

std::string ShortOriginName(const BlockOrigin& origin) {
  const std::string& serial =
      origin.unit.board_serial.empty() ? origin.unit.module_serial : origin.unit.board_serial;
  const std::string unit = serial.empty() ? "设备" : "设备 " + serial;
  switch (origin.kind) {
    case BlockOrigin::Kind::Defaults:
      return "默认参数";
    case BlockOrigin::Kind::Unit:
      return unit;
    case BlockOrigin::Kind::HistoryEntry:
      return unit + " 的历史记录 " + std::to_string(origin.entry);
    case BlockOrigin::Kind::ParameterFile:
    case BlockOrigin::Kind::TextFile:
      return std::filesystem::path(origin.file).filename().string();
  }
  return {};
}

std::string BlockMismatchMessage(const BlockOrigin& origin) {
  std::string text(kBlockMismatchMessage);
  switch (origin.kind) {
    case BlockOrigin::Kind::Unit:
    case BlockOrigin::Kind::Defaults:
      return text +
             "\n设备发来的参数块在传输中损坏（校验和不符），没有载入任何参数，页面保持原样。"
             "请重新读取参数。";
    case BlockOrigin::Kind::HistoryEntry:
      return text + "\n" + DescribeOrigin(origin) +
             " 的参数块校验和不符：历史记录文件已损坏。没有载入任何参数，页面保持原样。";
    case BlockOrigin::Kind::ParameterFile:
    case BlockOrigin::Kind::TextFile:
      break;
  }
  return text + "\n参数文件 " + origin.file +
         " 的校验和不符：文件已损坏，或不是本软件保存的参数文件。没有载入任何参数，页面保持原样。";
}

std::vector<std::string> WriteTargetWarnings(const BlockOrigin& origin, bool unit_read_since_start,
                                             const std::optional<UnitIdentity>& connected,
                                             bool asked) {
  std::vector<std::string> warnings;
  if (!unit_read_since_start) warnings.push_back("注意：本次启动后还没有从任何设备读取过参数。");
  if (!origin.of_unit()) return warnings;
  if (!connected || !connected->known()) {
    warnings.push_back(std::string(asked ? "注意：询问之后所连设备仍没有报告序列号"
                                         : "注意：打开串口后还没有读到所连设备的序列号") +
                       "，无法确认它就是参数的来源" + DescribeUnit(origin.unit) + "。");
  } else if (*connected != origin.unit) {
    warnings.push_back("注意：所连设备是" + DescribeUnit(*connected) +
                       "，而页面上的参数来自另一台" + DescribeUnit(origin.unit) + "。");
  }
  return warnings;
}

}  // namespace dtu
