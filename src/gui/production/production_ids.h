#pragma once

#include <string_view>

namespace dtu {

// The production window's controls. Tiles are numbered from kFirstTile in the slots' order.
namespace production_id {
constexpr int kTemplateEdit = 2001;
constexpr int kTemplateBrowse = 2002;
constexpr int kUnitsEdit = 2003;
constexpr int kUnitsBrowse = 2004;
constexpr int kRecordEdit = 2005;
constexpr int kStationEdit = 2006;
constexpr int kOperatorEdit = 2007;
constexpr int kSlotList = 2008;
constexpr int kRescanButton = 2009;
constexpr int kBaudList = 2010;
constexpr int kParityList = 2011;
constexpr int kDataBitsList = 2012;
constexpr int kStopBitsList = 2013;
constexpr int kTimeoutSpin = 2014;
constexpr int kStartButton = 2020;
constexpr int kPauseButton = 2021;
constexpr int kStopButton = 2022;
constexpr int kReportButton = 2023;
constexpr int kCountsLabel = 2030;
constexpr int kResultsList = 2031;
constexpr int kFirstTile = 2100;
}  // namespace production_id

// The production window's own texts that tests and other parts refer to.
// Alt+B (批量): Alt+P stays the port button's, whatever it says.
inline constexpr std::string_view kProductionMenu = "生产(&B)";
inline constexpr std::string_view kBatchConfigItem = "批量配置...";
inline constexpr std::string_view kProductionTitle = "批量配置";
inline constexpr std::string_view kStartCaption = "开始";
inline constexpr std::string_view kPauseCaption = "暂停";
inline constexpr std::string_view kResumeCaption = "继续";
inline constexpr std::string_view kStopCaption = "停止";
inline constexpr std::string_view kReportCaption = "报告";
inline constexpr std::string_view kCloseWhileBusyQuestion =
    "还有单元正在配置。现在关闭，正在写入的单元会写完并记录，还没有写入的单元不再写入。确定关闭吗?";
inline constexpr std::string_view kNoSlotChosen = "请至少选择一个工位（串口）。";
inline constexpr std::string_view kNoTemplateChosen = "请选择模板（参数文件或文本格式）。";
inline constexpr std::string_view kNoUnitsChosen = "请选择单元表（CSV）。";
inline constexpr std::string_view kNoRecordChosen =
    "请给出生产记录（SQLite 文件或 PostgreSQL 连接）。";

}  // namespace dtu
